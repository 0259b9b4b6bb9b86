#include "comm/CommPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <string>
#include <vector>

#include "comm/ComPortMap.h"
#include "comm/LinkError.h"

namespace zr
{

namespace
{

using SteadyClock = std::chrono::steady_clock;

// A line whose far end went away: a USB adapter unplugged, a pseudo-terminal's owner ended.
constexpr const char* kHungUp = "the line hung up (the device was unplugged or closed)";

// The system's reason for a line that failed; a terminal whose far end went reads EIO.
std::string LineReason(int error)
{
    std::string reason = std::strerror(error);
    if (error == EIO)
        reason += std::string(": ") + kHungUp;
    return reason;
}

// Milliseconds left until `deadline`, rounded up so that a wait never ends early; at least 1 so a
// poll with time left always sleeps.
int MsUntil(SteadyClock::time_point deadline)
{
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 1, INT_MAX));
}

// Raw 8N1 at 9600 baud without flow control. Everything else (modem control, parity checking)
// keeps what the port reported. VMIN 1 with a non-blocking descriptor: a read without data
// fails with EAGAIN, so a read of 0 bytes can only mean the line hung up.
bool Configure(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                          ICRNL | IXON | IXOFF | IXANY);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B9600) != 0 || ::cfsetospeed(&tio, B9600) != 0)
        return false;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

std::vector<std::string> ComPortNames()
{
    std::vector<std::string> names;
    names.reserve(ComPortMap::kPortCount);
    for (int32_t i = 0; i < ComPortMap::kPortCount; ++i)
        names.push_back(ComPortMap::PortName(i));
    return names;
}

} // namespace

CCommPort::CCommPort(const SettingsStore& settings)
    : CCommListedPorts("COM-Ports", ComPortNames()), settings_(settings)
{
}

CCommPort::~CCommPort()
{
    Release();
}

bool CCommPort::IsOpen() const
{
    return fd_.IsValid();
}

void CCommPort::Release()
{
    if (!fd_.IsValid())
        return;
    ::ioctl(fd_.Get(), TIOCNXCL);
    ::flock(fd_.Get(), LOCK_UN);
    fd_.Reset();
    readStart_ = readEnd_ = 0;
}

int32_t CCommPort::TakeBuffered(char* buffer, int32_t wanted)
{
    const size_t count = std::min(readEnd_ - readStart_, static_cast<size_t>(wanted));
    std::copy_n(readBuffer_.data() + readStart_, count, buffer);
    readStart_ += count;
    return static_cast<int32_t>(count);
}

int CCommPort::OpenFailed(int error)
{
    // A port locked by another program reads "Resource temporarily unavailable" otherwise.
    if (error == EWOULDBLOCK || error == EBUSY)
        openFailure_ = kPortInUse;
    else
        openFailure_ = std::strerror(error);
    if (error == EACCES || error == EPERM)
        openFailure_ += " (serial devices belong to the group dialout: sudo usermod -aG dialout "
                        "\"$USER\", then log in again)";
    return LINK_CANNOT_USE_PORT;
}

int CCommPort::LineFailed(int code, std::string reason)
{
    linkFailure_ = std::move(reason);
    return code;
}

int CCommPort::Open(int32_t port)
{
    Release();
    openFailure_.clear();
    linkFailure_.clear();
    if (GetPortName(port).empty())
        return LINK_PORT_NOT_FOUND;

    // The map is asked at every open, so a changed "Comm"/"COMn" entry applies at once.
    std::string path = ComPortMap(settings_).DevicePath(port);
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.IsValid())
        return OpenFailed(errno);
    // The lock first: TIOCEXCL does not stop a privileged process, the lock stops everyone who
    // uses this link. Only once we hold it may we set (and later clear) exclusive mode.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return OpenFailed(errno);
    if (::ioctl(fd.Get(), TIOCEXCL) != 0 || !Configure(fd.Get())) {
        const int error = errno;
        ::ioctl(fd.Get(), TIOCNXCL);
        return OpenFailed(error); // closing fd drops the lock
    }
    fd_ = std::move(fd);
    return LINK_OK;
}

int CCommPort::Close()
{
    Release();
    return LINK_OK;
}

