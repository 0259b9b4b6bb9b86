// Camera answers: whatever comes back on the line, every transaction and whole-camera operation
// ends in a known result code, without a crash, a hang or unbounded growth.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "MemoryLink.h"
#include "camera/Camera.h"
#include "camera/ParameterTable.h"
#include "support/ManualClock.h"
#include "support/MemorySettings.h"

namespace
{

using namespace zr;

// Link codes 0..7 and camera codes 100..109.
bool IsKnownCode(int code)
{
    return (code >= 0 && code <= 7) || (code >= 100 && code <= 109);
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput in(data, size);
    // Each line written is answered by the next text of the input.
    fuzz::MemoryLink link([&in](const std::string&) { return in.Text(80); });
    test::MemorySettings settings;
    test::ManualClock clock;
    CCamera camera(settings, clock);
    camera.UseLink(link);
    camera.SetOnline(true);

    for (int step = 0; step < 32 && !in.Empty(); ++step) {
        const uint8_t op = in.Byte() % 11;
        // One index past each end of the table as well.
        const int32_t index = static_cast<int32_t>(in.Number(PARAMETER_COUNT + 2)) - 1;
        const bool disconnect = in.Byte() & 1;
        int32_t failedIndex = 0;
        std::string text;
        int result = 0;
        switch (op) {
        case 0:
            result = camera.QueryValue(index, disconnect);
            break;
        case 1:
            result = camera.SetValue(index, static_cast<int32_t>(in.Number(0x10000)) - 0x8000, true,
                                     true, disconnect);
            break;
        case 2:
            result = camera.GetValueString(index, text, true, true, disconnect);
            break;
        case 3:
            result = camera.SetValueString(index, in.Text(40));
            break;
        case 4:
            result = camera.ReadAll(failedIndex);
            break;
        case 5:
            result = camera.WriteAll(failedIndex);
            break;
        case 6:
            result = camera.LoadArea(failedIndex);
            break;
        case 7:
            result = camera.StoreArea();
            break;
        case 8:
            Check(camera.GetCurrentArea() >= 0);
            break;
        case 9:
            result = camera.SetUserID(in.Text(40));
            break;
        default:
            result = camera.ReadAnswer(text, disconnect ? "SH1" : nullptr, 200, true);
            Check(text.size() <= CCamera::kMaxAnswerLength);
            break;
        }
        Check(IsKnownCode(result));
        Check(failedIndex >= 0 && failedIndex < PARAMETER_COUNT);
        // A link failure with disconnect-on-error closed the link: plug it in again.
        if (!link.IsOpen() || !camera.IsOnline()) {
            link.Open(0);
            camera.SetOnline(true);
        }
    }
    return 0;
}
