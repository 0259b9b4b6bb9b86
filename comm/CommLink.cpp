#include "comm/CommLink.h"

#include <utility>

namespace zr
{

namespace
{

// The ClAllSerial link's index of composite port `port`. A negative port stays negative (no
// such port) without the subtraction overflowing.
int32_t AllSerialIndex(int32_t port, int32_t serialCount)
{
    return port < 0 ? -1 : port - serialCount;
}

} // namespace

CCommLink::CCommLink(std::string serialLibraryFile, std::string allSerialLibraryFile)
    : current_(&serial_), serial_(std::move(serialLibraryFile)),
      allSerial_(std::move(allSerialLibraryFile))
{
}

CCommLink::~CCommLink()
{
    current_->Close();
}

bool CCommLink::IsOpen() const
{
    return current_->IsOpen();
}

int32_t CCommLink::GetPortCount() const
{
    return serial_.GetPortCount() + allSerial_.GetPortCount();
}

std::string CCommLink::GetPortName(int32_t port) const
{
    const int32_t serialCount = serial_.GetPortCount();
    if (port >= 0 && port < serialCount)
        return serial_.GetPortName(port);
    return allSerial_.GetPortName(AllSerialIndex(port, serialCount));
}

std::string CCommLink::GetLinkClassName() const
{
    return "CameraLink";
}

int CCommLink::Open(int32_t port)
{
    current_->Close();
    const int32_t serialCount = serial_.GetPortCount();
    if (port >= 0 && port < serialCount) {
        current_ = &serial_;
        return serial_.Open(port);
    }
    current_ = &allSerial_;
    return allSerial_.Open(AllSerialIndex(port, serialCount));
}

int CCommLink::Close()
{
    return current_->Close();
}

int CCommLink::Flush()
{
    return current_->Flush();
}

int32_t CCommLink::GetBytesWaiting()
{
    return current_->GetBytesWaiting();
}

int CCommLink::Write(const char* buffer, uint32_t length, uint32_t timeoutMs)
{
    return current_->Write(buffer, length, timeoutMs);
}

int CCommLink::Read(char* buffer, int32_t wanted, int32_t& received, uint32_t timeoutMs)
{
    return current_->Read(buffer, wanted, received, timeoutMs);
}

} // namespace zr
