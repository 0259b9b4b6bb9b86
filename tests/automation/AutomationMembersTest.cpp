// The member table of the automation interface: its size, lookups, the imager twins, samples of
// every table of names and dispids, and the row bindings that the generic Invoke relies on.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "automation/AutomationMembers.h"
#include "camera/ParameterTable.h"

namespace zr
{
namespace
{

using enum MemberKind;

std::string Lowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return out;
}

std::string ToImager2(std::string_view name)
{
    std::string out(name);
    out[out.find("IMG1") + 3] = '2';
    return out;
}

TEST(AutomationMembers, CountsOrderAndLookups)
{
    EXPECT_EQ(CountMembers(Property), 129);
    EXPECT_EQ(CountMembers(Method), 155);
    EXPECT_EQ(CountMembers(Event), 83);
    EXPECT_EQ(AutomationMembers().size(), 129u + 155u + 83u);

    // Each member is the one found by its kind and dispid and by its name in any letter case, so
    // dispids are unique within a kind and names unique without regard to case.
    const AutomationMember* previous = nullptr;
    for (const AutomationMember& m : AutomationMembers()) {
        EXPECT_EQ(FindMember(m.kind, m.dispid), &m) << m.Name();
        EXPECT_EQ(FindMember(Lowered(m.Name())), &m) << m.Name();
        EXPECT_TRUE(previous == nullptr || previous->kind < m.kind ||
                    (previous->kind == m.kind && previous->dispid < m.dispid))
            << m.Name();
        previous = &m;
        EXPECT_TRUE(m.kind != Event || (m.type == VarType::Void && m.argumentCount == 0))
            << m.Name();
        EXPECT_TRUE(m.kind == Property || !m.readOnly) << m.Name();
    }
    // The dispids left free inside the numbered blocks.
    for (const auto& [kind, dispid] : {std::pair{Property, 35},
                                       {Property, 90},
                                       {Method, 155},
                                       {Method, 216},
                                       {Event, 22},
                                       {Event, 57}})
        EXPECT_EQ(FindMember(kind, dispid), nullptr) << dispid;
}

TEST(AutomationMembers, EveryImager1MemberHasItsImager2Twin)
{
    // Imager 2 dispids lie a fixed distance above imager 1 in each kind; the tabled imager 2
    // samples below pin the distances.
    const int32_t offset[] = {55, 61, 35};
    int32_t perImager[2][3] = {};
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.imager < 0) {
            EXPECT_EQ(m.Name().find("IMG"), std::string_view::npos) << m.Name();
            continue;
        }
        ++perImager[m.imager][static_cast<int>(m.kind)];
        if (m.imager == 1) {
            EXPECT_NE(m.Name().find("IMG2"), std::string_view::npos) << m.Name();
            continue;
        }
        const AutomationMember* twin = FindMember(ToImager2(m.Name()));
        ASSERT_NE(twin, nullptr) << m.Name();
        EXPECT_EQ(twin->kind, m.kind) << m.Name();
        EXPECT_EQ(twin->imager, 1) << m.Name();
        EXPECT_EQ(twin->dispid, m.dispid + offset[static_cast<int>(m.kind)]) << m.Name();
        EXPECT_EQ(twin->row, m.row + (P_IM2 - P_IM1)) << m.Name();
        // Type, access and arguments alike.
        EXPECT_EQ(FormatSignature(*twin), ToImager2(FormatSignature(m))) << m.Name();
    }
    for (int imager = 0; imager < 2; ++imager) {
        EXPECT_EQ(perImager[imager][0], 54);
        EXPECT_EQ(perImager[imager][1], 60);
        EXPECT_EQ(perImager[imager][2], 34);
    }
}

struct Tabled {
    MemberKind kind;
    const char* name;
    int32_t dispid;
};

