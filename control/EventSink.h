#pragma once

#include <cstdint>

namespace zr
{

// Receives the events of a control (the event interface _DXKorvelCamEvents). Events carry no
// arguments: a receiver reads the new state through the control. They arrive synchronously on
// the control's thread, from inside the operation that caused them; a receiver may call back
// into the control (the call runs nested), but must not let an exception escape.
class EventSink
{
public:
    virtual ~EventSink() = default;
    virtual void OnEvent(int32_t dispid, const char* name) = 0;
};

} // namespace zr
