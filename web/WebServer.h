#pragma once

#include <functional>
#include <memory>
#include <string>

namespace zr::web
{

// How the web face listens.
struct WebOptions {
    std::string listen = "127.0.0.1:8047"; // ADDRESS:PORT, [IPv6]:PORT; port 0 picks a free one
    std::string tlsCert;                   // PEM certificate chain; with tlsKey: HTTPS
    std::string tlsKey;
    std::string passwordFile; // the hash of the password; empty: no sign-in
};

// The web face: an HTTP(S) server on one thread, asynchronous (a slow or idle client costs no
// thread), with a deadline on every request and a limit on its size, serving the page compiled
// into the program and the JSON API of the controls published on the session bus.
class WebServer
{
public:
    // Checks the options and binds the address. nullptr, with `error` saying why, when the
    // address is not loopback and TLS or the password is missing, a file cannot be used, or
    // the address cannot be bound.
    static std::unique_ptr<WebServer> Start(const WebOptions& options, std::string& error);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // "http://127.0.0.1:8047/" with the port actually bound.
    std::string Url() const;

    // Serves until `stopRequested` says true (asked ten times a second).
    void Run(const std::function<bool()>& stopRequested);

private:
    struct State;
    explicit WebServer(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

} // namespace zr::web
