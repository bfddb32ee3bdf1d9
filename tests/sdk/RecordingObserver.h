#ifndef RECORDINGOBSERVER_H
#define RECORDINGOBSERVER_H

#include <ZorvikCPP.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Remembers each camera list change: the camera's ID as read in the callback, the
// reason, and the thread the callback ran on.
class RecordingObserver : public CVN::ZvkAPI::ICameraListObserver
{
public:
    struct Change
    {
        std::string id;
        int reason;
        std::thread::id thread;
    };

    void CameraListChanged(CVN::ZvkAPI::CameraPtr camera, int reason) override
    {
        std::string id;
        camera->GetID(id);
        std::lock_guard<std::mutex> lock(mutex);
        changes.push_back({id, reason, std::this_thread::get_id()});
    }

    std::vector<Change> Changes()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return changes;
    }

    int Count()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return int(changes.size());
    }

private:
    std::mutex mutex;
    std::vector<Change> changes;
};

#endif
