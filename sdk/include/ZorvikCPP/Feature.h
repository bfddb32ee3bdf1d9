#ifndef ZORVIKCPP_FEATURE_H
#define ZORVIKCPP_FEATURE_H

#include <ZorvikCPP/ZvkCommonTypes.h>

#include <new>
#include <string>

namespace CVN {
namespace ZvkAPI {

class FeatureImpl;

// One named camera feature: an integer or a text.
class Feature
{
public:
    explicit Feature(std::shared_ptr<FeatureImpl> impl);
    ~Feature();

    ZvkErrorType GetValue(int64_t &value) const;
    // Two-call text pattern: with buffer null, length receives the text's length;
    // then a buffer of at least length + 1 bytes receives the text.
    ZvkErrorType GetValue(char *buffer, uint32_t &length) const;
    inline ZvkErrorType GetValue(std::string &value) const;

private:
    std::shared_ptr<FeatureImpl> impl;
};

inline ZvkErrorType Feature::GetValue(std::string &value) const
{
    uint32_t length = 0;
    ZvkErrorType error = GetValue(nullptr, length);
    if (error != ZvkErrorSuccess)
        return error;
    if (length == 0) {
        value.clear();
        return ZvkErrorSuccess;
    }
    try {
        std::vector<char> buffer(length + 1, '\0');
        error = GetValue(buffer.data(), length);
        if (error == ZvkErrorSuccess)
            value = buffer.data();
    } catch (const std::bad_alloc &) {
        return ZvkErrorResources;
    }
    return error;
}

} // namespace ZvkAPI
} // namespace CVN

#endif
