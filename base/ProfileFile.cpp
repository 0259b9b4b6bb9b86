#include "base/ProfileFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pthread.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "base/UniqueFd.h"

namespace zr
{

namespace
{

constexpr const char* kBlanks = " \t\r\v\f";
constexpr const char* kLineEnd = "\r\n";

std::string_view Trim(std::string_view s)
{
    size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return out;
}

bool HasLineBreakOrNul(std::string_view s)
{
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool IsValidSection(std::string_view section)
{
    return !section.empty() && !HasLineBreakOrNul(section) &&
           section.find(']') == std::string_view::npos;
}

bool IsValidKey(std::string_view key)
{
    return !key.empty() && !HasLineBreakOrNul(key) && key.find('=') == std::string_view::npos &&
           key.front() != '[' && key.front() != ';' && key.front() != '#';
}

// A value with one pair of matching double or single quotes around the whole of it reads
// without them.
std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t c)
{
    auto byte = [&out](char32_t b) { out += static_cast<char>(b); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | (c >> 6));
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | (c >> 12));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | (c >> 18));
        byte(0x80 | ((c >> 12) & 0x3F));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

// The code point of the UTF-8 sequence at `pos`, which moves past it; false for a sequence that
// is cut short, overlong, a surrogate or beyond U+10FFFF.
bool NextUtf8(std::string_view s, size_t& pos, char32_t& c)
{
    const auto lead = static_cast<unsigned char>(s[pos]);
    size_t length = lead < 0x80           ? 1
                    : (lead >> 5) == 0x6  ? 2
                    : (lead >> 4) == 0xE  ? 3
                    : (lead >> 3) == 0x1E ? 4
                                          : 0;
    if (length == 0 || s.size() - pos < length)
        return false;
    constexpr char32_t kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    c = lead & kLeadMask[length];
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(s[pos + i]);
        if ((next & 0xC0) != 0x80)
            return false;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < kSmallest[length] || c > kMaxCodePoint || IsSurrogate(c))
        return false;
    pos += length;
    return true;
}

bool IsUtf8(std::string_view s)
{
    char32_t c = 0;
    for (size_t pos = 0; pos < s.size();)
        if (!NextUtf8(s, pos, c))
            return false;
    return true;
}

// UTF-16 text (without its byte-order mark) as UTF-8; false for an odd number of bytes or a
// surrogate without its partner.
bool DecodeUtf16(std::string_view bytes, bool bigEndian, std::string& text)
{
    if (bytes.size() % 2 != 0)
        return false;
    auto unit = [&](size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    text.clear();
    text.reserve(bytes.size() / 2 * 3);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (IsSurrogate(c))
            return false;
        AppendUtf8(text, c);
    }
    return true;
}

