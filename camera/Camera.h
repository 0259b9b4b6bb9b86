#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "base/Clock.h"
#include "base/StopSources.h"
#include "camera/ParameterTable.h"
#include "camera/ValueFlags.h"
#include "comm/Comm.h"

namespace zr
{

class SettingsStore;

// The camera object: the mirror of all rows of the parameter table (value or text, and a
// synchronised flag per row), the status flags online, synchronised, sending and receiving, and
// the command transactions that move a row's value to and from the camera over the active link.
//
// Every change is reported through the virtual notifications below. A derived class that
// overrides one of the four status setters must call the base version, which stores the flag.
//
// Parameter indices outside the table never crash: operations with a result code give 106,
// accessors give a neutral value (0, empty, false).
class CCamera : public CComm
{
public:
    // Mirror and flags start cleared; every setup row is then restored from the settings.
    explicit CCamera(SettingsStore& settings, Clock& clock = Clock::System());
    // The same on links of the owner's choosing (see CComm).
    CCamera(SettingsStore& settings, CommLinks links, Clock& clock = Clock::System());
    // Writes every setup row back to the settings; the communication part then writes its own.
    ~CCamera() override;
    CCamera(const CCamera&) = delete;
    CCamera& operator=(const CCamera&) = delete;

    // --- Notifications -----------------------------------------------------------------------
    // Stores the flag; going offline also clears the synchronised flag of every row.
    virtual void SetOnline(bool online);
    virtual void SetSynchronized(bool synchronized);
    virtual void SetSending(bool sending);
    virtual void SetReceiving(bool receiving);
    virtual void OnCommPortChanged();
    virtual void OnValueChanged(int32_t index, bool interactive);
    // `line` is a command sent or an answer received, with its CR LF.
    virtual void OnCommLog(const std::string& line, bool sent);
    // A long operation made a step: `operation` names it ("Reading all settings"), `done` of
    // `total` steps are behind it.
    virtual void OnOperationProgress(const char* operation, int32_t done, int32_t total);

    // Asked by long operations wherever they can stop safely: between rows, polls and port
    // candidates. One that stops first finishes its restoring steps and then returns
    // OPERATION_STOPPED. Without a check nothing ever stops.
    //
    // SetStopCheck sets the check of the program that owns the camera (its termination, its
    // progress display), replacing the one it set before; further sources (a bus caller's stop
    // request) are added to StopChecks() by whoever brings them. A stop is requested once any
    // of them says so.
    void SetStopCheck(std::function<bool()> check)
    {
        stopChecks_.Remove(ownerStopCheck_);
        ownerStopCheck_ = stopChecks_.Add(std::move(check));
    }
    StopSources& StopChecks() { return stopChecks_; }
    bool IsStopRequested() const { return stopChecks_.Requested(); }

    bool IsOnline() const { return online_; }
    bool IsSynchronized() const { return synchronized_; }
    bool IsSending() const { return sending_; }
    bool IsReceiving() const { return receiving_; }

    // --- Table and value operations ----------------------------------------------------------
    // The row's command word; empty for the EEPROM area row and for an invalid index.
    std::string GetCommandName(int32_t index) const;
    // Evaluates a condition tree on the mirrored values; a missing tree is true.
    bool EvaluateCondition(const ConditionNode* node) const;
    // The availability condition of a conditional row; true for every other row.
    bool IsAvailable(int32_t index) const;
    bool IsEnabled(int32_t index) const;
    // Number of value names whose enable condition holds; 0 for a row without value names.
    int32_t CountEnabledItems(int32_t index) const;
    // Display text of the k-th enabled item; empty when there is none.
    std::string GetItemString(int32_t index, int32_t k) const;
    // Position of `value` among the enabled items, or -1 when no enabled item has that value.
    int32_t GetItemPosition(int32_t index, int32_t value) const;
    // Whether a number answered by the camera is acceptable for the row: the value of an
    // enabled item, or within minimum..maximum for a plain number row. Text rows accept any.
    bool IsValidAnswer(int32_t index, int32_t value) const;

