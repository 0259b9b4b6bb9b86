#include "control/ModuleSettings.h"
#include "base/UserFolders.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <system_error>
#include <thread>
#include <utility>

#include "base/UniqueFd.h"

namespace zr
{

namespace
{

// The registry key and application name the component's settings live under.
constexpr const char* kFolder = "Korvel-XKorvelZR47xCL.ini-Control";
constexpr const char* kFile = "XKorvelZR47xCL Control.ini";

// How long a save waits for another program's save (a load, a write and a rename) to finish
// before it merges without the lock.
constexpr int kLockAttempts = 500;
constexpr auto kLockRetry = std::chrono::milliseconds(10);

// Takes the exclusive lock on the file `path`, created when missing; the lock lasts as long as the
// returned descriptor. Invalid when the lock could not be had.
UniqueFd TakeLock(const std::string& path)
{
    // A link at the lock's name is not followed, so it cannot make us create a file elsewhere;
    // non-blocking so that a pipe at the name cannot hang the open.
    constexpr int kFlags = O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    UniqueFd fd(::open(path.c_str(), O_RDWR | kFlags, 0666));
    // A lock file of another user, or one in a read-only folder, still locks when only readable.
    if (!fd.IsValid())
        fd.Reset(::open(path.c_str(), O_RDONLY | kFlags, 0666));
    if (!fd.IsValid())
        return fd;
    for (int attempt = 0;; ++attempt) {
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0)
            return fd;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || attempt >= kLockAttempts)
            return UniqueFd();
        std::this_thread::sleep_for(kLockRetry);
    }
}

// The key of an entry in the map of known values: its names as the file matches them, trimmed
// and without regard to letter case. A line break is never part of a stored name.
std::string EntryId(const std::string& section, const std::string& entry)
{
    auto normal = [](const std::string& name) {
        constexpr const char* kBlanks = " \t\r\v\f";
        size_t first = name.find_first_not_of(kBlanks);
        std::string out = first == std::string::npos
                              ? std::string()
                              : name.substr(first, name.find_last_not_of(kBlanks) - first + 1);
        std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
            return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        });
        return out;
    };
    return normal(section) + '\n' + normal(entry);
}

} // namespace

ModuleSettings::ModuleSettings() : ModuleSettings(DefaultPath()) {}

ModuleSettings::ModuleSettings(std::string path) : path_(std::move(path)), file_(path_) {}

ModuleSettings::~ModuleSettings()
{
    batchDepth_ = 0;
    Commit();
}

std::string ModuleSettings::DefaultPath()
{
    return UserBaseFolder("XDG_CONFIG_HOME", ".config") + "/" + kFolder + "/" + kFile;
}

int32_t ModuleSettings::GetInt(const std::string& section, const std::string& entry,
                               int32_t defaultValue) const
{
    int32_t value = file_.GetInt(section, entry, defaultValue);
    known_[EntryId(section, entry)] = std::to_string(value);
    return value;
}

std::string ModuleSettings::GetString(const std::string& section, const std::string& entry,
                                      const std::string& defaultValue) const
{
    std::string value = file_.GetString(section, entry, defaultValue);
    known_[EntryId(section, entry)] = value;
    return value;
}

std::string ModuleSettings::Problem() const
{
    const std::string file = "the module settings file \"" + path_ + "\"";
    const bool lost = HasUnsavedWrites();
    if (fault_ == Fault::NotSaved && lost)
        return file + " could not be saved (" +
               std::error_code(saveError_, std::generic_category()).message() +
               "); this run's changes are not in it";
    if (fault_ == Fault::Unreadable && lost)
        return file + " could not be read, so it is left as it is and this run's changes are not "
                      "in it";
    if (file_.LoadFailed())
        return file + " could not be read; it is left as it is";
    return {};
}

bool ModuleSettings::HasUnsavedWrites() const
{
    return std::any_of(pending_.begin(), pending_.end(),
                       [](const PendingWrite& write) { return !write.fillIn; });
}

bool ModuleSettings::WriteInt(const std::string& section, const std::string& entry, int32_t value)
{
    return Write(section, entry, std::to_string(value));
}

bool ModuleSettings::WriteString(const std::string& section, const std::string& entry,
                                 const std::string& value)
{
    return Write(section, entry, value);
}

bool ModuleSettings::Write(const std::string& section, const std::string& entry,
                           const std::string& value)
{
    std::string id = EntryId(section, entry);
    auto known = known_.find(id);
    const bool unchanged = known != known_.end() && known->second == value;
    if (unchanged && file_.HasEntry(section, entry))
        return Commit();
    uint64_t changes = file_.ChangeCount();
    if (!file_.WriteString(section, entry, value))
        return false;
    known_[id] = value;
    if (file_.ChangeCount() != changes)
        pending_.push_back({section, entry, value, unchanged});
    return Commit();
}

void ModuleSettings::BeginBatch()
{
    ++batchDepth_;
}

bool ModuleSettings::EndBatch()
{
    if (batchDepth_ > 0)
        --batchDepth_;
    return Commit();
}

bool ModuleSettings::Commit()
{
    if (batchDepth_ > 0 || pending_.empty())
        return true;
    if (file_.LoadFailed())
        return SaveFailed(Fault::Unreadable, 0);
    // A folder that cannot be made is the reason the save fails (a parent without write
    // permission, say), not the missing file the save would run into next.
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty() && !std::filesystem::create_directories(folder, ec) && ec)
        return SaveFailed(Fault::NotSaved, ec.value());

    // Another program may have saved since we loaded: our changes go onto the file as it is now,
    // so what it wrote survives. The lock keeps two such merges from interleaving.
    UniqueFd lock = TakeLock(path_ + ".lock");
    ProfileFile current;
    if (!current.Load(path_))
        return SaveFailed(Fault::Unreadable, 0);
    // A write the file as it is now cannot hold (text a UTF-16 file cannot encode) fails the
    // save rather than going missing from it.
    for (const PendingWrite& write : pending_) {
        if (write.fillIn && current.HasEntry(write.section, write.entry))
            continue;
        if (!current.WriteString(write.section, write.entry, write.value))
            return SaveFailed(Fault::NotSaved, EILSEQ);
    }
    if (current.IsModified() && !current.Save(path_))
        return SaveFailed(Fault::NotSaved, errno);
    file_ = std::move(current);
    pending_.clear();
    fault_ = Fault::None;
    return true;
}

bool ModuleSettings::SaveFailed(Fault fault, int error)
{
    fault_ = fault;
    saveError_ = error;
    return false;
}

} // namespace zr
