#pragma once

#include <array>
#include <cstdint>

namespace zr
{

// Flag bits of a parameter row.
enum ParameterFlag : uint32_t {
    PF_STRING = 1u << 0,      // the value is text, kept in the text mirror
    PF_READ = 1u << 1,        // the row can be asked
    PF_WRITE = 1u << 2,       // the row can be set
    PF_CONDITIONAL = 1u << 3, // the row exists only while its availability condition holds
    PF_BULK = 1u << 8,        // read-all and write-all take the row
    PF_SETUP = 1u << 9,       // stored in setup files and in the module settings
    PF_GOVERNING = 1u << 10,  // other rows' enabled conditions depend on it
    PF_NOLOG = 1u << 24,      // neither command nor answer reaches the communication log
    PF_NOBULK = 1u << 31,     // read-all and write-all skip the row whatever else it says
};

enum ConditionKind : int32_t {
    COND_TRUE = 0,
    COND_FALSE = 1,
    COND_EQ_PARAM = 2,
    COND_NE_PARAM = 3,
    COND_EQ = 4,
    COND_NE = 5,
    COND_LT = 6,
    COND_LE = 7,
    COND_GT = 8,
    COND_GE = 9,
    COND_NONE_OF = 10,
    COND_ANY_OF = 11,
    COND_NOT = 12,
    COND_OR = 13,
    COND_AND = 14,
};

// A node of a condition tree over mirrored row values. A missing tree (nullptr) is true.
struct ConditionNode {
    int32_t kind;
    int32_t operandA; // a parameter index
    int32_t operandB; // a parameter index or a constant, by kind
    const ConditionNode* left;
    const ConditionNode* right;
};

struct ValueName {
    int32_t value;
    const char* text;
    const ConditionNode* enable;
};

struct ParameterEntry {
    uint32_t flags;
    const char* mnemonic; // empty for row 91
    int32_t minimum;
    int32_t maximum; // greatest text length for text rows
    int32_t itemCount;
    const ValueName* items;
    const ConditionNode* enabled;
    const ConditionNode* available; // consulted only with PF_CONDITIONAL
    int32_t setTimeoutMs;
    int32_t queryTimeoutMs;

    bool Has(uint32_t flag) const { return (flags & flag) != 0; }
};

// Section and key naming a row in setup files and the module settings.
struct SettingsName {
    const char* section;
    const char* key;
};

// Row numbers of the parameter table.
enum ParameterIndex : int32_t {
    P_EB,
    P_ST,
    P_HP,
    P_VN,
    P_PV,
    P_ID,
    P_MD,
    P_UD,
    P_ULCK,
    P_IM1,
    P_SM1,
    P_SH1,
    P_PE1,
    P_TR1,
    P_SL1,
    P_TI1,
    P_TP1,
    P_SC1,
    P_OS1,
    P_WB1,
    P_GA1,
    P_GAR1,
    P_GAB1,
    P_AW1,
    P_AWR1,
    P_WA1,
    P_AGC1,
    P_AGR1,
    P_BL1,
    P_BLR1,
    P_BLB1,
    P_BLY1,
    P_KN1,
    P_KSM1,
    P_KSR1,
    P_KSB1,
    P_KSY1,
    P_KPM1,
    P_KPR1,
    P_KPB1,
    P_KPY1,
    P_SDM1,
    P_RS1,
    P_RSS1,
    P_PBY1,
    P_RF1,
    P_CM1,
    P_IM2,
    P_SM2,
    P_SH2,
    P_PE2,
    P_TR2,
    P_SL2,
    P_TI2,
    P_TP2,
    P_SC2,
    P_OS2,
    P_WB2,
    P_GA2,
    P_GAR2,
    P_GAB2,
    P_AW2,
    P_AWR2,
    P_WA2,
    P_AGC2,
    P_AGR2,
    P_BL2,
    P_BLR2,
    P_BLB2,
    P_BLY2,
    P_KN2,
    P_KSM2,
    P_KSR2,
    P_KSB2,
    P_KSY2,
    P_KPM2,
    P_KPR2,
    P_KPB2,
    P_KPY2,
    P_SDM2,
    P_RS2,
    P_RSS2,
    P_PBY2,
    P_RF2,
    P_CM2,
    P_HF,
    P_IS,
    P_BI1,
    P_AYB,
    P_AYR,
    P_YA,
    P_AREA,
    P_LD,
    P_SA,
    P_EA,
    PARAMETER_COUNT
};

extern const std::array<ParameterEntry, PARAMETER_COUNT> kParameterTable;
extern const std::array<SettingsName, PARAMETER_COUNT> kParameterSettings;

// The values of all rows, by parameter index.
using ParameterValues = std::array<int32_t, PARAMETER_COUNT>;

// Evaluates a condition tree over row values. A missing tree is true; both children of OR and
// AND are always evaluated; an operand outside the table reads as 0.
bool EvaluateCondition(const ConditionNode* node, const ParameterValues& values);

// The row of an index, or nullptr when it is not 0..94.
const ParameterEntry* FindParameter(int32_t index);
// The row whose mnemonic is `mnemonic` (exact), or -1.
int32_t FindParameterByMnemonic(const char* mnemonic);

} // namespace zr