    // Clamps and stores a value; with Notify reports it, with Send sends it (a writable,
    // available row), with DisconnectOnError a link failure on sending takes the camera offline.
    int SetValue(int32_t index, int32_t value, ValueFlags flags);
    int SetValue(int32_t index, int32_t value, bool send, bool notify, bool disconnectOnError)
    {
        return SetValue(index, value,
                        If(send, ValueFlags::Send) | If(notify, ValueFlags::Notify) |
                            If(disconnectOnError, ValueFlags::DisconnectOnError));
    }
    // Text rows: stores the text (cut to the row's length); rows with value names: stores the
    // value whose display text matches regardless of letter case. Notifies and sends. 106 for
    // any other row.
    int SetValueString(int32_t index, const std::string& text);
    // Stores the value of the enabled item at `position`, notifies and sends. 106 for a row
    // without value names.
    int SetValueIndex(int32_t index, int32_t position);
    // With Query asks the camera first (and with Notify reports the answer), then gives the text
    // of the mirrored value.
    int GetValueString(int32_t index, std::string& text, ValueFlags flags);
    int GetValueString(int32_t index, std::string& text, bool query, bool notify,
                       bool disconnectOnError)
    {
        return GetValueString(index, text,
                              If(query, ValueFlags::Query) | If(notify, ValueFlags::Notify) |
                                  If(disconnectOnError, ValueFlags::DisconnectOnError));
    }

    // Direct access to the mirror, without notification and without sending.
    int32_t GetValue(int32_t index) const;
    std::string GetText(int32_t index) const;
    bool IsRowSynchronized(int32_t index) const;
    void StoreValue(int32_t index, int32_t value);
    void StoreText(int32_t index, const std::string& text);
    void SetRowSynchronized(int32_t index, bool synchronized);

    // True while a setup file is read: value notifications are then not interactive.
    bool IsBulkLoad() const { return bulkLoad_; }
    void SetBulkLoad(bool bulkLoad) { bulkLoad_ = bulkLoad; }

    // Copies all values and texts to the backup copy, and back; restoring also marks every row
    // unsynchronised.
    void SaveBackup();
    void RestoreBackup();

    // --- Transactions ------------------------------------------------------------------------
    // Sends the row's mirrored value or text and expects "COMPLETE". Of the flags only
    // DisconnectOnError counts.
    int SendValue(int32_t index, ValueFlags flags);
    int SendValue(int32_t index, bool disconnectOnError)
    {
        return SendValue(index, If(disconnectOnError, ValueFlags::DisconnectOnError));
    }
    // Asks the row's value and stores a valid answer in the mirror. Of the flags only
    // DisconnectOnError counts.
    int QueryValue(int32_t index, ValueFlags flags);
    int QueryValue(int32_t index, bool disconnectOnError)
    {
        return QueryValue(index, If(disconnectOnError, ValueFlags::DisconnectOnError));
    }
    // Reads one answer line (up to CR LF) within `timeoutMs`. With an expected mnemonic the
    // answer must read "MNEMONIC=value" and `answer` becomes the value part.
    int ReadAnswer(std::string& answer, const char* expectedMnemonic, uint32_t timeoutMs, bool log);
    // Reads bytes up to and including CR LF, NULs skipped; a line longer than kMaxAnswerLength
    // keeps its start and its CR LF. CAMERA_TIMEOUT when no line end came within `timeoutMs`.
    int ReadLine(std::string& line, uint32_t timeoutMs);
    // Takes the line end off an answer line and checks it: the camera's two error answers, and
    // with an expected mnemonic "MNEMONIC=value", which leaves the value part in `answer`.
    static int CheckAnswer(std::string& answer, const char* expectedMnemonic);
    // Unlocks the user-ID write with the access code, then sends the new user ID.
    int SetUserID(const std::string& text);

