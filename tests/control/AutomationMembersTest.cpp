#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "camera/ParameterTable.h"
#include "control/AutomationMembers.h"

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

TEST(AutomationMembers, CountsOrderAndUniqueness)
{
    EXPECT_EQ(CountMembers(Property), 129);
    EXPECT_EQ(CountMembers(Method), 155);
    EXPECT_EQ(CountMembers(Event), 83);
    EXPECT_EQ(AutomationMembers().size(), 129u + 155u + 83u);

    std::set<std::pair<MemberKind, int32_t>> dispids;
    std::set<std::string> names;
    const AutomationMember* previous = nullptr;
    for (const AutomationMember& m : AutomationMembers()) {
        EXPECT_TRUE(dispids.insert({m.kind, m.dispid}).second) << m.Name();
        EXPECT_TRUE(names.insert(Lowered(m.Name())).second) << m.Name();
        if (previous != nullptr) {
            EXPECT_TRUE(previous->kind < m.kind ||
                        (previous->kind == m.kind && previous->dispid < m.dispid))
                << m.Name();
        }
        previous = &m;
        if (m.kind == Event) {
            EXPECT_EQ(m.type, VarType::Void) << m.Name();
            EXPECT_EQ(m.argumentCount, 0) << m.Name();
        }
        EXPECT_TRUE(m.kind == Property || !m.readOnly) << m.Name();
    }
    // The dispids left free inside the numbered blocks.
    EXPECT_EQ(FindMember(Property, 35), nullptr);
    EXPECT_EQ(FindMember(Property, 90), nullptr);
    EXPECT_EQ(FindMember(Method, 155), nullptr);
    EXPECT_EQ(FindMember(Method, 216), nullptr);
    EXPECT_EQ(FindMember(Event, 22), nullptr);
    EXPECT_EQ(FindMember(Event, 57), nullptr);
    EXPECT_EQ(FindMember(Property, 132), nullptr);
    EXPECT_EQ(FindMember(Event, 86), nullptr);
}

