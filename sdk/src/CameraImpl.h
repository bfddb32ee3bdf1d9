#ifndef ZORVIKCPP_CAMERAIMPL_H
#define ZORVIKCPP_CAMERAIMPL_H

#include "SimulatedCamera.h"

#include <ZorvikCPP/ZvkCommonTypes.h>

#include <memory>
#include <string>

namespace CVN {
namespace ZvkAPI {

// One camera object handed out by the SDK: a view of a simulated camera that is either
// listed only or open. Every call passes the SDK's checks, is counted against the
// camera's faults and lands in its call record.
class CameraImpl : public std::enable_shared_from_this<CameraImpl>
{
public:
    CameraImpl(std::shared_ptr<ZorvikSim::SimulatedCamera> firmware, ZvkAccessModeType accessMode);

    ZvkErrorType GetIdentity(const char *operation, char *buffer, uint32_t &length);
    ZvkErrorType GetFeature(const char *name, FeaturePtr &feature);
    ZvkErrorType GetFeatureValue(const std::string &name, int64_t &value);
    ZvkErrorType GetFeatureText(const std::string &name, char *buffer, uint32_t &length);
    ZvkErrorType ReadRegisters(const Uint64Vector &addresses, Uint64Vector &values);
    ZvkErrorType WriteRegisters(const Uint64Vector &addresses, const Uint64Vector &values);
    ZvkErrorType ReadMemory(uint64_t address, UcharVector &buffer);
    ZvkErrorType WriteMemory(uint64_t address, const UcharVector &buffer, uint32_t &completedWrites);
    ZvkErrorType Open();
    ZvkErrorType Close();
    void ForceClosed() { open = false; }

    static ZvkErrorType CopyText(const std::string &text, char *buffer, uint32_t &length);

private:
    enum class Need { Listed, Attached, Open, Writable };

    ZvkErrorType Admit(Need need);
    ZvkErrorType Finish(ZorvikSim::Call call, ZvkErrorType result);
    bool UnpluggedNow();
    std::string Identity(const std::string &operation) const;

    std::shared_ptr<ZorvikSim::SimulatedCamera> firmware;
    ZvkAccessModeType accessMode;
    bool open = false;
};

} // namespace ZvkAPI
} // namespace CVN

#endif
