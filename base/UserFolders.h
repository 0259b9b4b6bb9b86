#pragma once

#include <string>
#include <vector>

namespace zr
{

// A per-user base folder after the XDG base directory rules: the environment variable when it
// holds an absolute path, else `homeRelative` below the user's home folder (for example
// "XDG_CONFIG_HOME" and ".config").
std::string UserBaseFolder(const char* variable, const char* homeRelative);

// The system-wide data folders after the same rules, in order of preference: the absolute
// entries of $XDG_DATA_DIRS (relative ones are ignored), or /usr/local/share and /usr/share when
// it is unset or holds none.
std::vector<std::string> SystemDataFolders();

} // namespace zr
