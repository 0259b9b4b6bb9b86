#pragma once

#include <chrono>
#include <map>
#include <string>

namespace zr::web
{

// The signed-in browsers: a random session identifier (the cookie) with its CSRF token, each
// good for a limited time. Used on the server's one thread.
class SessionStore
{
public:
    using Clock = std::chrono::steady_clock;

    // A new session; returns its identifier and sets `csrf` to its token.
    std::string Create(std::string& csrf);
    // The CSRF token of a live session, or nullptr.
    const std::string* Csrf(const std::string& id);
    void Remove(const std::string& id);

    // How long a session lives after its last use.
    static constexpr std::chrono::hours kLifetime{12};
    static constexpr size_t kMaxSessions = 1000;

private:
    struct Session {
        std::string csrf;
        Clock::time_point expires;
    };
    void Prune();
    std::map<std::string, Session> sessions_;
};

// 32 random bytes in hexadecimal.
std::string RandomToken();
// Compares without leaking through the time taken where the texts differ.
bool SameToken(const std::string& a, const std::string& b);

// Logins allowed per client address: kAttempts within kWindow, then refused until the window
// has passed.
class LoginLimiter
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kAttempts = 5;
    static constexpr std::chrono::seconds kWindow{60};

    // Whether `client` may try now; counts the attempt.
    bool Allow(const std::string& client);
    // A successful login clears the client's count.
    void Succeeded(const std::string& client);

private:
    struct Count {
        int attempts = 0;
        Clock::time_point since;
    };
    std::map<std::string, Count> counts_;
};

} // namespace zr::web
