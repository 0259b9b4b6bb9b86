#include "cli/PortsReport.h"

#include <cstdio>
#include <optional>
#include <sys/stat.h>
#include <vector>

#include "comm/ComPortMap.h"
#include "comm/PortName.h"

namespace zr::cli
{

namespace
{

// A method of the dispatch by name with I4 arguments; its result, or nothing on any failure.
std::optional<Variant> CallMethod(ControlSession& object, const char* name,
                                  std::vector<Variant> args)
{
    const AutomationMember* method = FindMember(name);
    Variant result;
    if (method == nullptr || !object.Invoke(*method, InvokeKind::Method, args, result).Succeeded())
        return std::nullopt;
    return result;
}

int32_t Range(ControlSession& object, const char* name, std::vector<Variant> args)
{
    const std::optional<Variant> value = CallMethod(object, name, std::move(args));
    return value ? value->ToI4().value_or(-1) : -1;
}

std::string Text(ControlSession& object, const char* name, std::vector<Variant> args)
{
    const std::optional<Variant> value = CallMethod(object, name, std::move(args));
    return value ? value->ToText() : std::string();
}

std::string Padded(std::string text, size_t width)
{
    if (text.size() < width)
        text.resize(width, ' ');
    return text;
}

// "present" when the device file exists, "absent" otherwise, with the reason when it is not
// simply missing.
std::string Presence(const std::string& device)
{
    struct stat info {
    };
    if (::stat(device.c_str(), &info) == 0)
        return S_ISCHR(info.st_mode) ? "present" : "present (not a character device)";
    return "absent";
}

} // namespace

std::string PortsReport(ControlSession& object, const SettingsStore& settings)
{
    const ComPortMap map(settings);
    std::string out;
    const int32_t lastClass = Range(object, "AskCommClassRange", {Variant(int32_t{1})});
    for (int32_t commClass = 0; commClass <= lastClass; ++commClass) {
        out += Text(object, "AskCommClassString", {Variant(commClass)}) + " (class " +
               std::to_string(commClass) + ")\n";
        const int32_t lastPort =
            Range(object, "AskCommPortRange", {Variant(commClass), Variant(int32_t{1})});
        for (int32_t port = 0; port <= lastPort; ++port) {
            const std::string name =
                Text(object, "AskCommPortString", {Variant(commClass), Variant(port)});
            if (commClass == 0) {
                const std::string device = map.DevicePath(port);
                out += "  " + Padded(name, 7) + Padded(device, 16) + " " + Presence(device) + "\n";
            } else {
                out += "  " + Padded(PortName(commClass, port), 7) + name + "\n";
            }
        }
    }
    if (lastClass < 1)
        out += "CameraLink: no port offered (no frame grabber's libClSerial.so or "
               "libClAllSerial.so on the library search path)\n";
    return out;
}

} // namespace zr::cli
