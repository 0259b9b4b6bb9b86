#pragma once

#include <string>

#include <sdbus-c++/Error.h>

// Failures of the session bus itself, told as what happened and what to do about it: the bus
// library's own words ("Failed to open bus (No medium found)", "The name ... was not provided
// by any .service files") are kept in the text, after what they mean here.

namespace zr::bus
{

// `error` from opening the session bus or from a call to the published control `peer` (empty
// when no control was reached yet).
std::string DescribeBusError(const sdbus::Error& error, const std::string& peer = {});

// When the session bus has no published control, or none that holds the port asked for.
std::string NoPublishedControl();
std::string NoControlHoldsPort();

} // namespace zr::bus
