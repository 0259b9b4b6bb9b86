#include "base/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

namespace zr
{

namespace
{

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir)
        return found->pw_dir;
    return ".";
}

} // namespace

std::string UserBaseFolder(const char* variable, const char* homeRelative)
{
    const char* value = std::getenv(variable);
    if (value && value[0] == '/')
        return value;
    return HomeFolder() + "/" + homeRelative;
}

std::vector<std::string> SystemDataFolders()
{
    std::vector<std::string> folders;
    const char* value = std::getenv("XDG_DATA_DIRS");
    std::string_view rest = value != nullptr ? value : "";
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string_view entry = rest.substr(0, colon);
        if (entry.starts_with('/'))
            folders.emplace_back(entry);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    if (folders.empty())
        folders = {"/usr/local/share", "/usr/share"};
    return folders;
}

} // namespace zr
