#include "sim/lib/PtyServer.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <deque>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "base/UniqueFd.h"
#include "sim/lib/SimCamera.h"

namespace zr::sim
{

namespace
{

using SteadyClock = std::chrono::steady_clock;
using TimePoint = SteadyClock::time_point;

// One byte on a 9600-baud 8N1 line: start bit, 8 data bits, stop bit.
constexpr std::chrono::nanoseconds kByteTime{1'041'667};
// After the terminal side hung up, how long to wait before looking at the line again.
constexpr std::chrono::milliseconds kHangupRetry{50};
// When the tool does not read and the terminal buffer is full, retry writing after this.
constexpr std::chrono::milliseconds kWriteRetry{1};

// Before the close-after fault hangs up, how long the tool may take to read the last answer, and
// how often to look whether it has.
constexpr std::chrono::milliseconds kCloseGrace{2000};
constexpr std::chrono::milliseconds kCloseCheck{5};
constexpr std::chrono::milliseconds kCloseSettle{50};

struct TimedByte {
    char byte;
    TimePoint due; // when the byte has completely crossed the line
};

} // namespace

class PtyServer::Impl
{
public:
    explicit Impl(const SimOptions& options);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    SimCamera camera;
    std::string devicePath;
    std::atomic<bool> serving{false};

private:
    void Run();
    void ReadInput(TimePoint now);
    void DeliverInput(TimePoint now);
    void Schedule(const SimReply& reply, TimePoint at);
    void WriteOutput(TimePoint now);

    const bool pace_;
    UniqueFd master_;
    UniqueFd slave_; // kept open so the line stays up while the tool closes and reopens it
    UniqueFd stop_;
    std::deque<TimedByte> input_;
    std::deque<TimedByte> output_;
    TimePoint inputFree_{};  // when the incoming line is free for the next byte
    TimePoint outputFree_{}; // the same for the outgoing line
    TimePoint hangupUntil_{};
    bool closePending_ = false;
    std::optional<TimePoint> closeStart_; // when the last answer of close-after was out
    std::thread thread_;
};

PtyServer::Impl::Impl(const SimOptions& options) : camera(options), pace_(options.pace)
{
    int master = -1;
    int slave = -1;
    char name[PATH_MAX] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return;
    master_.Reset(master);
    slave_.Reset(slave);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    // Raw on the terminal side: the tool sees the camera's bytes unchanged, even before it sets
    // up the line itself.
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B9600);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    stop_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!stop_.IsValid()) {
        master_.Reset();
        slave_.Reset();
        return;
    }
    devicePath = name;
    serving = true;
    thread_ = std::thread(&Impl::Run, this);
}

PtyServer::Impl::~Impl()
{
    if (thread_.joinable()) {
        uint64_t one = 1;
        while (::write(stop_.Get(), &one, sizeof one) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
}

void PtyServer::Impl::Run()
{
    for (;;) {
        TimePoint now = SteadyClock::now();
        DeliverInput(now);
        WriteOutput(now);
        if (closePending_ && output_.empty()) {
            // The close-after fault: the line goes down for good once the tool has read the last
            // answer, since a hang-up discards what is still buffered. The bytes written reach
            // the terminal side asynchronously, so an empty queue counts only after a while.
            if (!closeStart_)
                closeStart_ = now;
            int pending = 0;
            bool settled = now >= *closeStart_ + kCloseSettle;
            bool drained = ::ioctl(slave_.Get(), TIOCINQ, &pending) != 0 || pending == 0;
            if ((settled && drained) || now >= *closeStart_ + kCloseGrace) {
                serving = false;
                master_.Reset();
                slave_.Reset();
                return;
            }
        }

        // Sleep until input arrives, the next byte is due, or we are told to stop.
        std::optional<TimePoint> wake;
        auto earliest = [&wake](TimePoint t) { wake = wake ? std::min(*wake, t) : t; };
        if (!input_.empty())
            earliest(input_.front().due);
        if (!output_.empty())
            earliest(output_.front().due);
        bool watchLine = now >= hangupUntil_;
        if (!watchLine)
            earliest(hangupUntil_);
        if (closeStart_)
            earliest(now + kCloseCheck);
        timespec timeout{};
        if (wake) {
            auto wait = std::max(std::chrono::nanoseconds(0), *wake - SteadyClock::now());
            timeout.tv_sec = static_cast<time_t>(wait.count() / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
        }
        pollfd fds[2] = {{stop_.Get(), POLLIN, 0}, {master_.Get(), POLLIN, 0}};
        int ready = ::ppoll(fds, watchLine ? 2 : 1, wake ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR)
            return;
        if (ready > 0 && fds[0].revents != 0)
            return;
        if (ready > 0 && watchLine && fds[1].revents != 0)
            ReadInput(SteadyClock::now());
    }
}

void PtyServer::Impl::ReadInput(TimePoint now)
{
    char buffer[4096];
    ssize_t n = ::read(master_.Get(), buffer, sizeof buffer);
    if (n <= 0) {
        // EIO or end of file: nobody holds the terminal side. Look again a little later
        // instead of spinning on the hang-up.
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            hangupUntil_ = now + kHangupRetry;
        return;
    }
    for (ssize_t i = 0; i < n; ++i) {
        TimePoint due = now;
        if (pace_) {
            // The burst started arriving now; each byte needs its line time after the one
            // before (or after the previous burst, if that is still arriving).
            due = std::max(now, inputFree_) + kByteTime;
            inputFree_ = due;
        }
        input_.push_back({buffer[i], due});
    }
}

void PtyServer::Impl::DeliverInput(TimePoint now)
{
    std::string bytes;
    TimePoint arrived{};
    while (!input_.empty() && input_.front().due <= now) {
        bytes += input_.front().byte;
        arrived = input_.front().due;
        input_.pop_front();
    }
    if (bytes.empty())
        return;
    for (const SimReply& reply : camera.Exchange(bytes))
        Schedule(reply, arrived);
}

void PtyServer::Impl::Schedule(const SimReply& reply, TimePoint at)
{
    // Answers leave in order: a delayed answer holds back the ones after it, as on a camera
    // that works through its commands one by one.
    TimePoint start = at + std::chrono::milliseconds(reply.delayMs);
    for (char c : reply.bytes) {
        TimePoint due = std::max(start, outputFree_);
        if (pace_)
            due += kByteTime; // absolute deadlines: no drift from late wake-ups
        outputFree_ = due;
        output_.push_back({c, due});
    }
    closePending_ = closePending_ || reply.closeLine;
}

void PtyServer::Impl::WriteOutput(TimePoint now)
{
    std::string bytes;
    while (!output_.empty() && output_.front().due <= now) {
        bytes += output_.front().byte;
        output_.pop_front();
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(master_.Get(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            // The terminal buffer is full: keep the rest, in order, for a little later.
            TimePoint retry = now + kWriteRetry;
            for (size_t i = bytes.size(); i > done; --i)
                output_.push_front({bytes[i - 1], retry});
            return;
        } else {
            return; // nobody listening: the bytes are lost, as on an unplugged cable
        }
    }
}

PtyServer::PtyServer(const SimOptions& options) : impl_(std::make_unique<Impl>(options)) {}

PtyServer::~PtyServer() = default;

bool PtyServer::IsServing() const
{
    return impl_->serving;
}

const std::string& PtyServer::DevicePath() const
{
    return impl_->devicePath;
}

SimCamera& PtyServer::Camera()
{
    return impl_->camera;
}

} // namespace zr::sim
