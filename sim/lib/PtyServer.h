#pragma once

#include <memory>
#include <string>

namespace zr::sim
{

struct SimOptions;
class SimCamera;

// Serves a SimCamera on a pseudo-terminal from its own thread; stops and joins on destruction.
// The terminal side is raw, and the server keeps its own descriptor of it open, so the tool may
// close and reopen the device at will. With SimOptions::pace both directions run at the speed
// of a 9600-baud 8N1 line.
class PtyServer
{
public:
    explicit PtyServer(const SimOptions& options);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // False when the pseudo-terminal could not be opened, and after a close-after fault closed
    // the line.
    bool IsServing() const;
    const std::string& DevicePath() const; // the terminal side, e.g. /dev/pts/7
    SimCamera& Camera();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace zr::sim
