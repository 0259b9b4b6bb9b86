#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "web/BusControl.h"
#include "web/ControlChannel.h"

namespace zr::web
{

// The controls the web face has attached to, by port, attached on first use and again after
// one went away.
class ControlHub
{
public:
    std::vector<ControlInfo> List(std::string& error) const;
    // The channel of the control of port `id` (any letter case); nullptr with `error` set when
    // none is published.
    std::shared_ptr<ControlChannel> Get(const std::string& id, std::string& error);
    // Stops every channel's threads (an operation under way is asked to stop and answered).
    void CloseAll();

private:
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<ControlChannel>> channels_;
};

} // namespace zr::web