// Samples of every table of the interface: the members out of row order or off the name
// pattern, and some of each kind in between.
const Tabled kTabled[] = {
    // imager rows
    {Property, "IMG1ImagerType", 22},
    {Property, "IMG1TriggerModeIndex", 30},
    {Property, "IMG1ProcessBypassIndex", 34},
    {Property, "IMG1TriggerPolarityString", 37},
    {Property, "IMG1TriggerInput", 38},
    {Property, "IMG1WhiteBalance", 45},
    {Property, "IMG1SetupLevelGreen", 52},
    {Property, "IMG1AGCSelect", 56},
    {Property, "IMG1CenterMarkerString", 76},
    {Property, "IMG2ProcessBypass", 126},
    {Method, "AskIMG1ShutterSpeedRange", 146},
    {Method, "AskIMG1TriggerModeIndex", 150},
    {Method, "AskIMG1ProcessBypassIndex", 154},
    {Method, "AskIMG1WhiteBalanceModeRange", 165},
    {Method, "AskIMG1ShdingCorrectionResultRange", 193},
    {Method, "AskIMG1ShadingCorrectionResultString", 194},
    {Method, "DoIMG1OnePushAWB", 195},
    {Method, "DoIMG1ShadingCorrection", 196},
    {Method, "AskIMG1ProcessBypassRange", 197},
    {Method, "AskIMG2ProcessBypassIndex", 215},
    {Method, "AskIMG2CenterMarkerString", 263},
    {Event, "IMG1ShutterModeChanged", 17},
    {Event, "IMG1TriggerPolarityChanged", 23},
    {Event, "IMG1TriggerInputChanged", 24},
    {Event, "IMG1WhiteBalanceModeChanged", 27},
    {Event, "IMG1KneeModeChanged", 38},
    {Event, "IMG1ShadingCorrectionModeChanged", 47},
    {Event, "IMG2KneeModeChanged", 73},
    {Event, "IMG2CenterMarkerChanged", 85},
    // common rows and camera information
    {Property, "FirmwareVersion", 8},
    {Property, "CameraID", 10},
    {Property, "UserID", 12},
    {Property, "EEPROMArea", 13},
    {Property, "HighFrameRate", 15},
    {Property, "ImageSynchronousString", 17},
    {Property, "AYBAreaString", 21},
    {Method, "AskHighFrameRateString", 137},
    {Method, "AskImagerSynchroModeRange", 138},
    {Method, "AskEEPROMAreaString", 141},
    {Method, "AskVBinningRange", 264},
    {Method, "AskOnePushAYBResultString", 269},
    {Method, "DoOnePushAYB", 270},
    {Event, "ModelNameChanged", 6},
    {Event, "CameraIDChanged", 7},
    {Event, "FPGAVersionChanged", 9},
    {Event, "UserIDChanged", 10},
    {Event, "EEPROMAreaChanged", 13},
    {Event, "VBinningChanged", 14},
    // further properties
    {Property, "ShowAboutWindow", 1},
    {Property, "ShowImage2Window", 5},
    {Property, "CommClass", 6},
    {Property, "CommPort", 7},
    // methods not bound to a row
    {Method, "AboutBox", -552},
    {Method, "CheckOnline", 132},
    {Method, "CheckReceiving", 135},
    {Method, "IsColorImager", 272},
    {Method, "ReadCurrentEEPROMAreaString", 274},
    {Method, "LoadSettings", 275},
    {Method, "WriteCameraDataToFile", 281},
    {Method, "AskCommPortString", 285},
    {Method, "AutoSelectCommunication", 287},
    // status events
    {Event, "OnlineStatusChanged", 1},
    {Event, "SendingToCameraStatusChanged", 3},
    {Event, "CommPortChanged", 5},
};

