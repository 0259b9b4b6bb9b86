#include "bus/BusErrors.h"

#include <string_view>

namespace zr::bus
{

namespace
{

constexpr const char* kStartOne =
    "start one with zr47xcl serve (or the ZR-47xCL Control Tool) and attach again";

std::string WordsOf(const sdbus::Error& error)
{
    return error.getMessage().empty() ? error.getName() : error.getMessage();
}

bool OpenFailed(const sdbus::Error& error)
{
    return error.getMessage().starts_with("Failed to open bus") ||
           error.getMessage().starts_with("Failed to connect");
}

bool PeerGone(const sdbus::Error& error)
{
    const std::string_view name = error.getName();
    return name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
           name == "org.freedesktop.DBus.Error.NameHasNoOwner";
}

} // namespace

std::string DescribeBusError(const sdbus::Error& error, const std::string& peer)
{
    if (OpenFailed(error))
        return "there is no session bus to use (" + WordsOf(error) +
               "): run this in a desktop session, or under dbus-run-session, or set "
               "DBUS_SESSION_BUS_ADDRESS to the address of a running session bus";
    if (PeerGone(error) && !peer.empty())
        return "the published control " + peer +
               " is no longer on the session bus (its program has ended: " + WordsOf(error) +
               "); " + kStartOne;
    if (PeerGone(error))
        return "no published control answered (" + WordsOf(error) + "); " + kStartOne;
    if (!peer.empty())
        return "the published control " + peer + " did not answer: " + WordsOf(error);
    return "the session bus failed: " + WordsOf(error);
}

std::string NoPublishedControl()
{
    return std::string("no published control on the session bus; ") + kStartOne;
}

std::string NoControlHoldsPort()
{
    return "no published control holds that port; publish one for it with zr47xcl serve --port "
           "PORT, or attach without a port to the only one published";
}

} // namespace zr::bus
