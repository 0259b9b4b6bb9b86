#include "web/PasswordFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/UniqueFd.h"

namespace zr::web
{

namespace
{

bool InitSodium(std::string& error)
{
    if (sodium_init() < 0) {
        error = "the password library could not start";
        return false;
    }
    return true;
}

} // namespace

std::optional<PasswordFile> PasswordFile::Load(const std::string& path, std::string& error)
{
    if (!InitSodium(error))
        return std::nullopt;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat info {
    };
    if (!fd.IsValid() || ::fstat(fd.Get(), &info) != 0) {
        error = "cannot read the password file " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    if ((info.st_mode & 077) != 0) {
        error = "the password file " + path +
                " may be read or written by group or others; run chmod 600 on it";
        return std::nullopt;
    }
    char buffer[crypto_pwhash_STRBYTES + 2] = {};
    const ssize_t size = ::read(fd.Get(), buffer, sizeof buffer - 1);
    std::string hash(buffer, size > 0 ? static_cast<size_t>(size) : 0);
    while (!hash.empty() && (hash.back() == '\n' || hash.back() == '\r'))
        hash.pop_back();
    if (!hash.starts_with("$argon2") || hash.size() >= crypto_pwhash_STRBYTES) {
        error = "the password file " + path +
                " holds no password hash; make it with zr47xcl web --hash-password FILE";
        return std::nullopt;
    }
    return PasswordFile(std::move(hash));
}

bool PasswordFile::Write(const std::string& path, const std::string& password, std::string& error)
{
    if (!InitSodium(error))
        return false;
    char hash[crypto_pwhash_STRBYTES] = {};
    if (crypto_pwhash_str(hash, password.data(), password.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        error = "not enough memory to hash the password";
        return false;
    }
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.IsValid() || ::fchmod(fd.Get(), 0600) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const std::string line = std::string(hash) + "\n";
    if (::write(fd.Get(), line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool PasswordFile::Verify(const std::string& password) const
{
    return crypto_pwhash_str_verify(hash_.c_str(), password.data(), password.size()) == 0;
}

} // namespace zr::web
