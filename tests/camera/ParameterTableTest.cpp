#include <gtest/gtest.h>

#include <set>
#include <string>

#include "camera/ParameterTable.h"

namespace zr
{
namespace
{

TEST(ParameterTable, RowsAreWhereTheOtherTablesExpectThem)
{
    EXPECT_STREQ(kParameterTable[P_SH1].mnemonic, "SH1");
    EXPECT_STREQ(kParameterTable[P_AREA].mnemonic, "");
    EXPECT_STREQ(kParameterTable[P_EA].mnemonic, "EA");
    EXPECT_EQ(P_SH1, 11);
    EXPECT_EQ(P_IM2, 47);
    EXPECT_EQ(P_AREA, 91);
    EXPECT_EQ(FindParameterByMnemonic("GAR2"), P_GAR2);
    EXPECT_EQ(FindParameterByMnemonic(""), -1);
    EXPECT_EQ(FindParameter(95), nullptr);
}

TEST(ParameterTable, MnemonicsAreUniqueAndWellFormed)
{
    std::set<std::string> seen;
    for (const ParameterEntry& row : kParameterTable) {
        std::string mnemonic = row.mnemonic;
        if (mnemonic.empty())
            continue;
        EXPECT_TRUE(seen.insert(mnemonic).second) << mnemonic;
        EXPECT_GE(mnemonic.size(), 2u);
        EXPECT_LE(mnemonic.size(), 4u);
    }
    EXPECT_EQ(seen.size(), 94u);
}

TEST(ParameterTable, OnlyConditionalRowsHaveAnAvailabilityCondition)
{
    for (const ParameterEntry& row : kParameterTable) {
        EXPECT_EQ(row.Has(PF_CONDITIONAL), row.available != nullptr) << row.mnemonic;
        EXPECT_NE(row.enabled, nullptr) << row.mnemonic;
    }
}

TEST(ParameterTable, SettingsNamesKeepTheirHistoricSpelling)
{
    EXPECT_STREQ(kParameterSettings[P_VN].key, "Firmware Version ");
    EXPECT_STREQ(kParameterSettings[P_TI1].key, "Tigger Input");
    EXPECT_STREQ(kParameterSettings[P_AGR1].key, "AWB Reference");
    EXPECT_STREQ(kParameterSettings[P_AREA].section, "User Area");
}

} // namespace
} // namespace zr
