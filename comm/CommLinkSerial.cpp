#include "comm/CommLinkSerial.h"

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
    BindEntry<&EntryPoints::getManufacturer>("clGetManufacturer"),
    BindEntry<&EntryPoints::getNumManufacturers>("clGetNumManufacturers"),
    BindEntry<&EntryPoints::selectManufacturer>("clSelectManufacturer"),
    BindEntry<&EntryPoints::getNumSerialPorts>("clGetNumSerialPorts"),
    BindEntry<&EntryPoints::serialInit>("clSerialInit"),
    BindEntry<&EntryPoints::serialClose>("clSerialClose"),
    BindEntry<&EntryPoints::serialRead>("clSerialRead"),
    BindEntry<&EntryPoints::serialWrite>("clSerialWrite"),
    BindEntry<&EntryPoints::setBaudRate>("clSetBaudRate"),
    BindEntry<&EntryPoints::getErrorText>("clGetErrorText"),
};

std::vector<std::string> ListManufacturers(const EntryPoints& entries)
{
    std::vector<std::string> names;
    int32_t count = 0;
    if (entries.getNumManufacturers(&count) != cl::kStatusOk)
        return names;
    for (int32_t i = 0; i < count; ++i) {
        std::array<char, cl::kTextBufferSize> name{};
        uint32_t size = cl::kTextBufferSize;
        uint32_t version = 0;
        // The status is not looked at: whatever name came back is the port's name.
        entries.getManufacturer(static_cast<uint32_t>(i), name.data(), &size, &version);
        names.emplace_back(name.data(), strnlen(name.data(), name.size()));
    }
    return names;
}

} // namespace

CCommLinkSerial::CCommLinkSerial(std::string libraryFile)
    : CCommLinkLibrary("CamLink-Serial", std::move(libraryFile), kBindings, &ListManufacturers)
{
}

bool CCommLinkSerial::SelectPort(const std::string& name)
{
    return Library().Entries().selectManufacturer(name.c_str()) == cl::kStatusOk;
}

int CCommLinkSerial::Flush()
{
    // Drain whatever the library holds, one byte at a time, until a read brings nothing or
    // the limit is reached (what is left then goes to the next read, as with any late byte).
    for (int32_t discarded = 0; discarded < kFlushByteLimit && IsOpen(); ++discarded) {
        char byte = 0;
        int32_t received = 0;
        if (Library().Read(&byte, 1, received, 1) != LINK_OK || received < 1)
            break;
    }
    return LINK_OK;
}

} // namespace zr
