#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ClTestBed.h"
#include "camera/Camera.h"
#include "comm/Comm.h"
#include "comm/CommLink.h"
#include "support/MemorySettings.h"

namespace zr
{
namespace
{

using test::ClTestBed;
using test::MemorySettings;

// Tests named CameraLinkChild run only in a child process started by RunChild, whose library
// search path holds the test libraries under their usual bare names.
constexpr const char* kChildMarker = "ZR_CL_CHILD";

#define SKIP_UNLESS_CHILD()                                                                        \
    if (std::getenv(kChildMarker) == nullptr)                                                      \
    GTEST_SKIP() << "runs in a child process started by CameraLinkCommTest"

// Runs the tests matching `filter` in a new process of this test program with LD_LIBRARY_PATH
// set to `libraryPath`: the dynamic loader reads it once at process start, so it cannot be
// changed for this process. The child's exit status, or -1 when it did not exit normally.
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

void AddFourPorts(ClTestBed& bed)
{
    bed.AddSerialPort("Maker A");
    bed.AddSerialPort("Maker B", "model=ZR-472");
    bed.AddAllSerialPort("Grabber X", "Port 0");
    bed.AddAllSerialPort("Grabber X", "Port 1", "model=ZR-471");
}

TEST(CameraLinkCommTest, WithoutLibrariesOnlyTheSerialPortClassIsOffered)
{
    if (CCommLink().GetPortCount() > 0)
        GTEST_SKIP() << "a Camera Link library with ports is on the library search path";
    MemorySettings settings;
    settings.WriteInt("Comm", "Class", 1);
    settings.WriteInt("Comm", "Port", 0);
    CComm comm(settings);
    EXPECT_EQ(comm.GetCommClassCount(), 1);
    EXPECT_EQ(comm.GetCommClass(), 0);
    EXPECT_EQ(comm.GetCommPort(), 0);
    EXPECT_EQ(comm.GetCommClassName(1), "CameraLink");
    EXPECT_EQ(comm.OpenCommPort(1, 0), 1);
}

TEST(CameraLinkCommTest, LibrariesFoundByTheirUsualNames)
{
    ClTestBed bed;
    AddFourPorts(bed);
    EXPECT_EQ(RunChild("CameraLinkChild.*", ClTestBed::LibraryFolder()), 0);
}

TEST(CameraLinkChild, CommOffersTheCameraLinkClass)
{
    SKIP_UNLESS_CHILD();
    MemorySettings settings;
    settings.WriteInt("Comm", "Class", 1);
    settings.WriteInt("Comm", "Port", 3);
    {
        CComm comm(settings);
        EXPECT_EQ(comm.GetCommClassCount(), 2);
        EXPECT_EQ(comm.GetCommClass(), 1);
        EXPECT_EQ(comm.GetCommPort(), 3);
        EXPECT_EQ(comm.GetCommClassName(1), "CameraLink");
        ASSERT_EQ(comm.GetCommPortCount(1), 4);
        EXPECT_EQ(comm.GetCommPortName(1, 0), "Maker A");
        EXPECT_EQ(comm.GetCommPortName(1, 2), "Grabber X - Port 0");
        EXPECT_EQ(comm.GetCommPortName(1, 4), "");

        ASSERT_EQ(comm.OpenCommPort(1, 2), 0);
        CCommAbstract& link = comm.ActiveLink();
        EXPECT_EQ(link.GetLinkClassName(), "CameraLink");
        ASSERT_EQ(link.Write("SH1=3\r\n", 7, 400), 0);
        char answer[10] = {};
        int32_t received = 0;
        EXPECT_EQ(link.Read(answer, 10, received, 400), 0);
        EXPECT_EQ(std::string(answer, static_cast<size_t>(received)), "COMPLETE\r\n");
    }
    EXPECT_EQ(settings.GetInt("Comm", "Class", -1), 1);
    EXPECT_EQ(settings.GetInt("Comm", "Port", -1), 2);

    // A port beyond the list falls back to port 0 of the same class.
    settings.WriteInt("Comm", "Port", 4);
    CComm comm(settings);
    EXPECT_EQ(comm.GetCommClass(), 1);
    EXPECT_EQ(comm.GetCommPort(), 0);
}

TEST(CameraLinkChild, CameraTransactionsThroughEachLibrary)
{
    SKIP_UNLESS_CHILD();
    struct Case {
        int32_t port;
        const char* model;
    };
    for (const Case& c : {Case{1, "ZR-472"}, Case{3, "ZR-471"}}) {
        MemorySettings settings;
        CCamera camera(settings);
        ASSERT_EQ(camera.OpenCommPort(1, c.port), 0) << c.port;
        camera.SetOnline(true);

        EXPECT_EQ(camera.QueryValue(P_MD, false), 0) << c.port;
        EXPECT_EQ(camera.GetText(P_MD), c.model) << c.port;

        // The value goes to the camera and comes back from it.
        ASSERT_EQ(camera.SetValue(P_SH1, 5, false, false, false), 0) << c.port;
        EXPECT_EQ(camera.SendValue(P_SH1, false), 0) << c.port;
        EXPECT_TRUE(camera.IsRowSynchronized(P_SH1)) << c.port;
        camera.StoreValue(P_SH1, 0);
        EXPECT_EQ(camera.QueryValue(P_SH1, false), 0) << c.port;
        EXPECT_EQ(camera.GetValue(P_SH1), 5) << c.port;
    }
}

} // namespace
} // namespace zr
