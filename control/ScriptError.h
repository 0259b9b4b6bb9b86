#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace zr
{

// A failure reported to a script: a status code and a description. ReportResult is the one
// place that throws it; the automation boundary turns it into an error result, and a panel
// handler catches it and shows the description in a message box with a stop icon.
class ScriptError : public std::exception
{
public:
    // Status codes of the control's script errors.
    static constexpr uint32_t kInvalidPropertyValue = 0x800A017C;
    static constexpr uint32_t kSetNotSupported = 0x800A017F;
    static constexpr uint32_t kPathFileAccessError = 0x800A004B;
    static constexpr uint32_t kDeviceIoError = 0x800A0039;

    ScriptError(uint32_t status, std::string description)
        : status_(status), description_(std::move(description))
    {
    }

    uint32_t Status() const { return status_; }
    const std::string& Description() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    uint32_t status_;
    std::string description_;
};

} // namespace zr
