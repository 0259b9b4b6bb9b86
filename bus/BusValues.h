#pragma once

#include <sdbus-c++/Message.h>

#include "automation/AutomationTypes.h"

// Automation values in and out of bus messages, by the type the member table declares.

namespace zr::bus
{

// Appends `value` converted to `type` (I4 and PTR(I4) as "i", BOOL as "b", BSTR as "s"); a value
// that does not convert goes as 0, false or empty text. VOID appends nothing.
void AppendValue(sdbus::Message& message, VarType type, const Variant& value);

// Reads the next value of `type` from the message: an I4, BOOL or BSTR Variant; empty for VOID.
// Throws sdbus::Error when the message holds another type there.
Variant ReadValue(sdbus::Message& message, VarType type);

} // namespace zr::bus
