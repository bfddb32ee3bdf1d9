#include "CameraHub.h"

#include "CameraImpl.h"
#include "FactoryDefects.h"
#include "SetupRules.h"

#include <ZorvikCPP/Camera.h>
#include <ZorvikCPP/ICameraListObserver.h>

#include <algorithm>
#include <functional>

using namespace CVN::ZvkAPI;

namespace ZorvikSim {

namespace {

constexpr std::chrono::milliseconds WatchPeriod{200};
const uint32_t FileIds[] = {CustomDefectFileId, FactoryDefectFileId};

} // namespace

CameraHub &CameraHub::Instance()
{
    static CameraHub hub;
    return hub;
}

CameraHub::~CameraHub()
{
    worker.Stop();
}

ZvkErrorType CameraHub::Startup()
{
    if (worker.IsCurrent())
        return ZvkErrorInvalidCall;
    std::lock_guard<std::mutex> order(lifecycle);
    {
        std::unique_lock<std::mutex> lock = Lock();
        if (started)
            return ZvkErrorSuccess;
        if (mode == Mode::Unset)
            Use(Mode::Folder, DefaultFolder());
        // Cameras present at start-up are listed, not announced.
        if (mode == Mode::Folder)
            SyncFolder();
        started = true;
    }
    worker.Start([this] { Tick(); }, WatchPeriod);
    return ZvkErrorSuccess;
}

ZvkErrorType CameraHub::Shutdown()
{
    if (worker.IsCurrent())
        return ZvkErrorInvalidCall;
    std::lock_guard<std::mutex> order(lifecycle);
    {
        std::unique_lock<std::mutex> lock = Lock();
        if (!started)
            return ZvkErrorApiNotStarted;
        started = false;
        observers.clear();
        for (const std::weak_ptr<CameraImpl> &weak : openCameras) {
            if (std::shared_ptr<CameraImpl> camera = weak.lock())
                camera->ForceClosed();
        }
        openCameras.clear();
    }
    // Outside the lock: the thread may be waiting for it.
    worker.Stop();
    return ZvkErrorSuccess;
}

ZvkErrorType CameraHub::RegisterObserver(const ICameraListObserverPtr &observer)
{
    std::unique_lock<std::mutex> lock = Lock();
    if (!started)
        return ZvkErrorApiNotStarted;
    if (!observer)
        return ZvkErrorBadParameter;
    if (std::find(observers.begin(), observers.end(), observer) == observers.end())
        observers.push_back(observer);
    return ZvkErrorSuccess;
}

ZvkErrorType CameraHub::UnregisterObserver(const ICameraListObserverPtr &observer)
{
    std::unique_lock<std::mutex> lock = Lock();
    if (!started)
        return ZvkErrorApiNotStarted;
    auto it = std::find(observers.begin(), observers.end(), observer);
    if (it == observers.end())
        return ZvkErrorNotFound;
    observers.erase(it);
    return ZvkErrorSuccess;
}

ZvkErrorType CameraHub::ListCameras(CameraPtr *list, uint32_t &count)
{
    std::unique_lock<std::mutex> lock = Lock();
    if (!started)
        return ZvkErrorApiNotStarted;
    ReadFolderIfUsed();
    uint32_t capacity = count;
    count = static_cast<uint32_t>(cameras.size());
    if (!list)
        return ZvkErrorSuccess;
    if (capacity < cameras.size())
        return ZvkErrorMoreData;
    for (size_t i = 0; i < cameras.size(); ++i)
        list[i] = std::make_shared<Camera>(std::make_shared<CameraImpl>(cameras[i], ZvkAccessModeNone));
    return ZvkErrorSuccess;
}

ZvkErrorType CameraHub::OpenCamera(const char *id, ZvkAccessModeType accessMode, CameraPtr &camera)
{
    std::unique_lock<std::mutex> lock = Lock();
    if (!started)
        return ZvkErrorApiNotStarted;
    if (!id || (accessMode != ZvkAccessModeFull && accessMode != ZvkAccessModeRead))
        return ZvkErrorBadParameter;
    std::shared_ptr<SimulatedCamera> firmware = Find(id);
    if (!firmware)
        return ZvkErrorNotFound;
    auto impl = std::make_shared<CameraImpl>(firmware, accessMode);
    ZvkErrorType result = impl->Open();
    if (result != ZvkErrorSuccess)
        return result;
    openCameras.erase(std::remove_if(openCameras.begin(), openCameras.end(),
                                     [](const std::weak_ptr<CameraImpl> &weak) { return weak.expired(); }),
                      openCameras.end());
    openCameras.push_back(impl);
    camera = std::make_shared<Camera>(impl);
    return ZvkErrorSuccess;
}

void CameraHub::AfterCall(SimulatedCamera &camera)
{
    Persist(camera);
}

void CameraHub::DetachLocked(const std::shared_ptr<SimulatedCamera> &camera)
{
    cameras.erase(std::remove(cameras.begin(), cameras.end(), camera), cameras.end());
    camera->MarkDetached();
    detached[camera->Id()] = camera;
    if (mode == Mode::Folder) {
        store.RemoveCamera(camera->Id());
        persisted.erase(camera->Id());
    }
    Notify(camera, ZvkUpdateTriggerPluggedOut);
}

void CameraHub::UseMemory()
{
    std::unique_lock<std::mutex> lock = Lock();
    Use(Mode::Memory, std::string());
}

void CameraHub::UseFolder(const std::string &path)
{
    std::unique_lock<std::mutex> lock = Lock();
    Use(Mode::Folder, path);
    if (started)
        SyncFolder();
}

// Cameras of the previous place go silently; their objects report them gone.
void CameraHub::Use(Mode newMode, const std::string &path)
{
    for (const std::shared_ptr<SimulatedCamera> &camera : cameras)
        camera->MarkDetached();
    cameras.clear();
    detached.clear();
    persisted.clear();
    mode = newMode;
    store = FolderStore(path);
}

bool CameraHub::Attach(const CameraSetup &setup)
{
    std::unique_lock<std::mutex> lock = Lock();
    ReadFolderIfUsed();
    CameraSetup full = Completed(setup);
    if (!IsValidSetup(full) || Find(full.id))
        return false;
    std::shared_ptr<SimulatedCamera> camera = NewCamera(full);
    if (!camera)
        return false;
    Add(camera);
    return true;
}

bool CameraHub::Detach(const std::string &id)
{
    return Change(id, [&](SimulatedCamera &) {
        DetachLocked(Find(id));
        return true;
    });
}

std::vector<CameraSetup> CameraHub::Cameras()
{
    std::unique_lock<std::mutex> lock = Lock();
    ReadFolderIfUsed();
    std::vector<CameraSetup> setups;
    for (const std::shared_ptr<SimulatedCamera> &camera : cameras)
        setups.push_back(camera->Setup());
    return setups;
}

bool CameraHub::GetFile(const std::string &id, uint32_t fileId, std::vector<uint8_t> &content)
{
    return Change(id, [&](SimulatedCamera &camera) {
        if (!camera.File(fileId))
            return false;
        content = camera.File(fileId)->Content();
        return true;
    });
}

bool CameraHub::SetFile(const std::string &id, uint32_t fileId, const std::vector<uint8_t> &content)
{
    return Change(id, [&](SimulatedCamera &camera) {
        if (!camera.File(fileId))
            return false;
        camera.ReplaceFile(fileId, content);
        return true;
    });
}

bool CameraHub::ResetToFactory(const std::string &id)
{
    return Change(id, [](SimulatedCamera &camera) {
        camera.ReplaceFile(CustomDefectFileId, {});
        camera.ReplaceFile(FactoryDefectFileId, FactoryDefectFile(camera.Setup()));
        camera.Faults().Clear();
        return true;
    });
}

bool CameraHub::SetFault(const std::string &id, const Fault &fault)
{
    return FaultInjector::IsValid(fault) && Change(id, [&](SimulatedCamera &camera) {
        camera.Faults().Set(fault);
        return true;
    });
}

bool CameraHub::ClearFaults(const std::string &id)
{
    return Change(id, [](SimulatedCamera &camera) {
        camera.Faults().Clear();
        return true;
    });
}

std::vector<Fault> CameraHub::Faults(const std::string &id)
{
    std::vector<Fault> faults;
    Change(id, [&](SimulatedCamera &camera) {
        faults = camera.Faults().Active();
        return true;
    });
    return faults;
}

std::vector<Call> CameraHub::Calls(const std::string &id)
{
    std::unique_lock<std::mutex> lock = Lock();
    std::shared_ptr<SimulatedCamera> camera = FindWithRecord(id);
    return camera ? camera->Calls() : std::vector<Call>();
}

void CameraHub::ClearCalls(const std::string &id)
{
    std::unique_lock<std::mutex> lock = Lock();
    if (std::shared_ptr<SimulatedCamera> camera = FindWithRecord(id))
        camera->ClearCalls();
}

void CameraHub::SetDurations(int eraseMilliseconds, int uploadMilliseconds)
{
    std::unique_lock<std::mutex> lock = Lock();
    durations.erase = std::chrono::milliseconds(std::max(0, eraseMilliseconds));
    durations.store = std::chrono::milliseconds(std::max(0, uploadMilliseconds));
    for (const std::shared_ptr<SimulatedCamera> &camera : cameras)
        camera->SetDurations(durations);
}

std::shared_ptr<SimulatedCamera> CameraHub::Find(const std::string &id) const
{
    auto it = std::find_if(cameras.begin(), cameras.end(),
                           [&](const std::shared_ptr<SimulatedCamera> &camera) { return camera->Id() == id; });
    return it == cameras.end() ? nullptr : *it;
}

// The attached camera, or the one that went last under this ID.
std::shared_ptr<SimulatedCamera> CameraHub::FindWithRecord(const std::string &id) const
{
    std::shared_ptr<SimulatedCamera> camera = Find(id);
    auto gone = detached.find(id);
    return camera || gone == detached.end() ? camera : gone->second;
}

// Runs work on the attached camera, with the folder read first and the camera's timed states
// brought up to date, then keeps what work changed; false for an unknown camera.
bool CameraHub::Change(const std::string &id, const std::function<bool(SimulatedCamera &)> &work)
{
    std::unique_lock<std::mutex> lock = Lock();
    ReadFolderIfUsed();
    std::shared_ptr<SimulatedCamera> camera = Find(id);
    if (!camera)
        return false;
    camera->Advance();
    bool result = work(*camera);
    Persist(*camera);
    return result;
}

// A camera as it leaves the factory: factory file written, custom file empty.
std::shared_ptr<SimulatedCamera> CameraHub::NewCamera(const CameraSetup &setup)
{
    auto camera = std::make_shared<SimulatedCamera>(setup, FactoryDefectFile(setup));
    camera->SetDurations(durations);
    if (mode != Mode::Folder)
        return camera;
    Persisted &record = persisted[setup.id];
    record.text = store.WriteCamera(setup, {});
    if (record.text.empty()) {
        persisted.erase(setup.id);
        return nullptr;
    }
    for (uint32_t fileId : FileIds)
        PersistFile(*camera, fileId);
    return camera;
}

void CameraHub::Add(const std::shared_ptr<SimulatedCamera> &camera)
{
    cameras.push_back(camera);
    detached.erase(camera->Id());
    Notify(camera, ZvkUpdateTriggerPluggedIn);
}

void CameraHub::Notify(const std::shared_ptr<SimulatedCamera> &camera, int reason)
{
    if (!started || observers.empty())
        return;
    auto listed = std::make_shared<Camera>(std::make_shared<CameraImpl>(camera, ZvkAccessModeNone));
    std::vector<ICameraListObserverPtr> listeners = observers;
    worker.Post([listeners, listed, reason] {
        for (const ICameraListObserverPtr &listener : listeners)
            listener->CameraListChanged(listed, reason);
    });
}

void CameraHub::Tick()
{
    std::unique_lock<std::mutex> lock = Lock();
    if (started)
        ReadFolderIfUsed();
}

void CameraHub::ReadFolderIfUsed()
{
    if (mode == Mode::Folder)
        SyncFolder();
}

// Brings the cameras in line with the folder: new camera files are plugged in, vanished
// ones unplugged, changed faults and flash files taken over, finished work written back.
void CameraHub::SyncFolder()
{
    if (!store.Exists())
        CreateDefaultFolder();
    std::vector<CameraRecord> records = store.ReadCameras();
    for (const CameraRecord &record : records) {
        if (std::shared_ptr<SimulatedCamera> camera = Find(record.setup.id))
            RefreshFromFolder(*camera, record);
        else
            AdoptFromFolder(record);
    }
    std::vector<std::shared_ptr<SimulatedCamera>> present = cameras;
    for (const std::shared_ptr<SimulatedCamera> &camera : present) {
        bool listed = std::any_of(records.begin(), records.end(),
                                  [&](const CameraRecord &record) { return record.setup.id == camera->Id(); });
        if (!listed) {
            DetachLocked(camera);
            continue;
        }
        camera->Advance();
        Persist(*camera);
    }
}

void CameraHub::CreateDefaultFolder()
{
    if (!store.Create())
        return;
    for (const CameraSetup &setup : DefaultCameras())
        NewCamera(Completed(setup));
    persisted.clear(); // the next reading of the folder adopts them
}

void CameraHub::AdoptFromFolder(const CameraRecord &record)
{
    const std::string &id = record.setup.id;
    std::vector<uint8_t> factory;
    bool regenerate = !store.ReadFile(id, FactoryDefectFileId, factory) || factory.empty();
    if (regenerate)
        factory = FactoryDefectFile(record.setup);
    auto camera = std::make_shared<SimulatedCamera>(record.setup, factory);
    camera->SetDurations(durations);
    std::vector<uint8_t> custom;
    store.ReadFile(id, CustomDefectFileId, custom);
    camera->File(CustomDefectFileId)->Replace(custom);
    for (const Fault &fault : record.faults)
        camera->Faults().Set(fault);
    camera->Faults().TakeChanged();
    Persisted &known = persisted[id];
    known.text = record.text;
    known.files[CustomDefectFileId] = store.Signature(id, CustomDefectFileId);
    known.files[FactoryDefectFileId] = store.Signature(id, FactoryDefectFileId);
    if (regenerate)
        PersistFile(*camera, FactoryDefectFileId);
    Add(camera);
}

void CameraHub::RefreshFromFolder(SimulatedCamera &camera, const CameraRecord &record)
{
    Persisted &known = persisted[camera.Id()];
    if (record.text != known.text) {
        camera.Faults().Clear();
        for (const Fault &fault : record.faults)
            camera.Faults().Set(fault);
        camera.Faults().TakeChanged();
        known.text = record.text;
    }
    for (uint32_t fileId : FileIds) {
        FileSignature signature = store.Signature(camera.Id(), fileId);
        FlashFile *file = camera.File(fileId);
        if (signature == known.files[fileId] || file->InProgress())
            continue;
        std::vector<uint8_t> content;
        store.ReadFile(camera.Id(), fileId, content);
        file->Replace(content);
        known.files[fileId] = signature;
    }
}

void CameraHub::Persist(SimulatedCamera &camera)
{
    if (mode != Mode::Folder || !camera.Attached())
        return;
    if (camera.Faults().TakeChanged())
        persisted[camera.Id()].text = store.WriteCamera(camera.Setup(), camera.Faults().Active());
    for (uint32_t fileId : camera.TakeChangedFiles())
        PersistFile(camera, fileId);
}

void CameraHub::PersistFile(SimulatedCamera &camera, uint32_t fileId)
{
    store.WriteFile(camera.Id(), fileId, camera.File(fileId)->Content());
    persisted[camera.Id()].files[fileId] = store.Signature(camera.Id(), fileId);
}

} // namespace ZorvikSim
