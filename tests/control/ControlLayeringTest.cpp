// The control and everything below it stay free of the window toolkit, so they run without a
// display (command line, scripts, this test program). The build itself refuses a toolkit header
// below the panels (tests/layering); this checks that nothing loads the toolkit either.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace zr
{
namespace
{

TEST(ControlLayering, TestProgramLoadsNoToolkitLibrary)
{
    std::ifstream maps("/proc/self/maps");
    ASSERT_TRUE(maps.is_open());
    for (std::string line; std::getline(maps, line);)
        EXPECT_EQ(line.find("libQt"), std::string::npos) << line;
}

} // namespace
} // namespace zr
