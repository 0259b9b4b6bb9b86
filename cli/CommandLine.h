#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "automation/AutomationMembers.h"
#include "automation/AutomationTypes.h"
#include "base/TerminalText.h"
#include "comm/PortName.h"

namespace zr::cli
{

enum class Verb { Get, Set, Call, List, Describe, Dump, Ports, Serve, Web };

// One verb of the command line, checked against the member table.
struct Step {
    Verb verb = Verb::List;
    const AutomationMember* member = nullptr; // nullptr for List and Dump
    // Set: the new value. Call: one Variant per declared argument, in order; an out argument
    // (PTR(I4)) is an empty slot.
    std::vector<Variant> args;
};

// A communication class and port chosen on the command line.
using PortChoice = zr::PortChoice;

struct CommandLine {
    bool help = false;
    bool version = false;
    bool offline = false;
    bool log = false;
    bool events = false;
    bool strict = false;
    // --attach: the verbs run on a control published on the session bus (the one holding
    // `port` when given) instead of one of this program's own.
    bool attach = false;
    std::optional<PortChoice> port;
    // --port with a device path: resolved to its COM port through the module settings before
    // the start-up (port is then set).
    std::string portDevice;
    std::vector<Step> steps;
    // The web face (verb web): where it listens, its TLS certificate and key, its password
    // file, whether it also serves a control of its own, and --hash-password's file.
    std::string listen;
    std::string tlsCert;
    std::string tlsKey;
    std::string passwordFile;
    std::string hashPasswordFile;
    bool serveToo = false;

    // Whether a verb needs the control object (list works on the member table alone).
    bool NeedsControl() const;
    // Whether the verb is one that runs alone (serve).
    bool Serves() const;
    // Whether the start-up makes its connection attempt: not with --offline, nor when no verb
    // needs the camera (ports alone).
    bool Connects() const;
    // Whether the verb is web, which runs alone.
    bool ServesWeb() const;
};

// Parses the whole command line before anything runs, so a usage error leaves the camera
// untouched. False with a one-line message in `error` for an unknown option, verb or member, a
// member of the wrong kind, a malformed value or a wrong number of arguments.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& error);

// The texts of the verbs (a BSTR to set, a BSTR argument other than a file name) as the
// control's texts, where the terminal's locale is UTF-8 (base/TerminalText.h). False with a
// one-line message naming the value for one that the control's texts cannot hold.
bool TextsFromTerminal(CommandLine& line, const TerminalText& terminal, std::string& error);

// "COM1".."COM16" (class 0, port 0..15, any letter case) or "CL:N" (class 1, port index N);
// nothing for anything else (a device path is resolved later, with the module settings).
std::optional<PortChoice> ParsePort(const std::string& text);

// Up to three member names of that kind closest to `name` in spelling, nearest first; empty
// when none is near.
std::vector<std::string> SuggestMembers(const std::string& name, MemberKind kind);

} // namespace zr::cli