TEST(AutomationMembers, TabledNamesAndDispids)
{
    for (const Tabled& t : kTabled) {
        const AutomationMember* m = FindMember(t.kind, t.dispid);
        ASSERT_NE(m, nullptr) << t.name;
        EXPECT_EQ(m->Name(), t.name);
    }
    // The dispatch's own names of 154 and 215 find the type library's members.
    EXPECT_EQ(FindMember("AskIMG1ProcessBypassIndexRange"), FindMember(Method, 154));
    EXPECT_EQ(FindMember("askimg2processbypassindexrange"), FindMember(Method, 215));
    // Names that look like the pattern but are not members, and near misses.
    for (const char* name :
         {"HighFrameRateString", "AskIMG1WhiteBalanceRange", "AskIMG1ShadingCorrectionResultRange",
          "EEPROMAreaIndex", "IMG1ShutterSpee", "IMG1ShutterSpeedX", ""})
        EXPECT_EQ(FindMember(name), nullptr) << name;
}

TEST(AutomationMembers, RowEventsAndReadOnlyPropertiesAreExactlyTheListedOnes)
{
    const std::set<int32_t> withoutEvent = {P_EB,  P_ST,   P_HP,   P_ULCK, P_AW1, P_AWR1,
                                            P_RS1, P_RSS1, P_AW2,  P_AWR2, P_RS2, P_RSS2,
                                            P_AYB, P_AYR,  P_AREA, P_LD,   P_SA};
    int32_t rowEvents = 0;
    for (int32_t row = 0; row < PARAMETER_COUNT; ++row) {
        const AutomationMember* event = FindRowEvent(row);
        EXPECT_EQ(event == nullptr, withoutEvent.count(row) == 1) << row;
        if (event != nullptr) {
            EXPECT_EQ(event->kind, Event);
            EXPECT_EQ(event->row, row);
            ++rowEvents;
        }
    }
    EXPECT_EQ(rowEvents, 78);
    // The current area's event, not the chosen area's.
    EXPECT_EQ(FindRowEvent(P_EA), FindMember("EEPROMAreaChanged"));
    EXPECT_EQ(FindRowEvent(-1), nullptr);
    EXPECT_EQ(FindRowEvent(PARAMETER_COUNT), nullptr);

    std::set<std::string> readOnly;
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.readOnly)
            readOnly.insert(std::string(m.Name()));
    }
    EXPECT_EQ(readOnly, (std::set<std::string>{"CommClass", "CommPort", "FirmwareVersion",
                                               "FPGAVersion", "CameraID", "ModelName",
                                               "IMG1ImagerType", "IMG1ImagerTypeString",
                                               "IMG2ImagerType", "IMG2ImagerTypeString"}));
}

// Range results the interface documents, one sample for each pair of bounds.
struct TabledRange {
    const char* method;
    int32_t minimum;
    int32_t maximum;
};

const TabledRange kRanges[] = {
    {"AskIMG1ImagerTypeRange", 0, 7},
    {"AskIMG2ShutterSpeedRange", 0, 11},
    {"AskIMG1ProgrammableExposureRange", 0, 792},
    {"AskIMG1TriggerModeRange", 0, 6},
    {"AskIMG2TriggerModeRange", 0, 3},
    {"AskIMG1OutputSelectRange", 0, 4},
    {"AskIMG2WhiteBalanceModeRange", 0, 5},
    {"AskIMG1GainMasterRange", -84, 336},
    {"AskIMG2GainBlueRange", -1023, 1024},
    {"AskIMG1AWBAreaRange", 0, 9},
    {"AskIMG2AGCReferenceRange", 0, 1023},
    {"AskIMG1SetupLevelYRange", -128, 256},
    {"AskIMG2KneeSlopeRedRange", 0, 4095},
    {"AskIMG1ShdingCorrectionResultRange", 0, 4},
    {"AskIMG2CenterMarkerRange", 0, 3},
    {"AskImagerSynchroModeRange", 0, 1},
    {"AskAYBAreaRange", 0, 3},
    {"AskEEPROMAreaRange", 0, 3},
};

