// What the web face tells a page about the members and how it reads values a page sends: the
// whole member table walked, not a few names.

#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "camera/ParameterTable.h"
#include "web/MemberCatalog.h"

namespace zr::web
{
namespace
{

TEST(MemberCatalog, EveryCameraSettingHasAControlInItsPanelsGroupAndTheTablesLimits)
{
    std::set<std::string> names;
    int settings = 0;
    const Json described = DescribeMembers();
    for (const Json& member : described["members"]) {
        const std::string name = member["name"];
        EXPECT_TRUE(names.insert(name).second) << "twice: " << name;
        const AutomationMember* found = FindMember(name);
        ASSERT_NE(found, nullptr) << name;
        if (found->kind != MemberKind::Property || found->behaviour != MemberBehaviour::RowValue ||
            found->row < 0)
            continue;
        ++settings;
        const ParameterEntry* row = FindParameter(found->row);
        ASSERT_NE(row, nullptr) << name;
        // A setting the panels show is on the page, in the panel's group.
        const std::string control = member["control"];
        EXPECT_NE(control, "none") << name;
        const std::string group = member["group"];
        EXPECT_TRUE(group == "imager1" || group == "imager2" || group == "common" ||
                    group == "main" || group == "communication")
            << name << " in " << group;
        if (control == "list") {
            ASSERT_EQ(member["items"].size(), static_cast<size_t>(row->itemCount)) << name;
            for (int32_t i = 0; i < row->itemCount; ++i)
                EXPECT_EQ(member["values"][static_cast<size_t>(row->items[i].value)],
                          row->items[i].text)
                    << name;
        } else if (control == "number") {
            EXPECT_EQ(member["min"], row->minimum) << name;
            EXPECT_EQ(member["max"], row->maximum) << name;
        }
    }
    EXPECT_GE(settings, 75); // the walk reached the camera settings
    // A method that takes a path on the server is never callable from a page.
    for (const char* name : {"ReadAllFromFile", "WriteAllToFile", "WriteCameraDataToFile"})
        EXPECT_FALSE(CallableFromPage(*FindMember(name))) << name;
    EXPECT_TRUE(CallableFromPage(*FindMember("ReadAllFromCamera")));
}

TEST(MemberCatalog, ValuesFromAPageAreReadStrictlyAndTextIsRefusedRatherThanReplaced)
{
    std::string error;
    const auto read = [&error](VarType type, const Json& value) {
        return VariantOf(type, value, error);
    };
    EXPECT_EQ(read(VarType::I4, 7)->ToI4(), 7);
    EXPECT_EQ(read(VarType::I4, INT32_MIN)->ToI4(), INT32_MIN);
    EXPECT_FALSE(read(VarType::I4, int64_t{INT32_MAX} + 1)); // no silent wrap-around
    EXPECT_FALSE(read(VarType::I4, "7"));
    EXPECT_FALSE(read(VarType::I4, 1.5));
    EXPECT_FALSE(read(VarType::I4, nullptr));
    EXPECT_EQ(read(VarType::I4, true)->ToI4(), -1); // the automation interface's true
    EXPECT_EQ(read(VarType::Bool, 0)->ToBool(), false);
    EXPECT_FALSE(read(VarType::Bool, "yes"));

    // UTF-8 on the page, Windows-1252 in the control, and back.
    const std::optional<Variant> text = read(VarType::BStr, "Zelle \xC3\xA9\xE2\x82\xAC");
    ASSERT_TRUE(text);
    EXPECT_EQ(*text->ToBStr(), "Zelle \xE9\x80");
    EXPECT_EQ(ValueJson(*text), "Zelle \xC3\xA9\xE2\x82\xAC");
    EXPECT_FALSE(read(VarType::BStr, "\xE6\x97\xA5"));
    EXPECT_NE(error.find("\xE6\x97\xA5"), std::string::npos) << error;
    EXPECT_FALSE(read(VarType::BStr, "\xC3")); // not UTF-8 at all
}

} // namespace
} // namespace zr::web
