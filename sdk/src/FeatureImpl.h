#ifndef ZORVIKCPP_FEATUREIMPL_H
#define ZORVIKCPP_FEATUREIMPL_H

#include <ZorvikCPP/ZvkCommonTypes.h>

#include <memory>
#include <string>

namespace CVN {
namespace ZvkAPI {

class CameraImpl;

// A named feature of one camera object; its value is read from the camera at each call.
class FeatureImpl
{
public:
    FeatureImpl(std::shared_ptr<CameraImpl> camera, std::string name);

    ZvkErrorType GetValue(int64_t &value) const;
    ZvkErrorType GetValue(char *buffer, uint32_t &length) const;

private:
    std::shared_ptr<CameraImpl> camera;
    std::string name;
};

} // namespace ZvkAPI
} // namespace CVN

#endif
