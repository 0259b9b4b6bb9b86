#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace zr::test
{

// The set-up of the test Camera Link serial libraries for one test: a configuration file in a
// temporary folder, named to the libraries through ZR_CL_TEST_CONFIG, and the call log they
// write. The libraries read the configuration at each load, so a change applies from the next
// link constructed or opened.
class ClTestBed
{
public:
    ClTestBed();
    ClTestBed(const ClTestBed&) = delete;
    ClTestBed& operator=(const ClTestBed&) = delete;

    // `options`: blank-separated port options (model=NAME, fault=FAULT, silent, backlog=N).
    void AddSerialPort(const std::string& manufacturer, const std::string& options = "");
    void AddAllSerialPort(const std::string& manufacturer, const std::string& portId,
                          const std::string& options = "");
    // Manufacturers "Maker A" and "Maker B" (model ZR-472) in ClSerial, ports "Port 0" and
    // "Port 1" (model ZR-471) of "Grabber X" in ClAllSerial.
    void AddFourPorts();
    // `function` of `library` ("ClSerial" or "ClAllSerial") returns `status`, doing nothing.
    void ForceStatus(const std::string& library, const std::string& function, int32_t status);

    // Every call the libraries logged since the last ClearLog, one line each, such as
    // "ClSerial load" or "ClSerial clSerialRead count=1 timeout=1".
    std::vector<std::string> Log() const;
    void ClearLog();

    const std::string& Folder() const { return dir_.Path(); }

    // The folder of the complete test libraries, and a library file in it.
    static std::string LibraryFolder();
    static std::string SerialLibrary();
    static std::string AllSerialLibrary();

private:
    void Add(const std::string& line);

    TempDir dir_;
    std::string config_;
    ScopedEnv env_;
};

} // namespace zr::test
