#pragma once

#include <string>
#include <string_view>

namespace zr
{

// Appends the code point `c` (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// The code point of the UTF-8 sequence at `pos`, which moves past it; false (and `pos` unmoved)
// for a sequence that is cut short, overlong, a surrogate or beyond U+10FFFF.
bool NextUtf8(std::string_view text, size_t& pos, char32_t& c);

// Whether the text is valid UTF-8: no sequence cut short or overlong, no surrogate, nothing
// beyond U+10FFFF.
bool IsUtf8(std::string_view text);

// UTF-16 text (without its byte-order mark) as UTF-8; false for an odd number of bytes or a
// surrogate without its partner.
bool DecodeUtf16(std::string_view bytes, bool bigEndian, std::string& text);

// Valid UTF-8 text as UTF-16 with its byte-order mark; conversion stops at the first invalid
// sequence.
std::string EncodeUtf16(std::string_view text, bool bigEndian);

} // namespace zr
