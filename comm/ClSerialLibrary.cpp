#include "comm/ClSerialLibrary.h"

#include <utility>

#include "comm/LinkError.h"

namespace zr
{

ClSerialLibrary::ClSerialLibrary(std::string fileName, std::span<const ClEntryBinding> bindings)
    : fileName_(std::move(fileName)), bindings_(bindings)
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
    for (const ClEntryBinding& binding : bindings_) {
        if (!binding.bind(library_, binding.name, entries_)) {
            // Incomplete: the library is refused as a whole.
            Close();
            return false;
        }
    }
    return true;
}

int ClSerialLibrary::OpenPort(uint32_t index)
{
    cl::SerialRef ref = nullptr;
    if (entries_.serialInit(index, &ref) != cl::kStatusOk) {
        Close();
        return LINK_CANNOT_USE_PORT;
    }
    serialRef_ = ref;
    // The camera's line speed; a library that cannot set it still gets its chance to talk.
    entries_.setBaudRate(ref, cl::kBaudRate9600);
    return LINK_OK;
}

void ClSerialLibrary::Close()
{
    if (serialRef_.has_value()) {
        if (IsLoaded())
            entries_.serialClose(*serialRef_);
        serialRef_.reset();
    }
    entries_ = {};
    library_.Unload();
}

int ClSerialLibrary::Write(const char* buffer, uint32_t length, uint32_t timeoutMs)
{
    if (!IsOpen())
        return LINK_PORT_UNAVAILABLE;
    uint32_t count = length;
    const int32_t status = entries_.serialWrite(*serialRef_, buffer, &count, timeoutMs);
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
    const int32_t status = entries_.serialRead(*serialRef_, buffer, &count, timeoutMs);
    // The count as the library reported it, kept within what the buffer can hold.
    received = count > static_cast<uint32_t>(wanted) ? wanted : static_cast<int32_t>(count);
    if (status == cl::kStatusOk)
        return LINK_OK;
    return status == cl::kStatusTimeout ? LINK_READ_TIMEOUT : LINK_READ_FAILED;
}

} // namespace zr
