#include "CameraImpl.h"

#include "CameraHub.h"
#include "FeatureImpl.h"
#include "FirmwareRegisters.h"

#include <ZorvikCPP/Feature.h>

#include <cstring>

using ZorvikSim::Call;
using ZorvikSim::CameraHub;

namespace CVN {
namespace ZvkAPI {

namespace {

const char SensorWidth[] = "SensorWidth";
const char SensorHeight[] = "SensorHeight";
const char SensorType[] = "SensorType";

// Every camera call runs under the hub's lock and only while the SDK is started.
template <typename Body>
ZvkErrorType WhileStarted(Body body)
{
    CameraHub &hub = CameraHub::Instance();
    std::unique_lock<std::mutex> lock = hub.Lock();
    if (!hub.StartedLocked())
        return ZvkErrorApiNotStarted;
    return body();
}

ZvkErrorType FindFeature(const char *name)
{
    if (!name)
        return ZvkErrorBadParameter;
    bool known = !std::strcmp(name, SensorWidth) || !std::strcmp(name, SensorHeight) || !std::strcmp(name, SensorType);
    return known ? ZvkErrorSuccess : ZvkErrorNotFound;
}

Call MakeCall(const char *operation, uint64_t address = 0, uint64_t value = 0, size_t size = 0)
{
    Call call;
    call.operation = operation;
    call.address = address;
    call.value = value;
    call.size = size;
    return call;
}

} // namespace

CameraImpl::CameraImpl(std::shared_ptr<ZorvikSim::SimulatedCamera> firmware, ZvkAccessModeType accessMode)
    : firmware(std::move(firmware)), accessMode(accessMode)
{
}

ZvkErrorType CameraImpl::CopyText(const std::string &text, char *buffer, uint32_t &length)
{
    uint32_t capacity = length;
    length = static_cast<uint32_t>(text.size());
    if (!buffer)
        return ZvkErrorSuccess;
    if (capacity < text.size())
        return ZvkErrorMoreData;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return ZvkErrorSuccess;
}

ZvkErrorType CameraImpl::Admit(Need need)
{
    int code = 0;
    if (firmware->Faults().OnCall(code))
        return static_cast<ZvkErrorType>(code);
    if (need != Need::Listed && !firmware->Attached())
        return ZvkErrorNotFound;
    if ((need == Need::Open || need == Need::Writable) && !open)
        return ZvkErrorDeviceNotOpen;
    if (need == Need::Writable && accessMode == ZvkAccessModeRead)
        return ZvkErrorInvalidAccess;
    return ZvkErrorSuccess;
}

ZvkErrorType CameraImpl::Finish(Call call, ZvkErrorType result)
{
    call.result = result;
    firmware->Record(call);
    CameraHub::Instance().AfterCall(*firmware);
    return result;
}

std::string CameraImpl::Identity(const std::string &operation) const
{
    const ZorvikSim::CameraSetup &setup = firmware->Setup();
    if (operation == "GetModel")
        return setup.model;
    if (operation == "GetSerialNumber")
        return setup.serialNumber;
    return setup.id;
}

// Identity texts stay readable on a camera that has gone, so that a listener told of
// its disappearance can still tell which camera it was.
ZvkErrorType CameraImpl::GetIdentity(const char *operation, char *buffer, uint32_t &length)
{
    return WhileStarted([&] {
        ZvkErrorType result = Admit(Need::Listed);
        if (result == ZvkErrorSuccess)
            result = CopyText(Identity(operation), buffer, length);
        return Finish(MakeCall(operation), result);
    });
}

ZvkErrorType CameraImpl::GetFeature(const char *name, FeaturePtr &feature)
{
    return WhileStarted([&] {
        ZvkErrorType result = Admit(Need::Attached);
        if (result == ZvkErrorSuccess)
            result = FindFeature(name);
        if (result == ZvkErrorSuccess)
            feature = std::make_shared<Feature>(std::make_shared<FeatureImpl>(shared_from_this(), name));
        return Finish(MakeCall("GetFeatureByName"), result);
    });
}

ZvkErrorType CameraImpl::GetFeatureValue(const std::string &name, int64_t &value)
{
    return WhileStarted([&] {
        ZvkErrorType result = Admit(Need::Attached);
        if (result == ZvkErrorSuccess && name == SensorType)
            result = ZvkErrorWrongType;
        if (result == ZvkErrorSuccess)
            value = name == SensorWidth ? firmware->Setup().sensorWidth : firmware->Setup().sensorHeight;
        return Finish(MakeCall("GetValue"), result);
    });
}

ZvkErrorType CameraImpl::GetFeatureText(const std::string &name, char *buffer, uint32_t &length)
{
    return WhileStarted([&] {
        ZvkErrorType result = Admit(Need::Attached);
        if (result == ZvkErrorSuccess && name != SensorType)
            result = ZvkErrorWrongType;
        if (result == ZvkErrorSuccess)
            result = CopyText(firmware->Setup().sensorType, buffer, length);
        return Finish(MakeCall("GetValue"), result);
    });
}

// Registers are accessed one by one; a failure after the first leaves the call incomplete.
ZvkErrorType CameraImpl::ReadRegisters(const Uint64Vector &addresses, Uint64Vector &values)
{
    return WhileStarted([&] {
        values.assign(addresses.size(), 0);
        for (size_t i = 0; i < addresses.size(); ++i) {
            ZvkErrorType result = Admit(Need::Open);
            if (result == ZvkErrorSuccess)
                result = firmware->ReadRegister(addresses[i], values[i]);
            if (Finish(MakeCall("ReadRegister", addresses[i], values[i]), result) != ZvkErrorSuccess)
                return i == 0 ? result : ZvkErrorIncomplete;
        }
        return ZvkErrorSuccess;
    });
}

ZvkErrorType CameraImpl::WriteRegisters(const Uint64Vector &addresses, const Uint64Vector &values)
{
    return WhileStarted([&] {
        if (addresses.size() != values.size())
            return ZvkErrorBadParameter;
        for (size_t i = 0; i < addresses.size(); ++i) {
            ZvkErrorType result = Admit(Need::Writable);
            if (result == ZvkErrorSuccess)
                result = firmware->WriteRegister(addresses[i], values[i]);
            if (Finish(MakeCall("WriteRegister", addresses[i], values[i]), result) != ZvkErrorSuccess)
                return i == 0 ? result : ZvkErrorIncomplete;
        }
        return ZvkErrorSuccess;
    });
}

// The camera may vanish in the middle of a transfer (an injected fault).
bool CameraImpl::UnpluggedNow()
{
    if (!firmware->Faults().OnMemoryAccess())
        return false;
    CameraHub::Instance().DetachLocked(firmware);
    return true;
}

ZvkErrorType CameraImpl::ReadMemory(uint64_t address, UcharVector &buffer)
{
    return WhileStarted([&] {
        uint32_t header = 0;
        ZvkErrorType result = Admit(Need::Open);
        if (result == ZvkErrorSuccess)
            result = UnpluggedNow() ? ZvkErrorNotFound : firmware->ReadMemory(address, buffer, header);
        return Finish(MakeCall("ReadMemory", address, header, buffer.size()), result);
    });
}

ZvkErrorType CameraImpl::WriteMemory(uint64_t address, const UcharVector &buffer, uint32_t &completedWrites)
{
    return WhileStarted([&] {
        completedWrites = 0;
        ZvkErrorType result = Admit(Need::Writable);
        if (result == ZvkErrorSuccess)
            result = UnpluggedNow() ? ZvkErrorNotFound : firmware->WriteMemory(address, buffer);
        if (result == ZvkErrorSuccess)
            completedWrites = static_cast<uint32_t>(buffer.size());
        return Finish(MakeCall("WriteMemory", address, ZorvikSim::PacketHeader(buffer), buffer.size()), result);
    });
}

// Called by the SDK with its lock held.
ZvkErrorType CameraImpl::Open()
{
    ZvkErrorType result = Admit(Need::Attached);
    open = result == ZvkErrorSuccess;
    return Finish(MakeCall("Open"), result);
}

// Closing releases the handle even when the camera has gone meanwhile.
ZvkErrorType CameraImpl::Close()
{
    return WhileStarted([&] {
        ZvkErrorType result = Admit(Need::Listed);
        if (result == ZvkErrorSuccess && !open)
            result = ZvkErrorDeviceNotOpen;
        if (result == ZvkErrorSuccess)
            open = false;
        return Finish(MakeCall("Close"), result);
    });
}

} // namespace ZvkAPI
} // namespace CVN
