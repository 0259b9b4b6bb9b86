#include "sim/cl/ClTestLibrary.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

namespace zr::cltest
{

namespace
{

// Copies `text` with its terminating zero into a caller's buffer of *size bytes; *size becomes
// the size needed.
int32_t CopyText(const std::string& text, char* buffer, uint32_t* size)
{
    if (buffer == nullptr || size == nullptr)
        return kStatusInvalidIndex;
    const uint32_t needed = static_cast<uint32_t>(text.size() + 1);
    const uint32_t available = *size;
    *size = needed;
    if (available < needed)
        return kStatusBufferTooSmall;
    std::memcpy(buffer, text.c_str(), needed);
    return kStatusOk;
}

// Bytes as readable text for the call log: CR, LF and other control bytes escaped.
std::string Printable(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (static_cast<unsigned char>(c) < 0x20 || c == '\\') {
            std::array<char, 8> hex{};
            std::snprintf(hex.data(), hex.size(), "\\x%02x", static_cast<unsigned char>(c));
            text += hex.data();
        } else
            text += c;
    }
    return text;
}

struct ErrorText {
    int32_t status;
    const char* text;
};

constexpr std::array<ErrorText, 9> kErrorTexts = {{
    {kStatusOk, "No error."},
    {kStatusBufferTooSmall, "Buffer too small."},
    {kStatusNoManufacturer, "No such manufacturer."},
    {kStatusPortInUse, "Port in use."},
    {kStatusTimeout, "Time-out."},
    {kStatusInvalidIndex, "Invalid index."},
    {kStatusInvalidReference, "Invalid serial reference."},
    {kStatusErrorNotFound, "Unknown status."},
    {kStatusBaudRateNotSupported, "Baud rate not supported."},
}};

} // namespace

ClTestLibrary::ClTestLibrary(std::string library)
    : library_(std::move(library)), config_(ClTestConfig::Read(library_))
{
    ports_.resize(config_.ports.size());
    Log(library_ + " load");
}

ClTestLibrary::~ClTestLibrary()
{
    Log(library_ + " unload");
}

