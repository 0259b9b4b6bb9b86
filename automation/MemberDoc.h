#pragma once

#include <string>

#include "automation/AutomationMembers.h"

namespace zr
{

// A one-sentence description of a member for the descriptions made from the member table (the
// bus interface's documentation annotations, the Python stub's docstrings, the kit's member
// header): what the member gives or does, naming the camera setting (its mnemonic) of a member
// bound to a parameter row. Made from the member's behaviour, special operation and row, so a
// new member is described without a text of its own.
std::string MemberDoc(const AutomationMember& member);

} // namespace zr
