#pragma once

#include "comm/CommAbstract.h"

namespace zr {

// The "CameraLink" communication class: the ports of the Camera Link serial libraries.
// Placeholder until the libraries are supported: it offers no ports.
class CCommLink final : public CCommAbstract
{
public:
    bool IsOpen() const override { return false; }
    int32_t GetPortCount() const override { return 0; }
    std::string GetPortName(int32_t) const override { return {}; }
    std::string GetLinkClassName() const override { return "CameraLink"; }
    int Open(int32_t) override { return 1; }
    int Close() override { return 0; }
    int Flush() override { return 0; }
    int32_t GetBytesWaiting() override { return 1; }
    int Write(const char*, uint32_t, uint32_t) override { return 2; }
    int Read(char*, int32_t, int32_t& received, uint32_t) override
    {
        received = 0;
        return 2;
    }
};

} // namespace zr
