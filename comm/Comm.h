#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "comm/CommAbstract.h"
#include "comm/CommLinks.h"

namespace zr
{

class SettingsStore;

// The communication base of the camera object: the selected class and port, the two links it
// owns, and the active one. Class 0 is the serial port link's ("COM-Ports"); any other class is
// the Camera Link link's ("CameraLink").
class CComm
{
public:
    // Restores "Comm"/"Class" and "Comm"/"Port" from the settings; opens nothing. Without links
    // of the owner's, the real ones (CommLinks::Standard).
    explicit CComm(SettingsStore& settings);
    CComm(SettingsStore& settings, CommLinks links);
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
    // Why the active link failed for good under a Read or Write since it was opened; empty
    // when it did not or the link cannot tell.
    std::string GetLinkFailure() const { return activeLink_->GetLinkFailure(); }

    // Closes the active link and makes `link` the active one instead of the class's own, so a
    // test can put a link of its own under the camera. `link` must outlive its use; the next
    // OpenCommPort goes back to the class's own link.
    void UseLink(CCommAbstract& link);

    CCommAbstract& ActiveLink() { return *activeLink_; }
    SettingsStore& Settings() { return settings_; }

private:
    SettingsStore& settings_;
    int32_t commClass_ = 0;
    int32_t port_ = 0;
    std::unique_ptr<CCommAbstract> serialLink_;
    std::unique_ptr<CCommAbstract> cameraLink_;
    CCommAbstract* activeLink_;
};

} // namespace zr
