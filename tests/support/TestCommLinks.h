#pragma once

#include <string>

#include "comm/CommLinks.h"

namespace zr::test
{

// The folder of the complete test Camera Link serial libraries.
std::string ClTestLibraryFolder();

// Links for a CComm under test: the serial port link on `settings`, and a Camera Link link on
// libClSerial.so and libClAllSerial.so in `clFolder`, loaded by absolute path, so no library on
// the machine's search path takes part. Without a folder the Camera Link link offers no ports.
CommLinks TestCommLinks(const SettingsStore& settings, const std::string& clFolder);
CommLinks TestCommLinks(const SettingsStore& settings);

} // namespace zr::test
