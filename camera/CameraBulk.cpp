// Whole-camera operations of the camera object: read-all, write-all and the EEPROM areas.
#include "camera/Camera.h"

#include "camera/CameraError.h"

namespace zr
{

namespace
{

// Whether the table lets a row take part in a bulk transfer that needs `direction` (PF_READ or
// PF_WRITE). Availability is checked separately, at the row's turn.
bool IsBulkRow(int32_t index, uint32_t direction)
{
    const ParameterEntry& row = kParameterTable[static_cast<size_t>(index)];
    if (!row.Has(direction) || !row.Has(PF_BULK) || row.Has(PF_NOBULK))
        return false;
    // A user-ID write needs the unlock command first, so write-all never sends it.
    return !(direction == PF_WRITE && index == P_UD);
}

constexpr const char* kReadAllProgress = "Reading all settings";
constexpr const char* kWriteAllProgress = "Writing all settings";

} // namespace

int CCamera::ReadAll(int32_t& failedIndex)
{
    failedIndex = 0;
    if (!IsOnline())
        return CAMERA_OFFLINE;
    for (int32_t index = 0; index < PARAMETER_COUNT; ++index) {
        // Availability is evaluated now, on the rows read so far.
        if (!IsBulkRow(index, PF_READ) || !IsAvailable(index))
            continue;
        const int result =
            IsStopRequested() ? OPERATION_STOPPED : QueryValue(index, ValueFlags::DisconnectOnError);
        if (result != 0) {
            SetSynchronized(false);
            failedIndex = index;
            return result;
        }
        OnValueChanged(index, /*interactive=*/false);
        OnOperationProgress(kReadAllProgress, index + 1, PARAMETER_COUNT);
    }
    SetSynchronized(true);
    return 0;
}

int CCamera::WriteAll(int32_t& failedIndex)
{
    return WriteRows(failedIndex, true);
}

int CCamera::WriteRows(int32_t& failedIndex, bool stoppable)
{
    failedIndex = 0;
    if (!IsOnline())
        return CAMERA_OFFLINE;
    for (int32_t index = 0; index < PARAMETER_COUNT; ++index) {
        if (!IsBulkRow(index, PF_WRITE) || !IsAvailable(index))
            continue;
        const int result = stoppable && IsStopRequested()
                               ? OPERATION_STOPPED
                               : SendValue(index, ValueFlags::DisconnectOnError);
        if (result != 0) {
            SetSynchronized(false);
            failedIndex = index;
            return result;
        }
        OnOperationProgress(kWriteAllProgress, index + 1, PARAMETER_COUNT);
    }
    SetSynchronized(true);
    return 0;
}

int CCamera::LoadArea()
{
    int32_t failedIndex = 0;
    return LoadArea(failedIndex);
}

int CCamera::LoadArea(int32_t& failedIndex)
{
    failedIndex = 0;
    // Clamped as any value set from our side: an area beyond the last one becomes the row
    // maximum, which the camera then refuses.
    SetValue(P_LD, GetValue(P_AREA), ValueFlags::Notify | ValueFlags::DisconnectOnError);
    const int result = SendValue(P_LD, ValueFlags::DisconnectOnError);
    if (result != 0) {
        failedIndex = P_LD;
        return result;
    }
    // Read-all gives 100 when the load left the camera offline.
    return ReadAll(failedIndex);
}

int CCamera::StoreArea()
{
    // The store's enabled condition (not the factory area) is the panels' business; the camera's
    // answer decides here.
    SetValue(P_SA, GetValue(P_AREA), ValueFlags::Notify | ValueFlags::DisconnectOnError);
    return SendValue(P_SA, ValueFlags::DisconnectOnError);
}

int32_t CCamera::GetCurrentArea()
{
    if (IsOnline() && QueryValue(P_EA, ValueFlags::DisconnectOnError) != 0)
        return 0;
    return GetValue(P_EA);
}

std::string CCamera::GetCurrentAreaText()
{
    std::string text;
    if (GetValueString(P_EA, text, ValueFlags::Query | ValueFlags::DisconnectOnError) != 0)
        text.clear();
    return text;
}

} // namespace zr
