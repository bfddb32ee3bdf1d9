#include <ZorvikCPP/Feature.h>

#include "FeatureImpl.h"

namespace CVN {
namespace ZvkAPI {

Feature::Feature(std::shared_ptr<FeatureImpl> impl)
    : impl(std::move(impl))
{
}

Feature::~Feature() = default;

ZvkErrorType Feature::GetValue(int64_t &value) const
{
    return impl ? impl->GetValue(value) : ZvkErrorBadHandle;
}

ZvkErrorType Feature::GetValue(char *buffer, uint32_t &length) const
{
    return impl ? impl->GetValue(buffer, length) : ZvkErrorBadHandle;
}

} // namespace ZvkAPI
} // namespace CVN
