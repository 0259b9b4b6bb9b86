#pragma once

#include <functional>
#include <string>

namespace zr
{

// Work that an event loop serves: a descriptor to watch, the poll events it waits for, the
// longest wait before it must be served anyway, and the step that serves it. The session bus
// publication is one; a window system serves it from its own loop on the control's thread.
class EventSource
{
public:
    virtual ~EventSource() = default;
    virtual int Fd() const = 0;
    virtual short PollEvents() const = 0;
    // Milliseconds until Process must run even without activity, -1 for never.
    virtual int PollTimeoutMs() const = 0;
    virtual void Process() = 0;
    // Empty while the source works; once its connection has gone for good, why. A loop then
    // stops watching it (its descriptor may be closed already).
    virtual const std::string& Lost() const = 0;
    // While `busy` answers true the source refuses new work instead of running it (the window's
    // own operation holds the control); nullptr for never busy.
    virtual void SetBusyCheck(std::function<bool()> busy) = 0;
};

// Serves an event source for as long as it lives.
class EventSourceWatch
{
public:
    virtual ~EventSourceWatch() = default;
};

} // namespace zr
