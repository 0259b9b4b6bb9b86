// The control and everything below it stay free of the window toolkit, so they run without a
// display (command line, scripts, this test program).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zr
{
namespace
{

namespace fs = std::filesystem;

// The source tree: this file is tests/control/ in it.
fs::path SourceRoot()
{
    return fs::path(__FILE__).parent_path().parent_path().parent_path();
}

TEST(ControlLayering, HeadlessLayersIncludeNoToolkitHeader)
{
    const fs::path root = SourceRoot();
    ASSERT_TRUE(fs::exists(root / "control" / "XKorvelCamCtrl.h")) << root;
    std::vector<std::string> offenders;
    size_t files = 0;
    for (const char* folder : {"comm", "camera", "control"}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(root / folder)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".h" && ext != ".cpp")
                continue;
            ++files;
            std::ifstream in(entry.path());
            for (std::string line; std::getline(in, line);) {
                const size_t include = line.find("#include");
                if (include == std::string::npos)
                    continue;
                const size_t name = line.find_first_of("<\"", include);
                if (name != std::string::npos && line.compare(name + 1, 1, "Q") == 0)
                    offenders.push_back(entry.path().filename().string() + ": " + line);
            }
        }
    }
    EXPECT_GT(files, 20u);
    EXPECT_TRUE(offenders.empty()) << offenders.front();
}

TEST(ControlLayering, TestProgramLoadsNoToolkitLibrary)
{
    std::ifstream maps("/proc/self/maps");
    ASSERT_TRUE(maps.is_open());
    for (std::string line; std::getline(maps, line);)
        EXPECT_EQ(line.find("libQt"), std::string::npos) << line;
}

} // namespace
} // namespace zr
