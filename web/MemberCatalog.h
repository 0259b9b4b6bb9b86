#pragma once

#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"

// What the web face tells a page about the members: read from the member table and the
// parameter table, never listed by hand.

namespace zr::web
{

using Json = nlohmann::json;

// The member's group as the panels group them: "imager1", "imager2", "common",
// "communication", "main" (whole-control operations) or "other".
const char* GroupOf(const AutomationMember& member);
// How a page shows the member: "list", "number", "check", "text", "button" or "none".
const char* ControlOf(const AutomationMember& member);
// Whether a page may pass this method arbitrary arguments: false for the methods that take a
// file name, which the web face reaches only through files it makes itself.
bool CallableFromPage(const AutomationMember& member);

// One member's description (see the API's members resource).
Json DescribeMember(const AutomationMember& member);
// Every member, in table order.
Json DescribeMembers();

// A value as JSON: a number, a boolean or a string; null for an empty value.
Json ValueJson(const Variant& value);
// A value of `type` read from JSON; nothing, with `error` saying why, when the JSON does not fit
// the type or holds a character the control's texts cannot.
std::optional<Variant> VariantOf(VarType type, const Json& value, std::string& error);

// The enablement of every property bound to a parameter row, from the row's enabled condition
// evaluated on `values` (property name -> current value).
std::map<std::string, bool> Enablement(const std::map<std::string, Variant>& values);

} // namespace zr::web
