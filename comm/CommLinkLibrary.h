#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "comm/ClSerialLibrary.h"
#include "comm/CommListedPorts.h"

namespace zr
{

// A link through one Camera Link serial library: the port list is built once at construction
// (the library is loaded for it and unloaded again), and the library is loaded again only while
// a port is open. The two libraries differ in how ports are listed, chosen and flushed.
class CCommLinkLibrary : public CCommListedPorts
{
public:
    // Lists the ports from the library's bound entry points.
    using PortLister = std::vector<std::string> (*)(const cl::EntryPoints& entries);

    ~CCommLinkLibrary() override;
    CCommLinkLibrary(const CCommLinkLibrary&) = delete;
    CCommLinkLibrary& operator=(const CCommLinkLibrary&) = delete;

    bool IsOpen() const final;
    // 1 when the library cannot be loaded, the port has no name or cannot be chosen; 3 when the
    // library refuses to initialise it.
    int Open(int32_t port) final;
    int Close() final;
    // Always 1, open or not. Neither library gives a count the link could rely on (the one
    // with manufacturers has no such entry point at all), and nothing here needs one: every
    // read waits up to its own time-out. 1 tells a caller that polls before reading that a
    // read is worth trying, where 0 would keep it waiting for ever.
    int32_t GetBytesWaiting() final;
    int Write(const char* buffer, uint32_t length, uint32_t timeoutMs) final;
    int Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs) final;

protected:
    // `bindings` must outlive the link.
    CCommLinkLibrary(std::string className, std::string libraryFile,
                     std::span<const ClEntryBinding> bindings, PortLister listPorts);

    // Chooses the named port in the freshly loaded library before it is initialised; false
    // when the library will not have it.
    virtual bool SelectPort(const std::string& name);

    ClSerialLibrary& Library() { return library_; }

private:
    ClSerialLibrary library_;
};

} // namespace zr
