// zr47xcl-sim: a simulated ZR-47xCL camera on a pseudo-terminal.

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <string>
#include <string_view>
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
                 missing file starts from the defaults; a corrupt one too, with a warning;
                 a folder, pipe or device is refused with exit status 1).
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
    FaultPlan faults; // the --fault options so far, checked together
};

// One option: its name, a short form, whether it takes a value ("--name VALUE" or
// "--name=VALUE") and what it does with it.
struct OptionRow {
    std::string_view name;
    std::string_view alias;
    bool takesValue;
    bool (*apply)(Arguments& args, const std::string& value, std::string& error);
};

bool NeedsPath(std::string_view option, const std::string& value, std::string& error)
{
    if (value.empty())
        error = "option " + std::string(option) + " needs a path";
    return !value.empty();
}

// clang-format off
constexpr OptionRow kOptionRows[] = {
    {"--help", "-h", false, [](Arguments& args, const std::string&, std::string&) {
         args.help = true;
         return true;
     }},
    {"--version", "", false, [](Arguments& args, const std::string&, std::string&) {
         args.version = true;
         return true;
     }},
    {"--pace", "", false, [](Arguments& args, const std::string&, std::string&) {
         args.options.pace = true;
         return true;
     }},
    {"--model", "", true, [](Arguments& args, const std::string& value, std::string& error) {
         if (value.empty())
             error = "the model name must not be empty";
         else
             args.options.model = value;
         return !value.empty();
     }},
    {"--link", "", true, [](Arguments& args, const std::string& value, std::string& error) {
         args.link = value;
         return NeedsPath("--link", value, error);
     }},
    {"--state", "", true, [](Arguments& args, const std::string& value, std::string& error) {
         args.options.stateFile = value;
         return NeedsPath("--state", value, error);
     }},
    {"--fault", "", true, [](Arguments& args, const std::string& value, std::string& error) {
         if (!args.faults.Add(value, error))
             return false;
         args.options.faults.push_back(value);
         return true;
     }},
};
// clang-format on

const OptionRow* FindOption(std::string_view name)
{
    for (const OptionRow& row : kOptionRows)
        if (row.name == name || (!row.alias.empty() && row.alias == name))
            return &row;
    return nullptr;
}

bool ParseArguments(int argc, char** argv, Arguments& args, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::string value;
        bool inlineValue = false;
        if (size_t eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            inlineValue = true;
        }
        const OptionRow* row = FindOption(name);
        if (row == nullptr || (inlineValue && !row->takesValue)) {
            error = "unknown option " + std::string(argv[i]);
            return false;
        }
        if (row->takesValue && !inlineValue) {
            if (i + 1 >= argc) {
                error = "option " + name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (!row->apply(args, value, error))
            return false;
    }
    return true;
}

// A state file must be a regular file, or not exist yet: a device would be read without end, a
// pipe would block the start-up for ever, and a folder could never hold the areas. Empty when
// `path` is fine, else why not.
std::string CheckStateFile(const std::string& path)
{
    struct stat info {
    };
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? std::string()
                               : "cannot use the state file " + path + ": " + std::strerror(errno);
    if (S_ISREG(info.st_mode))
        return {};
    const char* kind = S_ISDIR(info.st_mode)                            ? "a folder"
                       : S_ISFIFO(info.st_mode)                         ? "a pipe"
                       : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "a device"
                                                                        : "not a regular file";
    return "the state file " + path + " is " + kind + "; --state takes a regular file";
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
    if (args.version) {
        std::cout << "zr47xcl-sim " << ZR_VERSION << std::endl;
        return 0;
    }
    if (args.help) {
        PrintUsage(std::cout);
        return 0;
    }

    if (!args.options.stateFile.empty()) {
        error = CheckStateFile(args.options.stateFile);
        if (!error.empty()) {
            std::cerr << "zr47xcl-sim: " << error << std::endl;
            return kExitFailure;
        }
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
