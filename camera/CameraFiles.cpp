// Setup files (*.cam) and the camera data file (*.txt) of the camera object.
#include "camera/Camera.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>

#include "base/AtomicFile.h"
#include "base/ProfileFile.h"
#include "camera/AnswerNumber.h"
#include "camera/CameraError.h"

namespace zr
{

namespace
{

constexpr const char* kModelSection = "General";
constexpr const char* kModelKey = "ModelName";
// A setup file belongs to the model family, whatever the connected camera's model name says.
constexpr const char* kModelFamily = "ZR-47xCL";
constexpr const char* kSetupLoadProgress = "Loading the setup file";
constexpr const char* kReportProgress = "Collecting the camera data report";

// What a missing entry or file reads as.
constexpr const char* kNoData = "No Data";

// A row read from a file is sent like an interactive change; a row for a file is asked afresh.
constexpr ValueFlags kSendNotifyDisconnect =
    ValueFlags::Send | ValueFlags::Notify | ValueFlags::DisconnectOnError;
constexpr ValueFlags kQueryDisconnect = ValueFlags::Query | ValueFlags::DisconnectOnError;

// A column cell of the camera data file: the text, a comma, and blanks up to this width.
constexpr size_t kCellWidth = 35;
// "Current Setting", then the areas at item positions 0..3 of the load row. There are only three
// areas: position 3 falls back to the first one, so the factory area is loaded twice.
constexpr size_t kValueColumns = 5;
constexpr const char* kSettingsHeader = "(Settings)";
constexpr const char* kCurrentHeader = "Current Setting";
constexpr const char* kLineEnd = "\r\n";

// How an identity line of the camera data file shows its row.
enum class IdentityFormat {
    Text,    // the mirrored text, asked first
    Version, // the value divided by 100 with two decimals, asked first
    Item,    // the display text of the value, asked first
};
struct IdentityLine {
    int32_t row;
    IdentityFormat format;
};
constexpr IdentityLine kIdentityLines[] = {
    {P_MD, IdentityFormat::Text},    {P_ID, IdentityFormat::Text},    {P_UD, IdentityFormat::Text},
    {P_VN, IdentityFormat::Version}, {P_PV, IdentityFormat::Version}, {P_EA, IdentityFormat::Item},
};

const ParameterEntry& Row(int32_t index)
{
    return kParameterTable[static_cast<size_t>(index)];
}

const SettingsName& Name(int32_t index)
{
    return kParameterSettings[static_cast<size_t>(index)];
}

std::string Cell(const std::string& text)
{
    std::string cell = text + ",";
    if (cell.size() < kCellWidth)
        cell.append(kCellWidth - cell.size(), ' ');
    return cell;
}

// Cells for all fields but the last, which stands bare.
std::string Line(const std::string& first, const std::array<std::string, kValueColumns>& fields)
{
    std::string line = Cell(first);
    for (size_t c = 0; c + 1 < fields.size(); ++c)
        line += Cell(fields[c]);
    line += fields.back();
    line += kLineEnd;
    return line;
}

std::string FormatVersion(int32_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.02f", value / 100.0);
    return text;
}

// The label of a row's line: imager rows carry their imager's prefix.
std::string RowLabel(int32_t index)
{
    std::string key = Name(index).key;
    if (index >= P_IM1 && index <= P_CM1)
        return "IMG1:" + key;
    if (index >= P_IM2 && index <= P_CM2)
        return "IMG2:" + key;
    return key;
}

bool IsReportRow(int32_t index)
{
    return Row(index).Has(PF_SETUP) && index != P_AREA;
}

// Clears the bulk load flag however a setup-file read ends.
class BulkLoadScope
{
public:
    explicit BulkLoadScope(CCamera& camera) : camera_(camera) { camera_.SetBulkLoad(true); }
    ~BulkLoadScope() { camera_.SetBulkLoad(false); }
    BulkLoadScope(const BulkLoadScope&) = delete;
    BulkLoadScope& operator=(const BulkLoadScope&) = delete;

private:
    CCamera& camera_;
};

int LoadSetupRows(CCamera& camera, const std::string& path, int32_t& rowIndex)
{
    ProfileFile file;
    if (!file.Load(path))
        return CAMERA_FILE_ACCESS;
    // Letter case counts here, unlike for the names of sections and keys.
    if (file.GetString(kModelSection, kModelKey, kNoData) != kModelFamily)
        return CAMERA_UNMATCHED_FILE;

    for (int32_t index = 0; index < PARAMETER_COUNT; ++index) {
        // Availability is evaluated on the mirror, which holds the rows loaded so far.
        if (!Row(index).Has(PF_SETUP) || !camera.IsAvailable(index))
            continue;
        rowIndex = index;
        if (camera.IsStopRequested())
            return OPERATION_STOPPED;
        const std::string value = file.GetString(Name(index).section, Name(index).key, kNoData);
        if (value == kNoData)
            return CAMERA_UNMATCHED_FILE;
        const int result =
            Row(index).Has(PF_STRING)
                ? camera.SetValueString(index, value)
                : camera.SetValue(index, ParseAnswerNumber(value), kSendNotifyDisconnect);
        if (result != 0)
            return result;
        camera.OnOperationProgress(kSetupLoadProgress, index + 1, PARAMETER_COUNT);
    }
    rowIndex = PARAMETER_COUNT;
    return 0;
}

// One field of the camera data file: the row as the camera reports it now.
int ReportField(CCamera& camera, int32_t index, std::string& field)
{
    const ParameterEntry& row = Row(index);
    if (row.itemCount > 0 || row.Has(PF_STRING))
        return camera.GetValueString(index, field, kQueryDisconnect);
    if (row.Has(PF_READ) && camera.IsOnline() && camera.IsAvailable(index)) {
        const int result = camera.QueryValue(index, ValueFlags::DisconnectOnError);
        if (result != 0)
            return result;
    }
    field = std::to_string(camera.GetValue(index));
    return 0;
}

int CollectIdentity(CCamera& camera, std::string& text, int32_t& rowIndex)
{
    for (const IdentityLine& line : kIdentityLines) {
        std::string value;
        int result = 0;
        if (line.format == IdentityFormat::Version) {
            if (camera.IsOnline())
                result = camera.QueryValue(line.row, ValueFlags::DisconnectOnError);
            value = FormatVersion(camera.GetValue(line.row));
        } else {
            result = camera.GetValueString(line.row, value, kQueryDisconnect);
        }
        if (result != 0) {
            rowIndex = line.row;
            return result;
        }
        text += Cell(Name(line.row).key) + value + kLineEnd;
    }
    return 0;
}

// The mirrored value and text of every row.
struct MirrorCopy {
    std::array<int32_t, PARAMETER_COUNT> values{};
    std::array<std::string, PARAMETER_COUNT> texts;

