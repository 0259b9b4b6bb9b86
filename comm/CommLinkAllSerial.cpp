#include "comm/CommLinkAllSerial.h"

#include <array>
#include <cstring>
#include <utility>

#include "comm/LinkError.h"

namespace zr
{

namespace
{

// Every entry point the library must export, in binding order.
constexpr std::array<const char*, 10> kEntryNames = {
    "clFlushPort",   "clGetErrorText", "clGetNumPorts", "clGetNumBytesAvail", "clGetPortInfo",
    "clSerialClose", "clSerialInit",   "clSerialRead",  "clSerialWrite",      "clSetBaudRate",
};

std::string Terminated(const std::array<char, cl::kTextBufferSize>& text)
{
    return std::string(text.data(), strnlen(text.data(), text.size()));
}

} // namespace

CCommLinkAllSerial::CCommLinkAllSerial(std::string libraryFile)
    : library_(std::move(libraryFile), kEntryNames)
{
    if (!library_.Load())
        return;
    uint32_t count = 0;
    if (library_.Entry<cl::GetNumPortsFn>("clGetNumPorts")(&count) == cl::kStatusOk) {
        const auto getPortInfo = library_.Entry<cl::GetPortInfoFn>("clGetPortInfo");
        for (uint32_t i = 0; i < count; ++i) {
            std::array<char, cl::kTextBufferSize> manufacturer{};
            std::array<char, cl::kTextBufferSize> portId{};
            uint32_t manufacturerSize = cl::kTextBufferSize;
            uint32_t portIdSize = cl::kTextBufferSize;
            uint32_t version = 0;
            // The status is not looked at: whatever texts came back name the port.
            getPortInfo(i, manufacturer.data(), &manufacturerSize, portId.data(), &portIdSize,
                        &version);
            portNames_.push_back(Terminated(manufacturer) + " - " + Terminated(portId));
        }
    }
    library_.Close();
}

CCommLinkAllSerial::~CCommLinkAllSerial() = default;

bool CCommLinkAllSerial::IsOpen() const
{
    return library_.IsOpen();
}

int32_t CCommLinkAllSerial::GetPortCount() const
{
    return static_cast<int32_t>(portNames_.size());
}

std::string CCommLinkAllSerial::GetPortName(int32_t port) const
{
    if (port < 0 || port >= GetPortCount())
        return {};
    return portNames_[static_cast<size_t>(port)];
}

std::string CCommLinkAllSerial::GetLinkClassName() const
{
    return "CamLink-AllSerial";
}

int CCommLinkAllSerial::Open(int32_t port)
{
    if (!library_.Load())
        return LINK_PORT_NOT_FOUND;
    if (GetPortName(port).empty())
        return LINK_PORT_NOT_FOUND;
    return library_.OpenPort(static_cast<uint32_t>(port));
}

int CCommLinkAllSerial::Close()
{
    library_.Close();
    return LINK_OK;
}

int CCommLinkAllSerial::Flush()
{
    if (IsOpen())
        library_.Entry<cl::FlushPortFn>("clFlushPort")(library_.Reference());
    return LINK_OK;
}

int32_t CCommLinkAllSerial::GetBytesWaiting()
{
    // The libraries offer no dependable count; callers simply read.
    return 1;
}

int CCommLinkAllSerial::Write(const char* buffer, uint32_t length, uint32_t timeoutMs)
{
    return library_.Write(buffer, length, timeoutMs);
}

int CCommLinkAllSerial::Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs)
{
    return library_.Read(buffer, wanted, received, timeoutMs);
}

} // namespace zr
