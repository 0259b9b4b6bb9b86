#pragma once

#include <unistd.h>
#include <utility>

namespace zr
{

// Sole owner of a file descriptor: closes it when destroyed or reset. Movable, not copyable.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    bool IsValid() const { return fd_ >= 0; }
    int Get() const { return fd_; }

    // Gives up ownership without closing; the caller owns the descriptor from now on.
    [[nodiscard]] int Release() { return std::exchange(fd_, -1); }

    // Closes the current descriptor (if any) and takes `fd`. The result of close() is returned
    // for callers that must know whether buffered data reached the file (0 when nothing was
    // open).
    int Reset(int fd = -1)
    {
        int result = 0;
        if (fd_ >= 0)
            result = ::close(fd_);
        fd_ = fd;
        return result;
    }

private:
    int fd_ = -1;
};

} // namespace zr
