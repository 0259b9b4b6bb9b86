#include "comm/Comm.h"

#include <utility>

#include "base/SettingsStore.h"

namespace zr
{

namespace
{

constexpr const char* kSection = "Comm";
constexpr const char* kClassEntry = "Class";
constexpr const char* kPortEntry = "Port";

} // namespace

CComm::CComm(SettingsStore& settings) : CComm(settings, CommLinks::Standard(settings)) {}

CComm::CComm(SettingsStore& settings, CommLinks links)
    : settings_(settings), serialLink_(std::move(links.serialPort)),
      cameraLink_(std::move(links.cameraLink)), activeLink_(serialLink_.get())
{
    // A class or port that no longer exists (a library removed, a port beyond the list) falls
    // back without a message. Negative numbers never name a class or port either.
    int32_t commClass = settings_.GetInt(kSection, kClassEntry, 0);
    int32_t port = settings_.GetInt(kSection, kPortEntry, 0);
    if (commClass < 0 || commClass >= GetCommClassCount()) {
        commClass = 0;
        port = 0;
    } else if (port < 0 || port >= GetCommPortCount(commClass)) {
        port = 0;
    }
    commClass_ = commClass;
    port_ = port;
}

CComm::~CComm()
{
    activeLink_->Close();
    settings_.WriteInt(kSection, kClassEntry, commClass_);
    settings_.WriteInt(kSection, kPortEntry, port_);
}

int32_t CComm::GetCommClassCount() const
{
    return (serialLink_->GetPortCount() > 0 ? 1 : 0) + (cameraLink_->GetPortCount() > 0 ? 1 : 0);
}

std::string CComm::GetCommClassName(int32_t commClass) const
{
    return commClass == 0 ? serialLink_->GetLinkClassName() : cameraLink_->GetLinkClassName();
}

int32_t CComm::GetCommPortCount(int32_t commClass) const
{
    return commClass == 0 ? serialLink_->GetPortCount() : cameraLink_->GetPortCount();
}

std::string CComm::GetCommPortName(int32_t commClass, int32_t port) const
{
    return commClass == 0 ? serialLink_->GetPortName(port) : cameraLink_->GetPortName(port);
}

void CComm::SelectCommPort(int32_t commClass, int32_t port)
{
    activeLink_->Close();
    commClass_ = commClass;
    port_ = port;
    activeLink_ = commClass == 0 ? serialLink_.get() : cameraLink_.get();
}

int CComm::OpenCommPort(int32_t commClass, int32_t port)
{
    // Remembered before the attempt, so a failed one is still the choice written back.
    SelectCommPort(commClass, port);
    return activeLink_->Open(port);
}

void CComm::UseLink(CCommAbstract& link)
{
    activeLink_->Close();
    activeLink_ = &link;
}

} // namespace zr
