// Setup files: any bytes given to a setup-file load end in a result code. A file that loads
// completely writes out again, and that file loads into a fresh camera with the same values and
// writes out byte for byte the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "MemoryLink.h"
#include "ScratchFolder.h"
#include "camera/Camera.h"
#include "camera/CameraError.h"
#include "camera/ParameterTable.h"
#include "support/ManualClock.h"
#include "support/MemorySettings.h"

namespace
{

using namespace zr;
using fuzz::MemoryLink;
using fuzz::ScratchFolder;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// A camera that takes every value: each set line is answered "COMPLETE".
struct AcceptingCamera {
    AcceptingCamera() : camera(settings, clock)
    {
        camera.UseLink(link);
        camera.SetOnline(true);
    }

    MemoryLink link{[](const std::string&) { return std::string("COMPLETE\r\n"); }};
    test::MemorySettings settings;
    test::ManualClock clock;
    CCamera camera;
};

bool SameSetupRows(CCamera& a, CCamera& b)
{
    for (int32_t index = 0; index < PARAMETER_COUNT; ++index) {
        if (!FindParameter(index)->Has(PF_SETUP))
            continue;
        if (a.IsAvailable(index) != b.IsAvailable(index) ||
            a.GetValue(index) != b.GetValue(index) || a.GetText(index) != b.GetText(index))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ScratchFolder scratch;
    scratch.Clear();
    const std::string input = scratch.File("input.cam");
    ScratchFolder::Write(input, std::string(reinterpret_cast<const char*>(data), size));
    int32_t rowIndex = 0;

    // Offline the load stops at the first row it would send.
    {
        test::MemorySettings settings;
        test::ManualClock clock;
        CCamera offline(settings, clock);
        const int result = offline.ReadSetupFile(input, rowIndex);
        Check(result == 0 || result == CAMERA_OFFLINE || result == CAMERA_FILE_ACCESS ||
              result == CAMERA_UNMATCHED_FILE);
        Check(rowIndex >= 0 && rowIndex <= PARAMETER_COUNT);
    }

    AcceptingCamera loaded;
    const int result = loaded.camera.ReadSetupFile(input, rowIndex);
    Check(rowIndex >= 0 && rowIndex <= PARAMETER_COUNT);
    if (result != 0)
        return 0;

    int32_t rowCount = 0;
    const std::string first = scratch.File("first.cam");
    Check(loaded.camera.WriteSetupFile(first, rowCount) == 0);
    AcceptingCamera reloaded;
    Check(reloaded.camera.ReadSetupFile(first, rowIndex) == 0);
    Check(SameSetupRows(loaded.camera, reloaded.camera));
    const std::string second = scratch.File("second.cam");
    Check(reloaded.camera.WriteSetupFile(second, rowCount) == 0);
    Check(ScratchFolder::Read(first) == ScratchFolder::Read(second));
    return 0;
}
