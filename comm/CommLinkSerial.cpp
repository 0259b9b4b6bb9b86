#include "comm/CommLinkSerial.h"

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
    "clGetManufacturer", "clGetNumManufacturers", "clSelectManufacturer", "clGetNumSerialPorts",
    "clSerialInit",      "clSerialClose",         "clSerialRead",         "clSerialWrite",
    "clSetBaudRate",     "clGetErrorText",
};

} // namespace

CCommLinkSerial::CCommLinkSerial(std::string libraryFile)
    : library_(std::move(libraryFile), kEntryNames)
{
    if (!library_.Load())
        return;
    int32_t count = 0;
    if (library_.Entry<cl::GetNumManufacturersFn>("clGetNumManufacturers")(&count) ==
        cl::kStatusOk) {
        const auto getManufacturer = library_.Entry<cl::GetManufacturerFn>("clGetManufacturer");
        for (int32_t i = 0; i < count; ++i) {
            std::array<char, cl::kTextBufferSize> name{};
            uint32_t size = cl::kTextBufferSize;
            uint32_t version = 0;
            // The status is not looked at: whatever name came back is the port's name.
            getManufacturer(static_cast<uint32_t>(i), name.data(), &size, &version);
            portNames_.emplace_back(name.data(), strnlen(name.data(), name.size()));
        }
    }
    library_.Close();
}

CCommLinkSerial::~CCommLinkSerial() = default;

bool CCommLinkSerial::IsOpen() const
{
    return library_.IsOpen();
}

int32_t CCommLinkSerial::GetPortCount() const
{
    return static_cast<int32_t>(portNames_.size());
}

std::string CCommLinkSerial::GetPortName(int32_t port) const
{
    if (port < 0 || port >= GetPortCount())
        return {};
    return portNames_[static_cast<size_t>(port)];
}

std::string CCommLinkSerial::GetLinkClassName() const
{
    return "CamLink-Serial";
}

int CCommLinkSerial::Open(int32_t port)
{
    if (!library_.Load())
        return LINK_PORT_NOT_FOUND;
    const std::string name = GetPortName(port);
    if (name.empty())
        return LINK_PORT_NOT_FOUND;
    if (library_.Entry<cl::SelectManufacturerFn>("clSelectManufacturer")(name.c_str()) !=
        cl::kStatusOk) {
        library_.Close();
        return LINK_PORT_NOT_FOUND;
    }
    return library_.OpenPort(static_cast<uint32_t>(port));
}

int CCommLinkSerial::Close()
{
    library_.Close();
    return LINK_OK;
}

int CCommLinkSerial::Flush()
{
    // Drain whatever the library holds, one byte at a time, until a read brings nothing or
    // the limit is reached (what is left then goes to the next read, as with any late byte).
    for (int32_t discarded = 0; discarded < kFlushByteLimit && IsOpen(); ++discarded) {
        char byte = 0;
        int32_t received = 0;
        if (library_.Read(&byte, 1, received, 1) != LINK_OK || received < 1)
            break;
    }
    return LINK_OK;
}

int32_t CCommLinkSerial::GetBytesWaiting()
{
    // The libraries offer no dependable count; callers simply read.
    return 1;
}

int CCommLinkSerial::Write(const char* buffer, uint32_t length, uint32_t timeoutMs)
{
    return library_.Write(buffer, length, timeoutMs);
}

int CCommLinkSerial::Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs)
{
    return library_.Read(buffer, wanted, received, timeoutMs);
}

} // namespace zr
