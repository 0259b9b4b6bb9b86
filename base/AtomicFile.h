#pragma once

#include <string>
#include <string_view>

#include "base/UniqueFd.h"

namespace zr
{

// Replaces a file's whole content so that the file is never seen half written: the content goes
// to a temporary file beside the target, is synced, and is renamed over the target only once
// complete. Symbolic links at the path are followed, so the file they lead to is replaced (or
// created when it does not exist yet) and the links stay. A target without any write permission
// bit counts as read-only, even for the superuser, and stays as it is; so does an existing target
// that is not a regular file (a folder, device or pipe). A file size limit makes a write fail
// (EFBIG), never ends the process.
//
//     AtomicFile file(path);
//     bool ok = file.IsOpen() && file.Write(part1) && file.Write(part2) && file.Commit();
//
// Every failure leaves errno set to the first failing step's error and the old file untouched;
// the temporary file is removed when the object goes without a successful Commit().
class AtomicFile
{
public:
    // Finds the file to replace and opens a temporary file beside it.
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Whether the temporary file is open for writing.
    bool IsOpen() const { return fd_.IsValid(); }
    // Appends to the temporary file. False after any failure, this one or an earlier one.
    bool Write(std::string_view data);
    // Gives the temporary file the target's permissions (a new file keeps 0666 less the umask),
    // syncs it and renames it over the target. False after any failure.
    bool Commit();

    // The whole replacement at once: open, write `content`, commit.
    static bool Replace(const std::string& path, std::string_view content);

private:
    bool Open(const std::string& path);
    // Records the error of a failed step (the first one wins); returns `done`.
    bool Step(bool done);

    std::string target_;
    std::string dir_;
    std::string temp_;
    UniqueFd fd_;
    int error_ = 0;
    bool committed_ = false;
};

} // namespace zr
