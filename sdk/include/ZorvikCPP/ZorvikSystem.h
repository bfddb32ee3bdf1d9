#ifndef ZORVIKCPP_ZORVIKSYSTEM_H
#define ZORVIKCPP_ZORVIKSYSTEM_H

#include <ZorvikCPP/Camera.h>
#include <ZorvikCPP/ICameraListObserver.h>
#include <ZorvikCPP/ZvkCommonTypes.h>

#include <new>

namespace CVN {
namespace ZvkAPI {

// The SDK's one object. Nothing but GetInstance and QueryVersion works before Startup.
class ZorvikSystem
{
public:
    static ZorvikSystem &GetInstance();

    ZvkErrorType Startup();
    ZvkErrorType Shutdown();
    ZvkErrorType QueryVersion(ZvkVersionInfo_t &version) const;

    ZvkErrorType RegisterCameraListObserver(const ICameraListObserverPtr &observer);
    ZvkErrorType UnregisterCameraListObserver(const ICameraListObserverPtr &observer);

    // Two-call list pattern: with cameras null, count receives the number of cameras;
    // then an array of at least count pointers receives them.
    ZvkErrorType GetCameras(CameraPtr *cameras, uint32_t &count);
    inline ZvkErrorType GetCameras(CameraPtrVector &cameras);

    ZvkErrorType OpenCameraByID(const char *id, ZvkAccessModeType accessMode, CameraPtr &camera);

    ZorvikSystem(const ZorvikSystem &) = delete;
    ZorvikSystem &operator=(const ZorvikSystem &) = delete;

private:
    ZorvikSystem();
    ~ZorvikSystem();
};

inline ZvkErrorType ZorvikSystem::GetCameras(CameraPtrVector &cameras)
{
    uint32_t count = 0;
    ZvkErrorType error = GetCameras(nullptr, count);
    if (error != ZvkErrorSuccess)
        return error;
    cameras.clear();
    if (count == 0)
        return ZvkErrorSuccess;
    try {
        CameraPtrVector buffer(count);
        error = GetCameras(buffer.data(), count);
        if (error == ZvkErrorSuccess) {
            buffer.resize(count);
            cameras.swap(buffer);
        }
    } catch (const std::bad_alloc &) {
        return ZvkErrorResources;
    }
    return error;
}

} // namespace ZvkAPI
} // namespace CVN

#endif
