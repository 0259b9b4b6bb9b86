#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <boost/beast/http.hpp>

#include "web/ControlHub.h"
#include "web/PasswordFile.h"
#include "web/SessionStore.h"
#include "web/TempFolder.h"

namespace zr::web
{

namespace http = boost::beast::http;
using Request = http::request<http::string_body>;
using Response = http::response<http::string_body>;

// Answers the requests of the web face: the page's files, the JSON API and its access rules
// (sessions, CSRF token and Origin for every POST, rate-limited logins). Runs on the server's
// thread; a request that needs the control is answered later, from the control's thread.
class ApiRouter
{
public:
    using Reply = std::function<void(Response)>;

    // `password` empty: every client is signed in. `secure`: the server speaks TLS.
    ApiRouter(ControlHub& hub, std::optional<PasswordFile> password, bool secure, TempFolder& temp);

    void Handle(const Request& request, const std::string& client, const Reply& reply);

    // Whether the request asks for a control's event stream.
    static bool IsEventStream(const Request& request);
    // The channel whose events the request may stream, or nullptr with `refusal` set.
    std::shared_ptr<ControlChannel> OpenEventStream(const Request& request, Response& refusal);

private:
    struct Access {
        std::string sessionId;
        const std::string* csrf = nullptr; // of the request's live session
        bool authenticated = false;
    };
    Access AccessOf(const Request& request);
    // nullopt when the POST may go on, else the refusal.
    // A refusal unless a password guards the server or the request names a loopback host.
    std::optional<Response> CheckHost(const Request& request) const;
    std::optional<Response> CheckPost(const Request& request, const Access& access) const;

    Response Static(const Request& request, std::string_view path) const;
    Response Session(const Request& request);
    Response Login(const Request& request, const std::string& client);
    Response Logout(const Request& request, const Access& access);
    Response Controls(const Request& request) const;
    void Control(const Request& request, std::string_view rest, const Reply& reply);
    void Set(const Request& request, ControlChannel& channel, const Reply& reply);
    void Call(const Request& request, const std::shared_ptr<ControlChannel>& channel,
              const Reply& reply);
    void Upload(const Request& request, const std::shared_ptr<ControlChannel>& channel,
                const Reply& reply);
    void Download(const Request& request, const std::shared_ptr<ControlChannel>& channel,
                  SpecialOp operation, const Reply& reply);
    std::string SessionCookie(const std::string& id, bool expire) const;

    ControlHub& hub_;
    std::optional<PasswordFile> password_;
    bool secure_;
    TempFolder& temp_;
    SessionStore sessions_;
    LoginLimiter limiter_;
};

} // namespace zr::web
