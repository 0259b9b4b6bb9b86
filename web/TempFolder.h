#pragma once

#include <atomic>
#include <optional>
#include <string>

namespace zr::web
{

// A folder of the server's own (mode 0700, under $XDG_RUNTIME_DIR or /tmp) where uploads and
// downloads pass as files the server names itself; removed with everything in it when the
// object goes.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool IsValid() const { return !path_.empty(); }
    // A new file name inside the folder (nothing is created), ending in `suffix`.
    std::string NewPath(const std::string& suffix);

private:
    std::string path_;
    std::atomic<unsigned> next_{0};
};

// Writes `bytes` to `path` (mode 0600, a new file); false on failure.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// The whole file; nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

} // namespace zr::web
