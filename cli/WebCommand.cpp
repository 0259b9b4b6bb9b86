#include "cli/WebCommand.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "base/TerminationSignals.h"
#include "cli/BusCommands.h"
#include "web/PasswordFile.h"
#include "web/WebServer.h"

namespace zr::cli
{

namespace
{

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;

void ErrorLine(const std::string& text)
{
    std::fputs(("zr47xcl web: " + text + "\n").c_str(), stderr);
}

// One line of standard input, not echoed when it is a terminal.
std::string ReadPassword()
{
    termios saved{};
    const bool terminal = ::isatty(STDIN_FILENO) == 1 && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        std::fputs("Password: ", stderr);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string password;
    std::getline(std::cin, password);
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fputs("\n", stderr);
    }
    return password;
}

int HashPassword(const std::string& path)
{
    const std::string password = ReadPassword();
    if (password.empty()) {
        ErrorLine("no password given on standard input");
        return kExitFailure;
    }
    std::string error;
    if (!web::PasswordFile::Write(path, password, error)) {
        ErrorLine(error);
        return kExitFailure;
    }
    return kExitOk;
}

void Announce(const web::WebServer& server)
{
    std::printf("zr47xcl web: listening on %s\n", server.Url().c_str());
    std::fflush(stdout);
}

} // namespace

int RunWeb(const CommandLine& line)
{
    if (!line.hashPasswordFile.empty())
        return HashPassword(line.hashPasswordFile);
    web::WebOptions options;
    if (!line.listen.empty())
        options.listen = line.listen;
    options.tlsCert = line.tlsCert;
    options.tlsKey = line.tlsKey;
    options.passwordFile = line.passwordFile;
    std::string error;
    std::unique_ptr<web::WebServer> server = web::WebServer::Start(options, error);
    if (!server) {
        ErrorLine(error);
        return kExitFailure;
    }
    // The one place the web face learns that the program is to end.
    const auto stopRequested = [] { return TerminationSignals::Requested(); };
    if (line.serveToo)
        return RunServe(line.port, line.offline, line.log, [&] {
            Announce(*server);
            server->Run(stopRequested);
        });
    TerminationSignals termination;
    Announce(*server);
    server->Run(stopRequested);
    return kExitOk;
}

} // namespace zr::cli