int32_t CCommPort::GetBytesWaiting()
{
    int count = 0;
    if (!fd_.IsValid() || ::ioctl(fd_.Get(), FIONREAD, &count) != 0 || count < 0)
        count = 0;
    return static_cast<int32_t>(readEnd_ - readStart_) + count;
}

int CCommPort::Flush()
{
    if (!fd_.IsValid())
        return LINK_PORT_UNAVAILABLE;
    // One pass: only the bytes waiting now are discarded (the read buffer's and the device's);
    // later ones stay.
    readStart_ = readEnd_ = 0;
    int32_t waiting = GetBytesWaiting();
    std::string scratch(static_cast<size_t>(std::max<int32_t>(waiting, 0)), '\0');
    size_t done = 0;
    while (done < scratch.size()) {
        ssize_t n = ::read(fd_.Get(), scratch.data() + done, scratch.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (!(n < 0 && errno == EINTR))
            break;
    }
    return LINK_OK;
}

int CCommPort::Write(const char* buffer, uint32_t length, uint32_t timeoutMs)
{
    if (!fd_.IsValid())
        return LINK_PORT_UNAVAILABLE;
    // The line always drains (no flow control), so a stall means a dead device. Allow the
    // caller's time-out plus twice the bytes' line time at 9600 baud, and at least a second.
    auto budget = std::chrono::milliseconds(std::max<uint64_t>(timeoutMs, 1000) + 2ull * length);
    auto deadline = SteadyClock::now() + budget;
    uint32_t done = 0;
    while (done < length) {
        ssize_t n = ::write(fd_.Get(), buffer + done, length - done);
        if (n > 0) {
            done += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (!(n < 0 && errno == EAGAIN))
            return LineFailed(LINK_WRITE_FAILED, n < 0 ? LineReason(errno) : kHungUp);
        if (SteadyClock::now() >= deadline)
            return LineFailed(LINK_WRITE_FAILED, "the device took no data for " +
                                                     std::to_string(budget.count()) + " ms");
        pollfd p{fd_.Get(), POLLOUT, 0};
        if (::poll(&p, 1, MsUntil(deadline)) < 0 && errno != EINTR)
            return LineFailed(LINK_WRITE_FAILED, std::strerror(errno));
    }
    return LINK_OK;
}

int CCommPort::Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs)
{
    if (!fd_.IsValid())
        return LINK_PORT_UNAVAILABLE;
    auto start = SteadyClock::now();
    received = 0;
    if (wanted < 1)
        return LINK_OK;
    auto deadline = start + std::chrono::milliseconds(timeoutMs);

    // Each pass hands out what the buffer holds, fetches all that is waiting with one read()
    // once it is empty, then sleeps in poll() until more arrives or time is up. A hung-up line
    // (the device gone, a pseudo-terminal's far end closed) is a read failure: it never
    // recovers, and waiting on it would only delay the caller.
    for (;;) {
        received += TakeBuffered(buffer + received, wanted - received);
        if (received >= wanted)
            return LINK_OK;
        // A request as large as the buffer is read straight into the caller's memory.
        const auto left = static_cast<size_t>(wanted - received);
        const bool direct = left >= readBuffer_.size();
        ssize_t n = direct ? ::read(fd_.Get(), buffer + received, left)
                           : ::read(fd_.Get(), readBuffer_.data(), readBuffer_.size());
        if (n > 0) {
            if (direct) {
                received += static_cast<int32_t>(n);
            } else {
                readStart_ = 0;
                readEnd_ = static_cast<size_t>(n);
            }
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return LineFailed(LINK_READ_FAILED, n == 0 ? kHungUp : LineReason(errno));
        if (SteadyClock::now() > deadline)
            return LINK_READ_TIMEOUT;
        pollfd p{fd_.Get(), POLLIN, 0};
        int ready = ::poll(&p, 1, MsUntil(deadline));
        if (ready < 0 && errno != EINTR)
            return LineFailed(LINK_READ_FAILED, std::strerror(errno));
        if (ready > 0 && !(p.revents & POLLIN)) // POLLHUP, POLLERR or POLLNVAL without data
            return LineFailed(LINK_READ_FAILED, (p.revents & POLLHUP) != 0
                                                    ? kHungUp
                                                    : "the device reported an error");
    }
}

} // namespace zr