TEST(AutomationMembers, EveryImager1MemberHasItsImager2Twin)
{
    // Imager 2 dispids lie a fixed distance above imager 1 in each kind.
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
        EXPECT_EQ(twin->type, m.type) << m.Name();
        EXPECT_EQ(twin->readOnly, m.readOnly) << m.Name();
        EXPECT_EQ(twin->behaviour, m.behaviour) << m.Name();
        EXPECT_EQ(twin->special, m.special) << m.Name();
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

// Samples of every table of the interface, exact names included.
const Tabled kTabled[] = {
    // imager rows, both imagers
    {Property, "IMG1ImagerType", 22},
    {Property, "IMG2ImagerTypeString", 78},
    {Method, "AskIMG2ImagerTypeString", 204},
    {Event, "IMG1ShutterModeChanged", 17},
    {Property, "IMG2ShutterSpeed", 81},
    {Method, "AskIMG1ShutterSpeedRange", 146},
    {Method, "AskIMG2ProgrammableExposureRange", 209},
    {Property, "IMG1TriggerModeIndex", 30},
    {Property, "IMG2TriggerModeString", 86},
    {Method, "AskIMG1TriggerModeIndex", 150},
    {Method, "AskIMG2TriggerModeIndex", 211},
    {Event, "IMG2SmearlessChanged", 56},
    {Property, "IMG1TriggerInput", 38},
    {Event, "IMG1TriggerInputChanged", 24},
    {Method, "AskIMG2TriggerPolarityString", 218},
    {Event, "IMG1TriggerPolarityChanged", 23},
    {Method, "AskIMG1ScanningFormatRange", 160},
    {Property, "IMG2OutputSelectIndex", 98},
    {Method, "AskIMG1OutputSelectIndex", 163},
    {Property, "IMG1WhiteBalance", 45},
    {Property, "IMG2WhiteBalanceString", 101},
    {Method, "AskIMG1WhiteBalanceModeRange", 165},
    {Method, "AskIMG2WhiteBalanceModeString", 227},
    {Event, "IMG1WhiteBalanceModeChanged", 27},
    {Event, "IMG2WhiteBalanceModeChanged", 62},
    {Property, "IMG1GainMaster", 47},
    {Method, "AskIMG2GainRedRange", 229},
    {Event, "IMG1GainBlueChanged", 30},
    {Method, "AskIMG1OnePushAWBResultRange", 170},
    {Method, "AskIMG2OnePushAWBResultString", 232},
    {Property, "IMG2AWBAreaString", 106},
    {Property, "IMG1AGCSelect", 56},
    {Event, "IMG2AGCReferenceChanged", 72},
    {Property, "IMG1SetupLevelGreen", 52},
    {Method, "AskIMG2SetupLevelYRange", 238},
    {Property, "IMG1Knee", 59},
    {Property, "IMG2KneeString", 115},
    {Method, "AskIMG1KneeRange", 181},
    {Event, "IMG1KneeModeChanged", 38},
    {Event, "IMG2KneeModeChanged", 73},
    {Property, "IMG1KneeSlopeY", 64},
    {Method, "AskIMG2KneePointBlueRange", 250},
    {Event, "IMG2KneePointYChanged", 81},
    {Property, "IMG1ShadingCorrection", 69},
    {Property, "IMG2ShadingCorrectionString", 125},
    {Method, "AskIMG1ShadingCorrectionModeRange", 191},
    {Method, "AskIMG2ShadingCorrectionModeString", 253},
    {Event, "IMG1ShadingCorrectionModeChanged", 47},
    {Method, "AskIMG1ShdingCorrectionResultRange", 193},
    {Method, "AskIMG2ShdingCorrectionResultRange", 254},
    {Method, "AskIMG1ShadingCorrectionResultString", 194},
    {Method, "AskIMG2ShadingCorrectionResultString", 255},
    {Property, "IMG1ProcessBypassIndex", 34},
    {Property, "IMG2ProcessBypassIndex", 89},
    {Property, "IMG2ProcessBypass", 126},
    {Method, "AskIMG1ProcessBypassIndex", 154},
    {Method, "AskIMG2ProcessBypassIndex", 215},
    {Method, "AskIMG2ProcessBypassString", 259},
    {Event, "IMG1ProcessBypassChanged", 48},
    {Property, "IMG1RCTFVALTypeString", 74},
    {Method, "AskIMG2RCTFVALTypeRange", 260},
    {Property, "IMG2CenterMarkerString", 131},
    {Method, "AskIMG2CenterMarkerString", 263},
    {Event, "IMG2CenterMarkerChanged", 85},
    {Method, "DoIMG1OnePushAWB", 195},
    {Method, "DoIMG2OnePushAWB", 256},
    {Method, "DoIMG1ShadingCorrection", 196},
    {Method, "DoIMG2ShadingCorrection", 257},
    // common rows and camera information
    {Property, "HighFrameRate", 15},
    {Method, "AskHighFrameRateString", 137},
    {Event, "HighFrameRateChanged", 11},
    {Property, "ImageSynchronousString", 17},
    {Method, "AskImagerSynchroModeRange", 138},
    {Method, "AskImagerSynchroModeString", 139},
    {Event, "ImageSynchronousChanged", 12},
    {Property, "VBinningString", 19},
    {Method, "AskVBinningRange", 264},
    {Event, "VBinningChanged", 14},
    {Property, "AYBArea", 20},
    {Method, "AskAYBAreaString", 267},
    {Method, "AskOnePushAYBResultRange", 268},
    {Method, "AskOnePushAYBResultString", 269},
    {Property, "EEPROMArea", 13},
    {Property, "EEPROMAreaString", 14},
    {Method, "AskEEPROMAreaRange", 140},
    {Method, "AskEEPROMAreaString", 141},
    {Event, "EEPROMAreaChanged", 13},
    {Property, "FirmwareVersion", 8},
    {Event, "FirmwareVersionChanged", 8},
    {Property, "FPGAVersion", 9},
    {Event, "FPGAVersionChanged", 9},
    {Property, "CameraID", 10},
    {Event, "CameraIDChanged", 7},
    {Property, "ModelName", 11},
    {Event, "ModelNameChanged", 6},
    {Property, "UserID", 12},
    {Event, "UserIDChanged", 10},
    // further properties
    {Property, "ShowAboutWindow", 1},
    {Property, "ShowCommunicationWindow", 2},
    {Property, "ShowControlWindow", 3},
    {Property, "ShowImage1Window", 4},
    {Property, "ShowImage2Window", 5},
    {Property, "CommClass", 6},
    {Property, "CommPort", 7},
    // methods not bound to a row
    {Method, "AboutBox", -552},
    {Method, "CheckOnline", 132},
    {Method, "CheckSynchronized", 133},
    {Method, "CheckSending", 134},
    {Method, "CheckReceiving", 135},
    {Method, "DoOnePushAYB", 270},
    {Method, "IsSameImager", 271},
    {Method, "IsColorImager", 272},
    {Method, "ReadCurrentEEPROMArea", 273},
    {Method, "ReadCurrentEEPROMAreaString", 274},
    {Method, "LoadSettings", 275},
    {Method, "StoreSettings", 276},
    {Method, "ReadAllFromCamera", 277},
    {Method, "WriteAllToCamera", 278},
    {Method, "ReadAllFromFile", 279},
    {Method, "WriteAllToFile", 280},
    {Method, "WriteCameraDataToFile", 281},
    {Method, "AskCommClassRange", 282},
    {Method, "AskCommClassString", 283},
    {Method, "AskCommPortRange", 284},
    {Method, "AskCommPortString", 285},
    {Method, "StartCommunication", 286},
    {Method, "AutoSelectCommunication", 287},
    // status events
    {Event, "OnlineStatusChanged", 1},
    {Event, "SynchronizationStatusChanged", 2},
    {Event, "SendingToCameraStatusChanged", 3},
    {Event, "ReceivingFromCameraStatusChanged", 4},
    {Event, "CommPortChanged", 5},
};

TEST(AutomationMembers, TabledNamesAndDispids)
{
    for (const Tabled& t : kTabled) {
        const AutomationMember* byName = FindMember(t.name);
        ASSERT_NE(byName, nullptr) << t.name;
        EXPECT_EQ(byName->Name(), t.name);
        EXPECT_EQ(byName->kind, t.kind) << t.name;
        EXPECT_EQ(byName->dispid, t.dispid) << t.name;
        EXPECT_EQ(FindMember(t.kind, t.dispid), byName) << t.name;
    }
    // Names that look like the pattern but are not members.
    EXPECT_EQ(FindMember("HighFrameRateString"), nullptr);
    EXPECT_EQ(FindMember("AskIMG1WhiteBalanceRange"), nullptr);
    EXPECT_EQ(FindMember("AskIMG1ShadingCorrectionResultRange"), nullptr);
    EXPECT_EQ(FindMember("EEPROMAreaIndex"), nullptr);
}

TEST(AutomationMembers, LookupIgnoresLetterCaseAndKnowsTheDispatchNames)
{
    const AutomationMember* speed = FindMember("IMG1ShutterSpeed");
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(FindMember("img1shutterspeed"), speed);
    EXPECT_EQ(FindMember("IMG1SHUTTERSPEED"), speed);
    EXPECT_EQ(FindMember("IMG1ShutterSpee"), nullptr);
    EXPECT_EQ(FindMember("IMG1ShutterSpeedX"), nullptr);
    EXPECT_EQ(FindMember(""), nullptr);

    // The dispatch's names and the type library's names of dispids 154 and 215.
    const AutomationMember* bypass1 = FindMember(Method, 154);
    const AutomationMember* bypass2 = FindMember(Method, 215);
    ASSERT_NE(bypass1, nullptr);
    ASSERT_NE(bypass2, nullptr);
    EXPECT_EQ(FindMember("AskIMG1ProcessBypassIndexRange"), bypass1);
    EXPECT_EQ(FindMember("askimg2processbypassindexrange"), bypass2);
    EXPECT_EQ(FindMember("AskIMG1ProcessBypassIndex"), bypass1);
    EXPECT_EQ(FindMember("AskIMG2ProcessBypassIndex"), bypass2);

    // One dispid, three kinds.
    EXPECT_EQ(FindMember(Property, 1)->Name(), "ShowAboutWindow");
    EXPECT_EQ(FindMember(Event, 1)->Name(), "OnlineStatusChanged");
    EXPECT_EQ(FindMember(Method, -552)->Name(), "AboutBox");

    const AutomationMember* online = FindSpecialMember(Event, SpecialOp::OnlineStatusChanged);
    ASSERT_NE(online, nullptr);
    EXPECT_EQ(online->dispid, 1);
    EXPECT_EQ(FindSpecialMember(Event, SpecialOp::CommPortChanged)->dispid, 5);
    EXPECT_EQ(FindSpecialMember(Method, SpecialOp::OnlineStatusChanged), nullptr);
}

TEST(AutomationMembers, RowEventsExistExactlyForTheRowsThatHaveOne)
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
    EXPECT_EQ(FindRowEvent(P_EA)->Name(), "EEPROMAreaChanged");
    EXPECT_EQ(FindRowEvent(P_MD)->Name(), "ModelNameChanged");
    EXPECT_EQ(FindRowEvent(P_KN2)->Name(), "IMG2KneeModeChanged");
    EXPECT_EQ(FindRowEvent(-1), nullptr);
    EXPECT_EQ(FindRowEvent(PARAMETER_COUNT), nullptr);
}

