#pragma once

#include <string>
#include <string_view>

// The control's texts are 8-bit strings in Windows-1252, the code page its automation interface
// was first defined with. Every boundary that speaks UTF-8 (the bus, Python str, a UTF-8
// terminal, the web face, the Qt panels) converts here and nowhere else.
//
// Bytes 0x00-0x7F are ASCII, 0xA0-0xFF are U+00A0-U+00FF, and 0x80-0x9F are the 27 characters
// Windows-1252 puts there (the euro sign, typographic quotes, dashes...). The five bytes it leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the same number
// (U+0081...), so that every byte goes to UTF-8 and back unchanged, whatever a camera or a file
// put in a text. Setup files and module settings are not converted: they keep their bytes.

namespace zr
{

// The control's text as UTF-8. Never fails: every byte has its character.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 text as the control's text. Refuses, with a message in `error` naming what and where,
// text that is not valid UTF-8 and a character that Windows-1252 cannot hold; `ansi` is then
// left empty. Nothing is replaced or dropped.
bool Utf8ToAnsi(std::string_view utf8, std::string& ansi, std::string& error);

} // namespace zr
