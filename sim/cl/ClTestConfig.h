#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zr::cltest
{

// What a test Camera Link serial library offers, read from the file named by the environment
// variable ZR_CL_TEST_CONFIG each time the library is loaded. One entry a line, fields
// separated by blanks, a field with blanks in double quotes, '#' starts a comment line:
//
//   log PATH                          append every call of either library to PATH
//   ClSerial port MANUFACTURER [OPTION]...
//   ClAllSerial port MANUFACTURER PORTID [OPTION]...
//   LIBRARY status FUNCTION STATUS    FUNCTION returns STATUS and does nothing else
//
// Port options: model=NAME (answer to MD?), fault=FAULT (a simulator fault, repeatable),
// silent (the camera never answers), backlog=N (N noise bytes already wait on the line when
// the port is first initialised). A ClSerial port is a manufacturer; its index is also its
// serial index. Lines of the other library are skipped; a malformed line is ignored.
struct ClTestConfig {
    struct Port {
        std::string manufacturer;
        std::string portId;
        std::string model = "ZR-470";
        std::vector<std::string> faults;
        bool silent = false;
        uint32_t backlog = 0;
    };

    std::string logPath;
    std::vector<Port> ports;
    std::map<std::string, int32_t> forcedStatus; // by entry point name

    static constexpr const char* kEnvironmentVariable = "ZR_CL_TEST_CONFIG";

    // The configuration of `library` ("ClSerial" or "ClAllSerial"); empty without a file.
    static ClTestConfig Read(const std::string& library);
    static ClTestConfig Parse(const std::string& text, const std::string& library);
};

} // namespace zr::cltest
