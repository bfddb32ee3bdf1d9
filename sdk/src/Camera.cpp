#include <ZorvikCPP/Camera.h>

#include "CameraImpl.h"

namespace CVN {
namespace ZvkAPI {

FeatureContainer::FeatureContainer(std::shared_ptr<CameraImpl> impl)
    : impl(std::move(impl))
{
}

FeatureContainer::~FeatureContainer() = default;

ZvkErrorType FeatureContainer::GetFeatureByName(const char *name, FeaturePtr &feature)
{
    return impl ? impl->GetFeature(name, feature) : ZvkErrorBadHandle;
}

Camera::Camera(std::shared_ptr<CameraImpl> impl)
    : FeatureContainer(std::move(impl))
{
}

Camera::~Camera() = default;

ZvkErrorType Camera::GetID(char *buffer, uint32_t &length) const
{
    return impl ? impl->GetIdentity("GetID", buffer, length) : ZvkErrorBadHandle;
}

ZvkErrorType Camera::GetModel(char *buffer, uint32_t &length) const
{
    return impl ? impl->GetIdentity("GetModel", buffer, length) : ZvkErrorBadHandle;
}

ZvkErrorType Camera::GetSerialNumber(char *buffer, uint32_t &length) const
{
    return impl ? impl->GetIdentity("GetSerialNumber", buffer, length) : ZvkErrorBadHandle;
}

ZvkErrorType Camera::ReadRegisters(const Uint64Vector &addresses, Uint64Vector &values) const
{
    return impl ? impl->ReadRegisters(addresses, values) : ZvkErrorBadHandle;
}

ZvkErrorType Camera::WriteRegisters(const Uint64Vector &addresses, const Uint64Vector &values)
{
    return impl ? impl->WriteRegisters(addresses, values) : ZvkErrorBadHandle;
}

ZvkErrorType Camera::ReadMemory(const uint64_t &address, UcharVector &buffer) const
{
    return impl ? impl->ReadMemory(address, buffer) : ZvkErrorBadHandle;
}

ZvkErrorType Camera::WriteMemory(const uint64_t &address, const UcharVector &buffer, uint32_t &completedWrites)
{
    return impl ? impl->WriteMemory(address, buffer, completedWrites) : ZvkErrorBadHandle;
}

ZvkErrorType Camera::Close()
{
    return impl ? impl->Close() : ZvkErrorBadHandle;
}

} // namespace ZvkAPI
} // namespace CVN
