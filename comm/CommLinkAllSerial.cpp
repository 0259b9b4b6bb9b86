#include "comm/CommLinkAllSerial.h"

#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "comm/LinkError.h"

namespace zr
{

namespace
{

using cl::EntryPoints;

// Every entry point the library must export, in binding order.
constexpr std::array kBindings = {
    BindEntry<&EntryPoints::flushPort>("clFlushPort"),
    BindEntry<&EntryPoints::getErrorText>("clGetErrorText"),
    BindEntry<&EntryPoints::getNumPorts>("clGetNumPorts"),
    BindEntry<&EntryPoints::getNumBytesAvail>("clGetNumBytesAvail"),
    BindEntry<&EntryPoints::getPortInfo>("clGetPortInfo"),
    BindEntry<&EntryPoints::serialClose>("clSerialClose"),
    BindEntry<&EntryPoints::serialInit>("clSerialInit"),
    BindEntry<&EntryPoints::serialRead>("clSerialRead"),
    BindEntry<&EntryPoints::serialWrite>("clSerialWrite"),
    BindEntry<&EntryPoints::setBaudRate>("clSetBaudRate"),
};

std::string Terminated(const std::array<char, cl::kTextBufferSize>& text)
{
    return std::string(text.data(), strnlen(text.data(), text.size()));
}

std::vector<std::string> ListPorts(const EntryPoints& entries)
{
    std::vector<std::string> names;
    uint32_t count = 0;
    if (entries.getNumPorts(&count) != cl::kStatusOk)
        return names;
    for (uint32_t i = 0; i < count; ++i) {
        std::array<char, cl::kTextBufferSize> manufacturer{};
        std::array<char, cl::kTextBufferSize> portId{};
        uint32_t manufacturerSize = cl::kTextBufferSize;
        uint32_t portIdSize = cl::kTextBufferSize;
        uint32_t version = 0;
        // The status is not looked at: whatever texts came back name the port.
        entries.getPortInfo(i, manufacturer.data(), &manufacturerSize, portId.data(), &portIdSize,
                            &version);
        names.push_back(Terminated(manufacturer) + " - " + Terminated(portId));
    }
    return names;
}

} // namespace

CCommLinkAllSerial::CCommLinkAllSerial(std::string libraryFile)
    : CCommLinkLibrary("CamLink-AllSerial", std::move(libraryFile), kBindings, &ListPorts)
{
}

int CCommLinkAllSerial::Flush()
{
    if (IsOpen())
        Library().Entries().flushPort(Library().Reference());
    return LINK_OK;
}

} // namespace zr
