#include "comm/CommLinkLibrary.h"

#include <utility>

#include "comm/LinkError.h"

namespace zr
{

namespace
{

std::vector<std::string> ListPorts(const std::string& libraryFile,
                                   std::span<const ClEntryBinding> bindings,
                                   CCommLinkLibrary::PortLister listPorts)
{
    ClSerialLibrary library(libraryFile, bindings);
    if (!library.Load())
        return {};
    return listPorts(library.Entries());
}

} // namespace

CCommLinkLibrary::CCommLinkLibrary(std::string className, std::string libraryFile,
                                   std::span<const ClEntryBinding> bindings, PortLister listPorts)
    : CCommListedPorts(std::move(className), ListPorts(libraryFile, bindings, listPorts)),
      library_(std::move(libraryFile), bindings)
{
}

CCommLinkLibrary::~CCommLinkLibrary() = default;

bool CCommLinkLibrary::IsOpen() const
{
    return library_.IsOpen();
}

int CCommLinkLibrary::Open(int32_t port)
{
    if (!library_.Load())
        return LINK_PORT_NOT_FOUND;
    const std::string name = GetPortName(port);
    if (name.empty())
        return LINK_PORT_NOT_FOUND;
    if (!SelectPort(name)) {
        library_.Close();
        return LINK_PORT_NOT_FOUND;
    }
    return library_.OpenPort(static_cast<uint32_t>(port));
}

bool CCommLinkLibrary::SelectPort(const std::string& /*name*/)
{
    return true;
}

int CCommLinkLibrary::Close()
{
    library_.Close();
    return LINK_OK;
}

int32_t CCommLinkLibrary::GetBytesWaiting()
{
    return 1;
}

int CCommLinkLibrary::Write(const char* buffer, uint32_t length, uint32_t timeoutMs)
{
    return library_.Write(buffer, length, timeoutMs);
}

int CCommLinkLibrary::Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs)
{
    return library_.Read(buffer, wanted, received, timeoutMs);
}

} // namespace zr
