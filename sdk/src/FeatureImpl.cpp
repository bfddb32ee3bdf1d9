#include "FeatureImpl.h"

#include "CameraImpl.h"

namespace CVN {
namespace ZvkAPI {

FeatureImpl::FeatureImpl(std::shared_ptr<CameraImpl> camera, std::string name)
    : camera(std::move(camera)), name(std::move(name))
{
}

ZvkErrorType FeatureImpl::GetValue(int64_t &value) const
{
    return camera->GetFeatureValue(name, value);
}

ZvkErrorType FeatureImpl::GetValue(char *buffer, uint32_t &length) const
{
    return camera->GetFeatureText(name, buffer, length);
}

} // namespace ZvkAPI
} // namespace CVN
