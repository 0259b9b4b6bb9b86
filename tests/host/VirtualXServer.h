#pragma once

#include <memory>
#include <string>

#include "ChildProcess.h"

namespace zr::test
{

// An Xvfb server for one test, ready once it has written its display number; stopped when the
// object goes. Display() is empty when no server started.
class VirtualXServer
{
public:
    // A server on a display number it picks itself.
    explicit VirtualXServer(const std::string& logFile);
    // A server on the first free display of `first` to `last`.
    VirtualXServer(const std::string& logFile, int first, int last);

    bool Installed() const { return server_ && server_->Started(); }
    const std::string& Display() const { return display_; }

private:
    // Starts the server (on `number` unless empty) and returns the display number it wrote with
    // its line end, or an empty string.
    std::string Start(const std::string& logFile, const std::string& number);

    std::unique_ptr<ChildProcess> server_;
    std::string display_;
};

} // namespace zr::test
