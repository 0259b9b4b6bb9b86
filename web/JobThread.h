#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zr::web
{

// One thread that runs queued jobs in order and, between them, an idle step at least every
// `tick`. The thread ends, after the job under way, when the object goes.
class JobThread
{
public:
    JobThread(std::chrono::milliseconds tick, std::function<void()> idle);
    ~JobThread();
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    void Post(std::function<void()> job);

private:
    void Run();

    std::chrono::milliseconds tick_;
    std::function<void()> idle_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool ending_ = false;
    std::thread thread_;
};

} // namespace zr::web
