#pragma once

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"

namespace zr
{

// How a member figures with the camera, for callers that want to know when a call did not
// reach it (the command line's --strict, the Python module's strict controls).

// Whether the call would have had to reach the camera: a write of a property whose row the
// camera holds (or of the user identifier), or a method that talks to the camera. Reads never
// do: they answer from the mirror.
bool NeedsCamera(const AutomationMember& member, InvokeKind kind);

// Whether the method's result is a result code, 0 for success (the long operations, setup files,
// area loads and stores, StartCommunication, the one-push functions).
bool ReturnsResultCode(const AutomationMember& member);

} // namespace zr
