#pragma once

#include <functional>
#include <string>

#include "comm/CommAbstract.h"

namespace zr::fuzz
{

// A link without a device: every line written is handed to `answer`, and the bytes it returns
// are what the next reads take. A read finds only what is there and never waits (the camera's
// clock is a manual one); Flush discards what is there, as a real port's does.
class MemoryLink final : public CCommAbstract
{
public:
    using Answer = std::function<std::string(const std::string& written)>;

    explicit MemoryLink(Answer answer) : answer_(std::move(answer)) {}

    bool IsOpen() const override { return open_; }
    int32_t GetPortCount() const override { return 1; }
    std::string GetPortName(int32_t port) const override { return port == 0 ? "MEM1" : ""; }
    std::string GetLinkClassName() const override { return "Memory"; }
    int Open(int32_t port) override;
    int Close() override;
    int Flush() override;
    int32_t GetBytesWaiting() override;
    int Write(const char* buffer, uint32_t length, uint32_t timeoutMs) override;
    int Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs) override;

private:
    Answer answer_;
    bool open_ = true;
    std::string pending_;
    size_t taken_ = 0;
};

} // namespace zr::fuzz
