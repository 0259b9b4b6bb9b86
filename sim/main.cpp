// zr47xcl-sim: a simulated ZR-47xCL camera on a pseudo-terminal.

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "sim/lib/SimCamera.h"

namespace
{

using zr::sim::FaultPlan;
using zr::sim::PtyServer;
using zr::sim::SimOptions;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

void PrintUsage(std::ostream& out)
{
    out << R"(Usage: zr47xcl-sim [--model NAME] [--link PATH] [--pace] [--state FILE] [--fault FAULT]...

A simulated ZR-47xCL camera on a pseudo-terminal. Prints the terminal device path on the first
line of standard output, then answers the camera's command language on it until SIGTERM or
SIGINT (exit status 0).

Options:
  --model NAME   model name answered to MD? (default ZR-470). ZR-470: imager 1 colour, imager 2
                 monochrome; ZR-471: both monochrome; ZR-472: imager 1 monochrome, imager 2
                 colour; any other name: both colour. Rows of a colour imager answer
                 "Unknown Command!!" on a monochrome one, as do BI1, YA, AYB and AYR
                 unless both imagers are of the same kind.
  --link PATH    also make a symbolic link PATH to the device (an existing symbolic link there
                 is replaced); removed again at exit
  --pace         behave like a 9600-baud 8N1 line in both directions (about 1.04 ms a byte)
  --state FILE   keep the three EEPROM areas and the power-up area in FILE across runs (a
                 missing file starts from the defaults; a corrupt one too, with a warning).
                 The power-up area (EA?) is read-only on the line; set it with
                 "power-up=N" (N = 0..2) in FILE.
  --fault FAULT   inject a fault or set a one-push outcome; repeatable (below)
  --help         show this text
  --version      show the version

Camera behaviour: EB=1 echoes every command line before its answer. UD=text is accepted only
right after ULCK=4127. LD=n loads EEPROM area n (0 factory, 1 user 1, 2 user 2) into the current
settings; SA=n stores them into area 1 or 2 (SA=0 answers "Bad Parameters!!": the factory area
is write-protected). A set of a read-only row (VN, PV, ID, MD, ST, HP, EA, IM1, IM2, AWR1, AWR2,
AYR, RSS1, RSS2) and a query of a command-only row (ULCK, AW1, AW2, AYB, RS1, RS2, LD, SA) answer
"Bad Parameters!!".

)" << FaultPlan::Syntax();
}

struct Arguments {
    SimOptions options;
    std::string link;
    bool help = false;
    bool version = false;
};

// Accepts "--name value" and "--name=value".
bool ParseArguments(int argc, char** argv, Arguments& args, std::string& error)
{
    FaultPlan check;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
            inlineValue = true;
        }
        auto takeValue = [&]() {
            if (inlineValue)
                return true;
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        if ((arg == "--help" || arg == "-h") && !inlineValue) {
            args.help = true;
        } else if (arg == "--version" && !inlineValue) {
            args.version = true;
        } else if (arg == "--pace" && !inlineValue) {
            args.options.pace = true;
        } else if (arg == "--model") {
            if (!takeValue())
                return false;
            if (value.empty()) {
                error = "the model name must not be empty";
                return false;
            }
            args.options.model = value;
        } else if (arg == "--link") {
            if (!takeValue())
                return false;
            args.link = value;
        } else if (arg == "--state") {
            if (!takeValue())
                return false;
            args.options.stateFile = value;
        } else if (arg == "--fault") {
            if (!takeValue() || !check.Add(value, error))
                return false;
            args.options.faults.push_back(value);
        } else {
            error = "unknown option " + std::string(argv[i]);
            return false;
        }
        if ((arg == "--link" || arg == "--state") && value.empty()) {
            error = "option " + arg + " needs a path";
            return false;
        }
    }
    return true;
}

// Makes `path` a symbolic link to `target`. An existing symbolic link there (left over from an
// earlier run) is replaced atomically; any other file is left alone and refused.
bool MakeLink(const std::string& path, const std::string& target, std::string& error)
{
    struct stat info {
    };
    if (::lstat(path.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
        error = path + " exists and is not a symbolic link";
        return false;
    }
    std::string temp = path + ".tmp-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot create the link " + path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

// Removes the link only while it still points at our device (another run may own it now).
void RemoveLink(const std::string& path, const std::string& target)
{
    std::vector<char> buffer(target.size() + 2);
    ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n >= 0 && std::string(buffer.data(), static_cast<size_t>(n)) == target)
        ::unlink(path.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    Arguments args;
    std::string error;
    if (!ParseArguments(argc, argv, args, error)) {
        std::cerr << "zr47xcl-sim: " << error << "\nTry 'zr47xcl-sim --help'." << std::endl;
        return kExitUsage;
    }
    if (args.help) {
        PrintUsage(std::cout);
        return 0;
    }
    if (args.version) {
        std::cout << "zr47xcl-sim " << ZR_VERSION << std::endl;
        return 0;
    }

    // Block the ending signals in every thread before the server starts its own, then wait
    // for them here: shutdown then runs in order (server joined, link removed).
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGTERM);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    PtyServer server(args.options);
    if (!server.IsServing()) {
        std::cerr << "zr47xcl-sim: cannot open a pseudo-terminal: " << std::strerror(errno)
                  << std::endl;
        return kExitFailure;
    }
    if (!args.link.empty() && !MakeLink(args.link, server.DevicePath(), error)) {
        std::cerr << "zr47xcl-sim: " << error << std::endl;
        return kExitFailure;
    }
    std::cout << server.DevicePath() << std::endl;

    int signal = 0;
    sigwait(&endSignals, &signal);

    if (!args.link.empty())
        RemoveLink(args.link, server.DevicePath());
    return 0;
}
