// Profile files: any bytes load (UTF-16 ones when valid), read back byte for byte, survive writes
// of any names and values, and a save reads back as the text it wrote, with every written value
// found again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzInput.h"
#include "ScratchFolder.h"
#include "base/ProfileFile.h"

namespace
{

using zr::ProfileFile;
using zr::fuzz::FuzzInput;
using zr::fuzz::ScratchFolder;

std::string_view Trim(std::string_view text)
{
    constexpr std::string_view kBlanks = " \t\r\v\f";
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// What GetString gives for a value written as `value`: blanks at both ends dropped, then one
// pair of matching quotes around the whole, then at most the first kMaxValueLength bytes.
std::string ExpectedValue(std::string_view value)
{
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, ProfileFile::kMaxValueLength));
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Written {
    std::string section;
    std::string key;
    std::string value;
};

// Names as the file compares them: blanks at both ends dropped, letter case ignored.
std::string Name(const std::string& text)
{
    std::string name(Trim(text));
    for (char& c : name)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return name;
}

// The last write of each section and key pair must read back.
void CheckValues(const ProfileFile& file, const std::vector<Written>& written)
{
    for (size_t i = 0; i < written.size(); ++i) {
        bool replaced = false;
        for (size_t j = i + 1; j < written.size() && !replaced; ++j)
            replaced = Name(written[j].section) == Name(written[i].section) &&
                       Name(written[j].key) == Name(written[i].key);
        if (!replaced)
            Check(file.GetString(written[i].section, written[i].key, "\x01") ==
                  ExpectedValue(written[i].value));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ScratchFolder scratch;
    FuzzInput in(data, size);
    const std::string original = in.Text(8192);
    const std::string path = scratch.File("profile.ini");
    ScratchFolder::Write(path, original);

    ProfileFile file;
    // Only a file marked as UTF-16 can fail to load: when the rest is not valid UTF-16.
    if (!file.Load(path)) {
        Check(original.starts_with("\xFF\xFE") || original.starts_with("\xFE\xFF"));
        return 0;
    }
    Check(file.Content() == original);

    std::vector<Written> written;
    while (!in.Empty()) {
        const uint8_t op = in.Byte() % 4;
        std::string section = in.Text(12);
        if (op == 3) {
            file.RemoveSection(section);
            written.clear(); // what is left of earlier writes is not tracked past a removal
            continue;
        }
        std::string key = in.Text(12);
        std::string value = op == 2
                                ? std::to_string(static_cast<int32_t>(in.Number(0xFFFF)) - 0x8000)
                                : in.Text(300);
        const bool stored = op == 2 ? file.WriteInt(section, key, std::stoi(value))
                                    : file.WriteString(section, key, value);
        if (stored) {
            Check(file.GetString(section, key, "\x01") == ExpectedValue(value));
            if (op == 2)
                Check(file.GetInt(section, key, 0x7FFF0000) == std::stoi(value));
            written.push_back({std::move(section), std::move(key), std::move(value)});
        }
    }

    // Saved, the file holds exactly the text in memory and every last write reads back.
    const std::string content = file.Content();
    Check(file.Save(path));
    Check(ScratchFolder::Read(path) == content);
    ProfileFile reloaded(path);
    Check(!reloaded.LoadFailed());
    Check(reloaded.Content() == content);
    CheckValues(reloaded, written);
    return 0;
}
