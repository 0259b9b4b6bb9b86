// The control over the Camera Link class, through the test Camera Link serial libraries loaded
// by their usual names.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ControlTestBed.h"

namespace zr
{
namespace
{

using Strings = std::vector<std::string>;
using test::ControlTestBed;

// Tests of the suite ControlCameraLinkChild run only in a child process whose library search
// path holds the test libraries: the dynamic loader reads that path once at process start.
constexpr const char* kChildMarker = "ZR_CONTROL_CL_CHILD";

#define SKIP_UNLESS_CHILD()                                                                        \
    if (std::getenv(kChildMarker) == nullptr)                                                      \
    GTEST_SKIP() << "runs in a child process started by ControlCameraLink"

// Runs the tests matching `filter` in a new process of this program with LD_LIBRARY_PATH set to
// `libraryPath`; its exit status, or -1 when it did not exit normally.
int RunChild(const std::string& filter, const std::string& libraryPath)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!text.starts_with("LD_LIBRARY_PATH=") && !text.starts_with("GTEST_OUTPUT="))
            environment.push_back(text);
    }
    environment.push_back("LD_LIBRARY_PATH=" + libraryPath);
    environment.push_back(std::string(kChildMarker) + "=1");
    std::vector<char*> envp;
    for (std::string& text : environment)
        envp.push_back(text.data());
    envp.push_back(nullptr);

    std::string program = "/proc/self/exe";
    std::string filterArgument = "--gtest_filter=" + filter;
    char* argv[] = {program.data(), filterArgument.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(ControlCameraLink, ConnectsAndSearchesThroughTheLibraries)
{
    test::TempDir dir;
    // Port 0: a grabber whose camera never answers; port 1: a ZR-471.
    ASSERT_TRUE(test::TempDir::WriteFile(
        dir.File("cl.conf"), "ClSerial port \"Maker A\" silent\n"
                             "ClAllSerial port \"Grabber X\" \"Port 0\" model=ZR-471\n"));
    test::ScopedEnv config("ZR_CL_TEST_CONFIG", dir.File("cl.conf"));
    EXPECT_EQ(RunChild("ControlCameraLinkChild.*", ZR_LIB_DIR "/cltest"), 0);
}

TEST(ControlCameraLinkChild, StartCommunicationOverCameraLink)
{
    SKIP_UNLESS_CHILD();
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.StoreValue(P_IM1, 5);
    ASSERT_EQ(control.AskCommClassRange(1), 1);
    EXPECT_EQ(control.AskCommClassString(1), "CameraLink");
    EXPECT_EQ(control.AskCommPortRange(1, 1), 1);
    EXPECT_EQ(control.AskCommPortString(1, 1), "Grabber X - Port 0");

    EXPECT_EQ(control.StartCommunication(1, 1), 0);
    EXPECT_TRUE(control.CheckOnline());
    EXPECT_EQ(control.GetText(P_MD), "ZR-471");
    EXPECT_EQ(control.GetValue(P_IM1), 0);
    EXPECT_EQ(bed.ui.Lines("event ModelNameChanged").size(), 1u);
}

TEST(ControlCameraLinkChild, SearchGoesOnFromTheSerialPortsToCameraLink)
{
    SKIP_UNLESS_CHILD();
    ControlTestBed bed;
    CXKorvelCamCtrl& control = bed.MakeControl();
    int32_t commClass = -1, port = -1;

    EXPECT_EQ(control.AutoSelectCommunication(commClass, port, true), 1);
    EXPECT_EQ(commClass, 1);
    EXPECT_EQ(port, 1);
    EXPECT_TRUE(control.CheckOnline());
    EXPECT_EQ(bed.ui.Lines("progress range"), (Strings{"progress range 0 18"}));
    const Strings titles = bed.ui.Lines("progress title");
    ASSERT_EQ(titles.size(), 18u);
    EXPECT_EQ(titles[16], "progress title In Progress ( 94.4%)");
    EXPECT_EQ(titles[17], "progress title In Progress (100.0%)");
    EXPECT_EQ(bed.ui.Lines("progress message").back(),
              "progress message Checking CameraLink - Grabber X - Port 0 ...");
}

} // namespace
} // namespace zr