    // --- Whole-camera operations -------------------------------------------------------------
    // Read-all takes the readable bulk rows, write-all the writable bulk rows except the user ID;
    // a conditional row takes part only while it is available when its turn comes. The first
    // failing transaction stops the operation: its code is returned and `failedIndex` names the
    // row (0 when none failed). Success sets the synchronised status, failure clears it.
    int ReadAll(int32_t& failedIndex);
    int WriteAll(int32_t& failedIndex);
    // Makes the camera load the EEPROM area chosen in the area row, then reads all;
    // `failedIndex` names the load row or the row where read-all stopped.
    int LoadArea();
    int LoadArea(int32_t& failedIndex);
    // Makes the camera store its current settings into the area chosen in the area row.
    int StoreArea();
    // The area the camera loads at power-up, asked first when online (0 when that fails).
    int32_t GetCurrentArea();
    // Its display text, asked first; empty when that fails.
    std::string GetCurrentAreaText();

    // --- Setup and camera data files ---------------------------------------------------------
    // Writes every available setup row into a setup file, updating an existing file in place
    // and replacing it atomically: 108 when it cannot be read or written completely (the old
    // file then stays as it was). `rowCount` is the number of table rows.
    int WriteSetupFile(const std::string& path, int32_t& rowCount);
    // Loads every setup row available at its turn from a setup file and sends it. 109 for a file
    // of another model or a missing value, 108 for a file that cannot be read; `rowIndex` is the
    // row reached (the row count when complete).
    int ReadSetupFile(const std::string& path, int32_t& rowIndex);
    // Writes the report of the camera's identity and of every setup row in its current settings
    // and in each EEPROM area, then puts the camera's current settings back by write-all. The
    // file is replaced only once complete (108 otherwise); `rowIndex` names a failing row.
    int WriteCameraDataFile(const std::string& path, int32_t& rowIndex);

    static std::string GetErrorString(int code);

    // The tick count and sleep the transactions use; long operations that poll the camera use
    // it too, so tests can run them on a manual clock.
    Clock& GetClock() { return clock_; }

    // The access code that unlocks a write of the user ID.
    static constexpr int32_t kUnlockCode = 4127;
    // Write time-out of every command line.
    static constexpr uint32_t kWriteTimeoutMs = 400;
    // An answer line stops growing at this length (while still waiting for its CR LF). At 9600
    // baud the longest answer time-out (10 s) brings fewer than 10000 bytes, so a real line is
    // never cut; a peer that floods a fast link cannot make the answer grow without bound.
    static constexpr size_t kMaxAnswerLength = size_t{64} * 1024;

private:
    static constexpr size_t kRows = PARAMETER_COUNT;

    // Write-all; `stoppable` false for a write-all that puts the camera's settings back.
    int WriteRows(int32_t& failedIndex, bool stoppable);
    std::string BuildSetLine(const ParameterEntry& row, size_t index) const;
    // 0 when row `index` can be sent or asked now; else 106 (no such row, or the EEPROM area
    // row, which has no command word) or 100 (offline).
    int RefuseTransaction(int32_t index) const;
    // Writes the set or query line of the row and reads its answer (the value part for a
    // query).
    int Exchange(const ParameterEntry& row, size_t index, bool query, std::string& answer);
    // Settles the row's synchronised flag and, for a link failure with disconnect on error,
    // closes the link and goes offline.
    int FinishTransaction(size_t index, int result, bool disconnectOnError);
    // Steps shared by SetValueString and SetValueIndex once the new value is stored.
    int NotifyAndSend(int32_t index);
    // The value of the enabled item at `position`, else of the first enabled item, else of the
    // first item.
    int32_t ItemValueAt(const ParameterEntry& row, int32_t position) const;
    bool IsItemEnabled(const ValueName& item) const;
    int32_t MirroredValue(int32_t index) const;

    Clock& clock_;
    StopSources stopChecks_;
    StopSources::Id ownerStopCheck_ = 0;

    bool bulkLoad_ = false;
    std::array<bool, kRows> rowSynchronized_{};
    ParameterValues values_{};
    std::array<std::string, kRows> texts_{};
    std::array<int32_t, kRows> backupValues_{};
    std::array<std::string, kRows> backupTexts_{};
    bool online_ = false;
    bool synchronized_ = false;
    bool sending_ = false;
    bool receiving_ = false;
};

} // namespace zr
