#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "control/ComponentInterface.h"
#include "control/ComponentModule.h"
#include "control/Dispatch.h"
#include "control/XKorvelCamCtrl.h"

namespace zr
{

// The object the component's class factory creates: one control on the module settings and its
// dispatch, behind the boundary interface IXKorvelCamObject. It holds the module while alive.
class CXKorvelCamObject final : public IXKorvelCamObject, private EventSink
{
public:
    // `module` must outlive the object.
    explicit CXKorvelCamObject(ComponentModule& module);
    CXKorvelCamObject(const CXKorvelCamObject&) = delete;
    CXKorvelCamObject& operator=(const CXKorvelCamObject&) = delete;

    void Start(bool connect) override;
    int32_t GetIDOfName(const char* name, int32_t* kind, int32_t* dispid) override;
    int32_t Invoke(int32_t dispid, InvokeKind kind, Variant* args, uint32_t argCount,
                   Variant* result) override;
    const char* ErrorDescription() const override { return lastError_.c_str(); }
    void Advise(IXKorvelCamEvents* sink) override;
    void Unadvise(IXKorvelCamEvents* sink) override;
    void Release() override;

private:
    // The control with its communication log handed to the object's receivers as well.
    class Control final : public CXKorvelCamCtrl
    {
    public:
        Control(SettingsStore& settings, CXKorvelCamObject& owner)
            : CXKorvelCamCtrl(settings), owner_(owner)
        {
        }
        void OnCommLog(const std::string& line, bool sent) override;

    private:
        CXKorvelCamObject& owner_;
    };

    ~CXKorvelCamObject() override;

    void OnEvent(int32_t dispid, const char* name) override;
    void DeliverCommLog(const std::string& line, bool sent);
    // Calls `deliver` on every receiver; receivers removed meanwhile are skipped.
    template <typename Fn> void Deliver(Fn deliver);

    // Declared first, released last: the control writes the module settings when it goes.
    ComponentModule::Hold hold_;
    Control control_;
    CXKorvelCamDispatch dispatch_;
    std::vector<IXKorvelCamEvents*> sinks_;
    int delivering_ = 0;
    std::string lastError_;
};

} // namespace zr
