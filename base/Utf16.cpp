#include "base/Utf16.h"

namespace zr
{

namespace
{

constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

} // namespace

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

bool IsUtf8(std::string_view text)
{
    char32_t c = 0;
    for (size_t pos = 0; pos < text.size();)
        if (!NextUtf8(text, pos, c))
            return false;
    return true;
}

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

} // namespace zr