TEST(AutomationMembers, ReadOnlyPropertiesAreExactlyTheListedOnes)
{
    std::set<std::string> readOnly;
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.readOnly)
            readOnly.insert(std::string(m.Name()));
    }
    const std::set<std::string> expected = {"CommClass",       "CommPort",
                                            "FirmwareVersion", "FPGAVersion",
                                            "CameraID",        "ModelName",
                                            "IMG1ImagerType",  "IMG1ImagerTypeString",
                                            "IMG2ImagerType",  "IMG2ImagerTypeString"};
    EXPECT_EQ(readOnly, expected);
}

// The range results the interface documents, which the range methods take from their rows.
struct TabledRange {
    const char* method; // imager 1 name; its imager 2 twin has the same range unless stated
    int32_t minimum;
    int32_t maximum;
    int32_t imager2Maximum = -1;
};

const TabledRange kRanges[] = {
    {"AskIMG1ImagerTypeRange", 0, 7},
    {"AskIMG1ShutterModeRange", 0, 1},
    {"AskIMG1ShutterSpeedRange", 0, 11},
    {"AskIMG1ProgrammableExposureRange", 0, 792},
    {"AskIMG1TriggerModeRange", 0, 6, 3},
    {"AskIMG1SmearlessRange", 0, 1},
    {"AskIMG1TriggerInputRange", 0, 1},
    {"AskIMG1TriggerPolarityRange", 0, 1},
    {"AskIMG1ScanningFormatRange", 0, 3},
    {"AskIMG1OutputSelectRange", 0, 4},
    {"AskIMG1WhiteBalanceModeRange", 0, 5},
    {"AskIMG1GainMasterRange", -84, 336},
    {"AskIMG1GainRedRange", -1023, 1024},
    {"AskIMG1GainBlueRange", -1023, 1024},
    {"AskIMG1OnePushAWBResultRange", 0, 4},
    {"AskIMG1AWBAreaRange", 0, 9},
    {"AskIMG1AGCSelectRange", 0, 1},
    {"AskIMG1AGCReferenceRange", 0, 1023},
    {"AskIMG1SetupLevelGreenRange", -128, 256},
    {"AskIMG1SetupLevelRedRange", -128, 256},
    {"AskIMG1SetupLevelBlueRange", -128, 256},
    {"AskIMG1SetupLevelYRange", -128, 256},
    {"AskIMG1KneeRange", 0, 1},
    {"AskIMG1KneeSlopeGreenRange", 0, 4095},
    {"AskIMG1KneeSlopeRedRange", 0, 4095},
    {"AskIMG1KneeSlopeBlueRange", 0, 4095},
    {"AskIMG1KneeSlopeYRange", 0, 4095},
    {"AskIMG1KneePointGreenRange", 0, 1023},
    {"AskIMG1KneePointRedRange", 0, 1023},
    {"AskIMG1KneePointBlueRange", 0, 1023},
    {"AskIMG1KneePointYRange", 0, 1023},
    {"AskIMG1ShadingCorrectionModeRange", 0, 3},
    {"AskIMG1ShdingCorrectionResultRange", 0, 4},
    {"AskIMG1ProcessBypassRange", 0, 3},
    {"AskIMG1RCTFVALTypeRange", 0, 1},
    {"AskIMG1CenterMarkerRange", 0, 3},
    {"AskHighFrameRateRange", 0, 1},
    {"AskImagerSynchroModeRange", 0, 1},
    {"AskVBinningRange", 0, 1},
    {"AskAYBAreaRange", 0, 3},
    {"AskOnePushAYBResultRange", 0, 4},
    {"AskEEPROMAreaRange", 0, 3},
};

