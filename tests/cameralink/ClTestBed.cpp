#include "ClTestBed.h"

#include <sstream>

#include "support/TestCommLinks.h"

namespace zr::test
{

namespace
{

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

ClTestBed::ClTestBed() : env_("ZR_CL_TEST_CONFIG", dir_.File("cl.conf"))
{
    Add("log " + Quoted(dir_.File("calls.log")));
}

void ClTestBed::Add(const std::string& line)
{
    config_ += line + "\n";
    TempDir::WriteFile(dir_.File("cl.conf"), config_);
}

void ClTestBed::AddSerialPort(const std::string& manufacturer, const std::string& options)
{
    Add("ClSerial port " + Quoted(manufacturer) + " " + options);
}

void ClTestBed::AddAllSerialPort(const std::string& manufacturer, const std::string& portId,
                                 const std::string& options)
{
    Add("ClAllSerial port " + Quoted(manufacturer) + " " + Quoted(portId) + " " + options);
}

void ClTestBed::AddFourPorts()
{
    AddSerialPort("Maker A");
    AddSerialPort("Maker B", "model=ZR-472");
    AddAllSerialPort("Grabber X", "Port 0");
    AddAllSerialPort("Grabber X", "Port 1", "model=ZR-471");
}

void ClTestBed::ForceStatus(const std::string& library, const std::string& function, int32_t status)
{
    Add(library + " status " + function + " " + std::to_string(status));
}

std::vector<std::string> ClTestBed::Log() const
{
    std::vector<std::string> lines;
    std::istringstream text(TempDir::ReadFile(dir_.File("calls.log")));
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

void ClTestBed::ClearLog()
{
    TempDir::WriteFile(dir_.File("calls.log"), "");
}

std::string ClTestBed::LibraryFolder()
{
    return ClTestLibraryFolder();
}

std::string ClTestBed::SerialLibrary()
{
    return LibraryFolder() + "/libClSerial.so";
}

std::string ClTestBed::AllSerialLibrary()
{
    return LibraryFolder() + "/libClAllSerial.so";
}

} // namespace zr::test