TEST(AutomationMembers, RowMembersFitTheirRows)
{
    for (const TabledRange& r : kRanges) {
        const AutomationMember* m = FindMember(r.method);
        ASSERT_NE(m, nullptr) << r.method;
        EXPECT_EQ(m->behaviour, MemberBehaviour::RowRange) << r.method;
        const ParameterEntry* row = FindParameter(m->row);
        ASSERT_NE(row, nullptr) << r.method;
        EXPECT_EQ(row->minimum, r.minimum) << r.method;
        EXPECT_EQ(row->maximum, r.maximum) << r.method;
    }

    using B = MemberBehaviour;
    std::set<int32_t> indexRows;
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.behaviour == B::Special) {
            EXPECT_NE(m.special, SpecialOp::None) << m.Name();
            continue;
        }
        const ParameterEntry* row = FindParameter(m.row);
        ASSERT_NE(row, nullptr) << m.Name();
        const bool hasItems = row->itemCount > 0;
        switch (m.behaviour) {
        case B::RowValue:
            EXPECT_FALSE(row->Has(PF_STRING)) << m.Name();
            EXPECT_EQ(m.type, VarType::I4) << m.Name();
            break;
        case B::RowText:
            EXPECT_TRUE(hasItems || row->Has(PF_STRING)) << m.Name();
            EXPECT_EQ(m.type, VarType::BStr) << m.Name();
            break;
        case B::RowIndex:
        case B::RowIndexRange:
            indexRows.insert(m.row);
            [[fallthrough]];
        case B::RowItemString:
            EXPECT_TRUE(hasItems) << m.Name();
            break;
        default:
            break;
        }
    }
    // The index forms exist exactly for TR1, TR2, OS1, OS2, PBY1 and PBY2.
    EXPECT_EQ(indexRows, (std::set<int32_t>{P_TR1, P_TR2, P_OS1, P_OS2, P_PBY1, P_PBY2}));

    EXPECT_EQ(FindMember("EEPROMArea")->row, P_AREA);
    EXPECT_EQ(FindMember("CameraID")->behaviour, B::RowText);
    EXPECT_EQ(FindMember("UserID")->special, SpecialOp::UserId);
    EXPECT_EQ(FindMember("UserID")->row, P_UD);
    const AutomationMember* shading2 = FindMember("DoIMG2ShadingCorrection");
    EXPECT_EQ(shading2->special, SpecialOp::ShadingRecalibration);
    EXPECT_EQ(shading2->row, P_RS2);
    EXPECT_EQ(FindMember("ReadCurrentEEPROMAreaString")->row, P_EA);
}

TEST(AutomationMembers, Signatures)
{
    const std::pair<const char*, const char*> signatures[] = {
        {"IMG1ShutterSpeed", "I4 IMG1ShutterSpeed"},
        {"ShowAboutWindow", "BOOL ShowAboutWindow"},
        {"CameraID", "BSTR CameraID (read-only)"},
        {"AskIMG2ShutterSpeedString", "BSTR AskIMG2ShutterSpeedString(I4 nIndex)"},
        {"AutoSelectCommunication",
         "I4 AutoSelectCommunication(PTR(I4) pnClass, PTR(I4) pnPort, I4 nShowProgressBar)"},
        {"DoIMG2ShadingCorrection",
         "I4 DoIMG2ShadingCorrection(PTR(I4) pnResult, I4 nShowResultMessage)"},
        {"AskCommPortString", "BSTR AskCommPortString(I4 nClass, I4 nIndex)"},
        {"WriteAllToFile", "I4 WriteAllToFile(BSTR bstrFileName)"},
        {"CheckOnline", "BOOL CheckOnline()"},
        {"AboutBox", "VOID AboutBox()"},
        {"IMG1ShutterSpeedChanged", "VOID IMG1ShutterSpeedChanged()"},
    };
    for (const auto& [name, signature] : signatures)
        EXPECT_EQ(FormatSignature(*FindMember(name)), signature);
    EXPECT_STREQ(MemberKindName(Property), "property");
    EXPECT_STREQ(MemberKindName(Method), "method");
    EXPECT_STREQ(MemberKindName(Event), "event");
}

