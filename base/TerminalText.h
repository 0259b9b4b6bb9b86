#pragma once

#include <string>
#include <string_view>

namespace zr
{

// The control's texts on a terminal and in command-line arguments. Where the locale's character
// set is UTF-8 they are converted (base/AnsiText.h); under any other locale (C, POSIX, an 8-bit
// one) they go out and come in as the bytes they are.
class TerminalText
{
public:
    explicit TerminalText(bool utf8) : utf8_(utf8) {}

    // As LC_ALL, LC_CTYPE and LANG say, read without changing the program's locale.
    static TerminalText FromEnvironment();

    bool Utf8() const { return utf8_; }

    // The control's text as the terminal shows it.
    std::string Out(std::string_view ansi) const;

    // An argument as the control's text; false with `error` set where a UTF-8 argument holds a
    // character the control's texts cannot hold, or is not UTF-8 at all.
    bool In(std::string_view argument, std::string& ansi, std::string& error) const;

private:
    bool utf8_;
};

} // namespace zr
