// Writes the bash completion of zr47xcl on standard output; run at build time.

#include <cstdio>

#include "cli/CommandHelp.h"

int main()
{
    const std::string script = zr::cli::CompletionScript();
    return std::fwrite(script.data(), 1, script.size(), stdout) == script.size() ? 0 : 1;
}
