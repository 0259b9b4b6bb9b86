#pragma once

#include <string>

namespace zr::cli
{

// The text of --help, its verbs and options from the command line's tables.
std::string UsageText();

// The bash completion of zr47xcl: its options, verbs and the member names each verb takes, from
// the same tables and the member table.
std::string CompletionScript();

} // namespace zr::cli
