#ifndef ZORVIKCPP_ZVKCOMMONTYPES_H
#define ZORVIKCPP_ZVKCOMMONTYPES_H

#include <cstdint>
#include <memory>
#include <vector>

namespace CVN {
namespace ZvkAPI {

// Every call returns one of these; 0 is success.
enum ZvkErrorType : int32_t {
    ZvkErrorSuccess = 0,
    ZvkErrorInternalFault = -1,
    ZvkErrorApiNotStarted = -2,
    ZvkErrorNotFound = -3,
    ZvkErrorBadHandle = -4,
    ZvkErrorDeviceNotOpen = -5,
    ZvkErrorInvalidAccess = -6,
    ZvkErrorBadParameter = -7,
    ZvkErrorStructSize = -8,
    ZvkErrorMoreData = -9,
    ZvkErrorWrongType = -10,
    ZvkErrorInvalidValue = -11,
    ZvkErrorTimeout = -12,
    ZvkErrorOther = -13,
    ZvkErrorResources = -14,
    ZvkErrorInvalidCall = -15,
    ZvkErrorNoTL = -16,
    ZvkErrorNotImplemented = -17,
    ZvkErrorNotSupported = -18,
    ZvkErrorIncomplete = -19,
};

enum ZvkAccessModeType : int32_t {
    ZvkAccessModeNone = 0,
    ZvkAccessModeFull = 1,
    ZvkAccessModeRead = 2,
};

// Reasons passed to ICameraListObserver::CameraListChanged.
enum ZvkUpdateTriggerType : int32_t {
    ZvkUpdateTriggerPluggedIn = 0,
    ZvkUpdateTriggerPluggedOut = 1,
    ZvkUpdateTriggerOpenStateChanged = 3,
};

struct ZvkVersionInfo_t {
    uint32_t major;
    uint32_t minor;
    uint32_t patch;
};

class Camera;
class Feature;
class ICameraListObserver;

typedef std::shared_ptr<Camera> CameraPtr;
typedef std::shared_ptr<Feature> FeaturePtr;
typedef std::shared_ptr<ICameraListObserver> ICameraListObserverPtr;
typedef std::vector<CameraPtr> CameraPtrVector;
typedef std::vector<uint64_t> Uint64Vector;
typedef std::vector<uint8_t> UcharVector;

} // namespace ZvkAPI
} // namespace CVN

#endif
