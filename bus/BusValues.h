#pragma once

#include <sdbus-c++/Message.h>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"

// Automation values in and out of bus messages, by the type the member table declares. The bus
// speaks UTF-8, the control Windows-1252: a BSTR is converted on its way in and out
// (base/AnsiText.h). A file name is not converted: it is a path of this file system.

namespace zr::bus
{

// Appends `value` converted to `type` (I4 and PTR(I4) as "i", BOOL as "b", BSTR as "s", in UTF-8);
// a value that does not convert goes as 0, false or empty text. VOID appends nothing.
void AppendValue(sdbus::Message& message, VarType type, const Variant& value);

// Reads the next value of `type` from the message: an I4, BOOL or BSTR Variant; empty for VOID.
// Throws sdbus::Error when the message holds another type there, and an error of the status
// "Type mismatch." naming the character when a text holds one the control's texts cannot hold.
Variant ReadValue(sdbus::Message& message, VarType type);

// The same for an argument of a method: its file names go as they are.
void AppendArgument(sdbus::Message& message, const AutomationArgument& argument,
                    const Variant& value);
Variant ReadArgument(sdbus::Message& message, const AutomationArgument& argument);

// The control's text as the bus carries it, and back: a text the bus carries that the control
// cannot hold throws the error ReadValue throws.
std::string TextToBus(std::string_view ansi);
std::string TextFromBus(const std::string& utf8);

} // namespace zr::bus
