#include "control/ComponentObject.h"

#include <algorithm>
#include <new>

namespace zr
{

void CXKorvelCamObject::Control::OnCommLog(const std::string& line, bool sent)
{
    CXKorvelCamCtrl::OnCommLog(line, sent);
    owner_.DeliverCommLog(line, sent);
}

CXKorvelCamObject::CXKorvelCamObject(ComponentModule& module)
    : hold_(module), control_(module.Settings(), *this), dispatch_(control_)
{
    dispatch_.Advise(*this);
}

CXKorvelCamObject::~CXKorvelCamObject()
{
    dispatch_.Unadvise(*this);
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
    if (sink != nullptr)
        sinks_.push_back(sink);
}

void CXKorvelCamObject::Unadvise(IXKorvelCamEvents* sink)
{
    auto it = std::find(sinks_.begin(), sinks_.end(), sink);
    if (it == sinks_.end())
        return;
    if (delivering_ > 0)
        *it = nullptr; // compacted once nothing is being delivered
    else
        sinks_.erase(it);
}

template <typename Fn> void CXKorvelCamObject::Deliver(Fn deliver)
{
    // The depth is restored even when a receiver throws.
    struct Delivery {
        CXKorvelCamObject& o;
        explicit Delivery(CXKorvelCamObject& object) : o(object) { ++o.delivering_; }
        ~Delivery()
        {
            if (--o.delivering_ == 0)
                std::erase(o.sinks_, nullptr);
        }
    } delivery(*this);
    const size_t count = sinks_.size();
    for (size_t i = 0; i < count; ++i) {
        if (IXKorvelCamEvents* sink = sinks_[i])
            deliver(*sink);
    }
}

void CXKorvelCamObject::OnEvent(int32_t dispid, const char* name)
{
    Deliver([&](IXKorvelCamEvents& sink) { sink.OnEvent(dispid, name); });
}

void CXKorvelCamObject::DeliverCommLog(const std::string& line, bool sent)
{
    if (sinks_.empty())
        return;
    std::string text = line;
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    Deliver([&](IXKorvelCamEvents& sink) { sink.OnCommLog(text.c_str(), sent); });
}

} // namespace zr
