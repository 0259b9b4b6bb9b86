#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zr::test
{

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it when the object goes.
// Permissions inside are restored before removal, so tests may make parts of it read-only.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Empty when the folder could not be created.
    const std::string& Path() const { return path_; }
    // Path() + "/" + name; the file itself is not created.
    std::string File(const std::string& name) const;
    // The names in the folder, sorted: files left behind show up here.
    std::vector<std::string> Names() const;

    // Whole-file helpers for test fixtures; they work on any path, not only inside the folder.
    static bool WriteFile(const std::string& path, const std::string& content);
    // Empty when the file cannot be read.
    static std::string ReadFile(const std::string& path);

private:
    std::string path_;
};

// Runs `action` while the process may write no file beyond `limitBytes`: writes then stop short,
// as on a full disk. False when the limit could not be set (the action then did not run).
bool WithFileSizeLimit(uint64_t limitBytes, const std::function<void()>& action);

// Sets an environment variable for the lifetime of the object and restores the old value (or
// its absence) afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const std::string& name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string oldValue_;
    bool hadValue_ = false;
};

} // namespace zr::test
