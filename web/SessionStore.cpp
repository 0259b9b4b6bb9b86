#include "web/SessionStore.h"

#include <sodium.h>

namespace zr::web
{

std::string RandomToken()
{
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    char hex[sizeof bytes * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
    return hex;
}

bool SameToken(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string SessionStore::Create(std::string& csrf)
{
    Prune();
    if (sessions_.size() >= kMaxSessions)
        sessions_.erase(sessions_.begin());
    std::string id = RandomToken();
    csrf = RandomToken();
    sessions_[id] = {csrf, Clock::now() + kLifetime};
    return id;
}

const std::string* SessionStore::Csrf(const std::string& id)
{
    auto found = sessions_.find(id);
    if (found == sessions_.end())
        return nullptr;
    if (found->second.expires < Clock::now()) {
        sessions_.erase(found);
        return nullptr;
    }
    found->second.expires = Clock::now() + kLifetime;
    return &found->second.csrf;
}

void SessionStore::Remove(const std::string& id)
{
    sessions_.erase(id);
}

void SessionStore::Prune()
{
    const Clock::time_point now = Clock::now();
    std::erase_if(sessions_, [now](const auto& s) { return s.second.expires < now; });
}

bool LoginLimiter::Allow(const std::string& client)
{
    const Clock::time_point now = Clock::now();
    if (counts_.size() > 10000)
        std::erase_if(counts_, [now](const auto& c) { return now - c.second.since > kWindow; });
    Count& count = counts_[client];
    if (count.attempts == 0 || now - count.since > kWindow)
        count = {0, now};
    return ++count.attempts <= kAttempts;
}

void LoginLimiter::Succeeded(const std::string& client)
{
    counts_.erase(client);
}

} // namespace zr::web
