// Writes the kit's member header to the file named by its one argument: every member of the
// control's dispatch and event interfaces as data a host can read (name, kind, dispid, type,
// arguments in declaration order with their directions, description) and one named dispid
// constant per member, generated from the member table.

#include <cstdio>
#include <fstream>
#include <string>

#include "automation/AutomationMembers.h"
#include "automation/MemberDoc.h"

namespace
{

using namespace zr;

constexpr const char* kHeader = R"(#pragma once

// Generated from the control's member table. Do not edit.

#include <cstddef>
#include <cstdint>

#include "automation/AutomationTypes.h"

/// @file
/// The members of the control's dispatch interface (properties and methods) and of its event
/// interface, as data: what IXKorvelCamObject::GetIDOfName() and Invoke() serve, and the dispids
/// that IXKorvelCamEvents::OnEvent() reports.

namespace zr::members
{

/// Whether an argument passes a value to the member or receives one from it.
enum class Direction : uint8_t {
    In,  ///< A value passed to the member (I4, BOOL, BSTR).
    Out, ///< A PTR(I4) slot the member overwrites with an I4.
};

/// One argument of a method, in declaration order: the position of its Variant in Invoke()'s
/// `args`.
struct Argument {
    const char* name;    ///< The argument's name ("pnResult").
    VarType type;        ///< Its automation type; PtrI4 for an out argument.
    Direction direction; ///< In or Out.
};

/// One member of the control.
struct Member {
    const char* name;         ///< Its name; GetIDOfName() matches it in any letter case.
    MemberKind kind;          ///< Property, method or event.
    int32_t dispid;           ///< Its dispid, unique within its kind.
    VarType type;             ///< Property type, method result (Void for none), Void for events.
    bool readOnly;            ///< A property that cannot be written.
    uint8_t argumentCount;    ///< How many of `arguments` the method takes.
    Argument arguments[3];    ///< The method's arguments in declaration order.
    const char* description;  ///< One sentence on what it gives or does.
};

/// Every member, ordered by kind (properties, methods, events) and then by dispid.
inline constexpr Member kMembers[] = {
)";

constexpr const char* kKindNames[] = {"MemberKind::Property", "MemberKind::Method",
                                      "MemberKind::Event"};
constexpr const char* kTypeNames[] = {"VarType::Void", "VarType::I4", "VarType::Bool",
                                      "VarType::BStr", "VarType::PtrI4"};
constexpr const char* kDispidPrefix[] = {"kProperty", "kMethod", "kEvent"};

// A C++ string literal of `text`.
std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string Row(const AutomationMember& m)
{
    std::string row =
        "    {" + Quoted(std::string(m.Name())) + ", " + kKindNames[static_cast<int>(m.kind)] +
        ", " + std::to_string(m.dispid) + ", " + kTypeNames[static_cast<int>(m.type)] + ", " +
        (m.readOnly ? "true" : "false") + ", " + std::to_string(m.argumentCount) + ", {";
    for (const AutomationArgument& a : m.Arguments())
        row += "{" + Quoted(a.name) + ", " + kTypeNames[static_cast<int>(a.type)] + ", " +
               (a.type == VarType::PtrI4 ? "Direction::Out" : "Direction::In") + "}, ";
    return row + "}, " + Quoted(MemberDoc(m)) + "},\n";
}

// kProperty<Name>, kMethod<Name>, kEvent<Name>: the dispid of each member by name.
std::string Dispids()
{
    std::string text = "/// The dispid of each member by its kind and name.\nnamespace dispid\n{\n";
    for (const AutomationMember& m : AutomationMembers())
        text += "/// " + MemberDoc(m) + "\ninline constexpr int32_t " +
                kDispidPrefix[static_cast<int>(m.kind)] + std::string(m.Name()) + " = " +
                std::to_string(m.dispid) + ";\n";
    return text + "} // namespace dispid\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: zr47xcl-member-header FILE\n", stderr);
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << kHeader;
    for (const AutomationMember& m : AutomationMembers())
        out << Row(m);
    out << "};\n\n/// How many members kMembers holds.\ninline constexpr size_t kMemberCount = "
           "sizeof kMembers / sizeof kMembers[0];\n\n"
        << Dispids() << "\n} // namespace zr::members\n";
    out.close();
    return out ? 0 : 1;
}
