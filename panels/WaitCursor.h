#pragma once

#include "control/ControlUi.h"

namespace zr
{

// Shows the wait cursor for one scope, restored however the scope is left.
class WaitCursor
{
public:
    explicit WaitCursor(ControlUi& ui) : ui_(ui) { ui_.BeginWaitCursor(); }
    ~WaitCursor() { ui_.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    ControlUi& ui_;
};

} // namespace zr
