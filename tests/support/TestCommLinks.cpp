#include "support/TestCommLinks.h"

#include <memory>

#include "comm/CommLink.h"
#include "comm/CommPort.h"

namespace zr::test
{

std::string ClTestLibraryFolder()
{
    return ZR_LIB_DIR "/cltest";
}

CommLinks TestCommLinks(const SettingsStore& settings, const std::string& clFolder)
{
    return {
        std::make_unique<CCommPort>(settings),
        std::make_unique<CCommLink>(clFolder + "/libClSerial.so", clFolder + "/libClAllSerial.so")};
}

CommLinks TestCommLinks(const SettingsStore& settings)
{
    return TestCommLinks(settings, "/nonexistent/zr47xcl-no-camera-link");
}

} // namespace zr::test
