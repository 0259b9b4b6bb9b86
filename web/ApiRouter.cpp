#include "web/ApiRouter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <boost/asio/ip/address.hpp>

#include "base/AnsiText.h"
#include "web/EmbeddedFiles.h"
#include "web/MemberCatalog.h"

namespace zr::web
{

namespace
{

constexpr std::string_view kApi = "/api/v1/";
constexpr std::string_view kControls = "/api/v1/controls/";
constexpr const char* kCookie = "zr47xcl_session";
constexpr int32_t kBusy = static_cast<int32_t>(0x80010001);

// Beast's text type (Boost's string_view) and the standard one.
std::string_view View(boost::beast::string_view text)
{
    return {text.data(), text.size()};
}

boost::beast::string_view Beast(std::string_view text)
{
    return {text.data(), text.size()};
}

std::string HexCode(int32_t status)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(status));
    return text;
}

// What an answer needs of its request: a request's copy would carry its body (up to a megabyte
// for an upload) into every callback that answers later.
struct ReplyTo {
    ReplyTo(const Request& request) // NOLINT(google-explicit-constructor): stands for it
        : version(request.version()), keepAlive(request.keep_alive())
    {
    }
    unsigned version;
    bool keepAlive;
};

Response Make(ReplyTo request, http::status status, std::string body, std::string_view type)
{
    Response response(status, request.version);
    response.set(http::field::content_type, Beast(type));
    response.set(http::field::cache_control, "no-store");
    response.set("X-Content-Type-Options", "nosniff");
    response.set("X-Frame-Options", "DENY");
    response.set("Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'");
    response.set("Referrer-Policy", "no-referrer");
    response.keep_alive(request.keepAlive);
    response.body() = std::move(body);
    response.prepare_payload();
    return response;
}

Response JsonReply(ReplyTo request, const Json& json, http::status status = http::status::ok)
{
    return Make(request, status, json.dump(-1, ' ', false, Json::error_handler_t::replace),
                "application/json");
}

Response Error(ReplyTo request, http::status status, const std::string& message,
               std::string code = {})
{
    Json error = {{"message", message}};
    if (!code.empty())
        error["code"] = std::move(code);
    return JsonReply(request, {{"error", std::move(error)}}, status);
}

// The answer to a failed invocation: busy is a conflict, a failure of the bus a bad gateway,
// any other script error a bad request.
Response ScriptFailure(ReplyTo request, const DispatchResult& outcome)
{
    const http::status status = outcome.status == kBusy ? http::status::conflict
                                : outcome.status == static_cast<int32_t>(0x80010108)
                                    ? http::status::bad_gateway
                                    : http::status::bad_request;
    return Error(request, status, AnsiToUtf8(outcome.description), HexCode(outcome.status));
}

std::optional<Json> JsonBody(const Request& request)
{
    Json body = Json::parse(request.body(), nullptr, false);
    if (body.is_discarded() || !body.is_object())
        return std::nullopt;
    return body;
}

// The value of cookie `name` in the request, or empty.
std::string CookieValue(const Request& request, std::string_view name)
{
    const std::string_view header = View(request[http::field::cookie]);
    size_t at = 0;
    while (at < header.size()) {
        size_t end = header.find(';', at);
        if (end == std::string_view::npos)
            end = header.size();
        std::string_view pair = header.substr(at, end - at);
        while (!pair.empty() && pair.front() == ' ')
            pair.remove_prefix(1);
        if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=')
            return std::string(pair.substr(name.size() + 1));
        at = end + 1;
    }
    return {};
}

std::string_view PathOf(const Request& request)
{
    std::string_view target = View(request.target());
    const size_t query = target.find('?');
    return query == std::string_view::npos ? target : target.substr(0, query);
}

// Whether the request names this machine by a loopback name or address in its Host header. A
// server without a password answers only such requests: a page of another site whose name has
// been pointed at 127.0.0.1 (DNS rebinding) sends its own name, and is refused.
bool NamesLoopback(const Request& request)
{
    std::string_view host = View(request[http::field::host]);
    if (host.starts_with('[')) {
        const size_t close = host.find(']');
        host = close == std::string_view::npos ? std::string_view{} : host.substr(1, close - 1);
    } else if (const size_t colon = host.rfind(':'); colon != std::string_view::npos) {
        host = host.substr(0, colon);
    }
    if (host == "localhost")
        return true;
    boost::system::error_code ec;
    const auto address = boost::asio::ip::make_address(std::string(host), ec);
    return !ec && address.is_loopback();
}

// The member of `kind` that the body's "name" names, or nullptr.
const AutomationMember* NamedMember(const std::optional<Json>& body, MemberKind kind)
{
    if (!body || !body->contains("name") || !(*body)["name"].is_string())
        return nullptr;
    const AutomationMember* member = FindMember((*body)["name"].get<std::string>());
    return member != nullptr && member->kind == kind ? member : nullptr;
}

} // namespace

