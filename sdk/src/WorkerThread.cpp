#include "WorkerThread.h"

namespace ZorvikSim {

using Clock = std::chrono::steady_clock;

WorkerThread::~WorkerThread()
{
    Stop();
}

void WorkerThread::Start(std::function<void()> periodicJob, std::chrono::milliseconds interval)
{
    Stop();
    std::lock_guard<std::mutex> lock(mutex);
    periodic = std::move(periodicJob);
    period = interval;
    stopping = false;
    thread = std::thread(&WorkerThread::Run, this);
}

void WorkerThread::Stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        jobs.clear();
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

void WorkerThread::Post(std::function<void()> job)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!thread.joinable() || stopping)
            return;
        jobs.push_back(std::move(job));
    }
    wake.notify_all();
}

bool WorkerThread::IsCurrent() const
{
    return std::this_thread::get_id() == thread.get_id();
}

void WorkerThread::Run()
{
    std::unique_lock<std::mutex> lock(mutex);
    Clock::time_point nextTick = Clock::now() + period;
    while (!stopping) {
        if (!jobs.empty()) {
            std::function<void()> job = std::move(jobs.front());
            jobs.pop_front();
            lock.unlock();
            job();
            lock.lock();
        } else if (periodic && Clock::now() >= nextTick) {
            lock.unlock();
            periodic();
            lock.lock();
            nextTick = Clock::now() + period;
        } else if (periodic) {
            wake.wait_until(lock, nextTick);
        } else {
            wake.wait(lock);
        }
    }
}

} // namespace ZorvikSim
