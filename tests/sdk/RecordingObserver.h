#ifndef RECORDINGOBSERVER_H
#define RECORDINGOBSERVER_H

#include <ZorvikCPP.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Remembers each camera list change as "ID reason", the ID as read in the callback, and
// the threads the callbacks ran on.
class RecordingObserver : public CVN::ZvkAPI::ICameraListObserver
{
public:
    void CameraListChanged(CVN::ZvkAPI::CameraPtr camera, int reason) override
    {
        std::string id;
        camera->GetID(id);
        std::lock_guard<std::mutex> lock(mutex);
        changes.push_back(id + " " + std::to_string(reason));
        threads.push_back(std::this_thread::get_id());
    }

    std::vector<std::string> Changes()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return changes;
    }

    int Count() { return int(Changes().size()); }

    bool NoneOn(std::thread::id thread)
    {
        std::lock_guard<std::mutex> lock(mutex);
        return std::find(threads.begin(), threads.end(), thread) == threads.end();
    }

private:
    std::mutex mutex;
    std::vector<std::string> changes;
    std::vector<std::thread::id> threads;
};

#endif
