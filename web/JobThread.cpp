#include "web/JobThread.h"

namespace zr::web
{

JobThread::JobThread(std::chrono::milliseconds tick, std::function<void()> idle)
    : tick_(tick), idle_(std::move(idle)), thread_([this] { Run(); })
{
}

JobThread::~JobThread()
{
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void JobThread::Post(std::function<void()> job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_all();
}

void JobThread::Run()
{
    std::unique_lock lock(mutex_);
    while (!ending_) {
        wake_.wait_for(lock, tick_, [this] { return ending_ || !jobs_.empty(); });
        if (ending_)
            break;
        std::deque<std::function<void()>> jobs;
        jobs.swap(jobs_);
        lock.unlock();
        for (auto& job : jobs)
            job();
        if (idle_)
            idle_();
        lock.lock();
    }
}

} // namespace zr::web