ApiRouter::ApiRouter(ControlHub& hub, std::optional<PasswordFile> password, bool secure,
                     TempFolder& temp)
    : hub_(hub), password_(std::move(password)), secure_(secure), temp_(temp)
{
}

ApiRouter::Access ApiRouter::AccessOf(const Request& request)
{
    Access access;
    access.sessionId = CookieValue(request, kCookie);
    if (!access.sessionId.empty())
        access.csrf = sessions_.Csrf(access.sessionId);
    access.authenticated = !password_ || access.csrf != nullptr;
    return access;
}

std::optional<Response> ApiRouter::CheckHost(const Request& request) const
{
    if (password_ || NamesLoopback(request))
        return std::nullopt;
    return Error(request, http::status::forbidden,
                 "without a password this server answers only to localhost or a loopback "
                 "address, not to \"" +
                     std::string(View(request[http::field::host])) + "\"");
}

std::optional<Response> ApiRouter::CheckPost(const Request& request, const Access& access) const
{
    const std::string origin = std::string(secure_ ? "https://" : "http://") +
                               std::string(View(request[http::field::host]));
    if (View(request[http::field::origin]) != origin)
        return Error(request, http::status::forbidden, "cross-origin request refused");
    if (access.csrf == nullptr ||
        !SameToken(std::string(View(request["X-CSRF-Token"])), *access.csrf))
        return Error(request, http::status::forbidden, "missing or wrong CSRF token");
    return std::nullopt;
}

std::string ApiRouter::SessionCookie(const std::string& id, bool expire) const
{
    std::string cookie = std::string(kCookie) + "=" + id + "; HttpOnly; SameSite=Strict; Path=/";
    if (secure_)
        cookie += "; Secure";
    if (expire)
        cookie += "; Max-Age=0";
    return cookie;
}

bool ApiRouter::IsEventStream(const Request& request)
{
    const std::string_view path = PathOf(request);
    return request.method() == http::verb::get && path.starts_with(kControls) &&
           path.ends_with("/events");
}

std::shared_ptr<ControlChannel> ApiRouter::OpenEventStream(const Request& request,
                                                           Response& refusal)
{
    if (std::optional<Response> refused = CheckHost(request)) {
        refusal = std::move(*refused);
        return nullptr;
    }
    if (!AccessOf(request).authenticated) {
        refusal = Error(request, http::status::unauthorized, "sign in first");
        return nullptr;
    }
    std::string_view id = PathOf(request).substr(kControls.size());
    id.remove_suffix(std::string_view("/events").size());
    std::string error;
    std::shared_ptr<ControlChannel> channel = hub_.Get(std::string(id), error);
    if (!channel)
        refusal = Error(request, http::status::not_found, error);
    return channel;
}

void ApiRouter::Handle(const Request& request, const std::string& client, const Reply& reply)
{
    const std::string_view path = PathOf(request);
    const http::verb method = request.method();
    if (!path.starts_with(kApi))
        return reply(Static(request, path));
    if (std::optional<Response> refusal = CheckHost(request))
        return reply(std::move(*refusal));
    if (path == "/api/v1/openapi.json" && method == http::verb::get)
        return reply(
            Make(request, http::status::ok, std::string(OpenApiDocument()), "application/json"));
    if (path == "/api/v1/session" && method == http::verb::get)
        return reply(Session(request));
    if (path == "/api/v1/login" && method == http::verb::post)
        return reply(Login(request, client));
    const Access access = AccessOf(request);
    if (!access.authenticated)
        return reply(Error(request, http::status::unauthorized, "sign in first"));
    if (method == http::verb::post)
        if (std::optional<Response> refusal = CheckPost(request, access))
            return reply(std::move(*refusal));
    if (path == "/api/v1/logout" && method == http::verb::post)
        return reply(Logout(request, access));
    if (path == "/api/v1/controls" && method == http::verb::get)
        return reply(Controls(request));
    if (path == "/api/v1/members" && method == http::verb::get)
        return reply(JsonReply(request, DescribeMembers()));
    if (path.starts_with(kControls))
        return Control(request, path.substr(kControls.size()), reply);
    reply(Error(request, http::status::not_found, "no such resource"));
}

