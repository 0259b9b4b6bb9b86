#pragma once

#include <string>
#include <utility>
#include <vector>

#include "camera/Camera.h"

namespace zr::test
{

// A camera object that records every notification, in order, as a short text:
//   "online 1", "synchronized 0", "sending 1", "receiving 0", "port",
//   "value 11 1" (index, interactive), "log > SH1=3\r\n" / "log < COMPLETE\r\n".
// The status setters still store their flags through the base.
class RecordingCamera : public CCamera
{
public:
    using CCamera::CCamera;

    void SetOnline(bool online) override;
    void SetSynchronized(bool synchronized) override;
    void SetSending(bool sending) override;
    void SetReceiving(bool receiving) override;
    void OnCommPortChanged() override;
    void OnValueChanged(int32_t index, bool interactive) override;
    void OnCommLog(const std::string& line, bool sent) override;
    // Kept apart from the events: "Reading all settings 12/95".
    void OnOperationProgress(const char* operation, int32_t done, int32_t total) override;

    const std::vector<std::string>& Events() const { return events_; }
    // Only the communication-log lines, as (line, sent).
    const std::vector<std::pair<std::string, bool>>& Log() const { return log_; }
    const std::vector<std::string>& Progress() const { return progress_; }
    void ClearEvents()
    {
        events_.clear();
        log_.clear();
        progress_.clear();
    }

private:
    std::vector<std::string> events_;
    std::vector<std::pair<std::string, bool>> log_;
    std::vector<std::string> progress_;
};

} // namespace zr::test
