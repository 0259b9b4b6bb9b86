#include "base/TerminalText.h"

#include <cstring>
#include <langinfo.h>
#include <locale.h>

#include "base/AnsiText.h"

namespace zr
{

TerminalText TerminalText::FromEnvironment()
{
    // A locale object of its own: the program's global locale (and so its number formats) stays
    // "C".
    const locale_t locale = ::newlocale(LC_CTYPE_MASK, "", nullptr);
    if (locale == nullptr)
        return TerminalText(false);
    const char* codeset = ::nl_langinfo_l(CODESET, locale);
    const bool utf8 = codeset != nullptr && std::strcmp(codeset, "UTF-8") == 0;
    ::freelocale(locale);
    return TerminalText(utf8);
}

std::string TerminalText::Out(std::string_view ansi) const
{
    return utf8_ ? AnsiToUtf8(ansi) : std::string(ansi);
}

bool TerminalText::In(std::string_view argument, std::string& ansi, std::string& error) const
{
    if (utf8_)
        return Utf8ToAnsi(argument, ansi, error);
    ansi = argument;
    return true;
}

} // namespace zr
