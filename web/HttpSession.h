#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include "web/ApiRouter.h"
#include "web/ControlChannel.h"

namespace zr::web
{

namespace beast = boost::beast;
namespace net = boost::asio;

// Limits that keep a slow, idle or huge request from holding the server.
struct HttpLimits {
    // The whole request (head and body) must arrive within this, however it trickles in.
    static constexpr std::chrono::seconds kRequestDeadline{10};
    static constexpr std::chrono::seconds kWriteDeadline{30};
    static constexpr uint32_t kHeaderLimit = 8 * 1024;
    static constexpr uint64_t kBodyLimit = uint64_t{1024} * 1024;
    // Events written but not yet taken by a slow event-stream client.
    static constexpr size_t kEventBacklog = size_t{1024} * 1024;
    static constexpr std::chrono::seconds kKeepAlive{15};
};

// One connection: requests read one at a time, each within the request deadline; a request for
// a control's events turns the connection into an event stream. `Stream` is a TCP stream or a
// TLS stream over one. Lives as long as an operation on it is pending.
template <typename Stream>
class HttpSession : public EventSubscriber, public std::enable_shared_from_this<HttpSession<Stream>>
{
public:
    HttpSession(Stream stream, ApiRouter& router, std::string client,
                std::shared_ptr<std::atomic<int>> count)
        : stream_(std::move(stream)), router_(router), client_(std::move(client)),
          count_(std::move(count)), timer_(stream_.get_executor())
    {
        ++*count_;
    }
    ~HttpSession() override { --*count_; }

    void Start()
    {
        if constexpr (kTls) {
            Lowest().expires_after(HttpLimits::kRequestDeadline);
            stream_.async_handshake(net::ssl::stream_base::server,
                                    [self = this->shared_from_this()](beast::error_code ec) {
                                        if (!ec)
                                            self->Read();
                                    });
        } else {
            Read();
        }
    }

    // From a channel's thread: queue the event on the server's thread.
    void Deliver(const std::string& text) override
    {
        net::post(stream_.get_executor(), [weak = this->weak_from_this(), text] {
            if (auto self = weak.lock())
                self->QueueEvent(text);
        });
    }

private:
    static constexpr bool kTls = !std::is_same_v<Stream, beast::tcp_stream>;
    static constexpr std::chrono::seconds kLinger{2};

    beast::tcp_stream& Lowest() { return beast::get_lowest_layer(stream_); }

    void Read()
    {
        parser_.emplace();
        parser_->header_limit(HttpLimits::kHeaderLimit);
        parser_->body_limit(HttpLimits::kBodyLimit);
        // One deadline for the whole request, not one per byte.
        Lowest().expires_after(HttpLimits::kRequestDeadline);
        http::async_read(
            stream_, buffer_, *parser_,
            [self = this->shared_from_this()](beast::error_code ec, size_t) { self->OnRead(ec); });
    }

    void OnRead(beast::error_code ec)
    {
        Lowest().expires_never();
        if (ec == http::error::body_limit || ec == http::error::header_limit) {
            Request dummy;
            return Write(Refusal(ec == http::error::body_limit
                                     ? http::status::payload_too_large
                                     : http::status::request_header_fields_too_large),
                         true);
        }
        if (ec == beast::error::timeout || ec == http::error::end_of_stream ||
            ec == net::error::eof || ec == net::error::connection_reset ||
            ec == net::ssl::error::stream_truncated)
            return Close();
        if (ec)
            return Write(Refusal(http::status::bad_request), true);
        Request request = parser_->release();
        if (ApiRouter::IsEventStream(request))
            return OpenEvents(request);
        // The answer holds the session while the control works on the request; an answer that
        // never comes (the server ending) lets it go with the job that would have given it.
        router_.Handle(request, client_, [self = this->shared_from_this()](Response response) {
            net::post(self->stream_.get_executor(),
                      [self, response = std::move(response)]() mutable {
                          const bool close = !response.keep_alive();
                          self->Write(std::move(response), close);
                      });
        });
    }

    static Response Refusal(http::status status)
    {
        Response response(status, 11);
        response.set(http::field::content_type, "application/json");
        response.body() = std::string(R"({"error":{"message":")") +
                          std::string(http::obsolete_reason(status)) + "\"}}";
        response.keep_alive(false);
        response.prepare_payload();
        return response;
    }

