#include "component/ComponentObject.h"

#include <algorithm>
#include <new>

namespace zr
{

CXKorvelCamObject::CXKorvelCamObject(ComponentModule& module)
    : hold_(module), control_(module.Settings()), dispatch_(control_)
{
}

CXKorvelCamObject::~CXKorvelCamObject()
{
    for (const Receiver& r : receivers_) {
        dispatch_.eventFired.Disconnect(r.event);
        control_.commLog.Disconnect(r.log);
    }
    SetProgress(nullptr);
    if (control_.HasWindow())
        control_.OnDestroy();
}

void CXKorvelCamObject::Release()
{
    delete this;
}

void CXKorvelCamObject::Start(bool connect)
{
    // Without a connection there is nothing the window would add headlessly: the control works
    // offline on its mirror.
    if (connect && !control_.HasWindow())
        control_.OnCreate();
}

void CXKorvelCamObject::SelectPort(int32_t commClass, int32_t port)
{
    control_.SelectCommPort(commClass, port);
}

void CXKorvelCamObject::SetProgress(IXKorvelCamProgress* progress)
{
    control_.operationProgress.Disconnect(progress_);
    progress_ = 0;
    control_.SetStopCheck(nullptr);
    if (progress == nullptr)
        return;
    progress_ = control_.operationProgress.Connect(
        [progress](const char* operation, int32_t done, int32_t total) {
            progress->OnProgress(operation, done, total);
        });
    control_.SetStopCheck([progress] { return progress->IsStopRequested(); });
}

int32_t CXKorvelCamObject::GetIDOfName(const char* name, int32_t* kind, int32_t* dispid)
{
    if (name == nullptr || kind == nullptr || dispid == nullptr)
        return hresult::kPointer;
    const AutomationMember* member = CXKorvelCamDispatch::GetIDsOfNames(name);
    if (member == nullptr)
        return hresult::kUnknownName;
    *kind = static_cast<int32_t>(member->kind);
    *dispid = member->dispid;
    return hresult::kOk;
}

int32_t CXKorvelCamObject::Invoke(int32_t dispid, InvokeKind kind, Variant* args, uint32_t argCount,
                                  Variant* result)
{
    lastError_.clear();
    if (args == nullptr && argCount > 0) {
        lastError_ = "Invalid pointer.";
        return hresult::kPointer;
    }
    try {
        std::vector<Variant> arguments(args, args + argCount);
        Variant value;
        DispatchResult outcome = dispatch_.Invoke(dispid, kind, arguments, value);
        if (!outcome.Succeeded()) {
            lastError_ = std::move(outcome.description);
            return outcome.status;
        }
        std::copy(arguments.begin(), arguments.end(), args); // out arguments
        if (result != nullptr)
            *result = std::move(value);
        return hresult::kOk;
    } catch (const std::bad_alloc&) {
        lastError_.clear();
        return hresult::kOutOfMemory;
    }
}

void CXKorvelCamObject::Advise(IXKorvelCamEvents* sink)
{
    if (sink == nullptr)
        return;
    Receiver r{sink, 0, 0};
    r.event = dispatch_.eventFired.Connect(
        [sink](const AutomationMember& event) { sink->OnEvent(event.dispid, event.name.data()); });
    r.log = control_.commLog.Connect([sink](const std::string& line, bool sent) {
        std::string text = line;
        std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
        sink->OnCommLog(text.c_str(), sent);
    });
    receivers_.push_back(r);
}

void CXKorvelCamObject::Unadvise(IXKorvelCamEvents* sink)
{
    auto it = std::find_if(receivers_.begin(), receivers_.end(),
                           [sink](const Receiver& r) { return r.sink == sink; });
    if (it == receivers_.end())
        return;
    dispatch_.eventFired.Disconnect(it->event);
    control_.commLog.Disconnect(it->log);
    receivers_.erase(it);
}

} // namespace zr
