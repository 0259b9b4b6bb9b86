#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace zr
{

// Automation types of property values, method results and arguments.
enum class VarType : uint8_t {
    Void,  // no value: a method without result, an event, an empty Variant
    I4,    // signed 32-bit integer
    Bool,  // automation boolean: true is -1, false is 0
    BStr,  // text; 8-bit strings in the system code page (UTF-8 here)
    PtrI4, // a 32-bit integer passed by reference: an out argument
};

inline constexpr int32_t kAutomationTrue = -1; // an automation BOOL's true
inline constexpr int32_t kAutomationFalse = 0; // an automation BOOL's false

// How a type is written where its values leave the automation boundary.
struct VarTypeSpelling {
    VarType type;       // the type spelt
    const char* name;   // in member signatures: "VOID", "I4", "BOOL", "BSTR" or "PTR(I4)"
    const char* python; // the Python type of its values: "int", "bool", "str" or "None"
    const char* bus;    // the D-Bus type: "i", "b", "s"; an out argument is "i"; empty for VOID
};

// The spelling row of `type`; a row of "?", "None" and "" for a value outside the enum.
const VarTypeSpelling& SpellingOf(VarType type);

// The type as member signatures show it.
inline const char* VarTypeName(VarType type)
{
    return SpellingOf(type).name;
}

// Members of the dispatch interface _DXKorvelCam (properties and methods) and of the event
// interface _DXKorvelCamEvents. Dispids are unique within a kind, not across kinds.
enum class MemberKind : uint8_t { Property, Method, Event };

// What a caller asks of a member through the dispatch.
enum class InvokeKind : uint8_t { PropertyGet, PropertyPut, Method };

// A value crossing the automation boundary: empty, I4, BOOL or BSTR. An out argument (PTR(I4))
// is a Variant slot that the callee overwrites with an I4.
class Variant
{
public:
    Variant() = default;                                     // empty
    Variant(int32_t value) : value_(value) {}                // an I4
    Variant(bool value) : value_(value) {}                   // a BOOL
    Variant(const char* text) : value_(std::string(text)) {} // a BSTR
    Variant(std::string text) : value_(std::move(text)) {}   // a BSTR

    // Void for an empty Variant; never PtrI4.
    VarType Type() const;
    // Whether it holds no value.
    bool IsEmpty() const { return Type() == VarType::Void; }

    // Conversions as the dispatch applies them to arguments: I4 and BOOL convert into each
    // other (true is -1, any non-zero I4 is true); a BSTR converts when it reads as a value of
    // the wanted type (see Parse). An empty Variant converts to nothing.
    std::optional<int32_t> ToI4() const;
    std::optional<bool> ToBool() const;        // as ToI4(), to a BOOL
    std::optional<std::string> ToBStr() const; // as ToI4(), to a BSTR

    // The value as one line of text: I4 in decimal, BOOL as "true" or "false", BSTR as is,
    // empty for an empty Variant.
    std::string ToText() const;

    // Reads a value of `type` from text: I4 in decimal (no blanks, within 32 bits); BOOL as
    // "true" or "false" (any letter case), "1", "0" or "-1"; BSTR as the whole text. Nothing
    // for malformed text or for the types VOID and PTR(I4).
    static std::optional<Variant> Parse(VarType type, std::string_view text);

    // The same type and value (for hosts of C++17 as well as C++20).
    bool operator==(const Variant& other) const { return value_ == other.value_; }
    // Another type or value.
    bool operator!=(const Variant& other) const { return !(*this == other); }

private:
    std::variant<std::monostate, int32_t, bool, std::string> value_;
};

} // namespace zr