TEST(AutomationMembers, RangeMethodsAreBoundToTheRowsWithTheDocumentedBounds)
{
    int32_t rangeMethods = 0;
    for (const TabledRange& r : kRanges) {
        std::string names[2] = {r.method, ""};
        if (std::string_view(r.method).find("IMG1") != std::string_view::npos)
            names[1] = ToImager2(r.method);
        for (int imager = 0; imager < 2 && !names[imager].empty(); ++imager) {
            const AutomationMember* m = FindMember(names[imager]);
            ASSERT_NE(m, nullptr) << names[imager];
            ++rangeMethods;
            EXPECT_EQ(m->behaviour, MemberBehaviour::RowRange) << names[imager];
            const ParameterEntry* row = FindParameter(m->row);
            ASSERT_NE(row, nullptr) << names[imager];
            EXPECT_EQ(row->minimum, r.minimum) << names[imager];
            int32_t maximum = imager == 1 && r.imager2Maximum >= 0 ? r.imager2Maximum : r.maximum;
            EXPECT_EQ(row->maximum, maximum) << names[imager];
        }
    }
    int32_t tableRangeMethods = 0;
    for (const AutomationMember& m : AutomationMembers())
        tableRangeMethods += m.behaviour == MemberBehaviour::RowRange ? 1 : 0;
    EXPECT_EQ(rangeMethods, tableRangeMethods);
}

