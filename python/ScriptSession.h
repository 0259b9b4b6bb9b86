#pragma once

#include <string>
#include <vector>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"
#include "automation/Dispatch.h"
#include "base/Signal.h"

namespace zr::python
{

// What a zr47xcl.Control drives: a control of its own in this process, or a control published
// on the session bus by another program. Either gives the dispatch's results and reports the
// events and communication-log lines of a call while it runs, on the calling thread.
class ScriptSession
{
public:
    virtual ~ScriptSession() = default;

    virtual DispatchResult Invoke(const AutomationMember& member, InvokeKind kind,
                                  std::vector<Variant>& args, Variant& result) = 0;
    virtual Signal<const AutomationMember&>& Events() = 0;
    // A line sent to the camera (true) or received from it; line ends may still be on it.
    virtual Signal<const std::string&, bool>& Log() = 0;
};

} // namespace zr::python
