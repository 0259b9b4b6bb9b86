#pragma once

#include <cstdint>
#include <string>

#include "comm/CommLink.h"
#include "comm/CommPort.h"

namespace zr
{

class SettingsStore;

// The communication base of the camera object: the selected class and port, the two links held
// by value, and the active one. Class 0 is "COM-Ports"; any other class is "CameraLink".
class CComm
{
public:
    // Restores "Comm"/"Class" and "Comm"/"Port" from the settings; opens nothing.
    explicit CComm(SettingsStore& settings);
    // Closes the active link and writes the class and port back.
    virtual ~CComm();
    CComm(const CComm&) = delete;
    CComm& operator=(const CComm&) = delete;

    int32_t GetCommClassCount() const;
    std::string GetCommClassName(int32_t commClass) const;
    int32_t GetCommPortCount(int32_t commClass) const;
    std::string GetCommPortName(int32_t commClass, int32_t port) const;

    int32_t GetCommClass() const { return commClass_; }
    int32_t GetCommPort() const { return port_; }

    // Closes the active link, remembers class and port (so a failed attempt is still the
    // remembered choice), makes that class's link active and opens the port. Link error code.
    int OpenCommPort(int32_t commClass, int32_t port);
    // Closes the active link and remembers class and port without opening anything, so that
    // the next connection uses them and they are written back at the end.
    void SelectCommPort(int32_t commClass, int32_t port);
    // Why the last open of the active link failed, in the system's words; empty when it did not
    // fail or the link cannot tell.
    std::string GetOpenFailure() const { return activeLink_->GetOpenFailure(); }

    CCommAbstract& ActiveLink() { return *activeLink_; }
    SettingsStore& Settings() { return settings_; }

private:
    SettingsStore& settings_;
    int32_t commClass_ = 0;
    int32_t port_ = 0;
    CCommAbstract* activeLink_;
    CCommPort serialLink_;
    CCommLink cameraLink_;
};

} // namespace zr