TEST(AutomationMembers, RowMembersFitTheirRows)
{
    using B = MemberBehaviour;
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
        case B::RowItemString:
            EXPECT_TRUE(hasItems) << m.Name();
            break;
        default:
            break;
        }
    }
    // The index forms exist exactly for TR1, TR2, OS1, OS2, PBY1 and PBY2.
    std::set<int32_t> indexRows;
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.behaviour == B::RowIndex || m.behaviour == B::RowIndexRange)
            indexRows.insert(m.row);
    }
    EXPECT_EQ(indexRows, (std::set<int32_t>{P_TR1, P_TR2, P_OS1, P_OS2, P_PBY1, P_PBY2}));

    const AutomationMember* area = FindMember("EEPROMArea");
    EXPECT_EQ(area->row, P_AREA);
    EXPECT_EQ(area->behaviour, B::RowValue);
    EXPECT_EQ(FindMember("CameraID")->behaviour, B::RowText);
    const AutomationMember* user = FindMember("UserID");
    EXPECT_EQ(user->special, SpecialOp::UserId);
    EXPECT_EQ(user->row, P_UD);
    EXPECT_EQ(FindMember("ShowImage2Window")->panel, 5);
    EXPECT_EQ(FindMember("AboutBox")->panel, 1);
    const AutomationMember* awb2 = FindMember("DoIMG2OnePushAWB");
    EXPECT_EQ(awb2->special, SpecialOp::OnePushBalance);
    EXPECT_EQ(awb2->row, P_AW2);
    EXPECT_EQ(awb2->imager, 1);
    const AutomationMember* shading2 = FindMember("DoIMG2ShadingCorrection");
    EXPECT_EQ(shading2->special, SpecialOp::ShadingRecalibration);
    EXPECT_EQ(shading2->row, P_RS2);
    EXPECT_EQ(FindMember("DoOnePushAYB")->row, P_AYB);
    EXPECT_EQ(FindMember("ReadCurrentEEPROMAreaString")->row, P_EA);
}

