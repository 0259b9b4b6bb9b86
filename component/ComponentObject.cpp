#include "component/ComponentObject.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <new>
#include <optional>

#include "comm/ComPortMap.h"
#include "comm/PortName.h"
#include "component/BoundaryCalls.h"

namespace zr
{

CXKorvelCamObject::CXKorvelCamObject(ComponentModule& module)
    : hold_(module), session_(std::make_unique<LocalControl>(module.Settings()))
{
}

CXKorvelCamObject::~CXKorvelCamObject()
{
    Close();
}

void CXKorvelCamObject::Release()
{
    delete this;
}

int32_t CXKorvelCamObject::Close()
{
    if (session_) {
        SetProgress(nullptr);
        for (const Receiver& r : receivers_) {
            session_->Dispatch().eventFired.Disconnect(r.event);
            session_->Control().commLog.Disconnect(r.log);
        }
        receivers_.clear();
        watch_.reset();
        publication_.reset(); // off the bus before the windows go
        window_.reset();      // the panels go while the control still exists
        session_.reset();     // the control's shut-down writes the module settings
    }
    const ModuleSettings& settings = hold_.Module().Settings();
    lastError_ = settings.Problem();
    if (settings.HasUnsavedWrites())
        return hresult::kFail;
    return lastError_.empty() ? hresult::kOk : hresult::kFalse;
}

void CXKorvelCamObject::Start(bool connect)
{
    // Without a connection there is nothing the window would add headlessly: the control works
    // offline on its mirror.
    if (session_ && connect && !session_->Control().HasWindow())
        session_->Control().OnCreate();
}

void CXKorvelCamObject::SelectPort(int32_t commClass, int32_t port)
{
    if (session_)
        session_->Control().SelectCommPort(commClass, port);
}

void CXKorvelCamObject::SetProgress(IXKorvelCamProgress* progress)
{
    if (!session_)
        return;
    CXKorvelCamCtrl& control = session_->Control();
    control.operationProgress.Disconnect(progress_);
    progress_ = 0;
    control.SetStopCheck(nullptr);
    if (progress == nullptr)
        return;
    progress_ = control.operationProgress.Connect(
        [progress](const char* operation, int32_t done, int32_t total) {
            progress->OnProgress(operation, done, total);
        });
    control.SetStopCheck([progress] { return progress->IsStopRequested(); });
}

void* CXKorvelCamObject::CreateControlWindow(void* parentWidget)
{
    if (window_)
        return window_->Handle();
    ControlWindowFactory* factory = hold_.Module().WindowFactory();
    if (factory == nullptr || !session_ || session_->Control().HasWindow())
        return nullptr;
    // Nothing may unwind into the host's event loop or through the boundary.
    try {
        window_ = factory->Create(session_->Control(), parentWidget, screenshotFolder_);
        if (window_)
            Publish();
    } catch (const std::exception&) {
        watch_.reset();
        publication_.reset();
        window_.reset();
    }
    return window_ ? window_->Handle() : nullptr;
}

void CXKorvelCamObject::Publish()
{
    // Without a session bus the control simply stays unpublished.
    std::string error;
    publication_ = bus::BusPublication::Publish(session_->Control(), session_->Dispatch(), error);
    if (publication_) {
        // A bus that goes away costs the publication only, said once on stderr and in the
        // message list; the control and its window go on.
        CXKorvelCamCtrl& control = session_->Control();
        publication_->lost.Connect([&control, name = publication_->Name()](const std::string& why) {
            const std::string line =
                "the session bus has gone (" + why + "); " + name + " is no longer published";
            std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line.c_str());
            control.OnCommLog(line, /*sent=*/false);
        });
        watch_ = window_->Watch(*publication_);
    }
    if (!watch_)
        publication_.reset(); // nothing would serve it
}

int32_t CXKorvelCamObject::SelectPortNamed(const char* name)
{
    if (!session_ || name == nullptr)
        return hresult::kFail;
    CXKorvelCamCtrl& control = session_->Control();
    const std::optional<PortChoice> choice =
        ResolvePort(name, ComPortMap(control.Settings()), lastError_);
    if (!choice)
        return hresult::kFail;
    control.SelectCommPort(choice->commClass, choice->port);
    return hresult::kOk;
}

int32_t CXKorvelCamObject::ShowPortsWindow()
{
    if (!window_)
        return hresult::kFail;
    try {
        return window_->ShowPortsWindow() == 0 ? hresult::kOk : hresult::kFail;
    } catch (const std::exception&) {
        return hresult::kFail;
    }
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
    return LookUpMemberId(name, kind, dispid);
}

int32_t CXKorvelCamObject::Invoke(int32_t dispid, InvokeKind kind, Variant* args, uint32_t argCount,
                                  Variant* result)
{
    lastError_.clear();
    if (!session_) {
        lastError_ = "The control is closed.";
        return hresult::kUnexpected;
    }
    if (args == nullptr && argCount > 0) {
        lastError_ = "Invalid pointer.";
        return hresult::kPointer;
    }
    try {
        return InvokeOnArguments(args, argCount, result, lastError_,
                                 [&](std::vector<Variant>& arguments, Variant& value) {
                                     return session_->Dispatch().Invoke(dispid, kind, arguments,
                                                                        value);
                                 });
    } catch (const std::bad_alloc&) {
        lastError_.clear();
        return hresult::kOutOfMemory;
    }
}

void CXKorvelCamObject::Advise(IXKorvelCamEvents* sink)
{
    if (sink == nullptr || !session_)
        return;
    Receiver r{sink, 0, 0};
    r.event = session_->Dispatch().eventFired.Connect(
        [sink](const AutomationMember& event) { sink->OnEvent(event.dispid, event.name.data()); });
    r.log = session_->Control().commLog.Connect(
        [sink](const std::string& line, bool sent) { sink->OnCommLog(line.c_str(), sent); });
    receivers_.push_back(r);
}

void CXKorvelCamObject::Unadvise(IXKorvelCamEvents* sink)
{
    auto it = std::find_if(receivers_.begin(), receivers_.end(),
                           [sink](const Receiver& r) { return r.sink == sink; });
    if (it == receivers_.end())
        return;
    session_->Dispatch().eventFired.Disconnect(it->event);
    session_->Control().commLog.Disconnect(it->log);
    receivers_.erase(it);
}

} // namespace zr
