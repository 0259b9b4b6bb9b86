#include "base/AnsiText.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "base/Utf16.h"

namespace zr
{

namespace
{

constexpr char32_t kFirstHigh = 0x80;
constexpr char32_t kFirstLatin1 = 0xA0;

// The characters of bytes 0x80-0x9F. The five bytes Windows-1252 leaves undefined keep the C1
// control of their own number, so that they round-trip.
constexpr std::array<char32_t, kFirstLatin1 - kFirstHigh> kHighCharacters = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80-0x87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88-0x8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90-0x97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98-0x9F
};

char32_t CharacterOf(unsigned char byte)
{
    if (byte >= kFirstHigh && byte < kFirstLatin1)
        return kHighCharacters[byte - kFirstHigh];
    return byte;
}

// The byte that holds `c`, or -1 when Windows-1252 has none for it.
int ByteOf(char32_t c)
{
    if (c < kFirstHigh || (c >= kFirstLatin1 && c <= 0xFF))
        return static_cast<int>(c);
    const auto found = std::find(kHighCharacters.begin(), kHighCharacters.end(), c);
    if (found == kHighCharacters.end())
        return -1;
    return static_cast<int>(kFirstHigh + (found - kHighCharacters.begin()));
}

std::string Hex(const char* format, unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

std::string AnsiToUtf8(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 2);
    for (char byte : ansi)
        AppendUtf8(out, CharacterOf(static_cast<unsigned char>(byte)));
    return out;
}

bool Utf8ToAnsi(std::string_view utf8, std::string& ansi, std::string& error)
{
    ansi.clear();
    ansi.reserve(utf8.size());
    char32_t c = 0;
    for (size_t pos = 0; pos < utf8.size();) {
        const size_t at = pos;
        if (!NextUtf8(utf8, pos, c)) {
            error = "the text is not valid UTF-8 (byte " +
                    Hex("0x%02X", static_cast<unsigned char>(utf8[at])) + " at position " +
                    std::to_string(at) + ")";
            ansi.clear();
            return false;
        }
        const int byte = ByteOf(c);
        if (byte < 0) {
            error = "the text holds \"" + std::string(utf8.substr(at, pos - at)) + "\" (" +
                    Hex("U+%04X", static_cast<unsigned>(c)) +
                    "), which the control's 8-bit texts (Windows-1252) cannot hold";
            ansi.clear();
            return false;
        }
        ansi += static_cast<char>(byte);
    }
    return true;
}

} // namespace zr
