#include "automation/AutomationMembers.h"

#include <algorithm>

#include "camera/ParameterTable.h"

namespace zr
{

namespace
{

using enum MemberKind;
using enum SpecialOp;

// The members bound to one parameter row. Names follow the pattern of the interface:
//   value property   base                 text property        base + "String"
//   index property   base + "Index"       range method         "Ask" + base + "Range"
//   index range      "Ask" + base + "Index"
//   text method      "Ask" + base + "String"
//   change event     base + "Changed"
// A dispid of 0 means the row has no such member (no member of these kinds uses dispid 0).
struct RowMembers {
    int32_t row;
    const char* base;
    VarType valueType; // I4; BSTR for text rows, whose value property gives the mirrored text
    bool readOnly;     // applies to all properties of the row
    int16_t value, text, index;
    int16_t range, indexRange, string;
    int16_t event;
};

constexpr int16_t no = 0;
constexpr VarType I4 = VarType::I4;
constexpr VarType BSTR = VarType::BStr;
constexpr bool RO = true;
constexpr bool RW = false;

// Rows of imager 1; each member has an imager 2 twin (see the offsets below).
// clang-format off
constexpr RowMembers kImagerRows[] = {
    //  row      base                          type  access value text index  range irange string event
    {P_IM1,  "IMG1ImagerType",              I4, RO, 22, 23, no,  142, no,  143, 16},
    {P_SM1,  "IMG1ShutterMode",             I4, RW, 24, 25, no,  144, no,  145, 17},
    {P_SH1,  "IMG1ShutterSpeed",            I4, RW, 26, 27, no,  146, no,  147, 18},
    {P_PE1,  "IMG1ProgrammableExposure",    I4, RW, 28, no, no,  148, no,  no,  19},
    {P_TR1,  "IMG1TriggerMode",             I4, RW, 29, 31, 30,  149, 150, 151, 20},
    {P_SL1,  "IMG1Smearless",               I4, RW, 32, 33, no,  152, no,  153, 21},
    {P_TI1,  "IMG1TriggerInput",            I4, RW, 38, 39, no,  158, no,  159, 24},
    {P_TP1,  "IMG1TriggerPolarity",         I4, RW, 36, 37, no,  156, no,  157, 23},
    {P_SC1,  "IMG1ScanningFormat",          I4, RW, 40, 41, no,  160, no,  161, 25},
    {P_OS1,  "IMG1OutputSelect",            I4, RW, 42, 44, 43,  162, 163, 164, 26},
    {P_WB1,  "IMG1WhiteBalance",            I4, RW, 45, 46, no,  165, no,  166, 27},
    {P_GA1,  "IMG1GainMaster",              I4, RW, 47, no, no,  167, no,  no,  28},
    {P_GAR1, "IMG1GainRed",                 I4, RW, 48, no, no,  168, no,  no,  29},
    {P_GAB1, "IMG1GainBlue",                I4, RW, 49, no, no,  169, no,  no,  30},
    {P_AWR1, "IMG1OnePushAWBResult",        I4, RW, no, no, no,  170, no,  171, no},
    {P_WA1,  "IMG1AWBArea",                 I4, RW, 50, 51, no,  172, no,  173, 31},
    {P_AGC1, "IMG1AGCSelect",               I4, RW, 56, 57, no,  178, no,  179, 36},
    {P_AGR1, "IMG1AGCReference",            I4, RW, 58, no, no,  180, no,  no,  37},
    {P_BL1,  "IMG1SetupLevelGreen",         I4, RW, 52, no, no,  174, no,  no,  32},
    {P_BLR1, "IMG1SetupLevelRed",           I4, RW, 53, no, no,  175, no,  no,  33},
    {P_BLB1, "IMG1SetupLevelBlue",          I4, RW, 54, no, no,  176, no,  no,  34},
    {P_BLY1, "IMG1SetupLevelY",             I4, RW, 55, no, no,  177, no,  no,  35},
    {P_KN1,  "IMG1Knee",                    I4, RW, 59, 60, no,  181, no,  182, 38},
    {P_KSM1, "IMG1KneeSlopeGreen",          I4, RW, 61, no, no,  183, no,  no,  39},
    {P_KSR1, "IMG1KneeSlopeRed",            I4, RW, 62, no, no,  184, no,  no,  40},
    {P_KSB1, "IMG1KneeSlopeBlue",           I4, RW, 63, no, no,  185, no,  no,  41},
    {P_KSY1, "IMG1KneeSlopeY",              I4, RW, 64, no, no,  186, no,  no,  42},
    {P_KPM1, "IMG1KneePointGreen",          I4, RW, 65, no, no,  187, no,  no,  43},
    {P_KPR1, "IMG1KneePointRed",            I4, RW, 66, no, no,  188, no,  no,  44},
    {P_KPB1, "IMG1KneePointBlue",           I4, RW, 67, no, no,  189, no,  no,  45},
    {P_KPY1, "IMG1KneePointY",              I4, RW, 68, no, no,  190, no,  no,  46},
    {P_SDM1, "IMG1ShadingCorrection",       I4, RW, 69, 70, no,  191, no,  192, 47},
    {P_RSS1, "IMG1ShadingCorrectionResult", I4, RW, no, no, no,  193, no,  194, no},
    {P_PBY1, "IMG1ProcessBypass",           I4, RW, 71, 72, 34,  197, 154, 198, 48},
    {P_RF1,  "IMG1RCTFVALType",             I4, RW, 73, 74, no,  199, no,  200, 49},
    {P_CM1,  "IMG1CenterMarker",            I4, RW, 75, 76, no,  201, no,  202, 50},
};

// Rows common to both imagers and the camera information.
constexpr RowMembers kCommonRows[] = {
    {P_HF,   "HighFrameRate",               I4,   RW, 15, no, no,  136, no,  137, 11},
    {P_IS,   "ImageSynchronous",            I4,   RW, 16, 17, no,  138, no,  139, 12},
    {P_BI1,  "VBinning",                    I4,   RW, 18, 19, no,  264, no,  265, 14},
    {P_YA,   "AYBArea",                     I4,   RW, 20, 21, no,  266, no,  267, 15},
    {P_AYR,  "OnePushAYBResult",            I4,   RW, no, no, no,  268, no,  269, no},
    {P_AREA, "EEPROMArea",                  I4,   RW, 13, 14, no,  140, no,  141, no},
    // The current area's event carries the name of the chosen area's property; its methods
    // ReadCurrentEEPROMArea(String) are special members.
    {P_EA,   "EEPROMArea",                  I4,   RW, no, no, no,  no,  no,  no,  13},
    {P_VN,   "FirmwareVersion",             I4,   RO, 8,  no, no,  no,  no,  no,  8},
    {P_PV,   "FPGAVersion",                 I4,   RO, 9,  no, no,  no,  no,  no,  9},
    {P_ID,   "CameraID",                    BSTR, RO, 10, no, no,  no,  no,  no,  7},
    {P_MD,   "ModelName",                   BSTR, RO, 11, no, no,  no,  no,  no,  6},
    // The property UserID writes through the unlock sequence: a special member.
    {P_UD,   "UserID",                      BSTR, RW, no, no, no,  no,  no,  no,  10},
};
// clang-format on

// Members whose names differ from the pattern, by kind and dispid (imager 1 for the imager
// rows; the twin takes the same name with IMG2).
struct NameException {
    MemberKind kind;
    int16_t dispid;
    const char* name;
};

constexpr NameException kNameExceptions[] = {
    {Method, 138, "AskImagerSynchroModeRange"},
    {Method, 139, "AskImagerSynchroModeString"},
    {Method, 165, "AskIMG1WhiteBalanceModeRange"},
    {Method, 166, "AskIMG1WhiteBalanceModeString"},
    {Event, 27, "IMG1WhiteBalanceModeChanged"},
    {Event, 38, "IMG1KneeModeChanged"},
    {Method, 191, "AskIMG1ShadingCorrectionModeRange"},
    {Method, 192, "AskIMG1ShadingCorrectionModeString"},
    {Event, 47, "IMG1ShadingCorrectionModeChanged"},
    {Method, 193, "AskIMG1ShdingCorrectionResultRange"},
};

// The dispatch answers these names for the index range methods of PBY1 and PBY2, whose type
// library names are the table's names.
struct NameAlias {
    const char* name;
    MemberKind kind;
    int16_t dispid;
};

constexpr NameAlias kNameAliases[] = {
    {"AskIMG1ProcessBypassIndexRange", Method, 154},
    {"AskIMG2ProcessBypassIndexRange", Method, 215},
};

// Members with a behaviour of their own. Those with imager 0 get an imager 2 twin.
struct SpecialMember {
    MemberKind kind;
    const char* name;
    int16_t dispid;
    VarType type = VarType::Void;
    bool readOnly = false;
    SpecialOp special = None;
    std::array<AutomationArgument, kMaxMemberArguments> arguments{};
    int32_t row = -1;
    int8_t imager = -1;
    int8_t panel = -1;
};

constexpr AutomationArgument kMinMax{"nMinMax", VarType::I4};
constexpr AutomationArgument kIndex{"nIndex", VarType::I4};
constexpr AutomationArgument kClass{"nClass", VarType::I4};
constexpr AutomationArgument kFileName{"bstrFileName", VarType::BStr};
constexpr AutomationArgument kResultOut{"pnResult", VarType::PtrI4};
constexpr AutomationArgument kShowMessage{"nShowResultMessage", VarType::I4};

constexpr VarType BOOL = VarType::Bool;

// clang-format off
constexpr SpecialMember kSpecialMembers[] = {
    {.kind = Property, .name = "ShowAboutWindow", .dispid = 1, .type = BOOL, .special = PanelVisibility, .panel = 1},
    {.kind = Property, .name = "ShowCommunicationWindow", .dispid = 2, .type = BOOL, .special = PanelVisibility, .panel = 2},
    {.kind = Property, .name = "ShowControlWindow", .dispid = 3, .type = BOOL, .special = PanelVisibility, .panel = 3},
    {.kind = Property, .name = "ShowImage1Window", .dispid = 4, .type = BOOL, .special = PanelVisibility, .panel = 4},
    {.kind = Property, .name = "ShowImage2Window", .dispid = 5, .type = BOOL, .special = PanelVisibility, .panel = 5},
    {.kind = Property, .name = "CommClass", .dispid = 6, .type = I4, .readOnly = RO, .special = CommClass},
    {.kind = Property, .name = "CommPort", .dispid = 7, .type = I4, .readOnly = RO, .special = CommPort},
    {.kind = Property, .name = "UserID", .dispid = 12, .type = BSTR, .special = UserId, .row = P_UD},

    {.kind = Method, .name = "AboutBox", .dispid = -552, .special = AboutBox, .panel = 1},
    {.kind = Method, .name = "CheckOnline", .dispid = 132, .type = BOOL, .special = CheckOnline},
    {.kind = Method, .name = "CheckSynchronized", .dispid = 133, .type = BOOL, .special = CheckSynchronized},
    {.kind = Method, .name = "CheckSending", .dispid = 134, .type = BOOL, .special = CheckSending},
    {.kind = Method, .name = "CheckReceiving", .dispid = 135, .type = BOOL, .special = CheckReceiving},
    {.kind = Method, .name = "DoIMG1OnePushAWB", .dispid = 195, .type = I4, .special = OnePushBalance,
     .arguments = {kResultOut, kShowMessage}, .row = P_AW1, .imager = 0},
    {.kind = Method, .name = "DoIMG1ShadingCorrection", .dispid = 196, .type = I4, .special = ShadingRecalibration,
     .arguments = {kResultOut, kShowMessage}, .row = P_RS1, .imager = 0},
    {.kind = Method, .name = "DoOnePushAYB", .dispid = 270, .type = I4, .special = OnePushBalance,
     .arguments = {kResultOut, kShowMessage}, .row = P_AYB},
    {.kind = Method, .name = "IsSameImager", .dispid = 271, .type = BOOL, .special = IsSameImager},
    {.kind = Method, .name = "IsColorImager", .dispid = 272, .type = BOOL, .special = IsColorImager,
     .arguments = {{{"nImager", I4}}}},
    {.kind = Method, .name = "ReadCurrentEEPROMArea", .dispid = 273, .type = I4, .special = ReadCurrentArea, .row = P_EA},
    {.kind = Method, .name = "ReadCurrentEEPROMAreaString", .dispid = 274, .type = BSTR, .special = ReadCurrentAreaString, .row = P_EA},
    {.kind = Method, .name = "LoadSettings", .dispid = 275, .type = I4, .special = LoadSettings},
    {.kind = Method, .name = "StoreSettings", .dispid = 276, .type = I4, .special = StoreSettings},
    {.kind = Method, .name = "ReadAllFromCamera", .dispid = 277, .type = I4, .special = ReadAllFromCamera},
    {.kind = Method, .name = "WriteAllToCamera", .dispid = 278, .type = I4, .special = WriteAllToCamera},
    {.kind = Method, .name = "ReadAllFromFile", .dispid = 279, .type = I4, .special = ReadAllFromFile, .arguments = {kFileName}},
    {.kind = Method, .name = "WriteAllToFile", .dispid = 280, .type = I4, .special = WriteAllToFile, .arguments = {kFileName}},
    {.kind = Method, .name = "WriteCameraDataToFile", .dispid = 281, .type = I4, .special = WriteCameraDataToFile, .arguments = {kFileName}},
    {.kind = Method, .name = "AskCommClassRange", .dispid = 282, .type = I4, .special = AskCommClassRange, .arguments = {kMinMax}},
    {.kind = Method, .name = "AskCommClassString", .dispid = 283, .type = BSTR, .special = AskCommClassString, .arguments = {kIndex}},
    {.kind = Method, .name = "AskCommPortRange", .dispid = 284, .type = I4, .special = AskCommPortRange, .arguments = {kClass, kMinMax}},
    {.kind = Method, .name = "AskCommPortString", .dispid = 285, .type = BSTR, .special = AskCommPortString, .arguments = {kClass, kIndex}},
    {.kind = Method, .name = "StartCommunication", .dispid = 286, .type = I4, .special = StartCommunication,
     .arguments = {kClass, {"nPort", I4}}},
    {.kind = Method, .name = "AutoSelectCommunication", .dispid = 287, .type = I4, .special = AutoSelectCommunication,
     .arguments = {{{"pnClass", VarType::PtrI4}, {"pnPort", VarType::PtrI4}, {"nShowProgressBar", I4}}}},

    {.kind = Event, .name = "OnlineStatusChanged", .dispid = 1, .special = OnlineStatusChanged},
    {.kind = Event, .name = "SynchronizationStatusChanged", .dispid = 2, .special = SynchronizationStatusChanged},
    {.kind = Event, .name = "SendingToCameraStatusChanged", .dispid = 3, .special = SendingStatusChanged},
    {.kind = Event, .name = "ReceivingFromCameraStatusChanged", .dispid = 4, .special = ReceivingStatusChanged},
    {.kind = Event, .name = "CommPortChanged", .dispid = 5, .special = CommPortChanged},
};
// clang-format on

// An imager 2 member: dispid of its imager 1 twin plus the offset of its kind; row of its twin
// plus the distance between the two imager blocks of the parameter table.
constexpr int32_t kImager2DispidOffset[] = {55, 61, 35}; // by MemberKind
constexpr int32_t kImager2RowOffset = P_IM2 - P_IM1;

// The documented size of the interface; the build fails when the tables above disagree.
constexpr int32_t kDocumentedCount[] = {129, 155, 83}; // by MemberKind

constexpr size_t KindIndex(MemberKind kind)
{
    return static_cast<size_t>(kind);
}

constexpr size_t CountSlots(const RowMembers& r)
{
    size_t n = 0;
    for (int16_t dispid : {r.value, r.text, r.index, r.range, r.indexRange, r.string, r.event})
        n += dispid != no ? 1 : 0;
    return n;
}

constexpr size_t CountTableMembers()
{
    size_t n = 0;
    for (const RowMembers& r : kImagerRows)
        n += 2 * CountSlots(r);
    for (const RowMembers& r : kCommonRows)
        n += CountSlots(r);
    for (const SpecialMember& s : kSpecialMembers)
        n += s.imager == 0 ? 2 : 1;
    return n;
}

constexpr size_t kMemberCount = CountTableMembers();

struct MemberTable {
    std::array<AutomationMember, kMemberCount> members{};
    size_t count = 0;
    bool valid = true; // false when a name did not fit or an imager name lacks "IMG1"
    std::array<bool, std::size(kNameExceptions)> exceptionUsed{};
};

constexpr void Append(AutomationMember& m, size_t& length, const char* text, bool& valid)
{
    for (; *text != '\0'; ++text) {
        if (length >= kMaxMemberNameLength) {
            valid = false;
            return;
        }
        m.name[length++] = *text;
    }
    m.name[length] = '\0';
}

constexpr void SetName(MemberTable& t, AutomationMember& m, const char* prefix, const char* base,
                       const char* suffix)
{
    for (size_t i = 0; i < std::size(kNameExceptions); ++i) {
        if (kNameExceptions[i].kind == m.kind && kNameExceptions[i].dispid == m.dispid) {
            t.exceptionUsed[i] = true;
            prefix = "";
            base = kNameExceptions[i].name;
            suffix = "";
        }
    }
    size_t length = 0;
    Append(m, length, prefix, t.valid);
    Append(m, length, base, t.valid);
    Append(m, length, suffix, t.valid);
}

// Adds the member and, for an imager 1 member, its imager 2 twin.
constexpr void Add(MemberTable& t, const AutomationMember& m)
{
    t.members[t.count++] = m;
    if (m.imager != 0)
        return;
    AutomationMember twin = m;
    twin.imager = 1;
    twin.dispid += kImager2DispidOffset[KindIndex(m.kind)];
    if (twin.row >= 0)
        twin.row += kImager2RowOffset;
    std::string_view name = m.Name();
    size_t at = name.find("IMG1");
    if (at == std::string_view::npos)
        t.valid = false;
    else
        twin.name[at + 3] = '2';
    t.members[t.count++] = twin;
}

constexpr void AddRowMember(MemberTable& t, const RowMembers& r, int8_t imager, MemberKind kind,
                            int16_t dispid, VarType type, MemberBehaviour behaviour,
                            const char* prefix, const char* suffix,
                            const AutomationArgument* argument)
{
    if (dispid == no)
        return;
    AutomationMember m{};
    m.kind = kind;
    m.dispid = dispid;
    m.type = type;
    m.readOnly = kind == Property && r.readOnly;
    m.argumentCount = argument != nullptr ? 1 : 0;
    if (argument != nullptr)
        m.arguments[0] = *argument;
    m.behaviour = behaviour;
    m.special = None;
    m.row = r.row;
    m.imager = imager;
    m.panel = -1;
    SetName(t, m, prefix, r.base, suffix);
    Add(t, m);
}

constexpr void AddRow(MemberTable& t, const RowMembers& r, int8_t imager)
{
    using B = MemberBehaviour;
    const MemberBehaviour valueBehaviour = r.valueType == BSTR ? B::RowText : B::RowValue;
    AddRowMember(t, r, imager, Property, r.value, r.valueType, valueBehaviour, "", "", nullptr);
    AddRowMember(t, r, imager, Property, r.text, BSTR, B::RowText, "", "String", nullptr);
    AddRowMember(t, r, imager, Property, r.index, I4, B::RowIndex, "", "Index", nullptr);
    AddRowMember(t, r, imager, Method, r.range, I4, B::RowRange, "Ask", "Range", &kMinMax);
    AddRowMember(t, r, imager, Method, r.indexRange, I4, B::RowIndexRange, "Ask", "Index",
                 &kMinMax);
    AddRowMember(t, r, imager, Method, r.string, BSTR, B::RowItemString, "Ask", "String", &kIndex);
    AddRowMember(t, r, imager, Event, r.event, VarType::Void, B::RowEvent, "", "Changed", nullptr);
}

constexpr void AddSpecial(MemberTable& t, const SpecialMember& s)
{
    AutomationMember m{};
    m.kind = s.kind;
    m.dispid = s.dispid;
    m.type = s.type;
    m.readOnly = s.readOnly;
    m.arguments = s.arguments;
    m.argumentCount = 0;
    while (m.argumentCount < kMaxMemberArguments && m.arguments[m.argumentCount].name != nullptr)
        ++m.argumentCount;
    m.behaviour = MemberBehaviour::Special;
    m.special = s.special;
    m.row = s.row;
    m.imager = s.imager;
    m.panel = s.panel;
    SetName(t, m, "", s.name, "");
    Add(t, m);
}

constexpr bool Before(const AutomationMember& a, const AutomationMember& b)
{
    return a.kind != b.kind ? a.kind < b.kind : a.dispid < b.dispid;
}

constexpr MemberTable BuildTable()
{
    MemberTable t;
    for (const RowMembers& r : kImagerRows)
        AddRow(t, r, 0);
    for (const RowMembers& r : kCommonRows)
        AddRow(t, r, -1);
    for (const SpecialMember& s : kSpecialMembers)
        AddSpecial(t, s);
    std::sort(t.members.begin(), t.members.end(), Before);
    return t;
}

constexpr MemberTable kTable = BuildTable();

constexpr bool AllExceptionsUsed()
{
    return std::all_of(kTable.exceptionUsed.begin(), kTable.exceptionUsed.end(),
                       [](bool used) { return used; });
}

constexpr bool MatchesDocumentedCounts()
{
    std::array<int32_t, 3> counts{};
    for (const AutomationMember& m : kTable.members)
        ++counts[KindIndex(m.kind)];
    return counts[0] == kDocumentedCount[0] && counts[1] == kDocumentedCount[1] &&
           counts[2] == kDocumentedCount[2];
}

constexpr bool DispidsUniqueWithinKind()
{
    for (size_t i = 1; i < kTable.count; ++i) {
        const AutomationMember& a = kTable.members[i - 1];
        const AutomationMember& b = kTable.members[i];
        if (a.kind == b.kind && a.dispid == b.dispid)
            return false;
    }
    return true;
}

static_assert(kTable.valid, "a member name is too long or an imager name lacks IMG1");
static_assert(kTable.count == kMemberCount);
static_assert(AllExceptionsUsed(), "a name exception matches no member");
static_assert(MatchesDocumentedCounts(), "the member tables disagree with the interface's size");
static_assert(DispidsUniqueWithinKind(), "two members of one kind share a dispid");

constexpr char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

} // namespace

std::span<const AutomationMember> AutomationMembers()
{
    return kTable.members;
}

const AutomationMember* FindMember(std::string_view name)
{
    for (const AutomationMember& m : kTable.members) {
        if (EqualsNoCase(m.Name(), name))
            return &m;
    }
    for (const NameAlias& alias : kNameAliases) {
        if (EqualsNoCase(alias.name, name))
            return FindMember(alias.kind, alias.dispid);
    }
    return nullptr;
}

const AutomationMember* FindMember(MemberKind kind, int32_t dispid)
{
    auto it = std::lower_bound(
        kTable.members.begin(), kTable.members.end(), std::pair{kind, dispid},
        [](const AutomationMember& m, const std::pair<MemberKind, int32_t>& key) {
            return m.kind != key.first ? m.kind < key.first : m.dispid < key.second;
        });
    if (it == kTable.members.end() || it->kind != kind || it->dispid != dispid)
        return nullptr;
    return &*it;
}

const AutomationMember* FindRowEvent(int32_t row)
{
    for (const AutomationMember& m : kTable.members) {
        if (m.kind == Event && m.behaviour == MemberBehaviour::RowEvent && m.row == row)
            return &m;
    }
    return nullptr;
}

const AutomationMember* FindSpecialMember(MemberKind kind, SpecialOp special)
{
    for (const AutomationMember& m : kTable.members) {
        if (m.kind == kind && m.behaviour == MemberBehaviour::Special && m.special == special)
            return &m;
    }
    return nullptr;
}

int32_t CountMembers(MemberKind kind)
{
    return static_cast<int32_t>(
        std::count_if(kTable.members.begin(), kTable.members.end(),
                      [kind](const AutomationMember& m) { return m.kind == kind; }));
}

bool IsFileName(const AutomationArgument& argument)
{
    return std::string_view(argument.name) == kFileName.name;
}

const char* MemberKindName(MemberKind kind)
{
    switch (kind) {
    case Property:
        return "property";
    case Method:
        return "method";
    case Event:
        return "event";
    }
    return "?";
}

std::string FormatSignature(const AutomationMember& member)
{
    std::string text = VarTypeName(member.type);
    text += ' ';
    text += member.Name();
    if (member.kind == Property) {
        if (member.readOnly)
            text += " (read-only)";
        return text;
    }
    text += '(';
    bool first = true;
    for (const AutomationArgument& argument : member.Arguments()) {
        if (!first)
            text += ", ";
        first = false;
        text += VarTypeName(argument.type);
        text += ' ';
        text += argument.name;
    }
    text += ')';
    return text;
}

} // namespace zr
