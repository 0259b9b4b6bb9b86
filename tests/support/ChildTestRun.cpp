#include "support/ChildTestRun.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace zr::test
{

int RunTestsInChild(const std::string& filter, const std::string& libraryPath, const char* marker)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!text.starts_with("LD_LIBRARY_PATH=") && !text.starts_with("GTEST_OUTPUT="))
            environment.push_back(text);
    }
    environment.push_back("LD_LIBRARY_PATH=" + libraryPath);
    environment.push_back(std::string(marker) + "=1");
    std::vector<char*> envp;
    for (std::string& text : environment)
        envp.push_back(text.data());
    envp.push_back(nullptr);

    std::string program = "/proc/self/exe";
    std::string filterArgument = "--gtest_filter=" + filter;
    char* argv[] = {program.data(), filterArgument.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

bool IsChildTestRun(const char* marker)
{
    return std::getenv(marker) != nullptr;
}

} // namespace zr::test
