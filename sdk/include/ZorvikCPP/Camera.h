#ifndef ZORVIKCPP_CAMERA_H
#define ZORVIKCPP_CAMERA_H

#include <ZorvikCPP/Feature.h>
#include <ZorvikCPP/ZvkCommonTypes.h>

#include <new>
#include <string>

namespace CVN {
namespace ZvkAPI {

class CameraImpl;

class FeatureContainer
{
public:
    virtual ~FeatureContainer();
    ZvkErrorType GetFeatureByName(const char *name, FeaturePtr &feature);

protected:
    explicit FeatureContainer(std::shared_ptr<CameraImpl> impl);
    std::shared_ptr<CameraImpl> impl;
};

// A camera as listed by ZorvikSystem. Identity texts can be read while the
// camera is listed; registers and memory only while it is open.
class Camera : public FeatureContainer
{
public:
    explicit Camera(std::shared_ptr<CameraImpl> impl);
    ~Camera() override;

    // Two-call text pattern: with buffer null, length receives the text's length;
    // then a buffer of at least length + 1 bytes receives the text.
    ZvkErrorType GetID(char *buffer, uint32_t &length) const;
    ZvkErrorType GetModel(char *buffer, uint32_t &length) const;
    ZvkErrorType GetSerialNumber(char *buffer, uint32_t &length) const;
    inline ZvkErrorType GetID(std::string &id) const;
    inline ZvkErrorType GetModel(std::string &model) const;
    inline ZvkErrorType GetSerialNumber(std::string &serialNumber) const;

    virtual ZvkErrorType ReadRegisters(const Uint64Vector &addresses, Uint64Vector &values) const;
    virtual ZvkErrorType WriteRegisters(const Uint64Vector &addresses, const Uint64Vector &values);
    virtual ZvkErrorType ReadMemory(const uint64_t &address, UcharVector &buffer) const;
    virtual ZvkErrorType WriteMemory(const uint64_t &address, const UcharVector &buffer,
                                     uint32_t &completedWrites);
    virtual ZvkErrorType Close();

private:
    typedef ZvkErrorType (Camera::*TextGetter)(char *, uint32_t &) const;
    inline ZvkErrorType GetText(TextGetter getter, std::string &text) const;
};

inline ZvkErrorType Camera::GetText(TextGetter getter, std::string &text) const
{
    uint32_t length = 0;
    ZvkErrorType error = (this->*getter)(nullptr, length);
    if (error != ZvkErrorSuccess)
        return error;
    if (length == 0) {
        text.clear();
        return ZvkErrorSuccess;
    }
    try {
        std::vector<char> buffer(length + 1, '\0');
        error = (this->*getter)(buffer.data(), length);
        if (error == ZvkErrorSuccess)
            text = buffer.data();
    } catch (const std::bad_alloc &) {
        return ZvkErrorResources;
    }
    return error;
}

inline ZvkErrorType Camera::GetID(std::string &id) const
{
    return GetText(&Camera::GetID, id);
}

inline ZvkErrorType Camera::GetModel(std::string &model) const
{
    return GetText(&Camera::GetModel, model);
}

inline ZvkErrorType Camera::GetSerialNumber(std::string &serialNumber) const
{
    return GetText(&Camera::GetSerialNumber, serialNumber);
}

} // namespace ZvkAPI
} // namespace CVN

#endif
