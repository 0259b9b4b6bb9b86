#include "base/AtomicFile.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zr
{

namespace
{

// Holds SIGXFSZ back from this thread while it writes a file, so that a file size limit makes
// the write fail (EFBIG) instead of ending the process. A signal the writes raised is taken
// back before the old mask returns; errno survives.
class FileSizeSignalHold
{
public:
    FileSizeSignalHold()
    {
        ::sigemptyset(&signal_);
        ::sigaddset(&signal_, SIGXFSZ);
        held_ = ::pthread_sigmask(SIG_BLOCK, &signal_, &oldMask_) == 0;
        pendingBefore_ = held_ && IsPending();
    }
    ~FileSizeSignalHold()
    {
        if (!held_)
            return;
        const int savedErrno = errno;
        if (!pendingBefore_ && IsPending()) {
            const timespec now{};
            while (::sigtimedwait(&signal_, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        ::pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
        errno = savedErrno;
    }
    FileSizeSignalHold(const FileSizeSignalHold&) = delete;
    FileSizeSignalHold& operator=(const FileSizeSignalHold&) = delete;

private:
    static bool IsPending()
    {
        sigset_t pending;
        return ::sigpending(&pending) == 0 && ::sigismember(&pending, SIGXFSZ) == 1;
    }

    sigset_t signal_{};
    sigset_t oldMask_{};
    bool held_ = false;
    bool pendingBefore_ = false;
};

bool WriteAll(int fd, std::string_view data)
{
    FileSizeSignalHold hold;
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (n == 0)
                errno = ENOSPC; // no progress, as on a full disk
            return false;
        }
    }
    return true;
}

// The file a save should replace: at the end of a chain of symbolic links (whose last target
// need not exist yet), else the path itself. Empty, with errno set, for a loop of links.
std::string ResolveTarget(const std::string& path)
{
    constexpr int kMaxLinks = 40;
    std::string target = path;
    for (int depth = 0; depth < kMaxLinks; ++depth) {
        struct stat st {
        };
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return target;
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<size_t>(n) >= link.size())
            return target; // changed under us: let the rename below decide
        link.resize(static_cast<size_t>(n));
        size_t slash = target.rfind('/');
        if (link.front() == '/' || slash == std::string::npos)
            target = link;
        else
            target.resize(slash + 1), target += link;
    }
    errno = ELOOP;
    return {};
}

} // namespace

AtomicFile::AtomicFile(const std::string& path)
{
    if (!Open(path))
        error_ = errno;
}

AtomicFile::~AtomicFile()
{
    if (committed_ || temp_.empty())
        return;
    const int savedErrno = errno;
    fd_.Reset();
    ::unlink(temp_.c_str());
    errno = savedErrno;
}

bool AtomicFile::Open(const std::string& path)
{
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    target_ = ResolveTarget(path);
    if (target_.empty())
        return false;
    const size_t slash = target_.rfind('/');
    dir_ = slash == std::string::npos ? "." : (slash == 0 ? "/" : target_.substr(0, slash));
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);

    // A file the user made read-only stays as it is. The superuser passes access(), so the
    // permission bits are looked at too. Only a regular file is replaced: renaming over a device
    // or a pipe (a report saved to /dev/null, say) would put a plain file in its place.
    struct stat existing {
    };
    if (::stat(target_.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) {
            errno = S_ISDIR(existing.st_mode) ? EISDIR : EINVAL;
            return false;
        }
        if (::access(target_.c_str(), W_OK) != 0 || (existing.st_mode & 0222) == 0) {
            errno = EACCES;
            return false;
        }
    }

    // A name of our own beside the target; O_EXCL makes sure no other file is reused.
    auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = dir_ + "/." + base + "." + std::to_string(::getpid()) + "-" +
                           std::to_string(stamp + static_cast<unsigned long long>(attempt)) +
                           ".tmp";
        fd_.Reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd_.IsValid()) {
            temp_ = std::move(temp);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

bool AtomicFile::Step(bool done)
{
    if (!done && error_ == 0)
        error_ = errno != 0 ? errno : EIO;
    return done;
}

bool AtomicFile::Write(std::string_view data)
{
    if (error_ != 0 || !fd_.IsValid() || committed_) {
        errno = error_ != 0 ? error_ : EBADF;
        return false;
    }
    return Step(WriteAll(fd_.Get(), data));
}

bool AtomicFile::Commit()
{
    if (error_ != 0 || !fd_.IsValid() || committed_) {
        errno = error_ != 0 ? error_ : EBADF;
        return false;
    }
    // A replaced file keeps its permissions; a new one keeps 0666 less the umask from open().
    struct stat old {
    };
    bool ok = true;
    if (::stat(target_.c_str(), &old) == 0)
        ok = Step(::fchmod(fd_.Get(), old.st_mode & 07777) == 0);
    ok = ok && Step(::fsync(fd_.Get()) == 0);
    ok = Step(fd_.Reset() == 0) && ok;
    ok = ok && Step(::rename(temp_.c_str(), target_.c_str()) == 0);
    if (!ok) {
        ::unlink(temp_.c_str());
        temp_.clear();
        errno = error_;
        return false;
    }
    committed_ = true;
    // Make the rename itself durable; failing here no longer endangers the content.
    UniqueFd dirFd(::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.IsValid())
        ::fsync(dirFd.Get());
    return true;
}

bool AtomicFile::Replace(const std::string& path, std::string_view content)
{
    AtomicFile file(path);
    return file.IsOpen() && file.Write(content) && file.Commit();
}

} // namespace zr
