// The control's 8-bit texts (Windows-1252) to and from UTF-8: every byte, the characters that
// cannot be held, and the terminal's choice by locale.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "base/AnsiText.h"
#include "base/TerminalText.h"
#include "base/Utf16.h"

namespace zr
{
namespace
{

std::string AllHighBytes()
{
    std::string bytes;
    for (int b = 0x80; b <= 0xFF; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

TEST(AnsiTextTest, EveryByteGoesToItsOwnCharacterAndBack)
{
    std::set<std::string> seen;
    for (int b = 0; b <= 0xFF; ++b) {
        SCOPED_TRACE(b);
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = AnsiToUtf8(byte);
        EXPECT_TRUE(IsUtf8(utf8));
        EXPECT_TRUE(seen.insert(utf8).second) << "two bytes share a character";
        std::string back;
        std::string error;
        ASSERT_TRUE(Utf8ToAnsi(utf8, back, error)) << error;
        EXPECT_EQ(back, byte);
    }
    // The whole range at once, as a text.
    std::string back;
    std::string error;
    ASSERT_TRUE(Utf8ToAnsi(AnsiToUtf8(AllHighBytes()), back, error)) << error;
    EXPECT_EQ(back, AllHighBytes());

    // The characters of Windows-1252, the five undefined bytes as the C1 controls of their
    // number, and Latin-1 above 0x9F.
    const std::pair<const char*, const char*> known[] = {
        {"\x80", "\xE2\x82\xAC"}, // euro sign
        {"\x81", "\xC2\x81"},     {"\x8D", "\xC2\x8D"}, {"\x8F", "\xC2\x8F"}, {"\x90", "\xC2\x90"},
        {"\x9D", "\xC2\x9D"},     {"\x8A", "\xC5\xA0"}, // S with caron
        {"\x93", "\xE2\x80\x9C"},                       // left double quotation mark
        {"\x99", "\xE2\x84\xA2"},                       // trade mark sign
        {"\x9F", "\xC5\xB8"},                           // Y with diaeresis
        {"\xA0", "\xC2\xA0"},     {"\xE9", "\xC3\xA9"}, {"\xFF", "\xC3\xBF"}, {"ID 7", "ID 7"},
    };
    for (const auto& [ansi, utf8] : known)
        EXPECT_EQ(AnsiToUtf8(ansi), utf8) << ansi;
}

TEST(AnsiTextTest, TextTheControlCannotHoldIsRefusedNotReplaced)
{
    struct Case {
        const char* utf8;
        const char* says;
    };
    const Case cases[] = {
        {"to \xE2\x86\x92 B", "\"\xE2\x86\x92\" (U+2192), which the control's 8-bit texts "
                              "(Windows-1252) cannot hold"},
        {"\xF0\x9F\x98\x80", "(U+1F600)"},
        {"\xC4\x80", "(U+0100)"},                                 // just above Latin-1
        {"caf\xE9", "not valid UTF-8 (byte 0xE9 at position 3)"}, // Latin-1, not UTF-8
        {"\xED\xA0\x80", "not valid UTF-8"},                      // a surrogate
    };
    for (const Case& c : cases) {
        std::string ansi = "old";
        std::string error;
        EXPECT_FALSE(Utf8ToAnsi(c.utf8, ansi, error)) << c.utf8;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_EQ(ansi, "");
    }
}

// Sets one environment variable for the life of the object.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value, 1);
    }
    ~ScopedVariable()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(AnsiTextTest, TerminalConvertsWhereTheLocaleIsUtf8AndPassesBytesElsewhere)
{
    {
        ScopedVariable all("LC_ALL", "C.UTF-8");
        EXPECT_TRUE(TerminalText::FromEnvironment().Utf8());
    }
    {
        ScopedVariable all("LC_ALL", "C");
        EXPECT_FALSE(TerminalText::FromEnvironment().Utf8());
    }

    const TerminalText utf8(true);
    const TerminalText bytes(false);
    EXPECT_EQ(utf8.Out("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(bytes.Out("Caf\xE9 \x80"), "Caf\xE9 \x80");
    std::string ansi;
    std::string error;
    EXPECT_TRUE(utf8.In("Caf\xC3\xA9", ansi, error));
    EXPECT_EQ(ansi, "Caf\xE9");
    EXPECT_FALSE(utf8.In("\xE2\x86\x92", ansi, error));
    EXPECT_TRUE(bytes.In("\xE2\x86\x92", ansi, error)); // the C locale: bytes as they are
    EXPECT_EQ(ansi, "\xE2\x86\x92");
}

} // namespace
} // namespace zr