TEST(AutomationTypes, VariantConversions)
{
    EXPECT_EQ(Variant().Type(), VarType::Void);
    EXPECT_EQ(Variant(5).Type(), VarType::I4);
    EXPECT_EQ(Variant(true).Type(), VarType::Bool);
    EXPECT_EQ(Variant("x").Type(), VarType::BStr);

    EXPECT_EQ(Variant(true).ToI4(), kAutomationTrue);
    EXPECT_EQ(Variant(false).ToI4(), kAutomationFalse);
    EXPECT_EQ(Variant(-7).ToBool(), true);
    EXPECT_EQ(Variant(0).ToBool(), false);
    EXPECT_EQ(Variant("-12").ToI4(), -12);
    EXPECT_EQ(Variant("12 ").ToI4(), std::nullopt);
    EXPECT_EQ(Variant("TRUE").ToBool(), true);
    EXPECT_EQ(Variant("yes").ToBool(), std::nullopt);
    EXPECT_EQ(Variant().ToI4(), std::nullopt);
    EXPECT_EQ(Variant().ToBStr(), std::nullopt);
    EXPECT_EQ(Variant(42).ToBStr(), "42");

    EXPECT_EQ(Variant(-3).ToText(), "-3");
    EXPECT_EQ(Variant(true).ToText(), "true");
    EXPECT_EQ(Variant(false).ToText(), "false");
    EXPECT_EQ(Variant("User 1 Data").ToText(), "User 1 Data");
    EXPECT_EQ(Variant().ToText(), "");
}

TEST(AutomationTypes, ParseFromText)
{
    EXPECT_EQ(Variant::Parse(VarType::I4, "-84"), Variant(-84));
    for (const char* bad : {"", "+5", "0x10", "2147483648", "99999999999"})
        EXPECT_EQ(Variant::Parse(VarType::I4, bad), std::nullopt) << bad;
    for (const char* yes : {"true", "True", "1", "-1"})
        EXPECT_EQ(Variant::Parse(VarType::Bool, yes), Variant(true)) << yes;
    for (const char* no : {"false", "FALSE", "0"})
        EXPECT_EQ(Variant::Parse(VarType::Bool, no), Variant(false)) << no;
    EXPECT_EQ(Variant::Parse(VarType::Bool, "2"), std::nullopt);
    EXPECT_EQ(Variant::Parse(VarType::BStr, "a=b c"), Variant("a=b c"));
    EXPECT_EQ(Variant::Parse(VarType::BStr, ""), Variant(""));
    EXPECT_EQ(Variant::Parse(VarType::PtrI4, "1"), std::nullopt);
    EXPECT_EQ(Variant::Parse(VarType::Void, ""), std::nullopt);
    EXPECT_STREQ(VarTypeName(VarType::PtrI4), "PTR(I4)");
}

TEST(AutomationTypes, EveryTypeIsSpelledForSignaturesPythonAndTheBus)
{
    struct Expected {
        VarType type;
        const char* name;
        const char* python;
        const char* bus;
    };
    const Expected rows[] = {
        {VarType::Void, "VOID", "None", ""},     {VarType::I4, "I4", "int", "i"},
        {VarType::Bool, "BOOL", "bool", "b"},    {VarType::BStr, "BSTR", "str", "s"},
        {VarType::PtrI4, "PTR(I4)", "int", "i"},
    };
    for (const Expected& row : rows) {
        const VarTypeSpelling& spelling = SpellingOf(row.type);
        EXPECT_EQ(spelling.type, row.type) << row.name;
        EXPECT_STREQ(spelling.name, row.name);
        EXPECT_STREQ(VarTypeName(row.type), row.name);
        EXPECT_STREQ(spelling.python, row.python) << row.name;
        EXPECT_STREQ(spelling.bus, row.bus) << row.name;
    }
    // A value outside the enum (a corrupted member row) is spelled as unknown, never read past
    // the table.
    const VarTypeSpelling& unknown = SpellingOf(static_cast<VarType>(200));
    EXPECT_STREQ(unknown.name, "?");
    EXPECT_STREQ(unknown.python, "None");
    EXPECT_STREQ(unknown.bus, "");
}

} // namespace
} // namespace zr
