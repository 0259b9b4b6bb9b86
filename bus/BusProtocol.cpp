#include "bus/BusProtocol.h"

#include <cstdio>

#include "automation/MemberDoc.h"

namespace zr::bus
{

namespace
{

constexpr BusSignalRow kBusSignals[] = {
    {BusSignal::CommLog,
     kLogSignal,
     "sb",
     {"line", "sent"},
     "A line sent to the camera (sent true) or received from it, CR and LF removed."},
    {BusSignal::Progress,
     kProgressSignal,
     "sii",
     {"operation", "done", "total"},
     "A step of a long operation: its name, the steps done and the steps in all."},
    {BusSignal::Message,
     "Message",
     "si",
     {"text", "icon"},
     "A message the control would show in a box (icon 0 error, 1 stop, 2 information, "
     "3 warning), sent only to the caller of the call that produced it."},
};

} // namespace

std::span<const BusSignalRow> BusSignals()
{
    return kBusSignals;
}

const BusSignalRow& BusSignalOf(BusSignal id)
{
    return kBusSignals[static_cast<size_t>(id)];
}

const BusSignalRow* FindBusSignal(std::string_view name)
{
    for (const BusSignalRow& row : kBusSignals)
        if (name == row.name)
            return &row;
    return nullptr;
}

std::string InputSignature(const AutomationMember& method)
{
    std::string signature;
    for (const AutomationArgument& argument : method.Arguments())
        if (argument.type != VarType::PtrI4)
            signature += BusType(argument.type);
    return signature;
}

std::string OutputSignature(const AutomationMember& method)
{
    std::string signature = BusType(method.type);
    for (const AutomationArgument& argument : method.Arguments())
        if (argument.type == VarType::PtrI4)
            signature += BusType(argument.type);
    return signature;
}

std::string ErrorName(int32_t status)
{
    char code[16];
    std::snprintf(code, sizeof code, "E%08X", static_cast<unsigned>(status));
    return kErrorPrefix + std::string(code);
}

std::optional<int32_t> StatusOfErrorName(std::string_view name)
{
    const std::string_view prefix = kErrorPrefix;
    if (!name.starts_with(prefix) || name.size() != prefix.size() + 9 || name[prefix.size()] != 'E')
        return std::nullopt;
    uint32_t status = 0;
    for (char c : name.substr(prefix.size() + 1)) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        status = status * 16 + static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(status);
}

std::string BusName(int64_t pid, int index)
{
    std::string name = kNamePrefix + std::string("p") + std::to_string(pid);
    if (index > 1)
        name += "_" + std::to_string(index);
    return name;
}

namespace
{

void AppendArg(std::string& xml, const char* type, const char* name, const char* direction)
{
    xml += "   <arg type=\"";
    xml += type;
    xml += "\"";
    if (name != nullptr) {
        xml += " name=\"";
        xml += name;
        xml += "\"";
    }
    if (direction != nullptr) {
        xml += " direction=\"";
        xml += direction;
        xml += "\"";
    }
    xml += "/>\n";
}

// A description as the documentation annotation of its element, quoted for XML.
std::string DocAnnotation(std::string_view doc)
{
    std::string text;
    for (char c : doc) {
        if (c == '&')
            text += "&amp;";
        else if (c == '<')
            text += "&lt;";
        else if (c == '"')
            text += "&quot;";
        else
            text += c;
    }
    return "   <annotation name=\"org.freedesktop.DBus.DocString\" value=\"" + text + "\"/>\n";
}

void AppendMember(std::string& xml, const AutomationMember& m)
{
    const std::string name(m.Name());
    if (m.kind == MemberKind::Property) {
        xml += "  <property name=\"" + name + "\" type=\"" + BusType(m.type) + "\" access=\"" +
               (m.readOnly ? "read" : "readwrite") + "\">\n" + DocAnnotation(MemberDoc(m));
        // The visibility flags change without a notification the bus could follow.
        if (m.special == SpecialOp::PanelVisibility)
            xml += "   <annotation name=\"org.freedesktop.DBus.Property.EmitsChangedSignal\" "
                   "value=\"false\"/>\n";
        xml += "  </property>\n";
        return;
    }
    if (m.kind == MemberKind::Event) {
        xml += "  <signal name=\"" + name + "\">\n" + DocAnnotation(MemberDoc(m)) + "  </signal>\n";
        return;
    }
    xml += "  <method name=\"" + name + "\">\n" + DocAnnotation(MemberDoc(m));
    for (const AutomationArgument& a : m.Arguments())
        if (a.type != VarType::PtrI4)
            AppendArg(xml, BusType(a.type), a.name, "in");
    if (m.type != VarType::Void)
        AppendArg(xml, BusType(m.type), "result", "out");
    for (const AutomationArgument& a : m.Arguments())
        if (a.type == VarType::PtrI4)
            AppendArg(xml, BusType(a.type), a.name, "out");
    xml += "  </method>\n";
}

} // namespace

std::string InterfaceXml()
{
    std::string xml = " <interface name=\"" + std::string(kInterface) + "\">\n";
    for (const AutomationMember& m : AutomationMembers())
        AppendMember(xml, m);
    xml += "  <method name=\"" + std::string(kStopMethod) + "\">\n" +
           DocAnnotation("Stops the long operation the caller started, after its restoring "
                         "steps; the operation's call then ends with its stop error.") +
           "  </method>\n";
    for (const BusSignalRow& row : BusSignals()) {
        xml += "  <signal name=\"" + std::string(row.name) + "\">\n" + DocAnnotation(row.doc);
        const std::string_view types = row.signature;
        for (size_t i = 0; i < types.size(); ++i)
            AppendArg(xml, std::string(1, types[i]).c_str(), row.argNames[i], nullptr);
        xml += "  </signal>\n";
    }
    xml += " </interface>\n";
    return xml;
}

} // namespace zr::bus