// Valid UTF-8 text as UTF-16 with its byte-order mark.
std::string EncodeUtf16(std::string_view text, bool bigEndian)
{
    std::string out;
    out.reserve(2 + text.size() * 2);
    auto unit = [&](char32_t u) {
        const auto high = static_cast<char>(u >> 8);
        const auto low = static_cast<char>(u & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    unit(0xFEFF);
    char32_t c = 0;
    for (size_t pos = 0; pos < text.size() && NextUtf8(text, pos, c);) {
        if (c < 0x10000) {
            unit(c);
        } else {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

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

bool WriteAll(int fd, const std::string& data)
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

ProfileFile::Line ProfileFile::Parse(std::string text, std::string ending)
{
    Line line;
    line.text = std::move(text);
    line.ending = std::move(ending);
    std::string_view trimmed = Trim(line.text);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#')
        return line;
    if (trimmed.front() == '[') {
        // A header without its closing bracket names its section with the rest of the line.
        size_t close = trimmed.find(']');
        line.kind = Kind::Section;
        line.name =
            Lower(Trim(trimmed.substr(1, close == std::string_view::npos ? close : close - 1)));
        return line;
    }
    size_t eq = line.text.find('=');
    if (eq == std::string::npos)
        return line;
    std::string_view key = Trim(std::string_view(line.text).substr(0, eq));
    if (key.empty())
        return line;
    line.kind = Kind::Entry;
    line.name = Lower(key);
    line.valueStart = eq + 1;
    return line;
}

bool ProfileFile::Load(const std::string& path)
{
    lines_.clear();
    modified_ = false;
    loadFailed_ = false;
    encoding_ = Encoding::Bytes;

    // Non-blocking so that a FIFO at the path cannot hang us; only regular files are read.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.IsValid()) {
        loadFailed_ = errno != ENOENT;
        return !loadFailed_;
    }
    struct stat st {
    };
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<unsigned long long>(st.st_size) > kMaxFileSize) {
        loadFailed_ = true;
        return false;
    }

    std::string data;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || data.size() + static_cast<size_t>(n) > kMaxFileSize) {
            loadFailed_ = true;
            return false;
        }
        if (n == 0)
            break;
        data.append(buffer, static_cast<size_t>(n));
    }

    // A UTF-16 file (known by its byte-order mark) is kept as UTF-8 text and written back in its
    // own encoding. Any other file is taken byte for byte.
    const std::string_view bytes = data;
    for (Encoding utf16 : {Encoding::Utf16Le, Encoding::Utf16Be}) {
        if (!bytes.starts_with(utf16 == Encoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF"))
            continue;
        std::string text;
        if (!DecodeUtf16(bytes.substr(2), utf16 == Encoding::Utf16Be, text)) {
            loadFailed_ = true;
            return false;
        }
        data = std::move(text);
        encoding_ = utf16;
        break;
    }

    // Counted before any line is built, so an oversized file costs no more than its bytes.
    size_t lineCount = static_cast<size_t>(std::count(data.begin(), data.end(), '\n'));
    if (!data.empty() && data.back() != '\n')
        ++lineCount;
    if (lineCount > kMaxLines) {
        loadFailed_ = true;
        return false;
    }
    lines_.reserve(lineCount);

    size_t start = 0;
    while (start < data.size()) {
        size_t lf = data.find('\n', start);
        if (lf == std::string::npos) {
            lines_.push_back(Parse(data.substr(start), ""));
            break;
        }
        size_t end = lf;
        std::string ending = "\n";
        if (end > start && data[end - 1] == '\r') {
            --end;
            ending = kLineEnd;
        }
        lines_.push_back(Parse(data.substr(start, end - start), std::move(ending)));
        start = lf + 1;
    }
    return true;
}

size_t ProfileFile::FindEntry(const std::string& section, const std::string& key) const
{
    std::string sectionName = Lower(Trim(section));
    std::string keyName = Lower(Trim(key));
    bool inSection = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        // Only the first section of that name counts; a later copy is not looked at.
        if (line.kind == Kind::Section && inSection)
            break;
        if (line.kind == Kind::Section)
            inSection = line.name == sectionName;
        else if (inSection && line.kind == Kind::Entry && line.name == keyName)
            return i;
    }
    return std::string::npos;
}

std::string ProfileFile::GetString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const
{
    size_t index = FindEntry(section, key);
    if (index == std::string::npos)
        return defaultValue;
    const Line& line = lines_[index];
    std::string_view value = Unquote(Trim(std::string_view(line.text).substr(line.valueStart)));
    // Values are C strings to every consumer: a NUL ends one.
    value = value.substr(0, value.find('\0'));
    return std::string(value.substr(0, kMaxValueLength));
}

int32_t ProfileFile::GetInt(const std::string& section, const std::string& key,
                            int32_t defaultValue) const
{
    std::string text = GetString(section, key, "");
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    int32_t value = 0;
    auto [end, error] = std::from_chars(first, last, value, 10);
    if (first == last || error != std::errc() || end != last)
        return defaultValue;
    return value;
}

void ProfileFile::InsertLine(size_t index, std::string text)
{
    // The line before may be the file's last line without a line end: give it one.
    if (index > 0 && lines_[index - 1].ending.empty())
        lines_[index - 1].ending = kLineEnd;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index),
                  Parse(std::move(text), kLineEnd));
}

