#include "comm/ClSerialLibrary.h"

#include <utility>

#include "comm/LinkError.h"

namespace zr
{

ClSerialLibrary::ClSerialLibrary(std::string fileName, std::span<const char* const> entryNames)
    : fileName_(std::move(fileName)), entryNames_(entryNames)
{
}

ClSerialLibrary::~ClSerialLibrary()
{
    Close();
}

bool ClSerialLibrary::Load()
{
    Close();
    if (!library_.Load(fileName_))
        return false;
    for (const char* name : entryNames_) {
        void* address = library_.Symbol(name);
        if (address == nullptr) {
            // Incomplete: the library is refused as a whole.
            entries_.clear();
            library_.Unload();
            return false;
        }
        entries_.push_back(address);
    }
    return true;
}

void* ClSerialLibrary::EntryAddress(std::string_view name) const
{
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (name == entryNames_[i])
            return entries_[i];
    }
    return nullptr;
}

int ClSerialLibrary::OpenPort(uint32_t index)
{
    cl::SerialRef ref = nullptr;
    if (Entry<cl::SerialInitFn>("clSerialInit")(index, &ref) != cl::kStatusOk) {
        Close();
        return LINK_CANNOT_USE_PORT;
    }
    serialRef_ = ref;
    // The camera's line speed; a library that cannot set it still gets its chance to talk.
    Entry<cl::SetBaudRateFn>("clSetBaudRate")(ref, cl::kBaudRate9600);
    return LINK_OK;
}

void ClSerialLibrary::Close()
{
    if (serialRef_.has_value()) {
        if (IsLoaded())
            Entry<cl::SerialCloseFn>("clSerialClose")(*serialRef_);
        serialRef_.reset();
    }
    entries_.clear();
    library_.Unload();
}

int ClSerialLibrary::Write(const char* buffer, uint32_t length, uint32_t timeoutMs)
{
    if (!IsOpen())
        return LINK_PORT_UNAVAILABLE;
    uint32_t count = length;
    const int32_t status =
        Entry<cl::SerialWriteFn>("clSerialWrite")(*serialRef_, buffer, &count, timeoutMs);
    if (status == cl::kStatusOk)
        return LINK_OK;
    return status == cl::kStatusTimeout ? LINK_WRITE_TIMEOUT : LINK_WRITE_FAILED;
}

int ClSerialLibrary::Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs)
{
    received = 0;
    if (!IsOpen())
        return LINK_PORT_UNAVAILABLE;
    // A negative count would reach the library as a huge unsigned size.
    if (wanted < 1)
        return LINK_OK;
    uint32_t count = static_cast<uint32_t>(wanted);
    const int32_t status =
        Entry<cl::SerialReadFn>("clSerialRead")(*serialRef_, buffer, &count, timeoutMs);
    // The count as the library reported it, kept within what the buffer can hold.
    received = count > static_cast<uint32_t>(wanted) ? wanted : static_cast<int32_t>(count);
    if (status == cl::kStatusOk)
        return LINK_OK;
    return status == cl::kStatusTimeout ? LINK_READ_TIMEOUT : LINK_READ_FAILED;
}

} // namespace zr
