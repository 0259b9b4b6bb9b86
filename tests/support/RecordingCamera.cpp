#include "support/RecordingCamera.h"

namespace zr::test
{

void RecordingCamera::SetOnline(bool online)
{
    events_.push_back("online " + std::to_string(online));
    CCamera::SetOnline(online);
}

void RecordingCamera::SetSynchronized(bool synchronized)
{
    events_.push_back("synchronized " + std::to_string(synchronized));
    CCamera::SetSynchronized(synchronized);
}

void RecordingCamera::SetSending(bool sending)
{
    events_.push_back("sending " + std::to_string(sending));
    CCamera::SetSending(sending);
}

void RecordingCamera::SetReceiving(bool receiving)
{
    events_.push_back("receiving " + std::to_string(receiving));
    CCamera::SetReceiving(receiving);
}

void RecordingCamera::OnCommPortChanged()
{
    events_.push_back("port");
}

void RecordingCamera::OnValueChanged(int32_t index, bool interactive)
{
    events_.push_back("value " + std::to_string(index) + " " + std::to_string(interactive));
}

void RecordingCamera::OnCommLog(const std::string& line, bool sent)
{
    events_.push_back(std::string("log ") + (sent ? "> " : "< ") + line);
    log_.emplace_back(line, sent);
}

void RecordingCamera::OnOperationProgress(const char* operation, int32_t done, int32_t total)
{
    progress_.push_back(std::string(operation) + " " + std::to_string(done) + "/" +
                        std::to_string(total));
}

} // namespace zr::test
