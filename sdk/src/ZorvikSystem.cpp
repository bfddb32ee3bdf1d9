#include <ZorvikCPP/ZorvikSystem.h>

#include "CameraHub.h"

namespace CVN {
namespace ZvkAPI {

namespace {

const ZvkVersionInfo_t Version = {1, 4, 0};

ZorvikSim::CameraHub &Hub()
{
    return ZorvikSim::CameraHub::Instance();
}

} // namespace

ZorvikSystem::ZorvikSystem() = default;

ZorvikSystem::~ZorvikSystem() = default;

ZorvikSystem &ZorvikSystem::GetInstance()
{
    static ZorvikSystem system;
    return system;
}

ZvkErrorType ZorvikSystem::Startup()
{
    return Hub().Startup();
}

ZvkErrorType ZorvikSystem::Shutdown()
{
    return Hub().Shutdown();
}

ZvkErrorType ZorvikSystem::QueryVersion(ZvkVersionInfo_t &version) const
{
    version = Version;
    return ZvkErrorSuccess;
}

ZvkErrorType ZorvikSystem::RegisterCameraListObserver(const ICameraListObserverPtr &observer)
{
    return Hub().RegisterObserver(observer);
}

ZvkErrorType ZorvikSystem::UnregisterCameraListObserver(const ICameraListObserverPtr &observer)
{
    return Hub().UnregisterObserver(observer);
}

ZvkErrorType ZorvikSystem::GetCameras(CameraPtr *cameras, uint32_t &count)
{
    return Hub().ListCameras(cameras, count);
}

ZvkErrorType ZorvikSystem::OpenCameraByID(const char *id, ZvkAccessModeType accessMode, CameraPtr &camera)
{
    return Hub().OpenCamera(id, accessMode, camera);
}

} // namespace ZvkAPI
} // namespace CVN
