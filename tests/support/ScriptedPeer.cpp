#include "support/ScriptedPeer.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace zr::test
{

namespace
{

constexpr int kPollMs = 20;

} // namespace

ScriptedPeer::ScriptedPeer(PseudoTerminal& pty) : pty_(pty)
{
    // Non-blocking writes, so a large answer that nobody reads never holds up the shutdown.
    if (pty_.MasterFd() >= 0)
        ::fcntl(pty_.MasterFd(), F_SETFL, ::fcntl(pty_.MasterFd(), F_GETFL) | O_NONBLOCK);
    thread_ = std::thread([this] { Run(); });
}

ScriptedPeer::~ScriptedPeer()
{
    stop_ = true;
    thread_.join();
}

void ScriptedPeer::Enqueue(Step step)
{
    std::lock_guard lock(mutex_);
    steps_.push_back(std::move(step));
}

void ScriptedPeer::Answer(const std::string& bytes)
{
    Enqueue({Kind::Answer, bytes});
}
void ScriptedPeer::Silence()
{
    Enqueue({Kind::Silence, {}});
}
void ScriptedPeer::HangUp()
{
    Enqueue({Kind::HangUp, {}});
}

std::vector<std::string> ScriptedPeer::Commands() const
{
    std::lock_guard lock(mutex_);
    return commands_;
}

bool ScriptedPeer::WaitForCommands(size_t count, int timeoutMs) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return commands_.size() >= count; });
}

bool ScriptedPeer::WriteAll(const std::string& bytes)
{
    size_t done = 0;
    while (!stop_ && done < bytes.size()) {
        ssize_t n = ::write(pty_.MasterFd(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{pty_.MasterFd(), POLLOUT, 0};
            ::poll(&p, 1, kPollMs);
        } else {
            return false;
        }
    }
    return done == bytes.size();
}

void ScriptedPeer::Run()
{
    std::string pending;
    while (!stop_ && pty_.MasterFd() >= 0) {
        pollfd p{pty_.MasterFd(), POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0 || !(p.revents & POLLIN))
            continue;
        char buffer[256];
        ssize_t n = ::read(pty_.MasterFd(), buffer, sizeof buffer);
        if (n <= 0)
            continue;
        pending.append(buffer, static_cast<size_t>(n));

        size_t end;
        while ((end = pending.find("\r\n")) != std::string::npos) {
            std::string line = pending.substr(0, end + 2);
            pending.erase(0, end + 2);
            Step step{Kind::Silence, {}};
            {
                std::lock_guard lock(mutex_);
                commands_.push_back(line);
                if (!steps_.empty()) {
                    step = std::move(steps_.front());
                    steps_.pop_front();
                }
            }
            changed_.notify_all();
            if (step.kind == Kind::Answer)
                WriteAll(step.bytes);
            if (step.kind == Kind::HangUp) {
                pty_.CloseMaster();
                return;
            }
        }
    }
}

} // namespace zr::test
