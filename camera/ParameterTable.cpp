#include "camera/ParameterTable.h"

#include <cstddef>
#include <cstring>
#include <iterator>

namespace zr
{

namespace
{

// Condition trees are built from these templates: every distinct node is one constant object,
// and equal sub-trees are shared automatically.
template <int32_t Kind, int32_t A, int32_t B>
inline constexpr ConditionNode Leaf{Kind, A, B, nullptr, nullptr};
template <int32_t A, int32_t B> inline constexpr const ConditionNode& Eq = Leaf<COND_EQ, A, B>;
template <int32_t A, int32_t B> inline constexpr const ConditionNode& Ne = Leaf<COND_NE, A, B>;
template <int32_t A, int32_t B> inline constexpr const ConditionNode& Lt = Leaf<COND_LT, A, B>;
template <int32_t A, int32_t B> inline constexpr const ConditionNode& Le = Leaf<COND_LE, A, B>;
template <int32_t A, int32_t B> inline constexpr const ConditionNode& Gt = Leaf<COND_GT, A, B>;
template <int32_t A, int32_t B>
inline constexpr const ConditionNode& EqParam = Leaf<COND_EQ_PARAM, A, B>;

template <const ConditionNode& L, const ConditionNode& R>
inline constexpr ConditionNode And{COND_AND, 0, 0, &L, &R};
template <const ConditionNode& L, const ConditionNode& R>
inline constexpr ConditionNode Or{COND_OR, 0, 0, &L, &R};
template <const ConditionNode& L> inline constexpr ConditionNode Not{COND_NOT, 0, 0, &L, nullptr};

// "A in {v1, v2, ...}": equality tests joined by OR in the order written.
template <const ConditionNode& Acc, int32_t A, int32_t... Rest> struct OrChain {
    static constexpr const ConditionNode& node = Acc;
};
template <const ConditionNode& Acc, int32_t A, int32_t Next, int32_t... Rest>
struct OrChain<Acc, A, Next, Rest...> {
    static constexpr const ConditionNode& node = OrChain<Or<Acc, Eq<A, Next>>, A, Rest...>::node;
};
template <int32_t A, int32_t First, int32_t... Rest>
inline constexpr const ConditionNode& In = OrChain<Eq<A, First>, A, Rest...>::node;

constexpr ConditionNode True{COND_TRUE, 0, 0, nullptr, nullptr};
constexpr ConditionNode False{COND_FALSE, 0, 0, nullptr, nullptr};

// Shared sub-conditions.
constexpr const ConditionNode& SameImagers = EqParam<P_IM1, P_IM2>;
constexpr const ConditionNode& AnyColorImager = Or<Gt<P_IM1, 4>, Gt<P_IM2, 4>>;
constexpr const ConditionNode& ColorOut = Or<Eq<P_OS1, 4>, Eq<P_OS2, 4>>;
constexpr const ConditionNode& MonoOut1 = Or<Lt<P_OS1, 4>, In<P_OS2, 2, 3>>;
constexpr const ConditionNode& MonoOut2 = Or<Lt<P_OS2, 4>, In<P_OS1, 2, 3>>;
constexpr const ConditionNode& Tr1In130 = In<P_TR1, 1, 3, 0>;
// Imager 2 may run its own trigger only while the imagers run separately at normal frame rate.
constexpr const ConditionNode& Tr2Enabled = And<And<Not<Eq<P_IS, 0>>, Le<P_TR1, 3>>, Eq<P_HF, 0>>;
constexpr const ConditionNode& Sm2Enabled =
    And<In<P_TR2, 1, 3, 0>, And<And<Le<P_TR1, 3>, Eq<P_HF, 0>>, Or<Tr1In130, Ne<P_IS, 0>>>>;
constexpr const ConditionNode& SplitOutput = And<Le<P_TR1, 3>, Eq<P_IS, 0>>;

// Value-name lists. Rows that share a list share the same data.
constexpr ValueName L1[] = {{0, "Echo off", &True}, {1, "Echo on", &True}};
constexpr ValueName L2[] = {{0, "Monochrome", &True},
                            {1, "Monochrome2(Normal1)", &True},
                            {2, "Monochrome3(Normal2)", &True},
                            {3, "Monochrome4(Normal3)", &True},
                            {4, "Monochrome5(IR2)", &True},
                            {5, "Color", &True},
                            {6, "Color2", &True},
                            {7, "Color3", &True}};
constexpr ValueName L3[] = {{0, "Preset Shutter", &True}, {1, "Programmable Exposure", &True}};
constexpr ValueName L4[] = {
    {0, "1/30(Off)", &True}, {1, "1/60", &True},    {2, "1/100", &True},    {3, "1/120", &True},
    {4, "1/250", &True},     {5, "1/500", &True},   {6, "1/1000", &True},   {7, "1/2000", &True},
    {8, "1/4000", &True},    {9, "1/10000", &True}, {10, "1/16000", &True}, {11, "1/50000", &True}};
constexpr ValueName L5[] = {{0, "Normal", &True},      {1, "EPS", &True},
                            {2, "PWC", &True},         {3, "RCT", &True},
                            {4, "PIV1", &SameImagers}, {5, "PIV2", &SameImagers},
                            {6, "PIV3", &SameImagers}};
constexpr ValueName L6[] = {{0, "Off", &True}, {1, "On", &True}};
constexpr ValueName L7[] = {{0, "Camera-Link", &True}, {1, "Hirose 12Pin", &True}};
constexpr ValueName L8[] = {{0, "Active-Low", &True}, {1, "Active-High", &True}};
constexpr ValueName L9[] = {{0, "Full Frame", &True},
                            {1, "1/2 Partial", &True},
                            {2, "1/4 Partial", &True},
                            {3, "1/8 Partial", &True}};
constexpr ValueName L10[] = {{0, "10bit", &True},
                             {1, "8bit", &True},
                             {2, "10bit + 10bit", &SplitOutput},
                             {3, "8bit + 8bit", &SplitOutput},
                             {4, "Full Color", &AnyColorImager}};
constexpr ValueName L11[] = {{0, "Manual / One-Push AWB", &True},
                             {1, "Continuous AWB", &True},
                             {2, "4000K", &True},
                             {3, "4600K", &True},
                             {4, "5600K", &True},
                             {5, "3200K", &True}};
constexpr ValueName L12[] = {{0, "AWB Working...", &True},
                             {1, "AWB Succeeded", &True},
                             {2, "Error, Too Dark Green", &True},
                             {3, "Error, Too Light Green", &True},
                             {4, "Error, Timeout", &True}};
constexpr ValueName L13[] = {{0, "Full Area", &True},    {1, "Upper Left", &True},
                             {2, "Upper Middle", &True}, {3, "Upper Right", &True},
                             {4, "Middle Left", &True},  {5, "Middle", &True},
                             {6, "Middle Right", &True}, {7, "Lower Left", &True},
                             {8, "Lower Middle", &True}, {9, "Lower Right", &True}};
constexpr ValueName L14[] = {
    {0, "Off", &True}, {1, "Factory", &True}, {2, "User 1", &True}, {3, "User 2", &True}};
constexpr ValueName L15[] = {{0, "Working...", &True},
                             {1, "Succeeded", &True},
                             {2, "Error, Too Bright Image", &True},
                             {3, "Error, Too Dark Image", &True},
                             {4, "Error, Timeout", &True}};
constexpr ValueName L16[] = {{0, "Video", &True},
                             {1, "Bypass", &False},
                             {2, "TestPattern1", &True},
                             {3, "TestPattern2", &True}};
constexpr ValueName L17[] = {{0, "Camera Link", &True}, {1, "Korvel Standard", &True}};
constexpr ValueName L18[] = {
    {0, "Off", &True}, {1, "Vertical", &True}, {2, "Horizontal", &True}, {3, "Both", &True}};
constexpr ValueName L19[] = {
    {0, "Normal", &True}, {1, "EPS", &True}, {2, "PWC", &True}, {3, "RCT", &True}};
constexpr ValueName L20[] = {{0, "Synchronous", &True}, {1, "Separate", &True}};
constexpr ValueName L21[] = {
    {0, "Factory Data", &True}, {1, "User 1 Data", &True}, {2, "User 2 Data", &True}};

template <size_t N> constexpr int32_t Count(const ValueName (&)[N])
{
    return static_cast<int32_t>(N);
}

} // namespace

// flags, mnemonic, minimum, maximum, item count, items, enabled, available, set and query
// time-outs in milliseconds
// clang-format off
const std::array<ParameterEntry, PARAMETER_COUNT> kParameterTable = {{
    /*  0 */ {PF_NOLOG, "EB", 0, 1, Count(L1), L1, &True, nullptr, 400, 400}, // camera echo mode
    /*  1 */ {PF_READ | PF_NOBULK, "ST", 0, 0, 0, nullptr, &True, nullptr, 0, 400}, // camera status
    /*  2 */ {PF_READ | PF_NOBULK, "HP", 0, 0, 0, nullptr, &True, nullptr, 0, 400}, // online help
    /*  3 */ {PF_READ | PF_BULK, "VN", 0, 999, 0, nullptr, &True, nullptr, 0, 400}, // firmware version number
    /*  4 */ {PF_READ | PF_BULK, "PV", 0, 999, 0, nullptr, &True, nullptr, 0, 400}, // FPGA version number
    /*  5 */ {PF_STRING | PF_READ | PF_BULK, "ID", 0, 10, 0, nullptr, &True, nullptr, 0, 400}, // camera ID string
    /*  6 */ {PF_STRING | PF_READ | PF_BULK, "MD", 0, 10, 0, nullptr, &True, nullptr, 0, 400}, // model name string
    /*  7 */ {PF_STRING | PF_READ | PF_WRITE | PF_BULK, "UD", 0, 16, 0, nullptr, &True, nullptr, 1000, 400}, // user ID string
    /*  8 */ {PF_WRITE | PF_NOLOG, "ULCK", 0, 9999, 0, nullptr, &True, nullptr, 400, 0}, // access code that unlocks a write of `UD`
    /*  9 */ {PF_SETUP | PF_GOVERNING | PF_NOLOG, "IM1", 0, 7, Count(L2), L2, &True, nullptr, 0, 400}, // Imager 1: imager type
    /* 10 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "SM1", 0, 1, Count(L3), L3, &Tr1In130, nullptr, 400, 400}, // Imager 1: shutter mode
    /* 11 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "SH1", 0, 11, Count(L4), L4, &And<Tr1In130, Eq<P_SM1, 0>>, nullptr, 400, 400}, // Imager 1: preset shutter speed
    /* 12 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "PE1", 0, 792, 0, nullptr, &And<Tr1In130, Eq<P_SM1, 1>>, nullptr, 400, 400}, // Imager 1: programmable exposure
    /* 13 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "TR1", 0, 6, Count(L5), L5, &True, nullptr, 400, 400}, // Imager 1: trigger mode
    /* 14 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "SL1", 0, 1, Count(L6), L6, &In<P_TR1, 1, 2>, nullptr, 400, 400}, // Imager 1: smearless
    /* 15 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "TI1", 0, 1, Count(L7), L7, &Ne<P_TR1, 0>, nullptr, 400, 400}, // Imager 1: trigger input
    /* 16 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "TP1", 0, 1, Count(L8), L8, &Ne<P_TR1, 0>, nullptr, 400, 400}, // Imager 1: trigger polarity
    /* 17 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "SC1", 0, 3, Count(L9), L9, &Eq<P_BI1, 0>, nullptr, 1000, 1000}, // Imager 1: scanning format
    /* 18 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "OS1", 0, 4, Count(L10), L10, &True, nullptr, 400, 400}, // Imager 1: output select
    /* 19 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP | PF_GOVERNING, "WB1", 0, 5, Count(L11), L11, &ColorOut, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: white balance mode
    /* 20 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "GA1", -84, 336, 0, nullptr, &Eq<P_AGC1, 0>, nullptr, 400, 400}, // Imager 1: master gain (green)
    /* 21 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "GAR1", -1023, 1024, 0, nullptr, &And<Eq<P_AGC1, 0>, ColorOut>, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: red gain
    /* 22 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "GAB1", -1023, 1024, 0, nullptr, &And<Eq<P_AGC1, 0>, ColorOut>, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: blue gain
    /* 23 */ {PF_WRITE | PF_CONDITIONAL, "AW1", 0, 0, 0, nullptr, &ColorOut, &Gt<P_IM1, 4>, 5000, 0}, // Imager 1: start one-push auto white balance
    /* 24 */ {PF_READ | PF_CONDITIONAL, "AWR1", 0, 4, Count(L12), L12, &ColorOut, &Gt<P_IM1, 4>, 0, 5000}, // Imager 1: one-push auto white balance result
    /* 25 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "WA1", 0, 9, Count(L13), L13, &ColorOut, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: auto white balance area
    /* 26 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "AGC1", 0, 1, Count(L6), L6, &True, nullptr, 400, 400}, // Imager 1: AGC select
    /* 27 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "AGR1", 0, 1023, 0, nullptr, &Eq<P_AGC1, 1>, nullptr, 400, 400}, // Imager 1: AGC reference
    /* 28 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "BL1", -128, 256, 0, nullptr, &ColorOut, nullptr, 400, 400}, // Imager 1: green setup level
    /* 29 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "BLR1", -128, 256, 0, nullptr, &ColorOut, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: red setup level
    /* 30 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "BLB1", -128, 256, 0, nullptr, &ColorOut, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: blue setup level
    /* 31 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "BLY1", -128, 256, 0, nullptr, &MonoOut1, nullptr, 400, 400}, // Imager 1: setup level Y
    /* 32 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "KN1", 0, 1, Count(L6), L6, &Or<MonoOut1, Gt<P_IM1, 4>>, nullptr, 400, 400}, // Imager 1: knee on/off
    /* 33 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KSM1", 0, 4095, 0, nullptr, &And<Eq<P_KN1, 1>, ColorOut>, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: green knee slope
    /* 34 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KSR1", 0, 4095, 0, nullptr, &And<Eq<P_KN1, 1>, ColorOut>, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: red knee slope
    /* 35 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KSB1", 0, 4095, 0, nullptr, &And<Eq<P_KN1, 1>, ColorOut>, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: blue knee slope
    /* 36 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "KSY1", 0, 4095, 0, nullptr, &And<MonoOut1, Eq<P_KN1, 1>>, nullptr, 400, 400}, // Imager 1: knee slope Y
    /* 37 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KPM1", 0, 1023, 0, nullptr, &And<Eq<P_KN1, 1>, ColorOut>, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: green knee point
    /* 38 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KPR1", 0, 1023, 0, nullptr, &And<Eq<P_KN1, 1>, ColorOut>, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: red knee point
    /* 39 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KPB1", 0, 1023, 0, nullptr, &And<Eq<P_KN1, 1>, ColorOut>, &Gt<P_IM1, 4>, 400, 400}, // Imager 1: blue knee point
    /* 40 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "KPY1", 0, 1023, 0, nullptr, &And<MonoOut1, Eq<P_KN1, 1>>, nullptr, 400, 400}, // Imager 1: knee point Y
    /* 41 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "SDM1", 0, 3, Count(L14), L14, &True, nullptr, 800, 400}, // Imager 1: shading correction mode
    /* 42 */ {PF_WRITE, "RS1", 0, 1, 0, nullptr, &In<P_SDM1, 3, 2>, nullptr, 10000, 0}, // Imager 1: start shading calibration
    /* 43 */ {PF_READ, "RSS1", 0, 4, Count(L15), L15, &True, nullptr, 0, 10000}, // Imager 1: shading calibration result
    /* 44 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "PBY1", 0, 3, Count(L16), L16, &True, nullptr, 400, 400}, // Imager 1: process bypass
    /* 45 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "RF1", 0, 1, Count(L17), L17, &Eq<P_TR1, 3>, nullptr, 400, 400}, // Imager 1: RCT FVAL type
    /* 46 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "CM1", 0, 3, Count(L18), L18, &True, nullptr, 400, 400}, // Imager 1: center marker
    /* 47 */ {PF_SETUP | PF_GOVERNING | PF_NOLOG, "IM2", 0, 7, Count(L2), L2, &True, nullptr, 0, 400}, // Imager 2: imager type
    /* 48 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "SM2", 0, 1, Count(L3), L3, &Sm2Enabled, nullptr, 400, 400}, // Imager 2: shutter mode
    /* 49 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "SH2", 0, 11, Count(L4), L4, &And<Sm2Enabled, Eq<P_SM2, 0>>, nullptr, 400, 400}, // Imager 2: preset shutter speed
    /* 50 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "PE2", 0, 792, 0, nullptr, &And<Sm2Enabled, Eq<P_SM2, 1>>, nullptr, 400, 400}, // Imager 2: programmable exposure
    /* 51 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "TR2", 0, 3, Count(L19), L19, &Tr2Enabled, nullptr, 400, 400}, // Imager 2: trigger mode
    /* 52 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "SL2", 0, 1, Count(L6), L6, &And<In<P_TR2, 1, 2>, Tr2Enabled>, nullptr, 400, 400}, // Imager 2: smearless
    /* 53 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "TI2", 0, 1, Count(L7), L7, &And<Ne<P_TR2, 0>, Tr2Enabled>, nullptr, 400, 400}, // Imager 2: trigger input
    /* 54 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "TP2", 0, 1, Count(L8), L8, &And<Ne<P_TR2, 0>, Tr2Enabled>, nullptr, 400, 400}, // Imager 2: trigger polarity
    /* 55 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "SC2", 0, 3, Count(L9), L9, &And<Eq<P_BI1, 0>, Ne<P_IS, 0>>, nullptr, 1000, 1000}, // Imager 2: scanning format
    /* 56 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "OS2", 0, 4, Count(L10), L10, &True, nullptr, 400, 400}, // Imager 2: output select
    /* 57 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP | PF_GOVERNING, "WB2", 0, 5, Count(L11), L11, &ColorOut, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: white balance mode
    /* 58 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "GA2", -84, 336, 0, nullptr, &Eq<P_AGC2, 0>, nullptr, 400, 400}, // Imager 2: master gain (green)
    /* 59 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "GAR2", -1023, 1024, 0, nullptr, &And<Eq<P_AGC2, 0>, ColorOut>, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: red gain
    /* 60 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "GAB2", -1023, 1024, 0, nullptr, &And<Eq<P_AGC2, 0>, ColorOut>, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: blue gain
    /* 61 */ {PF_WRITE | PF_CONDITIONAL, "AW2", 0, 0, 0, nullptr, &ColorOut, &Gt<P_IM2, 4>, 5000, 0}, // Imager 2: start one-push auto white balance
    /* 62 */ {PF_READ | PF_CONDITIONAL, "AWR2", 0, 4, Count(L12), L12, &ColorOut, &Gt<P_IM2, 4>, 0, 5000}, // Imager 2: one-push auto white balance result
    /* 63 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "WA2", 0, 9, Count(L13), L13, &ColorOut, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: auto white balance area
    /* 64 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "AGC2", 0, 1, Count(L6), L6, &True, nullptr, 400, 400}, // Imager 2: AGC select
    /* 65 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "AGR2", 0, 1023, 0, nullptr, &Eq<P_AGC2, 1>, nullptr, 400, 400}, // Imager 2: AGC reference
    /* 66 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "BL2", -128, 256, 0, nullptr, &ColorOut, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: green setup level
    /* 67 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "BLR2", -128, 256, 0, nullptr, &ColorOut, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: red setup level
    /* 68 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "BLB2", -128, 256, 0, nullptr, &ColorOut, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: blue setup level
    /* 69 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "BLY2", -128, 256, 0, nullptr, &MonoOut2, nullptr, 400, 400}, // Imager 2: setup level Y
    /* 70 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "KN2", 0, 1, Count(L6), L6, &Or<MonoOut2, Gt<P_IM2, 4>>, nullptr, 400, 400}, // Imager 2: knee on/off
    /* 71 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KSM2", 0, 4095, 0, nullptr, &And<Eq<P_KN2, 1>, ColorOut>, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: green knee slope
    /* 72 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KSR2", 0, 4095, 0, nullptr, &And<Eq<P_KN2, 1>, ColorOut>, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: red knee slope
    /* 73 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KSB2", 0, 4095, 0, nullptr, &And<Eq<P_KN2, 1>, ColorOut>, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: blue knee slope
    /* 74 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "KSY2", 0, 4095, 0, nullptr, &And<MonoOut2, Eq<P_KN2, 1>>, nullptr, 400, 400}, // Imager 2: knee slope Y
    /* 75 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KPM2", 0, 1023, 0, nullptr, &And<Eq<P_KN2, 1>, ColorOut>, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: green knee point
    /* 76 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KPR2", 0, 1023, 0, nullptr, &And<Eq<P_KN2, 1>, ColorOut>, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: red knee point
    /* 77 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "KPB2", 0, 1023, 0, nullptr, &And<Eq<P_KN2, 1>, ColorOut>, &Gt<P_IM2, 4>, 400, 400}, // Imager 2: blue knee point
    /* 78 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "KPY2", 0, 1023, 0, nullptr, &And<MonoOut2, Eq<P_KN2, 1>>, nullptr, 400, 400}, // Imager 2: knee point Y
    /* 79 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "SDM2", 0, 3, Count(L14), L14, &True, nullptr, 800, 400}, // Imager 2: shading correction mode
    /* 80 */ {PF_WRITE, "RS2", 0, 1, 0, nullptr, &In<P_SDM2, 3, 2>, nullptr, 10000, 0}, // Imager 2: start shading calibration
    /* 81 */ {PF_READ, "RSS2", 0, 4, Count(L15), L15, &True, nullptr, 0, 10000}, // Imager 2: shading calibration result
    /* 82 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "PBY2", 0, 3, Count(L16), L16, &True, nullptr, 400, 400}, // Imager 2: process bypass
    /* 83 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "RF2", 0, 1, Count(L17), L17, &And<Eq<P_TR2, 3>, Tr2Enabled>, nullptr, 400, 400}, // Imager 2: RCT FVAL type
    /* 84 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP, "CM2", 0, 3, Count(L18), L18, &True, nullptr, 400, 400}, // Imager 2: center marker
    /* 85 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "HF", 0, 1, Count(L6), L6, &Le<P_TR1, 3>, nullptr, 400, 400}, // high frame rate
    /* 86 */ {PF_READ | PF_WRITE | PF_BULK | PF_SETUP | PF_GOVERNING, "IS", 0, 1, Count(L20), L20, &And<Eq<P_HF, 0>, Le<P_TR1, 3>>, nullptr, 400, 400}, // image synchronization of the two imagers
    /* 87 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP | PF_GOVERNING, "BI1", 0, 1, Count(L6), L6, &SameImagers, &SameImagers, 400, 400}, // vertical binning
    /* 88 */ {PF_WRITE | PF_CONDITIONAL, "AYB", 0, 0, 0, nullptr, &SameImagers, &SameImagers, 5000, 0}, // start one-push AYB
    /* 89 */ {PF_READ | PF_CONDITIONAL, "AYR", 0, 4, Count(L12), L12, &SameImagers, &SameImagers, 0, 5000}, // one-push AYB result
    /* 90 */ {PF_READ | PF_WRITE | PF_CONDITIONAL | PF_BULK | PF_SETUP, "YA", 0, 3, Count(L13), L13, &SameImagers, &SameImagers, 400, 400}, // AYB area
    /* 91 */ {PF_SETUP, "", 0, 3, Count(L21), L21, &True, nullptr, 0, 0}, // EEPROM area chosen for load and store (never sent)
    /* 92 */ {PF_WRITE, "LD", 0, 3, Count(L21), L21, &True, nullptr, 3000, 0}, // load the settings of an EEPROM area
    /* 93 */ {PF_WRITE, "SA", 0, 3, Count(L21), L21, &Ne<P_AREA, 0>, nullptr, 3000, 0}, // store the settings into an EEPROM area
    /* 94 */ {PF_READ | PF_BULK, "EA", 0, 3, Count(L21), L21, &True, nullptr, 0, 400}, // EEPROM area loaded at power-up
}};

const std::array<SettingsName, PARAMETER_COUNT> kParameterSettings = {{
    {"General", "Echo Back"},
    {"General", "Camera Status"},
    {"General", "Online Help"},
    {"General", "Firmware Version "},
    {"General", "FPGA Version"},
    {"General", "Camera ID"},
    {"General", "Model Name"},
    {"General", "User ID"},
    {"General", "Unlock"},
    {"General", "Imager1 Type"},
    {"IMG1 Shutter", "Shutter Mode"},
    {"IMG1 Shutter", "Shutter Speed"},
    {"IMG1 Shutter", "Programmable Exposure"},
    {"IMG1 Trigger", "Trigger Mode"},
    {"IMG1 Trigger", "Smearless"},
    {"IMG1 Trigger", "Tigger Input"},
    {"IMG1 Trigger", "Trigger Polarity"},
    {"IMG1 Image Format", "Scan Format"},
    {"IMG1 Image Format", "Output Select"},
    {"IMG1 Gain", "White Balance Mode"},
    {"IMG1 Gain", "Green Gain"},
    {"IMG1 Gain", "Red Gain"},
    {"IMG1 Gain", "Blue Gain"},
    {"IMG1 Gain", "One-Push AWB"},
    {"IMG1 Gain", "One-Push AWB Result"},
    {"IMG1 Gain", "AWB Area"},
    {"IMG1 Gain", "AGC Select"},
    {"IMG1 Gain", "AWB Reference"},
    {"IMG1 Gain", "Green Setup Level"},
    {"IMG1 Gain", "Red Setup Level"},
    {"IMG1 Gain", "Blue Setup Level"},
    {"IMG1 Others", "Setup Y"},
    {"IMG1 Knee", "Knee On/Off"},
    {"IMG1 Knee", "Green Knee Slope"},
    {"IMG1 Knee", "Red Knee Slope"},
    {"IMG1 Knee", "Blue Knee Slope"},
    {"IMG1 Others", "Knee Slope Y"},
    {"IMG1 Knee", "Green Knee Point"},
    {"IMG1 Knee", "Red Knee Point"},
    {"IMG1 Knee", "Blue Knee Point"},
    {"IMG1 Others", "Knee Point Y"},
    {"IMG1 Shading", "Shading Correction"},
    {"IMG1 Shading", "Shading Calibrate"},
    {"IMG1 Shading", "Calibrate Result"},
    {"IMG1 Others", "Process Bypass"},
    {"IMG1 Others", "RCT FVAL Type"},
    {"IMG1 Others", "Center Marker"},
    {"General", "Imager2 Type"},
    {"IMG2 Shutter", "Shutter Mode"},
    {"IMG2 Shutter", "Shutter Speed"},
    {"IMG2 Shutter", "Programmable Exposure"},
    {"IMG2 Trigger", "Trigger Mode"},
    {"IMG2 Trigger", "Smearless"},
    {"IMG2 Trigger", "Tigger Input"},
    {"IMG2 Trigger", "Trigger Polarity"},
    {"IMG2 Image Format", "Scan Format"},
    {"IMG2 Image Format", "Output Select"},
    {"IMG2 Gain", "White Balance Mode"},
    {"IMG2 Gain", "Green Gain"},
    {"IMG2 Gain", "Red Gain"},
    {"IMG2 Gain", "Blue Gain"},
    {"IMG2 Gain", "One-Push AWB"},
    {"IMG2 Gain", "One-Push AWB Result"},
    {"IMG2 Gain", "AWB Area"},
    {"IMG2 Gain", "AGC Select"},
    {"IMG2 Gain", "AWB Reference"},
    {"IMG2 Gain", "Green Setup Level"},
    {"IMG2 Gain", "Red Setup Level"},
    {"IMG2 Gain", "Blue Setup Level"},
    {"IMG2 Others", "Setup Y"},
    {"IMG2 Knee", "Knee On/Off"},
    {"IMG2 Knee", "Green Knee Slope"},
    {"IMG2 Knee", "Red Knee Slope"},
    {"IMG2 Knee", "Blue Knee Slope"},
    {"IMG2 Others", "Knee Slope Y"},
    {"IMG2 Knee", "Green Knee Point"},
    {"IMG2 Knee", "Red Knee Point"},
    {"IMG2 Knee", "Blue Knee Point"},
    {"IMG2 Others", "Knee Point Y"},
    {"IMG2 Shading", "Shading Correction"},
    {"IMG2 Shading", "Shading Calibrate"},
    {"IMG2 Shading", "Calibrate Result"},
    {"IMG2 Others", "Process Bypass"},
    {"IMG2 Others", "RCT FVAL Type"},
    {"IMG2 Others", "Center Marker"},
    {"General", "High Frame Rate"},
    {"General", "Image Synchronization"},
    {"General", "V Binning"},
    {"General", "One-Push AYB"},
    {"General", "One-Push AYB Result"},
    {"General", "AYB Area"},
    {"User Area", "EEPROM Area"},
    {"User Area", "Load Area"},
    {"User Area", "Save Area"},
    {"User Area", "Power Up Setting"},
}};

// clang-format on

const ParameterEntry* FindParameter(int32_t index)
{
    if (index < 0 || index >= PARAMETER_COUNT)
        return nullptr;
    return &kParameterTable[static_cast<size_t>(index)];
}

int32_t FindParameterByMnemonic(const char* mnemonic)
{
    if (mnemonic == nullptr || *mnemonic == '\0')
        return -1;
    for (int32_t i = 0; i < PARAMETER_COUNT; ++i)
        if (std::strcmp(kParameterTable[static_cast<size_t>(i)].mnemonic, mnemonic) == 0)
            return i;
    return -1;
}

bool EvaluateCondition(const ConditionNode* node, const ParameterValues& values)
{
    if (node == nullptr)
        return true;
    auto valueOf = [&values](int32_t index) {
        return FindParameter(index) ? values[static_cast<size_t>(index)] : 0;
    };
    const int32_t a = valueOf(node->operandA);
    const int32_t b = node->operandB;
    switch (node->kind) {
    case COND_TRUE:
        return true;
    case COND_FALSE:
        return false;
    case COND_EQ_PARAM:
        return a == valueOf(b);
    case COND_NE_PARAM:
        return a != valueOf(b);
    case COND_EQ:
        return a == b;
    case COND_NE:
        return a != b;
    case COND_LT:
        return a < b;
    case COND_LE:
        return a <= b;
    case COND_GT:
        return a > b;
    case COND_GE:
        return a >= b;
    case COND_NONE_OF:
        return (a & b) == 0;
    case COND_NOT:
        return !EvaluateCondition(node->left, values);
    case COND_OR: {
        const bool left = EvaluateCondition(node->left, values);
        const bool right = EvaluateCondition(node->right, values);
        return left || right;
    }
    case COND_AND: {
        const bool left = EvaluateCondition(node->left, values);
        const bool right = EvaluateCondition(node->right, values);
        return left && right;
    }
    default: // COND_ANY_OF and any kind not listed
        return (a & b) != 0;
    }
}

} // namespace zr