void ClTestLibrary::Log(const std::string& line)
{
    if (config_.logPath.empty())
        return;
    std::lock_guard lock(logMutex_);
    if (std::FILE* file = std::fopen(config_.logPath.c_str(), "a")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

std::optional<int32_t> ClTestLibrary::Enter(std::string_view function, const std::string& arguments)
{
    std::string line = library_ + " " + std::string(function);
    if (!arguments.empty())
        line += " " + arguments;
    Log(line);
    const auto forced = config_.forcedStatus.find(std::string(function));
    if (forced == config_.forcedStatus.end())
        return std::nullopt;
    return forced->second;
}

ClTestPort* ClTestLibrary::OpenPort(void* ref) const
{
    for (const auto& port : ports_) {
        if (port && port.get() == ref && open_.contains(port.get()))
            return port.get();
    }
    return nullptr;
}

int32_t ClTestLibrary::GetNumManufacturers(int32_t* count)
{
    if (auto forced = Enter("clGetNumManufacturers", ""))
        return *forced;
    *count = static_cast<int32_t>(config_.ports.size());
    return kStatusOk;
}

int32_t ClTestLibrary::GetManufacturer(uint32_t index, char* name, uint32_t* nameSize,
                                       uint32_t* version)
{
    if (auto forced = Enter("clGetManufacturer", "index=" + std::to_string(index) +
                                                     " size=" + std::to_string(*nameSize)))
        return *forced;
    if (index >= config_.ports.size())
        return kStatusInvalidIndex;
    *version = 1;
    return CopyText(config_.ports[index].manufacturer, name, nameSize);
}

int32_t ClTestLibrary::SelectManufacturer(const char* name)
{
    if (auto forced = Enter("clSelectManufacturer", std::string("name=") + name))
        return *forced;
    for (size_t i = 0; i < config_.ports.size(); ++i) {
        if (config_.ports[i].manufacturer == name) {
            selectedManufacturer_ = i;
            return kStatusOk;
        }
    }
    return kStatusNoManufacturer;
}

int32_t ClTestLibrary::GetNumSerialPorts(uint32_t* count)
{
    if (auto forced = Enter("clGetNumSerialPorts", ""))
        return *forced;
    *count = static_cast<uint32_t>(config_.ports.size());
    return kStatusOk;
}

int32_t ClTestLibrary::GetNumPorts(uint32_t* count)
{
    if (auto forced = Enter("clGetNumPorts", ""))
        return *forced;
    *count = static_cast<uint32_t>(config_.ports.size());
    return kStatusOk;
}

int32_t ClTestLibrary::GetPortInfo(uint32_t index, char* manufacturer, uint32_t* manufacturerSize,
                                   char* portId, uint32_t* portIdSize, uint32_t* version)
{
    if (auto forced = Enter("clGetPortInfo", "index=" + std::to_string(index) +
                                                 " sizes=" + std::to_string(*manufacturerSize) +
                                                 "," + std::to_string(*portIdSize)))
        return *forced;
    if (index >= config_.ports.size())
        return kStatusInvalidIndex;
    *version = 1;
    const int32_t status =
        CopyText(config_.ports[index].manufacturer, manufacturer, manufacturerSize);
    const int32_t idStatus = CopyText(config_.ports[index].portId, portId, portIdSize);
    return status != kStatusOk ? status : idStatus;
}

int32_t ClTestLibrary::GetNumBytesAvail(void* ref, uint32_t* count)
{
    if (auto forced = Enter("clGetNumBytesAvail", ""))
        return *forced;
    ClTestPort* port = OpenPort(ref);
    if (port == nullptr)
        return kStatusInvalidReference;
    *count = port->BytesQueued();
    return kStatusOk;
}

int32_t ClTestLibrary::FlushPort(void* ref)
{
    if (auto forced = Enter("clFlushPort", ""))
        return *forced;
    ClTestPort* port = OpenPort(ref);
    if (port == nullptr)
        return kStatusInvalidReference;
    port->Flush();
    return kStatusOk;
}

int32_t ClTestLibrary::SerialInit(uint32_t serialIndex, void** ref)
{
    if (auto forced = Enter("clSerialInit", "index=" + std::to_string(serialIndex)))
        return *forced;
    // ClSerial reaches its ports only through a chosen manufacturer.
    if (library_ == "ClSerial" && !selectedManufacturer_)
        return kStatusNoManufacturer;
    if (serialIndex >= ports_.size())
        return kStatusInvalidIndex;
    auto& port = ports_[serialIndex];
    if (!port)
        port = std::make_unique<ClTestPort>(config_.ports[serialIndex]);
    if (open_.contains(port.get()))
        return kStatusPortInUse;
    open_.insert(port.get());
    *ref = port.get();
    return kStatusOk;
}

int32_t ClTestLibrary::SerialClose(void* ref)
{
    if (auto forced = Enter("clSerialClose", ""))
        return *forced;
    ClTestPort* port = OpenPort(ref);
    if (port == nullptr)
        return kStatusInvalidReference;
    open_.erase(port);
    return kStatusOk;
}

int32_t ClTestLibrary::SerialRead(void* ref, char* buffer, uint32_t* count, uint32_t timeoutMs)
{
    const uint32_t wanted = *count;
    if (auto forced = Enter("clSerialRead", "count=" + std::to_string(wanted) +
                                                " timeout=" + std::to_string(timeoutMs))) {
        *count = 0;
        return *forced;
    }
    ClTestPort* port = OpenPort(ref);
    if (port == nullptr) {
        *count = 0;
        return kStatusInvalidReference;
    }
    *count = port->Read(buffer, wanted, timeoutMs);
    return *count < wanted ? kStatusTimeout : kStatusOk;
}

int32_t ClTestLibrary::SerialWrite(void* ref, const char* buffer, uint32_t* count,
                                   uint32_t timeoutMs)
{
    const std::string_view bytes(buffer, *count);
    if (auto forced = Enter("clSerialWrite", "count=" + std::to_string(*count) +
                                                 " timeout=" + std::to_string(timeoutMs) +
                                                 " data=" + Printable(bytes))) {
        *count = 0;
        return *forced;
    }
    ClTestPort* port = OpenPort(ref);
    if (port == nullptr) {
        *count = 0;
        return kStatusInvalidReference;
    }
    port->Write(bytes);
    return kStatusOk;
}

int32_t ClTestLibrary::SetBaudRate(void* ref, uint32_t baudRate)
{
    if (auto forced = Enter("clSetBaudRate", "rate=" + std::to_string(baudRate)))
        return *forced;
    if (OpenPort(ref) == nullptr)
        return kStatusInvalidReference;
    // The simulated line runs at whatever speed is asked, but only known rate bits are taken.
    return baudRate != 0 && (baudRate & (baudRate - 1)) == 0 ? kStatusOk
                                                             : kStatusBaudRateNotSupported;
}

int32_t ClTestLibrary::GetErrorText(int32_t status, char* text, uint32_t* textSize)
{
    if (auto forced = Enter("clGetErrorText", "status=" + std::to_string(status)))
        return *forced;
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.status == status)
            return CopyText(entry.text, text, textSize);
    }
    return kStatusErrorNotFound;
}

} // namespace zr::cltest