Response ApiRouter::Static(const Request& request, std::string_view path) const
{
    if (request.method() != http::verb::get && request.method() != http::verb::head)
        return Error(request, http::status::method_not_allowed, "only GET here");
    std::string_view name;
    if (path == "/" || path == "/index.html")
        name = "index.html";
    else if (path == "/login")
        name = "login.html";
    else if (path.starts_with("/static/"))
        name = path.substr(8);
    // Looked up by exact name in the table compiled into the program: a name with a path in it
    // matches nothing.
    const EmbeddedFile* file = name.empty() ? nullptr : FindStaticFile(name);
    if (file == nullptr)
        return Error(request, http::status::not_found, "no such file");
    Response response =
        Make(request, http::status::ok, std::string(file->body), MediaType(file->name));
    response.set(http::field::cache_control, "no-cache");
    return response;
}

Response ApiRouter::Session(const Request& request)
{
    Access access = AccessOf(request);
    Json json = {{"authenticated", access.authenticated},
                 {"passwordRequired", password_.has_value()}};
    std::string cookie;
    // Without a password every client is signed in: it gets a session (and a token) here.
    if (!password_ && access.csrf == nullptr) {
        std::string csrf;
        access.sessionId = sessions_.Create(csrf);
        cookie = SessionCookie(access.sessionId, false);
        json["csrf"] = csrf;
    } else if (access.csrf != nullptr) {
        json["csrf"] = *access.csrf;
    }
    Response response = JsonReply(request, json);
    if (!cookie.empty())
        response.set(http::field::set_cookie, cookie);
    return response;
}

Response ApiRouter::Login(const Request& request, const std::string& client)
{
    const std::string origin = std::string(secure_ ? "https://" : "http://") +
                               std::string(View(request[http::field::host]));
    if (View(request[http::field::origin]) != origin)
        return Error(request, http::status::forbidden, "cross-origin request refused");
    if (!limiter_.Allow(client))
        return Error(request, http::status::too_many_requests,
                     "too many sign-in attempts; wait a minute");
    std::optional<Json> body = JsonBody(request);
    if (!body || !(*body)["password"].is_string())
        return Error(request, http::status::bad_request, "give the password as JSON");
    if (password_ && !password_->Verify((*body)["password"].get<std::string>()))
        return Error(request, http::status::unauthorized, "wrong password");
    limiter_.Succeeded(client);
    const std::string old = CookieValue(request, kCookie);
    if (!old.empty())
        sessions_.Remove(old);
    std::string csrf;
    const std::string id = sessions_.Create(csrf);
    Response response = JsonReply(request, {{"csrf", csrf}});
    response.set(http::field::set_cookie, SessionCookie(id, false));
    return response;
}

Response ApiRouter::Logout(const Request& request, const Access& access)
{
    sessions_.Remove(access.sessionId);
    Response response = JsonReply(request, {{"ok", true}});
    response.set(http::field::set_cookie, SessionCookie("", true));
    return response;
}

Response ApiRouter::Controls(const Request& request) const
{
    std::string error;
    Json controls = Json::array();
    for (const ControlInfo& c : hub_.List(error))
        controls.push_back({{"id", c.id}, {"online", c.online}, {"busName", c.busName}});
    if (!error.empty())
        return Error(request, http::status::service_unavailable, error);
    return JsonReply(request, {{"controls", std::move(controls)}});
}

void ApiRouter::Control(const Request& request, std::string_view rest, const Reply& reply)
{
    const size_t slash = rest.find('/');
    const std::string id(rest.substr(0, slash));
    const std::string_view action =
        slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    std::string error;
    std::shared_ptr<ControlChannel> channel = hub_.Get(id, error);
    if (!channel)
        return reply(Error(request, http::status::not_found, error));
    const bool get = request.method() == http::verb::get;
    const bool post = request.method() == http::verb::post;
    if (get && action == "values")
        return channel->Snapshot(
            [to = ReplyTo(request), reply](const Json& values) { reply(JsonReply(to, values)); });
    if (post && action == "set")
        return Set(request, *channel, reply);
    if (post && action == "call")
        return Call(request, channel, reply);
    if (post && action == "stop") {
        channel->Stop();
        return reply(JsonReply(request, {{"ok", true}}));
    }
    if (post && action == "setup")
        return Upload(request, channel, reply);
    if (get && action == "setup")
        return Download(request, channel, SpecialOp::WriteAllToFile, reply);
    if (get && action == "report")
        return Download(request, channel, SpecialOp::WriteCameraDataToFile, reply);
    reply(Error(request, http::status::not_found, "no such resource"));
}

void ApiRouter::Set(const Request& request, ControlChannel& channel, const Reply& reply)
{
    std::optional<Json> body = JsonBody(request);
    const AutomationMember* member = NamedMember(body, MemberKind::Property);
    if (member == nullptr)
        return reply(Error(request, http::status::bad_request, "name a property"));
    std::string error;
    std::optional<Variant> value = VariantOf(member->type, (*body)["value"], error);
    if (!value)
        return reply(Error(request, http::status::bad_request, error, "0x80020005"));
    channel.Set(
        *member, std::move(*value), [to = ReplyTo(request), reply](const DispatchResult& outcome) {
            reply(outcome.Succeeded() ? JsonReply(to, {{"ok", true}}) : ScriptFailure(to, outcome));
        });
}