    void Write(Response response, bool close)
    {
        auto message = std::make_shared<Response>(std::move(response));
        Lowest().expires_after(HttpLimits::kWriteDeadline);
        http::async_write(
            stream_, *message,
            [self = this->shared_from_this(), message, close](beast::error_code ec, size_t) {
                self->Lowest().expires_never();
                if (ec)
                    return self->Close();
                if (close)
                    return self->Linger();
                self->Read();
            });
    }

    void OpenEvents(const Request& request)
    {
        Response refusal;
        std::shared_ptr<ControlChannel> channel = router_.OpenEventStream(request, refusal);
        if (!channel)
            return Write(std::move(refusal), true);
        auto head = std::make_shared<http::response<http::empty_body>>(http::status::ok, 11);
        head->set(http::field::content_type, "text/event-stream");
        head->set(http::field::cache_control, "no-store");
        head->set(http::field::connection, "close");
        auto serializer = std::make_shared<http::response_serializer<http::empty_body>>(*head);
        streaming_ = true;
        Lowest().expires_after(HttpLimits::kWriteDeadline);
        http::async_write_header(stream_, *serializer,
                                 [self = this->shared_from_this(), head, serializer,
                                  channel](beast::error_code ec, size_t) {
                                     self->Lowest().expires_never();
                                     if (ec)
                                         return self->Close();
                                     channel->Subscribe(self);
                                     self->channel_ = channel;
                                     // The read that waits for the client's end holds the
                                     // session open until the client goes or a write fails.
                                     self->WatchForClose();
                                     self->QueueEvent("retry: 1000\n\n");
                                     self->KeepAlive();
                                 });
    }

    // An event-stream client sends nothing more: whatever arrives, or its end, closes it.
    void WatchForClose()
    {
        stream_.async_read_some(
            buffer_.prepare(512),
            [self = this->shared_from_this()](beast::error_code, size_t) { self->Close(); });
    }

    void KeepAlive()
    {
        timer_.expires_after(HttpLimits::kKeepAlive);
        timer_.async_wait([weak = this->weak_from_this()](beast::error_code ec) {
            if (auto self = weak.lock(); self && !ec) {
                self->QueueEvent(": keep-alive\n\n");
                self->KeepAlive();
            }
        });
    }

    void QueueEvent(const std::string& text)
    {
        if (!streaming_ || closed_)
            return;
        backlog_ += text.size();
        if (backlog_ > HttpLimits::kEventBacklog)
            return Close(); // a client that does not read loses its stream
        events_.push_back(text);
        if (!writing_)
            WriteEvent();
    }

    void WriteEvent()
    {
        if (events_.empty())
            return;
        writing_ = true;
        Lowest().expires_after(HttpLimits::kWriteDeadline);
        net::async_write(stream_, net::buffer(events_.front()),
                         [self = this->shared_from_this()](beast::error_code ec, size_t) {
                             self->writing_ = false;
                             self->Lowest().expires_never();
                             self->backlog_ -= self->events_.front().size();
                             self->events_.pop_front();
                             if (ec)
                                 return self->Close();
                             self->WriteEvent();
                         });
    }

    // After refusing a request whose rest is still coming: stop sending, then read and drop
    // what the client still sends for a moment, so the refusal reaches it instead of a reset.
    void Linger()
    {
        beast::error_code ignored;
        Lowest().socket().shutdown(net::ip::tcp::socket::shutdown_send, ignored);
        Lowest().expires_after(kLinger);
        Drop();
    }

    void Drop()
    {
        buffer_.consume(buffer_.size());
        Lowest().async_read_some(buffer_.prepare(65536),
                                 [self = this->shared_from_this()](beast::error_code ec, size_t) {
                                     if (ec)
                                         return self->Close();
                                     self->Drop();
                                 });
    }

    void Close()
    {
        if (closed_)
            return;
        closed_ = true;
        timer_.cancel();
        beast::error_code ignored;
        Lowest().socket().shutdown(net::ip::tcp::socket::shutdown_both, ignored);
        Lowest().close();
    }

    Stream stream_;
    ApiRouter& router_;
    std::string client_;
    std::shared_ptr<std::atomic<int>> count_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    net::steady_timer timer_;
    std::shared_ptr<ControlChannel> channel_;
    std::deque<std::string> events_;
    size_t backlog_ = 0;
    bool streaming_ = false;
    bool writing_ = false;
    bool closed_ = false;
};

} // namespace zr::web
