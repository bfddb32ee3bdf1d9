#ifndef ZORVIKSIM_CAMERAHUB_H
#define ZORVIKSIM_CAMERAHUB_H

#include "FolderStore.h"
#include "SimulatedCamera.h"
#include "WorkerThread.h"

#include <ZorvikCPP/ZvkCommonTypes.h>
#include <ZorvikSim/Simulator.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace CVN {
namespace ZvkAPI {
class CameraImpl;
}
} // namespace CVN

namespace ZorvikSim {

// Everything behind the SDK: the attached cameras (in memory, or mirrored from a folder),
// the SDK's started state, its observers, and the stand-in's own thread that delivers
// notifications and watches the folder. One mutex guards it all; observers are called
// without it.
class CameraHub
{
public:
    static CameraHub &Instance();

    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex); }

    CVN::ZvkAPI::ZvkErrorType Startup();
    CVN::ZvkAPI::ZvkErrorType Shutdown();
    CVN::ZvkAPI::ZvkErrorType RegisterObserver(const CVN::ZvkAPI::ICameraListObserverPtr &observer);
    CVN::ZvkAPI::ZvkErrorType UnregisterObserver(const CVN::ZvkAPI::ICameraListObserverPtr &observer);
    CVN::ZvkAPI::ZvkErrorType ListCameras(CVN::ZvkAPI::CameraPtr *list, uint32_t &count);
    CVN::ZvkAPI::ZvkErrorType OpenCamera(const char *id, CVN::ZvkAPI::ZvkAccessModeType accessMode,
                                         CVN::ZvkAPI::CameraPtr &camera);

    // With the lock held: after every camera call, and when a camera vanishes mid-call.
    bool StartedLocked() const { return started; }
    void AfterCall(SimulatedCamera &camera);
    void DetachLocked(const std::shared_ptr<SimulatedCamera> &camera);

    void UseMemory();
    void UseFolder(const std::string &path);
    bool Attach(const CameraSetup &setup);
    bool Detach(const std::string &id);
    std::vector<CameraSetup> Cameras();
    bool GetFile(const std::string &id, uint32_t fileId, std::vector<uint8_t> &content);
    bool SetFile(const std::string &id, uint32_t fileId, const std::vector<uint8_t> &content);
    bool ResetToFactory(const std::string &id);
    bool SetFault(const std::string &id, const Fault &fault);
    bool ClearFaults(const std::string &id);
    std::vector<Fault> Faults(const std::string &id);
    std::vector<Call> Calls(const std::string &id);
    void ClearCalls(const std::string &id);
    void SetDurations(int eraseMilliseconds, int uploadMilliseconds);

private:
    enum class Mode { Unset, Memory, Folder };

    // What this process last wrote or read of a camera's files, to notice changes by others.
    struct Persisted
    {
        std::string text;
        std::map<uint32_t, FileSignature> files;
    };

    CameraHub() = default;
    ~CameraHub();

    void Use(Mode newMode, const std::string &path);
    std::shared_ptr<SimulatedCamera> Find(const std::string &id) const;
    std::shared_ptr<SimulatedCamera> FindWithRecord(const std::string &id) const;
    bool Change(const std::string &id, const std::function<bool(SimulatedCamera &)> &work);
    std::shared_ptr<SimulatedCamera> NewCamera(const CameraSetup &setup);
    void Add(const std::shared_ptr<SimulatedCamera> &camera);
    void Notify(const std::shared_ptr<SimulatedCamera> &camera, int reason);
    void Tick();
    void ReadFolderIfUsed();
    void SyncFolder();
    void CreateDefaultFolder();
    void AdoptFromFolder(const CameraRecord &record);
    void RefreshFromFolder(SimulatedCamera &camera, const CameraRecord &record);
    void Persist(SimulatedCamera &camera);
    void PersistFile(SimulatedCamera &camera, uint32_t fileId);

    std::mutex mutex;
    std::mutex lifecycle; // orders Startup and Shutdown, which start and stop the thread
    bool started = false;
    Mode mode = Mode::Unset;
    FolderStore store;
    Durations durations;
    std::vector<std::shared_ptr<SimulatedCamera>> cameras;
    std::map<std::string, std::shared_ptr<SimulatedCamera>> detached; // kept for their call record
    std::map<std::string, Persisted> persisted;
    std::vector<CVN::ZvkAPI::ICameraListObserverPtr> observers;
    std::vector<std::weak_ptr<CVN::ZvkAPI::CameraImpl>> openCameras;
    WorkerThread worker;
};

} // namespace ZorvikSim

#endif
