#include "component/ComponentObject.h"
#include "component/ComponentWindows.h"

#include <algorithm>
#include <exception>
#include <new>

namespace zr
{

// A component built without windows; the shared library links the window layer's definition.
__attribute__((weak)) ControlWindowFactory* ComponentWindowFactory()
{
    return nullptr;
}

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
    window_.reset();
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

void* CXKorvelCamObject::CreateControlWindow(void* parentWidget)
{
    if (window_)
        return window_->Handle();
    ControlWindowFactory* factory = ComponentWindowFactory();
    if (factory == nullptr || control_.HasWindow())
        return nullptr;
    // Nothing may unwind into the host's event loop or through the boundary.
    try {
        window_ = factory->Create(control_, parentWidget, screenshotFolder_);
    } catch (const std::exception&) {
        window_.reset();
    }
    return window_ ? window_->Handle() : nullptr;
}

void CXKorvelCamObject::SetScreenshotFolder(const char* dir)
{
    screenshotFolder_ = dir != nullptr ? dir : "";
}

int32_t CXKorvelCamObject::SaveScreenshots(const char* dir)
{
    if (!window_ || dir == nullptr)
        return hresult::kFail;
    try {
        return window_->SaveScreenshots(dir) == 0 ? hresult::kOk : hresult::kFail;
    } catch (const std::exception&) {
        return hresult::kFail;
    }
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
