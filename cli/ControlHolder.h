#pragma once

#include <memory>
#include <optional>
#include <string>

#include "automation/ControlSession.h"
#include "comm/PortName.h"
#include "component/ComponentModule.h"

namespace zr
{
class LocalControl;
}

namespace zr::cli
{

// The control one run of zr47xcl drives, through the one interface every face uses: a control
// of this process on the module settings, or one that another program publishes on the session
// bus (--attach). A published control is started already and keeps its own settings: SelectPort
// and Start leave it as it is, and Close saves nothing.
class ControlHolder
{
public:
    // A control of this process, constructed (module settings read) but not started.
    ControlHolder();
    // The published control holding `port` (or the only one without a port); check Session()
    // is not null, else `error` holds a one-line reason.
    ControlHolder(const std::optional<PortChoice>& port, std::string& error);
    ~ControlHolder();
    ControlHolder(const ControlHolder&) = delete;
    ControlHolder& operator=(const ControlHolder&) = delete;

    ControlSession* Session() const { return session_.get(); }

    void SelectPort(const PortChoice& port);
    // The start-up connection attempt with the remembered (or selected) class and port.
    void Start(bool connect);
    // Why the start-up connection failed, or empty.
    std::string ConnectionFailure() const;
    // The port, its device and the system's reason when the link of a control of this process
    // went away under an operation; empty otherwise (and for a published control).
    std::string LinkLoss() const;

    // How the module settings fared when the control went.
    enum class Saved { Yes, WithProblem, No };
    // Ends the session: a control of this process is destroyed and writes the module settings.
    // `problem` says what went wrong with them, if anything.
    Saved Close(std::string& problem);

private:
    std::unique_ptr<ComponentModule> module_;
    std::optional<ComponentModule::Hold> hold_;
    LocalControl* local_ = nullptr; // the session, when it is a control of this process
    std::unique_ptr<ControlSession> session_;
};

} // namespace zr::cli
