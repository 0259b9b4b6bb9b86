#include "web/WebServer.h"

#include <sys/resource.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>

#include "web/ApiRouter.h"
#include "web/ControlHub.h"
#include "web/HttpSession.h"
#include "web/PasswordFile.h"
#include "web/TempFolder.h"

namespace zr::web
{

namespace
{

using tcp = net::ip::tcp;

// Connections beyond this are closed as soon as they are accepted.
constexpr int kMaxConnections = 4000;

// Lets the server keep many connections: the soft limit of open files up to the hard one.
void RaiseFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// "ADDRESS:PORT" or "[IPv6]:PORT"; "localhost" is 127.0.0.1.
std::optional<tcp::endpoint> ParseListen(const std::string& text, std::string& error)
{
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) {
        error = "--listen needs ADDRESS:PORT, got \"" + text + "\"";
        return std::nullopt;
    }
    std::string host = text.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    if (host == "localhost")
        host = "127.0.0.1";
    beast::error_code ec;
    const net::ip::address address = net::ip::make_address(host, ec);
    const std::string portText = text.substr(colon + 1);
    char* end = nullptr;
    const long port = std::strtol(portText.c_str(), &end, 10);
    if (ec || *end != '\0' || port < 0 || port > 65535) {
        error = "--listen needs a numeric ADDRESS:PORT, got \"" + text + "\"";
        return std::nullopt;
    }
    return tcp::endpoint(address, static_cast<unsigned short>(port));
}

} // namespace

struct WebServer::State {
    net::io_context io{1};
    std::optional<net::ssl::context> tls;
    tcp::acceptor acceptor{io};
    ControlHub hub;
    TempFolder temp;
    std::optional<ApiRouter> router;
    std::shared_ptr<std::atomic<int>> connections = std::make_shared<std::atomic<int>>(0);

    void Accept();
    void OnAccept(beast::error_code ec, tcp::socket socket);
};

void WebServer::State::Accept()
{
    acceptor.async_accept(
        io, [this](beast::error_code ec, tcp::socket socket) { OnAccept(ec, std::move(socket)); });
}

void WebServer::State::OnAccept(beast::error_code ec, tcp::socket socket)
{
    if (ec) {
        // Out of descriptors, most likely: try again shortly rather than spin.
        auto timer = std::make_shared<net::steady_timer>(io, std::chrono::milliseconds(50));
        timer->async_wait([this, timer](beast::error_code) { Accept(); });
        return;
    }
    if (*connections >= kMaxConnections) {
        beast::error_code ignored;
        socket.close(ignored);
        return Accept();
    }
    beast::error_code ignored;
    const std::string client = socket.remote_endpoint(ignored).address().to_string();
    if (tls) {
        using TlsStream = beast::ssl_stream<beast::tcp_stream>;
        std::make_shared<HttpSession<TlsStream>>(TlsStream(std::move(socket), *tls), *router,
                                                 client, connections)
            ->Start();
    } else {
        std::make_shared<HttpSession<beast::tcp_stream>>(beast::tcp_stream(std::move(socket)),
                                                         *router, client, connections)
            ->Start();
    }
    Accept();
}

WebServer::WebServer(std::unique_ptr<State> state) : state_(std::move(state)) {}

WebServer::~WebServer() = default;

std::unique_ptr<WebServer> WebServer::Start(const WebOptions& options, std::string& error)
{
    std::optional<tcp::endpoint> endpoint = ParseListen(options.listen, error);
    if (!endpoint)
        return nullptr;
    const bool tls = !options.tlsCert.empty() || !options.tlsKey.empty();
    if (tls && (options.tlsCert.empty() || options.tlsKey.empty())) {
        error = "TLS needs both --tls-cert and --tls-key";
        return nullptr;
    }
    if (!endpoint->address().is_loopback() && (!tls || options.passwordFile.empty())) {
        error = "listening on " + endpoint->address().to_string() +
                ", which is not a loopback address, needs TLS and a password: give --tls-cert, "
                "--tls-key and --password-file (make the file with --hash-password FILE)";
        return nullptr;
    }
    std::optional<PasswordFile> password;
    if (!options.passwordFile.empty() &&
        !(password = PasswordFile::Load(options.passwordFile, error)))
        return nullptr;

    auto state = std::make_unique<State>();
    if (!state->temp.IsValid()) {
        error = "cannot make a temporary folder for uploads";
        return nullptr;
    }
    if (tls) {
        state->tls.emplace(net::ssl::context::tls_server);
        beast::error_code ec;
        state->tls->set_options(net::ssl::context::default_workarounds |
                                net::ssl::context::no_sslv2 | net::ssl::context::no_sslv3 |
                                net::ssl::context::no_tlsv1 | net::ssl::context::no_tlsv1_1);
        state->tls->use_certificate_chain_file(options.tlsCert, ec);
        if (!ec)
            state->tls->use_private_key_file(options.tlsKey, net::ssl::context::pem, ec);
        if (ec) {
            error = "cannot use the TLS certificate or key: " + ec.message();
            return nullptr;
        }
    }
    state->router.emplace(state->hub, std::move(password), tls, state->temp);
    beast::error_code ec;
    state->acceptor.open(endpoint->protocol(), ec);
    if (!ec)
        state->acceptor.set_option(net::socket_base::reuse_address(true), ec);
    if (!ec)
        state->acceptor.bind(*endpoint, ec);
    if (!ec)
        state->acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec) {
        error = "cannot listen on " + options.listen + ": " + ec.message();
        return nullptr;
    }
    RaiseFileLimit();
    return std::unique_ptr<WebServer>(new WebServer(std::move(state)));
}

std::string WebServer::Url() const
{
    const tcp::endpoint local = state_->acceptor.local_endpoint();
    const net::ip::address address = local.address();
    const std::string host =
        address.is_v6() ? "[" + address.to_string() + "]" : address.to_string();
    return std::string(state_->tls ? "https://" : "http://") + host + ":" +
           std::to_string(local.port()) + "/";
}

void WebServer::Run(const std::function<bool()>& stopRequested)
{
    state_->Accept();
    net::steady_timer check(state_->io);
    std::function<void()> watch = [&] {
        check.expires_after(std::chrono::milliseconds(100));
        check.async_wait([&](beast::error_code) {
            if (stopRequested())
                state_->io.stop();
            else
                watch();
        });
    };
    watch();
    state_->io.run();
    // The channels' threads end before anything they answer to goes.
    state_->hub.CloseAll();
}

} // namespace zr::web
