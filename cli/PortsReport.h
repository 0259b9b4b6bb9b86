#pragma once

#include <string>

#include "automation/ControlSession.h"

namespace zr
{

class SettingsStore;

namespace cli
{

// The text of the verb `ports`: every communication class with its ports. The COM ports list
// their device after the module settings' [Comm] section (or the built-in default) and whether
// it is present; the Camera Link class lists the ports its serial libraries offer, named as
// --port takes them (CL:N). When no library offers one, a line says so and which libraries are
// looked for.
std::string PortsReport(ControlSession& object, const SettingsStore& settings);

} // namespace cli
} // namespace zr
