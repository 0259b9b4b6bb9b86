#include "base/ProfileFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "base/AtomicFile.h"
#include "base/UniqueFd.h"
#include "base/Utf16.h"

namespace zr
{

namespace
{

constexpr const char* kBlanks = " \t\r\v\f";
constexpr const char* kLineEnd = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

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
    // own encoding. A UTF-8 byte-order mark (an editor may add one) is set aside, so that it
    // does not hide the first section, and written back. Any other file is taken byte for byte.
    if (data.starts_with(kUtf8Bom)) {
        data.erase(0, kUtf8Bom.size());
        encoding_ = Encoding::Utf8Bom;
    }
    const std::string_view bytes = data;
    for (Encoding utf16 : {Encoding::Utf16Le, Encoding::Utf16Be}) {
        // Bytes after a UTF-8 mark are UTF-8 text, whatever they look like.
        if (encoding_ == Encoding::Utf8Bom ||
            !bytes.starts_with(utf16 == Encoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF"))
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
    if ((encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be) &&
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
    if (encoding_ == Encoding::Utf8Bom)
        return std::string(kUtf8Bom) + out;
    return EncodeUtf16(out, encoding_ == Encoding::Utf16Be);
}

bool ProfileFile::Save(const std::string& path)
{
    if (!AtomicFile::Replace(path, Content()))
        return false;
    modified_ = false;
    return true;
}

} // namespace zr
