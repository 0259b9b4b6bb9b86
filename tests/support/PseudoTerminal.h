#pragma once

#include <cstddef>
#include <string>

namespace zr::test
{

// A pseudo-terminal pair from openpty(), standing in for a serial line. The terminal side is
// reached by its device path (what a serial link opens); the test plays the far end through the
// master side. Both sides start raw (no echo, no line editing). The object keeps its own
// terminal-side descriptor open so the line stays up while the link under test closes and
// reopens; CloseMaster() hangs the line up.
class PseudoTerminal
{
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // False when openpty() failed; the other members then do nothing.
    bool IsValid() const { return master_ >= 0; }
    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

    // Writes all bytes to the master side (the far end sending). False on failure.
    bool WriteMaster(const std::string& bytes);
    // Reads what the link sent: waits up to timeoutMs for the first byte, then collects until
    // `wanted` bytes are in or the line stays quiet for quietMs.
    std::string ReadMaster(size_t wanted, int timeoutMs = 1000, int quietMs = 50);
    // Discards everything the link has sent so far.
    void DrainMaster();

    // Closes the master side: the terminal side then sees a hang-up.
    void CloseMaster();
    // Closes this object's own terminal-side descriptor.
    void CloseSlave();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

} // namespace zr::test
