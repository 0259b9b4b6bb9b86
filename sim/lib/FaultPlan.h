#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zr::sim
{

// A camera function that runs for a while after its command and reports through a result row:
// the result row answers 0 ("working") for some polls, then the outcome.
struct OnePushFunction {
    const char* key;    // word of its outcome settings: "awb", "ayb", "shading"
    int32_t commandRow; // parameter index of the start command
    int32_t resultRow;  // parameter index of the result row
};
extern const std::array<OnePushFunction, 5> kOnePushFunctions;

// Misbehaviour injected into the simulated camera's answers, and the outcomes of its one-push
// functions. Built from descriptions of the form KIND[=ARG][:MNEMONIC][@COUNT] (see Syntax()).
class FaultPlan
{
public:
    struct Outcome {
        int32_t workingPolls = 2; // result queries answered with 0 ("working") first
        int32_t result = 1;       // then this value (1: succeeded)
    };

    // What one command line meets, decided by Apply().
    struct Effect {
        bool silent = false;
        bool noCrLf = false;
        int32_t delayMs = 0;
        std::string noise;
        bool closeAfterAnswer = false;
    };

    // Parses one fault and adds it. On a malformed fault returns false, sets `error` and changes
    // nothing.
    bool Add(std::string_view text, std::string& error);

    // The faults that hit a command line with this (upper-case) mnemonic. Counts the line
    // against limited faults and close-after counters, so call it once per line.
    Effect Apply(std::string_view mnemonic);

    // The outcome configured for kOnePushFunctions[function].
    Outcome OutcomeFor(size_t function) const;

    // Help text describing the fault syntax.
    static const char* Syntax();

private:
    enum class Kind { Silent, Delay, Noise, NoCrLf, CloseAfter };
    struct Fault {
        Kind kind;
        int32_t number = 0;   // delay in ms, or the command count of close-after
        std::string text;     // noise bytes
        std::string mnemonic; // empty: every command
        int32_t remaining;    // lines still affected; -1 without limit
        int32_t seen = 0;     // lines counted by close-after
    };
    struct OutcomeRule {
        std::string key; // "awb", "ayb", "shading"
        bool isResult;   // sets the result rather than the working polls
        int32_t value;
        int32_t resultRow; // narrows the rule to one function; -1 for all with the key
    };

    std::vector<Fault> faults_;
    std::vector<OutcomeRule> outcomes_;
};

} // namespace zr::sim
