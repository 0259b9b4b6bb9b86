#include "TemporaryUser.h"

#include <filesystem>

#include "ChildProcess.h"

namespace zr::test
{

TemporaryUser::TemporaryUser(const TempDir& dir)
    : dir_(dir), environment_(dir.Path()),
      settingsFile_(dir.File("config/Korvel-XKorvelZR47xCL.ini-Control/XKorvelZR47xCL Control.ini"))
{
}

::testing::AssertionResult TemporaryUser::RegisterWithCom1(const std::string& device) const
{
    std::filesystem::create_directories(std::filesystem::path(settingsFile_).parent_path());
    if (!TempDir::WriteFile(settingsFile_,
                            "[Comm]\r\nCOM1=" + device + "\r\nClass=0\r\nPort=0\r\n"))
        return ::testing::AssertionFailure() << "cannot write " << settingsFile_;
    ChildProcess regsvr({std::string(ZR_BIN_DIR) + "/zr47xcl-regsvr"}, dir_.File("regsvr.log"));
    if (regsvr.Wait(20000) != 0)
        return ::testing::AssertionFailure() << TempDir::ReadFile(dir_.File("regsvr.log"));
    return ::testing::AssertionSuccess();
}

} // namespace zr::test
