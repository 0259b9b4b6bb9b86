#pragma once

#include <chrono>
#include <cstddef>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace zr::test
{

// The tool's end of a simulated camera's line: the device opened raw, as a serial port is.
class ToolTerminal
{
public:
    using Clock = std::chrono::steady_clock;

    explicit ToolTerminal(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        termios tio{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~ToolTerminal()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ToolTerminal(const ToolTerminal&) = delete;
    ToolTerminal& operator=(const ToolTerminal&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    bool Write(const std::string& bytes) const
    {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Reads until `wanted` bytes are in, nothing arrives for timeoutMs, or the line ends.
    // `firstByte` gets the arrival time of the first byte.
    std::string Read(size_t wanted, int timeoutMs = 1000,
                     Clock::time_point* firstByte = nullptr) const
    {
        std::string out;
        while (out.size() < wanted) {
            pollfd p{fd_, POLLIN, 0};
            char buffer[512];
            ssize_t n = ::poll(&p, 1, timeoutMs) > 0 ? ::read(fd_, buffer, sizeof buffer) : 0;
            if (n <= 0)
                break;
            if (out.empty() && firstByte != nullptr)
                *firstByte = Clock::now();
            out.append(buffer, static_cast<size_t>(n));
        }
        return out;
    }
    // Sends `command` and reads up to `wanted` bytes of answer; empty when the write failed.
    std::string Ask(const std::string& command, size_t wanted) const
    {
        return Write(command) ? Read(wanted) : std::string();
    }

private:
    int fd_;
};

} // namespace zr::test
