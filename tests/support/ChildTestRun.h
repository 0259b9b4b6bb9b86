#pragma once

#include <string>

namespace zr::test
{

// Runs the tests of this test program that match `filter` in a new process whose
// LD_LIBRARY_PATH is `libraryPath` and whose environment has `marker`=1. The dynamic loader
// reads the library search path once at process start, so tests that need libraries found by
// bare name run this way. The child's exit status, or -1 when it did not exit normally.
int RunTestsInChild(const std::string& filter, const std::string& libraryPath, const char* marker);

// True in a process started by RunTestsInChild with this marker.
bool IsChildTestRun(const char* marker);

} // namespace zr::test
