#include "VirtualXServer.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <vector>

namespace zr::test
{

VirtualXServer::VirtualXServer(const std::string& logFile)
{
    const std::string number = Start(logFile, "");
    if (!number.empty())
        display_ = ":" + number;
}

VirtualXServer::VirtualXServer(const std::string& logFile, int first, int last)
{
    for (int number = first; number <= last && display_.empty(); ++number) {
        const std::string wanted = std::to_string(number);
        const std::string written = Start(logFile, wanted);
        if (!Installed())
            return;
        if (written == wanted)
            display_ = ":" + written;
    }
}

std::string VirtualXServer::Start(const std::string& logFile, const std::string& number)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {};
    std::vector<std::string> args{"Xvfb"};
    if (!number.empty())
        args.push_back(":" + number);
    args.insert(args.end(),
                {"-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"});
    server_ = std::make_unique<ChildProcess>(args, logFile, fds[1]);
    ::close(fds[1]);
    // The server writes its display number and a line end once it accepts clients.
    std::string written;
    pollfd readable{fds[0], POLLIN, 0};
    char c = 0;
    while (::poll(&readable, 1, 15000) == 1 && ::read(fds[0], &c, 1) == 1 && c != '\n')
        written += c;
    ::close(fds[0]);
    return c == '\n' ? written : std::string();
}

} // namespace zr::test
