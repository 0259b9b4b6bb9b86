#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/ProfileFile.h"
#include "base/SettingsStore.h"

namespace zr
{

// The component's per-user settings: one profile file with the sections and entries the
// component names, integers in decimal.
//
// Reading: a missing or unreadable file reads as all defaults; a line that is neither a section
// nor an entry is skipped; an integer entry that is not a whole decimal number within 32 bits
// reads as the default. Reads answer from memory: the file as loaded at construction (or merged
// by the last save) plus this store's own writes.
//
// Writing: other programs may use the same file at the same time (the command line run by a
// script while a control is open), so a save writes only this store's own changes: under an
// exclusive lock on "<file>.lock" beside the file, it reads the file as it is now, applies the
// entries this store changed since its last save, in order, and replaces the file atomically (the
// folder is created when missing). Entries others wrote meanwhile survive; for an entry both
// wrote, the last save wins. When the lock cannot be had (a read-only folder, a holder that does
// not let go within a few seconds) the same merge runs without it. A write that changes nothing
// in memory touches no file and is not saved, so a value this store last saw never overwrites a
// newer one on disk; nor does a write of the value this store last read for that entry, since
// that is no change of this program's (a shut-down storing every row must not put back what
// others changed meanwhile). Such a write of a default handed out for a missing entry only fills
// the entry in: the save adds it where the file still lacks it, and losing it loses nothing.
// Between BeginBatch() and EndBatch() writes only update memory and EndBatch()
// saves once, so that storing every setting at shut-down costs one file replacement. A file that
// exists but could not be read, at construction or at a save, is never overwritten: writes then
// fail, so a damaged file stays for the user to inspect. Problem() tells the user about either.
class ModuleSettings final : public SettingsStore
{
public:
    // The file at DefaultPath().
    ModuleSettings();
    explicit ModuleSettings(std::string path);
    // Saves what an unfinished batch left unsaved.
    ~ModuleSettings() override;
    ModuleSettings(const ModuleSettings&) = delete;
    ModuleSettings& operator=(const ModuleSettings&) = delete;

    // ${XDG_CONFIG_HOME:-$HOME/.config}/Korvel-XKorvelZR47xCL.ini-Control/XKorvelZR47xCL
    // Control.ini
    static std::string DefaultPath();

    const std::string& Path() const { return path_; }
    // True when the file exists but could not be read.
    bool LoadFailed() const { return file_.LoadFailed(); }
    // True when changes are waiting for a save: inside a batch, or after a save failed. Entries
    // only filled in with their defaults do not count.
    bool HasUnsavedWrites() const;
    // One line for the user when the file lets this store down: why the last save failed (its
    // writes then stay unsaved), or that the file could not be read and is left as it is. Empty
    // when neither happened.
    std::string Problem() const;

    int32_t GetInt(const std::string& section, const std::string& entry,
                   int32_t defaultValue) const override;
    std::string GetString(const std::string& section, const std::string& entry,
                          const std::string& defaultValue) const override;
    // False when the value cannot be stored (names or value unfit for the file, see ProfileFile)
    // or the file cannot be replaced. Inside a batch only the first kind of failure shows here.
    bool WriteInt(const std::string& section, const std::string& entry, int32_t value) override;
    bool WriteString(const std::string& section, const std::string& entry,
                     const std::string& value) override;

    // Batches nest; the outermost EndBatch() saves. False when that save failed.
    void BeginBatch();
    bool EndBatch();

private:
    struct PendingWrite {
        std::string section;
        std::string entry;
        std::string value;
        bool fillIn; // only where the file lacks the entry
    };

    enum class Fault { None, Unreadable, NotSaved };

    bool Write(const std::string& section, const std::string& entry, const std::string& value);
    // Records why a save failed and returns false.
    bool SaveFailed(Fault fault, int error);
    // Saves the pending writes when there are some and no batch is open; they stay pending when
    // the save fails, for the next one to retry.
    bool Commit();

    std::string path_;
    ProfileFile file_;
    // The writes that changed file_ since the last successful save, in write order.
    std::vector<PendingWrite> pending_;
    // The value each entry last read as or was written with, by its lower-case names: a write
    // of that value changes nothing of this program's.
    mutable std::map<std::string, std::string> known_;
    Fault fault_ = Fault::None;
    int saveError_ = 0; // errno of a save that failed with Fault::NotSaved
    int batchDepth_ = 0;
};

} // namespace zr
