#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "cli/CommandLine.h"

// The command line's faces of the session bus: serving a control there, attaching to one, and
// telling a local run whose port a published control holds where to go instead.

namespace zr::cli
{

// `zr47xcl serve`: runs a control without a window (started on `port` or the remembered port
// unless `offline`), publishes it on the session bus and serves it until SIGTERM or SIGINT. The
// first line of stdout is the bus name. 0 after a signal, 1 when it cannot publish, 4 when the
// module settings could not be saved. With `log` every communication-log line goes to stderr.
// `beside`, when given, runs on a thread of its own while the control is published and must
// return soon after TerminationSignals::Requested() says true.
int RunServe(const std::optional<PortChoice>& port, bool offline, bool log,
             const std::function<void()>& beside = {});

// When a published control of this user holds class `commClass` port `port`: a line that says so
// and names --attach; else empty.
std::string HeldByPublishedControl(int32_t commClass, int32_t port);

} // namespace zr::cli
