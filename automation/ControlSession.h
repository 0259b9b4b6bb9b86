#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"
#include "automation/DispatchResult.h"
#include "base/Signal.h"

namespace zr
{

class ControlUi;

// A control as every face drives it (the command line, the Python module, a program that
// publishes its control on the bus): in this process (LocalControl: the control and its
// dispatch) or in another program that publishes it on the session bus (bus::BusClient).
//
// A call runs on the calling thread; the events, communication-log lines and progress steps it
// causes are emitted while it runs, in the order the control made them.
class ControlSession
{
public:
    virtual ~ControlSession() = default;

    // Calls a member as CXKorvelCamDispatch::Invoke does: PropertyGet and PropertyPut address
    // properties, Method addresses methods; `args` in declaration order (a put passes the new
    // value alone), out arguments (PTR(I4)) overwritten; `result` gets the value or the method's
    // result. Nothing throws: a script error is the result's status and description.
    virtual DispatchResult Invoke(const AutomationMember& member, InvokeKind kind,
                                  std::vector<Variant>& args, Variant& result) = 0;

    // The events of the event interface as they fire.
    virtual Signal<const AutomationMember&>& Events() = 0;
    // A line sent to the camera (true) or received from it, CR and LF removed.
    virtual Signal<const std::string&, bool>& Log() = 0;
    // A step of a long operation: its name, steps done, steps in all.
    virtual Signal<const std::string&, int32_t, int32_t>& Progress() = 0;

    // Asked while a call runs, at the operation's safe points; once it says true the operation
    // stops where it safely can (after its restoring steps) and the call ends with it. It is one
    // source among others: the control stops just as well for its own program's reasons.
    virtual void SetStopCheck(std::function<bool()> check) = 0;

    // Where the message boxes the control shows for a call of this session go: the control's
    // own user interface for a control of this process, the caller's for one over the bus
    // (standard error until one is given). `ui` must outlive the session.
    virtual void SetUi(ControlUi& ui) = 0;

    // Delivers what has arrived since the last call (events, log lines sent after its reply).
    virtual void Flush() {}
};

} // namespace zr
