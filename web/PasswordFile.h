#pragma once

#include <optional>
#include <string>

namespace zr::web
{

// The password of the web face, kept as a hash (Argon2id through libsodium's
// crypto_pwhash_str) in a file only its owner may read.
class PasswordFile
{
public:
    // Reads the hash from `path`; nothing, with `error` saying why, when the file cannot be
    // read, group or others may read or write it, or it holds no hash.
    static std::optional<PasswordFile> Load(const std::string& path, std::string& error);
    // Writes the hash of `password` to `path` with mode 0600; false with `error` on failure.
    static bool Write(const std::string& path, const std::string& password, std::string& error);

    // Whether `password` is the one hashed (takes a noticeable time on purpose).
    bool Verify(const std::string& password) const;

private:
    explicit PasswordFile(std::string hash) : hash_(std::move(hash)) {}
    std::string hash_;
};

} // namespace zr::web
