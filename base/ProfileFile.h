#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zr
{

// A profile (INI) file: [section] lines and key=value entries. Sections and keys match without
// regard to letter case; a value is the rest of its line after the first "=", blanks at both ends
// removed, then one pair of matching double or single quotes around the whole of it, at most 255
// characters of it read. A "[" line without its "]" still starts a section, named by the rest
// of the line. Only the first section of a name is read and written; a later copy is kept but
// not looked at. Writing updates the text in place: an existing key keeps its line, a new key
// goes after the last entry of its section, a new section at the end; every other line
// (comments, blank lines, anything unparsable) is kept byte for byte and is ignored for lookup.
// Lines written by this class end with CR LF; LF-only lines read fine.
//
// A file that starts with a UTF-16 byte-order mark (little- or big-endian) is read as UTF-16
// and written back in the same encoding, so a file never ends up in two encodings; names and
// values are UTF-8 in memory. Any other file is bytes, a UTF-8 mark included (it is part of the
// first line, which then is no section header).
class ProfileFile
{
public:
    static constexpr size_t kMaxValueLength = 255;
    // Larger files are not loaded (they read as empty and count as unreadable).
    static constexpr size_t kMaxFileSize = size_t{16} * 1024 * 1024;
    // Nor are files of more lines: every line is kept with its parsed name, about a hundred bytes
    // beside its text, so a file of nothing but line ends would need over a hundred times its
    // size in memory. Real setup and settings files have a few hundred lines.
    static constexpr size_t kMaxLines = 65536;

    ProfileFile() = default;
    explicit ProfileFile(const std::string& path) { Load(path); }

    // Replaces the content with the file's. A missing file reads as empty and is no failure; a
    // file that exists but cannot be read, is not a regular file, is too large (in bytes or in
    // lines) or is not valid UTF-16 after a UTF-16 mark reads as empty and sets LoadFailed().
    // Returns !LoadFailed().
    bool Load(const std::string& path);
    bool LoadFailed() const { return loadFailed_; }

    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) const;
    // Whether the key is there (in the first section of that name).
    bool HasEntry(const std::string& section, const std::string& key) const
    {
        return FindEntry(section, key) != std::string::npos;
    }
    // A value that is not a whole decimal number within 32 bits reads as the default.
    int32_t GetInt(const std::string& section, const std::string& key, int32_t defaultValue) const;

    // False, with nothing changed, when the names or the value cannot be stored as one line: an
    // empty section or key, a line break or NUL anywhere, "]" in the section, "=" in the key, or
    // a key that would read as a section or comment line; in a UTF-16 file also text that is not
    // valid UTF-8. Writing the value a quoted entry already reads as leaves its line as it is.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInt(const std::string& section, const std::string& key, int32_t value);
    // Removes every section of that name (letter case ignored): its header line and all lines
    // up to the next section header. True when something was removed.
    bool RemoveSection(const std::string& section);

    // True when a write changed the text since the last Load or successful Save.
    bool IsModified() const { return modified_; }
    // Counts the writes that changed the text; never reset, so comparing the count before and
    // after one write tells whether that write changed anything.
    uint64_t ChangeCount() const { return changeCount_; }

    // The whole file as Save writes it (in UTF-16 with its mark for a UTF-16 file).
    std::string Content() const;

    // Replaces the file atomically with Content() (see AtomicFile): the old file stays whole
    // until the new one is complete. False, with errno set, when anything fails.
    bool Save(const std::string& path);

private:
    enum class Kind { Other, Section, Entry };
    enum class Encoding { Bytes, Utf8Bom, Utf16Le, Utf16Be };
    struct Line {
        std::string text;   // without the line end
        std::string ending; // "\r\n", "\n" or "" (last line without a line end)
        Kind kind = Kind::Other;
        std::string name; // lower-case section name or key
        size_t valueStart = 0;
    };

    static Line Parse(std::string text, std::string ending);
    // Index of the entry line, or npos.
    size_t FindEntry(const std::string& section, const std::string& key) const;
    void InsertLine(size_t index, std::string text);

    std::vector<Line> lines_;
    Encoding encoding_ = Encoding::Bytes;
    bool loadFailed_ = false;
    bool modified_ = false;
    uint64_t changeCount_ = 0;
};

} // namespace zr
