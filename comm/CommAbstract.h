#pragma once

#include <cstdint>
#include <string>

namespace zr
{

// A link: one port at a time, bytes in and out with time-outs. It knows nothing of the camera's
// command language. Results are link error codes (LinkError.h).
class CCommAbstract
{
public:
    virtual bool IsOpen() const = 0;
    virtual int32_t GetPortCount() const = 0;
    // Empty when the index is not in 0 .. count-1.
    virtual std::string GetPortName(int32_t port) const = 0;
    virtual std::string GetLinkClassName() const = 0;
    // 0, 1 (no such port) or 3 (cannot be opened). Opening an open link closes it first.
    virtual int Open(int32_t port) = 0;
    virtual int Close() = 0;
    virtual int Flush() = 0;
    virtual int32_t GetBytesWaiting() = 0;
    virtual int Write(const char* buffer, uint32_t length, uint32_t timeoutMs) = 0;
    // Waits up to timeoutMs for `wanted` bytes; `received` tells how many arrived.
    virtual int Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs) = 0;
    // Why the last Open failed, in the system's words ("No such file or directory"); empty
    // after a successful Open or where the link cannot tell.
    virtual std::string GetOpenFailure() const { return {}; }
    // Why the link failed for good under a Read or Write since the last Open (the device gone,
    // the line hung up), in the system's words; empty when it did not or the link cannot tell.
    // A Read that merely timed out is no such failure.
    virtual std::string GetLinkFailure() const { return {}; }
    virtual ~CCommAbstract() = default;
};

} // namespace zr
