// How a host finds the component: the user's registration first, then the one for every user
// under $XDG_DATA_DIRS, passing over a registration whose library fails, and saying what is
// missing when there is none. Then QApplication::quit() ends a host whose floating panels are
// shown, and the panels stay remembered as shown.

#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "base/ProfileFile.h"
#include "component/Registration.h"
#include "control/Identities.h"
#include "host/ControlDialog.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

class HostLookup : public ::testing::Test
{
protected:
    // Registers the built component in `registry`, or a library that is not there.
    void Register(const std::string& registry, bool working)
    {
        std::filesystem::create_directories(std::filesystem::path(registry).parent_path());
        const std::string library = working ? std::string(ZR_LIB_DIR) + "/libXKorvelZR47xCL.so.1"
                                            : dir.File("gone/libXKorvelZR47xCL.so.1");
        ASSERT_EQ(RegisterComponent(registry, library), 0);
    }

    test::TempDir dir;
    test::ScopedEnv config{"XDG_CONFIG_HOME", dir.File("config")};
    test::ScopedEnv data{"XDG_DATA_HOME", dir.File("user")};
    // A relative entry is ignored, as the base directory rules say.
    test::ScopedEnv dirs{"XDG_DATA_DIRS", "share:" + dir.File("local") + ":" + dir.File("system")};
    const std::string user = dir.File("user/xkorvel/classes.ini");
    const std::string local = dir.File("local/xkorvel/classes.ini");
    const std::string system = dir.File("system/xkorvel/classes.ini");
};

TEST_F(HostLookup, UserFirstThenEveryDataFolderAndWhatIsMissing)
{
    EXPECT_EQ(CXKorvelZR47xCL::ClassRegistryPaths(),
              (std::vector<std::string>{user, local, system}));
    {
        CXKorvelZR47xCL none =
            CXKorvelZR47xCL::FromRegistration(CXKorvelZR47xCL::ClassRegistryPaths());
        EXPECT_FALSE(none.HasControl());
        for (const std::string& part :
             {std::string("not registered"), user, local, system, std::string("zr47xcl-regsvr")})
            EXPECT_NE(none.Failure().find(part), std::string::npos) << part << none.Failure();
    }
    // Written by hand for every user: a UTF-8 byte-order mark before the class's section, its
    // kind in lower case. Read as the registration it is.
    std::filesystem::create_directories(dir.File("system/xkorvel"));
    ASSERT_TRUE(test::TempDir::WriteFile(
        system, "\xEF\xBB\xBF[" + std::string(identity::kControlClassId) +
                    "]\r\nkind=class\r\nLibrary=" + ZR_LIB_DIR + "/libXKorvelZR47xCL.so.1\r\n"));
    EXPECT_TRUE(
        CXKorvelZR47xCL::FromRegistration(CXKorvelZR47xCL::ClassRegistryPaths()).HasControl());
    // Registered for every user in the last folder: found there.
    Register(system, true);
    EXPECT_TRUE(
        CXKorvelZR47xCL::FromRegistration(CXKorvelZR47xCL::ClassRegistryPaths()).HasControl());
    // A user registration whose library is gone is passed over; alone, it says why.
    Register(user, false);
    EXPECT_TRUE(
        CXKorvelZR47xCL::FromRegistration(CXKorvelZR47xCL::ClassRegistryPaths()).HasControl());
    std::filesystem::remove(system);
    CXKorvelZR47xCL broken =
        CXKorvelZR47xCL::FromRegistration(CXKorvelZR47xCL::ClassRegistryPaths());
    EXPECT_FALSE(broken.HasControl());
    EXPECT_NE(broken.Failure().find("cannot load " + dir.File("gone")), std::string::npos)
        << broken.Failure();
}

TEST_F(HostLookup, QuitEndsTheHostWithItsFloatingPanelsShown)
{
    Register(local, true);
    std::filesystem::create_directories(dir.File("config/Korvel-XKorvelZR47xCL.ini-Control"));
    std::filesystem::create_directories(dir.File("messages"));
    const std::string settingsFile =
        dir.File("config/Korvel-XKorvelZR47xCL.ini-Control/XKorvelZR47xCL Control.ini");
    ASSERT_TRUE(test::TempDir::WriteFile(settingsFile, "[Comm]\r\nCOM1=" + dir.File("none") +
                                                           "\r\nClass=0\r\nPort=0\r\n"));
    CXKorvelZR47xCL control =
        CXKorvelZR47xCL::FromRegistration(CXKorvelZR47xCL::ClassRegistryPaths());
    ASSERT_TRUE(control.HasControl()) << control.Failure();
    control.SetScreenshotFolder(dir.File("messages"));
    auto dialog = std::make_unique<CControlDialog>(std::move(control),
                                                   [](QWidget*, const QString&) { return true; });
    dialog->show();
    ASSERT_NE(dialog->ControlWindow(), nullptr);

    // A host's quit; were it refused, the watchdog would end the loop with another status.
    QTimer::singleShot(0, qApp, &QApplication::quit);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    watchdog.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    watchdog.stop();
    EXPECT_FALSE(dialog->isVisible());

    // A quit ended the program, not the user's close boxes: the panels stay remembered as shown.
    dialog.reset();
    const ProfileFile settings(settingsFile);
    for (const char* section :
         {"About", "Communication", "Control", "Control - IMG1", "Control - IMG2"})
        EXPECT_EQ(settings.GetInt(section, "Show", -5), 1) << section;
}

} // namespace
} // namespace zr
