#pragma once

#include <string>

#include "automation/AutomationMembers.h"
#include "automation/ControlSession.h"

namespace zr::cli
{

// What the describe and dump verbs print, read through the object's dispatch (the mirror, never
// the camera) and the constant parameter table.
class SettingsReport
{
public:
    explicit SettingsReport(ControlSession& object) : object_(object) {}

    // The lines of `describe`: the property's row and type, its mirror value (and text), its
    // range or its choices with the ones enabled now marked, its setup-file section and key,
    // and whether it is a text row.
    std::string Describe(const AutomationMember& property);
    // Every camera setting as "Name=Value (Text)" (text rows "Name=Text"), in table order.
    std::string Dump();

private:
    // The property's current value as text; empty when it cannot be read.
    std::string Get(const AutomationMember& property);
    std::string Call(const AutomationMember& method, int32_t argument);

    ControlSession& object_;
};

} // namespace zr::cli