    void Take(const CCamera& camera)
    {
        for (int32_t index = 0; index < PARAMETER_COUNT; ++index) {
            values[static_cast<size_t>(index)] = camera.GetValue(index);
            texts[static_cast<size_t>(index)] = camera.GetText(index);
        }
    }
    void Put(CCamera& camera) const
    {
        for (int32_t index = 0; index < PARAMETER_COUNT; ++index) {
            camera.StoreValue(index, values[static_cast<size_t>(index)]);
            camera.StoreText(index, texts[static_cast<size_t>(index)]);
        }
    }
};

// Steps of the camera data file between keeping and restoring the mirror. `areaLoaded` tells
// whether the camera was made to load an area, which replaced its current settings; `current`
// then holds those settings as the camera reported them before the first load.
int CollectAndWriteReport(CCamera& camera, const std::string& path, int32_t& rowIndex,
                          bool& areaLoaded, MirrorCopy& current)
{
    std::string report;
    int result = CollectIdentity(camera, report, rowIndex);
    if (result != 0)
        return result;

    std::array<std::array<std::string, kValueColumns>, PARAMETER_COUNT> fields;
    for (size_t column = 0; column < kValueColumns; ++column) {
        if (column > 0) {
            if (!areaLoaded)
                current.Take(camera);
            areaLoaded = true;
            result = camera.SetValueIndex(P_LD, static_cast<int32_t>(column - 1));
            if (result != 0) {
                rowIndex = P_LD;
                return result;
            }
        }
        for (int32_t index = 0; index < PARAMETER_COUNT; ++index) {
            if (!IsReportRow(index))
                continue;
            // A stop leaves the rest uncollected; the caller puts the settings back.
            result = camera.IsStopRequested()
                         ? OPERATION_STOPPED
                         : ReportField(camera, index, fields[static_cast<size_t>(index)][column]);
            if (result != 0) {
                rowIndex = index;
                return result;
            }
            camera.OnOperationProgress(kReportProgress,
                                       static_cast<int32_t>(column) * PARAMETER_COUNT + index + 1,
                                       static_cast<int32_t>(kValueColumns) * PARAMETER_COUNT);
        }
    }

    std::array<std::string, kValueColumns> header{kCurrentHeader};
    for (size_t k = 0; k + 1 < kValueColumns; ++k)
        header[k + 1] = camera.GetItemString(P_EA, static_cast<int32_t>(k));
    report += Line(kSettingsHeader, header);
    // Availability as the last column left the mirror.
    for (int32_t index = 0; index < PARAMETER_COUNT; ++index)
        if (IsReportRow(index) && camera.IsAvailable(index))
            report += Line(RowLabel(index), fields[static_cast<size_t>(index)]);

    // Written beside the target and renamed over it only once complete.
    return AtomicFile::Replace(path, report) ? 0 : CAMERA_FILE_ACCESS;
}

} // namespace

int CCamera::WriteSetupFile(const std::string& path, int32_t& rowCount)
{
    rowCount = PARAMETER_COUNT;
    try {
        // An existing file is updated, not replaced: its other sections, entries and comments
        // stay. One that exists but cannot be read is left alone.
        ProfileFile file;
        if (!file.Load(path) || !file.WriteString(kModelSection, kModelKey, kModelFamily))
            return CAMERA_FILE_ACCESS;
        for (int32_t index = 0; index < PARAMETER_COUNT; ++index) {
            if (!Row(index).Has(PF_SETUP) || !IsAvailable(index))
                continue;
            const SettingsName& name = Name(index);
            const bool written = Row(index).Has(PF_STRING)
                                     ? file.WriteString(name.section, name.key, GetText(index))
                                     : file.WriteInt(name.section, name.key, GetValue(index));
            if (!written)
                return CAMERA_FILE_ACCESS;
        }
        // Every entry or nothing: the file is replaced in one step.
        return file.Save(path) ? 0 : CAMERA_FILE_ACCESS;
    } catch (const std::bad_alloc&) {
        return CAMERA_FILE_ACCESS;
    }
}

int CCamera::ReadSetupFile(const std::string& path, int32_t& rowIndex)
{
    rowIndex = 0;
    // Every value notification of the load is non-interactive.
    BulkLoadScope bulkLoad(*this);
    try {
        return LoadSetupRows(*this, path, rowIndex);
    } catch (const std::bad_alloc&) {
        return CAMERA_FILE_ACCESS;
    }
}

int CCamera::WriteCameraDataFile(const std::string& path, int32_t& rowIndex)
{
    rowIndex = 0;
    if (!IsOnline())
        return CAMERA_OFFLINE;
    SaveBackup();
    bool areaLoaded = false;
    MirrorCopy current;
    int result = 0;
    try {
        result = CollectAndWriteReport(*this, path, rowIndex, areaLoaded, current);
    } catch (const std::bad_alloc&) {
        result = CAMERA_FILE_ACCESS;
    }
    // The mirror returns to its state from before; every row is unsynchronised until written.
    // After an area load it then takes the camera's settings from before the load instead.
    RestoreBackup();
    if (!areaLoaded)
        return result;

    // The area loads replaced the camera's current settings: put back the ones the camera
    // reported before the first load. Writing the mirror instead would give the camera whatever
    // the mirror held, values never read from the camera included. This happens however the
    // collection ended (a full disk, a stop request) while the camera still answers, and is
    // never stopped itself. When it fails (or the camera is gone) that is the news: the camera
    // keeps an area's settings, which the result must not hide behind the first failure or a
    // stop.
    current.Put(*this);
    int32_t restoreIndex = 0;
    const int restored = IsOnline() ? WriteRows(restoreIndex, false) : CAMERA_OFFLINE;
    if (restored != 0) {
        rowIndex = restoreIndex;
        return RESTORE_FAILED;
    }
    return result;
}

} // namespace zr
