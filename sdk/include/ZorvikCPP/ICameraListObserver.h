#ifndef ZORVIKCPP_ICAMERALISTOBSERVER_H
#define ZORVIKCPP_ICAMERALISTOBSERVER_H

#include <ZorvikCPP/ZvkCommonTypes.h>

namespace CVN {
namespace ZvkAPI {

// Told of cameras appearing (reason 0) and disappearing (reason 1), on a thread of the SDK.
class ICameraListObserver
{
public:
    virtual void CameraListChanged(CameraPtr camera, int reason) = 0;
    virtual ~ICameraListObserver() = default;
};

} // namespace ZvkAPI
} // namespace CVN

#endif
