#pragma once

#include <memory>

#include <pybind11/pybind11.h>

#include "bus/BusClient.h"
#include "python/ScriptSession.h"

namespace zr::python
{

// A control published on the session bus by another program (the desktop program, `zr47xcl
// serve`), as the session of a zr47xcl.Control.
class AttachedSession final : public ScriptSession
{
public:
    explicit AttachedSession(std::unique_ptr<bus::BusClient> client) : client_(std::move(client)) {}

    DispatchResult Invoke(const AutomationMember& member, InvokeKind kind,
                          std::vector<Variant>& args, Variant& result) override
    {
        return client_->Invoke(member, kind, args, result);
    }
    Signal<const AutomationMember&>& Events() override { return client_->eventFired; }
    Signal<const std::string&, bool>& Log() override { return client_->commLog; }

private:
    std::unique_ptr<bus::BusClient> client_;
};

// Adds zr47xcl.attach(port=None) to the module: a Control driving the published control that
// holds that port ("COM1".."COM16" or "CL:N"), or the only one. `scriptError` is the module's
// ScriptError.
void DefineAttach(pybind11::module_& module, pybind11::object scriptError);

} // namespace zr::python
