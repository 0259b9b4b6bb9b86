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
    EXPECT_EQ(FindParameterByMnemonic(""), -1);
    EXPECT_EQ(FindParameter(95), nullptr);
    // Settings names keep their historic spelling.
    EXPECT_STREQ(kParameterSettings[P_VN].key, "Firmware Version ");
    EXPECT_STREQ(kParameterSettings[P_TI1].key, "Tigger Input");
    EXPECT_STREQ(kParameterSettings[P_AGR1].key, "AWB Reference");
    EXPECT_STREQ(kParameterSettings[P_AREA].section, "User Area");
}

TEST(ParameterTable, EveryRowIsWellFormed)
{
    std::set<std::string> seen;
    for (int32_t i = 0; i < PARAMETER_COUNT; ++i) {
        const ParameterEntry& row = kParameterTable[static_cast<size_t>(i)];
        const std::string mnemonic = row.mnemonic;
        // Only conditional rows have an availability condition; every row has an enabled one.
        EXPECT_EQ(row.Has(PF_CONDITIONAL), row.available != nullptr) << i;
        EXPECT_NE(row.enabled, nullptr) << i;
        if (mnemonic.empty())
            continue;
        EXPECT_TRUE(seen.insert(mnemonic).second) << mnemonic;
        EXPECT_GE(mnemonic.size(), 2u);
        EXPECT_LE(mnemonic.size(), 4u);
        EXPECT_EQ(FindParameterByMnemonic(mnemonic.c_str()), i) << mnemonic;
    }
    EXPECT_EQ(seen.size(), 94u);
}

} // namespace
} // namespace zr
