#ifndef ZORVIKSIM_WORKERTHREAD_H
#define ZORVIKSIM_WORKERTHREAD_H

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ZorvikSim {

// The stand-in's own thread: runs posted jobs in order and, if given one, a periodic job.
class WorkerThread
{
public:
    ~WorkerThread();

    void Start(std::function<void()> periodicJob, std::chrono::milliseconds period);
    // Jobs not yet run are dropped. Must not be called from the thread itself.
    void Stop();
    void Post(std::function<void()> job);
    bool IsCurrent() const;

private:
    void Run();

    std::thread thread;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    std::function<void()> periodic;
    std::chrono::milliseconds period{0};
    bool stopping = false;
};

} // namespace ZorvikSim

#endif
