#include "automation/AutomationTypes.h"

#include <charconv>

namespace zr
{

namespace
{

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// A decimal integer that uses the whole text and fits in 32 bits.
std::optional<int32_t> ParseI4(std::string_view text)
{
    int32_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<bool> ParseBool(std::string_view text)
{
    if (EqualsNoCase(text, "true") || text == "1" || text == "-1")
        return true;
    if (EqualsNoCase(text, "false") || text == "0")
        return false;
    return std::nullopt;
}

} // namespace

const VarTypeSpelling& SpellingOf(VarType type)
{
    // clang-format off
    static constexpr VarTypeSpelling kSpellings[] = {
        {VarType::Void,  "VOID",    "None", ""},
        {VarType::I4,    "I4",      "int",  "i"},
        {VarType::Bool,  "BOOL",    "bool", "b"},
        {VarType::BStr,  "BSTR",    "str",  "s"},
        {VarType::PtrI4, "PTR(I4)", "int",  "i"},
    };
    // clang-format on
    static constexpr VarTypeSpelling kUnknown{VarType::Void, "?", "None", ""};
    for (const VarTypeSpelling& row : kSpellings)
        if (row.type == type)
            return row;
    return kUnknown;
}

VarType Variant::Type() const
{
    if (std::holds_alternative<int32_t>(value_))
        return VarType::I4;
    if (std::holds_alternative<bool>(value_))
        return VarType::Bool;
    if (std::holds_alternative<std::string>(value_))
        return VarType::BStr;
    return VarType::Void;
}

std::optional<int32_t> Variant::ToI4() const
{
    if (const int32_t* i = std::get_if<int32_t>(&value_))
        return *i;
    if (const bool* b = std::get_if<bool>(&value_))
        return *b ? kAutomationTrue : kAutomationFalse;
    if (const std::string* s = std::get_if<std::string>(&value_))
        return ParseI4(*s);
    return std::nullopt;
}

std::optional<bool> Variant::ToBool() const
{
    if (const bool* b = std::get_if<bool>(&value_))
        return *b;
    if (const int32_t* i = std::get_if<int32_t>(&value_))
        return *i != 0;
    if (const std::string* s = std::get_if<std::string>(&value_))
        return ParseBool(*s);
    return std::nullopt;
}

std::optional<std::string> Variant::ToBStr() const
{
    if (IsEmpty())
        return std::nullopt;
    return ToText();
}

std::string Variant::ToText() const
{
    if (const int32_t* i = std::get_if<int32_t>(&value_))
        return std::to_string(*i);
    if (const bool* b = std::get_if<bool>(&value_))
        return *b ? "true" : "false";
    if (const std::string* s = std::get_if<std::string>(&value_))
        return *s;
    return {};
}

std::optional<Variant> Variant::Parse(VarType type, std::string_view text)
{
    switch (type) {
    case VarType::I4:
        if (std::optional<int32_t> value = ParseI4(text))
            return Variant(*value);
        return std::nullopt;
    case VarType::Bool:
        if (std::optional<bool> value = ParseBool(text))
            return Variant(*value);
        return std::nullopt;
    case VarType::BStr:
        return Variant(std::string(text));
    case VarType::Void:
    case VarType::PtrI4:
        break;
    }
    return std::nullopt;
}

} // namespace zr
