#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "camera/ParameterTable.h"
#include "sim/lib/FaultPlan.h"
#include "sim/lib/PtyServer.h"
#include "sim/lib/SimEeprom.h"
#include "sim/lib/ValueRules.h"

namespace zr::sim
{

struct SimOptions {
    std::string model = "ZR-470";    // answered to MD?
    std::string stateFile;           // EEPROM areas + power-up area persisted here when set
    bool pace = false;               // 9600-baud 8N1 pacing (PtyServer only)
    std::vector<std::string> faults; // fault specs, same syntax as --fault (FaultPlan::Syntax)
};

// What the camera sends in response to one command line.
struct SimReply {
    std::string bytes;      // noise, echo and answer, as they go on the line
    int32_t delayMs = 0;    // the camera starts sending this much later
    bool closeLine = false; // the line closes for good once these bytes are out
};

// The camera's command interpreter without any I/O. Thread-safe (internal mutex).
//
// A line ends with CR, LF or CR LF. "MNEM=value" sets and answers "COMPLETE"; "MNEM?" answers
// "MNEM=value". An unknown word, a row that does not exist for this model's imagers, or a line
// of neither form answers "Unknown Command!!"; a value the row does not take, a set of a
// read-only row (VN, PV, ID, MD, ST, HP, EA, IM1, IM2, the one-push result rows) and a query of
// a command-only row (ULCK, AW1, AW2, AYB, RS1, RS2, LD, SA) answer "Bad Parameters!!".
class SimCamera
{
public:
    static constexpr int32_t kUnlockCode = 4127;

    // Fault specs that do not parse are reported on stderr and ignored (callers that want to
    // refuse them check with FaultPlan::Add first).
    explicit SimCamera(const SimOptions& options);
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    // Bytes from the host; one reply for every command line they complete that the camera
    // answers (silent lines give none). Delays are left to the caller.
    std::vector<SimReply> Exchange(std::string_view bytes);

    // Bytes from the host; returns the bytes the camera sends back right away (complete answer
    // lines; empty while a command line is incomplete or when the camera stays silent). Delays
    // of the delay fault are not applied here.
    std::string Receive(std::string_view bytes);

    // True once a close-after fault has closed the line; nothing is answered any more.
    bool LineClosed() const;

    // Inspection for tests: every complete command line received (without CR LF), in order.
    std::vector<std::string> ReceivedLines() const;
    void ClearReceivedLines();

    int32_t Value(std::string_view mnemonic) const;    // current setting; 0 for an unknown word
    std::string Text(std::string_view mnemonic) const; // text rows (ID, MD, UD)
    // Test set-up, without range checks. "EA" sets the power-up area (kept in the state file).
    void SetValue(std::string_view mnemonic, int32_t value);
    void SetText(std::string_view mnemonic, std::string_view text);
    // A setting stored in EEPROM area 0..2.
    int32_t AreaValue(int32_t area, std::string_view mnemonic) const;

private:
    struct OnePushRun {
        bool active = false;
        int32_t pollsLeft = 0;
    };

    SimReply HandleLine(const std::string& line);
    std::string Execute(const std::string& line, bool wasUnlocked);
    std::string Set(int32_t row, const CameraCommand& command, std::string_view value,
                    bool wasUnlocked);
    std::string Query(int32_t row, const CameraCommand& command);
    int32_t PollResult(size_t function);
    bool Evaluate(const ConditionNode* node) const;
    static int32_t RowOf(std::string_view mnemonic);

    mutable std::mutex mutex_;
    const std::string model_;
    FaultPlan faults_;
    SimEeprom eeprom_;
    SettingValues values_{};
    std::array<std::string, PARAMETER_COUNT> texts_;
    std::array<OnePushRun, kOnePushFunctions.size()> onePush_{};

    std::string line_;      // command line being received
    bool skipLf_ = false;   // an LF right after CR belongs to the same line end
    bool overflow_ = false; // the line outgrew the buffer
    bool unlocked_ = false; // the previous line was the unlock command
    bool closed_ = false;
    std::vector<std::string> received_;
};

} // namespace zr::sim
