// zr47xcl without its camera: the warnings that say so, --strict turning them into exit status
// 3, the start-up failure line naming the port, and --port choosing the start-up port.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliHarness.h"

namespace zr::test
{
namespace
{

const std::string kWarning = "zr47xcl: camera offline: ";

struct OfflineRun {
    Strings args;
    int exitCode;
    const char* out;
    Strings warnings; // the lines after the start-up message, in order
};

TEST(CliOffline, WarningsStrictAndTheStartupFailureLine)
{
    CliSession session; // no camera anywhere
    const std::string com3 =
        "zr47xcl: COM3 is " + session.dir.File("no-such-tty3") + ": No such file or directory";
    const std::string startup = "Unable to use communication port.";
    const OfflineRun runs[] = {
        // Mirror-only verbs say nothing; a write of a camera row and a whole-camera method do.
        {{"--port", "COM3", "get", "ModelName", "set", "IMG1GainMaster=100", "call",
          "ReadAllFromCamera", "get", "IMG1GainMaster"},
         0,
         "\n100\n100\n",
         {com3, kWarning + "IMG1GainMaster kept in the mirror only",
          kWarning + "ReadAllFromCamera did not reach the camera"}},
        // --strict: the first verb that needed the camera ends the run with 3.
        {{"--port", "COM3", "--strict", "set", "IMG1GainMaster=100", "get", "IMG1GainMaster"},
         3,
         "",
         {com3, kWarning + "IMG1GainMaster kept in the mirror only"}},
        {{"--port=com3", "--strict", "dump"},
         3,
         nullptr,
         {com3, kWarning + "dump shows the mirror, not the camera"}},
        // A panel flag needs no camera, even strictly.
        {{"--port", "COM3", "--strict", "set", "ShowAboutWindow=false"}, 0, "", {com3}},
    };
    for (const OfflineRun& run : runs) {
        RunResult r = session.Run(run.args);
        EXPECT_EQ(r.exitCode, run.exitCode) << run.args[3] << "\n" << r.err;
        if (run.out != nullptr) {
            EXPECT_EQ(r.out, run.out) << run.args[3];
        }
        // The start-up message first, as before; then the new lines.
        EXPECT_TRUE(r.err.starts_with(startup)) << r.err;
        Strings lines = SplitLines(r.err);
        Strings added;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(added),
                     [](const std::string& l) { return l.starts_with("zr47xcl: "); });
        EXPECT_EQ(added, run.warnings) << r.err;
    }

    // --offline asks for the mirror: no warning, unless --strict.
    RunResult r = session.Run({"--offline", "set", "IMG1GainMaster=7"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    r = session.Run({"--offline", "--strict", "set", "IMG1GainMaster=7"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, kWarning + "IMG1GainMaster kept in the mirror only\n");
}

TEST(CliOffline, PortOptionChoosesTheStartupPortAndIsRemembered)
{
    CliSession session(sim::SimOptions{});
    // Remembered: COM2, which leads nowhere.
    RunResult r = session.Run({"--offline", "--port", "COM2", "get", "CommPort"});
    EXPECT_EQ(r.out, "1\n");
    r = session.Run({"--strict", "--port", "COM1", "get", "ModelName", "call", "CheckOnline",
                     "call", "ReadAllFromCamera", "set", "IMG1GainMaster=100"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "ZR-470\ntrue\n0\n");
    EXPECT_EQ(session.Camera()->Camera().Value("GA1"), 100);
    // The next run starts on COM1 by itself.
    r = session.Run({"get", "CommPort", "call", "CheckOnline"});
    EXPECT_EQ(r.out, "0\ntrue\n");

    // Strictly, a script error stays exit status 1; a result code other than 0 (a shading
    // mode that cannot be recalibrated) ends the run with 3 while online too.
    r = session.Run({"--strict", "call", "ReadAllFromFile", session.dir.File("missing.cam"), "get",
                     "CommPort"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    r = session.Run({"--strict", "call", "DoIMG2ShadingCorrection", "0", "get", "CommPort"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.out, "200\npnResult=0\n");
    EXPECT_EQ(r.err, "zr47xcl: DoIMG2ShadingCorrection returned result code 200\n");
}

} // namespace
} // namespace zr::test
