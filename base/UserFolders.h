#pragma once

#include <string>

namespace zr
{

// A per-user base folder after the XDG base directory rules: the environment variable when it
// holds an absolute path, else `homeRelative` below the user's home folder (for example
// "XDG_CONFIG_HOME" and ".config").
std::string UserBaseFolder(const char* variable, const char* homeRelative);

} // namespace zr
