#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace zr::sim
{

struct SimOptions {
    std::string model = "ZR-470";    // answered to MD?
    std::string stateFile;           // EEPROM areas + power-up area persisted here when set
    bool pace = false;               // 9600-baud 8N1 pacing (PtyServer only)
    std::vector<std::string> faults; // fault specs, same syntax as --fault
};

class SimState;

// The camera's command interpreter without any I/O. Thread-safe (internal mutex).
class SimCamera
{
public:
    explicit SimCamera(const SimOptions& options);
    ~SimCamera();
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    // Bytes from the host; returns the bytes the camera sends back right away (complete answer
    // lines; empty while a command line is incomplete or when the camera stays silent).
    std::string Receive(std::string_view bytes);

    // Inspection for tests: every complete command line received (without CR LF), in order.
    std::vector<std::string> ReceivedLines() const;
    void ClearReceivedLines();

    int32_t Value(std::string_view mnemonic) const;          // current setting
    std::string Text(std::string_view mnemonic) const;       // text rows (ID, MD, UD)
    void SetValue(std::string_view mnemonic, int32_t value); // test set-up
    void SetText(std::string_view mnemonic, std::string_view text);

private:
    std::unique_ptr<SimState> state_;
};

// Serves a SimCamera on a pseudo-terminal from its own thread; stops and joins on destruction.
class PtyServer
{
public:
    explicit PtyServer(const SimOptions& options);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    const std::string& DevicePath() const; // the terminal side, e.g. /dev/pts/7
    SimCamera& Camera();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace zr::sim
