#pragma once

#include "cli/CommandLine.h"

namespace zr::cli
{

// `zr47xcl web`: serves the web face of the controls published on the session bus until
// SIGTERM, SIGINT or SIGHUP; with --serve it also runs and publishes a control of its own, as
// `zr47xcl serve` does. Its first line on stdout says where it listens (after the bus name with
// --serve). 0 after a signal, 1 when it cannot start (a line on stderr says why), 4 when the
// served control's module settings could not be saved. With --hash-password it only writes
// the password file.
int RunWeb(const CommandLine& line);

} // namespace zr::cli
