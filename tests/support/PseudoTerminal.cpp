#include "support/PseudoTerminal.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace zr::test
{

namespace
{

void MakeRaw(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
}

} // namespace

PseudoTerminal::PseudoTerminal()
{
    char name[PATH_MAX] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    slavePath_ = name;
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    MakeRaw(slave_);
    MakeRaw(master_);
}

PseudoTerminal::~PseudoTerminal()
{
    CloseSlave();
    CloseMaster();
}

bool PseudoTerminal::WriteMaster(const std::string& bytes)
{
    size_t done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{master_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return master_ >= 0;
}

std::string PseudoTerminal::ReadMaster(size_t wanted, int timeoutMs, int quietMs)
{
    std::string out;
    int wait = timeoutMs;
    while (master_ >= 0 && out.size() < wanted) {
        pollfd p{master_, POLLIN, 0};
        int ready = ::poll(&p, 1, wait);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || !(p.revents & POLLIN))
            break;
        char buffer[256];
        size_t room = wanted - out.size();
        ssize_t n = ::read(master_, buffer, room < sizeof buffer ? room : sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
        wait = quietMs;
    }
    return out;
}

void PseudoTerminal::DrainMaster()
{
    while (!ReadMaster(4096, 0, 0).empty()) {
    }
}

void PseudoTerminal::CloseMaster()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void PseudoTerminal::CloseSlave()
{
    if (slave_ >= 0)
        ::close(slave_);
    slave_ = -1;
}

} // namespace zr::test