TEST(AutomationMembers, Signatures)
{
    EXPECT_EQ(FormatSignature(*FindMember("IMG1ShutterSpeed")), "I4 IMG1ShutterSpeed");
    EXPECT_EQ(FormatSignature(*FindMember("ShowAboutWindow")), "BOOL ShowAboutWindow");
    EXPECT_EQ(FormatSignature(*FindMember("CameraID")), "BSTR CameraID (read-only)");
    EXPECT_EQ(FormatSignature(*FindMember("AskIMG1ShutterSpeedRange")),
              "I4 AskIMG1ShutterSpeedRange(I4 nMinMax)");
    EXPECT_EQ(FormatSignature(*FindMember("AskIMG2ShutterSpeedString")),
              "BSTR AskIMG2ShutterSpeedString(I4 nIndex)");
    EXPECT_EQ(FormatSignature(*FindMember("AutoSelectCommunication")),
              "I4 AutoSelectCommunication(PTR(I4) pnClass, PTR(I4) pnPort, I4 nShowProgressBar)");
    EXPECT_EQ(FormatSignature(*FindMember("DoIMG2ShadingCorrection")),
              "I4 DoIMG2ShadingCorrection(PTR(I4) pnResult, I4 nShowResultMessage)");
    EXPECT_EQ(FormatSignature(*FindMember("AskCommPortString")),
              "BSTR AskCommPortString(I4 nClass, I4 nIndex)");
    EXPECT_EQ(FormatSignature(*FindMember("WriteAllToFile")),
              "I4 WriteAllToFile(BSTR bstrFileName)");
    EXPECT_EQ(FormatSignature(*FindMember("CheckOnline")), "BOOL CheckOnline()");
    EXPECT_EQ(FormatSignature(*FindMember("AboutBox")), "VOID AboutBox()");
    EXPECT_EQ(FormatSignature(*FindMember("IMG1ShutterSpeedChanged")),
              "VOID IMG1ShutterSpeedChanged()");
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
    EXPECT_EQ(Variant("2147483648").ToI4(), std::nullopt);
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
    EXPECT_EQ(Variant::Parse(VarType::I4, ""), std::nullopt);
    EXPECT_EQ(Variant::Parse(VarType::I4, "+5"), std::nullopt);
    EXPECT_EQ(Variant::Parse(VarType::I4, "0x10"), std::nullopt);
    EXPECT_EQ(Variant::Parse(VarType::I4, "99999999999"), std::nullopt);
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

} // namespace
} // namespace zr
