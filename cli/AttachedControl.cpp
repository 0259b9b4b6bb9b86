#include "cli/AttachedControl.h"

#include <algorithm>

#include "component/BoundaryCalls.h"

namespace zr::cli
{

AttachedControl::AttachedControl(std::unique_ptr<bus::BusClient> client)
    : client_(std::move(client))
{
    events_ = ScopedConnection<const AutomationMember&>(
        client_->eventFired, [this](const AutomationMember& event) {
            for (IXKorvelCamEvents* sink : sinks_)
                sink->OnEvent(event.dispid, event.name.data());
        });
    log_ = ScopedConnection<const std::string&, bool>(client_->commLog,
                                                      [this](const std::string& line, bool sent) {
                                                          for (IXKorvelCamEvents* sink : sinks_)
                                                              sink->OnCommLog(line.c_str(), sent);
                                                      });
    steps_ = ScopedConnection<const std::string&, int32_t, int32_t>(
        client_->operationProgress,
        [this](const std::string& operation, int32_t done, int32_t total) {
            if (progress_ != nullptr)
                progress_->OnProgress(operation.c_str(), done, total);
        });
}

int32_t AttachedControl::GetIDOfName(const char* name, int32_t* kind, int32_t* dispid)
{
    return LookUpMemberId(name, kind, dispid);
}

int32_t AttachedControl::Invoke(int32_t dispid, InvokeKind kind, Variant* args, uint32_t argCount,
                                Variant* result)
{
    lastError_.clear();
    if (args == nullptr && argCount > 0)
        return hresult::kPointer;
    const AutomationMember* member =
        FindMember(kind == InvokeKind::Method ? MemberKind::Method : MemberKind::Property, dispid);
    if (member == nullptr) {
        lastError_ = "Member not found.";
        return hresult::kMemberNotFound;
    }
    return InvokeOnArguments(args, argCount, result, lastError_,
                             [&](std::vector<Variant>& arguments, Variant& value) {
                                 return client_->Invoke(*member, kind, arguments, value);
                             });
}

void AttachedControl::SetProgress(IXKorvelCamProgress* progress)
{
    progress_ = progress;
    // A stop the program asks for (Ctrl-C) reaches the operation in the other program.
    if (progress == nullptr)
        client_->SetStopCheck(nullptr);
    else
        client_->SetStopCheck([progress] { return progress->IsStopRequested(); });
}

void AttachedControl::Advise(IXKorvelCamEvents* sink)
{
    if (sink != nullptr && std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end())
        sinks_.push_back(sink);
}

void AttachedControl::Unadvise(IXKorvelCamEvents* sink)
{
    std::erase(sinks_, sink);
}

int32_t AttachedControl::Close()
{
    // Signals that came after the last reply still reach the receivers.
    client_->Drain();
    return hresult::kOk;
}

} // namespace zr::cli