void ApiRouter::Call(const Request& request, const std::shared_ptr<ControlChannel>& channel,
                     const Reply& reply)
{
    std::optional<Json> body = JsonBody(request);
    const AutomationMember* member = NamedMember(body, MemberKind::Method);
    if (member == nullptr)
        return reply(Error(request, http::status::bad_request, "name a method"));
    if (!CallableFromPage(*member))
        return reply(Error(request, http::status::forbidden,
                           "file names are not taken from the browser: use the setup and "
                           "report resources"));
    const Json given = body->contains("args") ? (*body)["args"] : Json::array();
    std::vector<Variant> args;
    size_t next = 0;
    std::string error;
    for (const AutomationArgument& argument : member->Arguments()) {
        if (argument.type == VarType::PtrI4) {
            args.emplace_back();
            continue;
        }
        const bool present = given.is_array() && next < given.size();
        std::optional<Variant> value =
            present ? VariantOf(argument.type, given[next], error) : std::nullopt;
        ++next;
        if (!value)
            return reply(Error(request, http::status::bad_request,
                               std::string("argument ") + argument.name + ": " +
                                   (present ? error : "missing"),
                               "0x80020005"));
        args.push_back(std::move(*value));
    }
    const bool started = channel->Call(
        *member, std::move(args),
        [to = ReplyTo(request), reply, member](const DispatchResult& outcome, const Variant& result,
                                               const std::vector<Variant>& out) {
            if (!outcome.Succeeded())
                return reply(ScriptFailure(to, outcome));
            Json outs = Json::object();
            const auto arguments = member->Arguments();
            for (size_t i = 0; i < arguments.size() && i < out.size(); ++i)
                if (arguments[i].type == VarType::PtrI4)
                    outs[arguments[i].name] = ValueJson(out[i]);
            reply(JsonReply(to, {{"result", ValueJson(result)}, {"out", outs}}));
        });
    if (!started)
        reply(Error(request, http::status::conflict, "another operation is under way",
                    HexCode(kBusy)));
}

void ApiRouter::Upload(const Request& request, const std::shared_ptr<ControlChannel>& channel,
                       const Reply& reply)
{
    const AutomationMember* load =
        FindSpecialMember(MemberKind::Method, SpecialOp::ReadAllFromFile);
    const std::string path = temp_.NewPath(".cam");
    if (load == nullptr || !WriteWholeFile(path, request.body()))
        return reply(
            Error(request, http::status::internal_server_error, "cannot keep the uploaded file"));
    const bool started = channel->Call(
        *load, {Variant(path)},
        [to = ReplyTo(request), reply, path](const DispatchResult& outcome, const Variant& result,
                                             const std::vector<Variant>&) {
            std::remove(path.c_str());
            if (!outcome.Succeeded())
                return reply(ScriptFailure(to, outcome));
            reply(JsonReply(
                to, {{"ok", result.ToI4().value_or(0) == 0}, {"result", ValueJson(result)}}));
        });
    if (!started) {
        std::remove(path.c_str());
        reply(Error(request, http::status::conflict, "another operation is under way",
                    HexCode(kBusy)));
    }
}

void ApiRouter::Download(const Request& request, const std::shared_ptr<ControlChannel>& channel,
                         SpecialOp operation, const Reply& reply)
{
    const AutomationMember* write = FindSpecialMember(MemberKind::Method, operation);
    const bool setup = operation == SpecialOp::WriteAllToFile;
    const std::string path = temp_.NewPath(setup ? ".cam" : ".txt");
    const std::string name = "zr47xcl-" + channel->Id() + (setup ? ".cam" : ".txt");
    auto done = [to = ReplyTo(request), reply, path,
                 name](const DispatchResult& outcome, const Variant&, const std::vector<Variant>&) {
        std::optional<std::string> bytes = ReadWholeFile(path);
        std::remove(path.c_str());
        if (!outcome.Succeeded())
            return reply(ScriptFailure(to, outcome));
        if (!bytes)
            return reply(
                Error(to, http::status::internal_server_error, "the control wrote no file"));
        std::string filename = name;
        std::replace(filename.begin(), filename.end(), ':', '-');
        Response response =
            Make(to, http::status::ok, std::move(*bytes), "application/octet-stream");
        response.set(http::field::content_disposition, "attachment; filename=\"" + filename + "\"");
        reply(std::move(response));
    };
    if (write == nullptr || !channel->Call(*write, {Variant(path)}, std::move(done)))
        reply(Error(request, http::status::conflict, "another operation is under way",
                    HexCode(kBusy)));
}

} // namespace zr::web