bool ProfileFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value)
{
    std::string_view sectionName = Trim(section);
    std::string_view keyName = Trim(key);
    if (!IsValidSection(sectionName) || !IsValidKey(keyName) || HasLineBreakOrNul(value))
        return false;
    // A UTF-16 file holds only what it can encode.
    if (encoding_ != Encoding::Bytes &&
        (!IsUtf8(sectionName) || !IsUtf8(keyName) || !IsUtf8(value)))
        return false;

    size_t index = FindEntry(section, key);
    if (index != std::string::npos) {
        Line& line = lines_[index];
        // A quoted value that reads as the new one stays as it is.
        std::string_view old = Trim(std::string_view(line.text).substr(line.valueStart));
        if (Unquote(old).size() != old.size() && Unquote(old) == value)
            return true;
        // Keep the line's own spelling of the key and the blanks around "=".
        size_t prefixEnd = line.valueStart;
        while (prefixEnd < line.text.size() &&
               (line.text[prefixEnd] == ' ' || line.text[prefixEnd] == '\t'))
            ++prefixEnd;
        std::string text = line.text.substr(0, prefixEnd) + value;
        if (text == line.text)
            return true;
        std::string ending = line.ending.empty() ? "" : kLineEnd;
        line = Parse(std::move(text), std::move(ending));
        modified_ = true;
        ++changeCount_;
        return true;
    }

    std::string wanted = Lower(sectionName);
    std::string entry = std::string(keyName) + "=" + value;
    size_t header = std::string::npos;
    size_t lastEntry = std::string::npos;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            if (header != std::string::npos)
                break;
            if (line.name == wanted)
                header = i;
        } else if (header != std::string::npos && line.kind == Kind::Entry) {
            lastEntry = i;
        }
    }
    if (header != std::string::npos) {
        InsertLine((lastEntry != std::string::npos ? lastEntry : header) + 1, std::move(entry));
    } else {
        InsertLine(lines_.size(), "[" + std::string(sectionName) + "]");
        InsertLine(lines_.size(), std::move(entry));
    }
    modified_ = true;
    ++changeCount_;
    return true;
}

bool ProfileFile::WriteInt(const std::string& section, const std::string& key, int32_t value)
{
    return WriteString(section, key, std::to_string(value));
}

bool ProfileFile::RemoveSection(const std::string& section)
{
    std::string wanted = Lower(Trim(section));
    bool inSection = false;
    size_t before = lines_.size();
    std::erase_if(lines_, [&](const Line& line) {
        if (line.kind == Kind::Section)
            inSection = line.name == wanted;
        return inSection;
    });
    if (lines_.size() == before)
        return false;
    modified_ = true;
    ++changeCount_;
    return true;
}

std::string ProfileFile::Content() const
{
    size_t size = 0;
    for (const Line& line : lines_)
        size += line.text.size() + line.ending.size();
    std::string out;
    out.reserve(size);
    for (const Line& line : lines_) {
        out += line.text;
        out += line.ending;
    }
    if (encoding_ == Encoding::Bytes)
        return out;
    return EncodeUtf16(out, encoding_ == Encoding::Utf16Be);
}

bool ProfileFile::Save(const std::string& path)
{
    if (!ReplaceFile(path, Content()))
        return false;
    modified_ = false;
    return true;
}

bool ProfileFile::ReplaceFile(const std::string& path, const std::string& content)
{
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    std::string target = ResolveTarget(path);
    if (target.empty())
        return false;
    size_t slash = target.rfind('/');
    std::string dir =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    // A file the user made read-only stays as it is. The superuser passes access(), so the
    // permission bits are looked at too. Only a regular file is replaced: renaming over a device
    // or a pipe (a report saved to /dev/null, say) would put a plain file in its place.
    struct stat existing {
    };
    if (::stat(target.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) {
            errno = S_ISDIR(existing.st_mode) ? EISDIR : EINVAL;
            return false;
        }
        if (::access(target.c_str(), W_OK) != 0 || (existing.st_mode & 0222) == 0) {
            errno = EACCES;
            return false;
        }
    }

    // A name of our own beside the target; O_EXCL makes sure no other file is reused.
    UniqueFd fd;
    std::string temp;
    auto stamp = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100 && !fd.IsValid(); ++attempt) {
        temp.assign(dir).append("/.").append(base).append(".");
        temp.append(std::to_string(::getpid())).append("-");
        temp.append(std::to_string(stamp + static_cast<unsigned long long>(attempt)))
            .append(".tmp");
        fd.Reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd.IsValid() && errno != EEXIST)
            return false;
    }
    if (!fd.IsValid()) {
        errno = EEXIST;
        return false;
    }

    // A replaced file keeps its permissions; a new one gets 0666 less the umask from open().
    // The first failing step's errno is what the caller sees.
    int error = 0;
    auto step = [&error](bool done) {
        if (!done && error == 0)
            error = errno != 0 ? errno : EIO;
        return done;
    };
    struct stat old {
    };
    bool ok = step(WriteAll(fd.Get(), content));
    if (ok && ::stat(target.c_str(), &old) == 0)
        ok = step(::fchmod(fd.Get(), old.st_mode & 07777) == 0);
    ok = ok && step(::fsync(fd.Get()) == 0);
    ok = step(fd.Reset() == 0) && ok;
    ok = ok && step(::rename(temp.c_str(), target.c_str()) == 0);
    if (!ok) {
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    // Make the rename itself durable; failing here no longer endangers the content.
    UniqueFd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.IsValid())
        ::fsync(dirFd.Get());
    return true;
}

} // namespace zr
