#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/PseudoTerminal.h"

namespace zr::test
{

// The far end of a pseudo-terminal played from a thread of its own, as a scripted camera: each
// command line that arrives (up to CR LF) is recorded and answered by the next queued step.
// Without a queued step the peer stays silent. Stops and joins on destruction.
class ScriptedPeer
{
public:
    explicit ScriptedPeer(PseudoTerminal& pty);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // The next command is answered with exactly these bytes (any size: they are written as the
    // line drains).
    void Answer(const std::string& bytes);
    // The next command gets no answer.
    void Silence();
    // The next command makes the peer close its side: the line hangs up.
    void HangUp();

    // Every complete command line received so far, with its CR LF.
    std::vector<std::string> Commands() const;
    // Waits until `count` command lines have arrived; false on time-out.
    bool WaitForCommands(size_t count, int timeoutMs = 2000) const;

private:
    enum class Kind { Answer, Silence, HangUp };
    struct Step {
        Kind kind;
        std::string bytes;
    };

    void Run();
    void Enqueue(Step step);
    bool WriteAll(const std::string& bytes);

    PseudoTerminal& pty_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<Step> steps_;
    std::vector<std::string> commands_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace zr::test
