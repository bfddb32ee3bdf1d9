#include "CameraSession.h"

#include "CameraObserver.h"
#include "DebugLog.h"
#include "ErrorCodeToText.h"

#include <ZorvikCPP.h>


using namespace CVN::ZvkAPI;

namespace {

const char NoName[] = "[NoName]";
const char NoId[] = "[NoID]";

QStringList Texts(const std::vector<std::string> &texts)
{
    QStringList list;
    for (const std::string &text : texts)
        list.append(QString::fromStdString(text));
    return list;
}

ZvkErrorType LogSdkFailure(const QString &text, ZvkErrorType code)
{
    LogLine(text + QString::number(code) + QStringLiteral(" ") + ErrorCodeToText(code));
    return code;
}

} // namespace

CameraSession::CameraSession()
    : system(ZorvikSystem::GetInstance())
{
}

bool CameraSession::StartupSdk()
{
    ZvkErrorType error = system.Startup();
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(QStringLiteral("Startup Zorvik Failed, Error: "), error);
        return false;
    }
    observer = std::shared_ptr<ICameraListObserver>(new CameraObserver());
    error = system.RegisterCameraListObserver(observer);
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(QStringLiteral("Startup Zorvik Failed, Error: "), error);
        return false;
    }
    return true;
}

// Shutting the SDK down also closes the open camera and drops the observer's registration.
void CameraSession::ShutdownSdk()
{
    system.Shutdown();
    cameraOpen = false;
}

CameraObserver *CameraSession::Observer() const
{
    return static_cast<CameraObserver *>(observer.get());
}

QStringList CameraSession::QueryCameraList()
{
    QStringList entries;
    cameraIds.clear();
    cameraSerialNumbers.clear();
    CameraPtrVector cameras;
    const ZvkErrorType error = system.GetCameras(cameras);
    if (error != ZvkErrorSuccess)
        LogSdkFailure(QStringLiteral("Could not retrieve camera list, Error: "), error);
    for (const CameraPtr &listed : cameras) {
        std::string id;
        std::string entry;
        std::string serialNumber;
        if (MakeCameraEntry(listed, id, entry, &serialNumber) != ZvkErrorSuccess) {
            LogLine(QStringLiteral("Error! Could not retrieve camera name"));
            id = NoId;
            entry = NoName;
        }
        cameraIds.push_back(id);
        cameraSerialNumbers.push_back(serialNumber);
        entries.append(QString::fromStdString(entry));
    }
    LogLine(QStringLiteral("Cameras available: ") + QString::number(quint64(cameraIds.size())));
    return entries;
}

QStringList CameraSession::CameraIds() const
{
    return Texts(cameraIds);
}

QStringList CameraSession::CameraSerialNumbers() const
{
    return Texts(cameraSerialNumbers);
}

ZvkErrorType CameraSession::MakeCameraEntry(const CameraPtr &listed, std::string &id, std::string &entry,
                                            std::string *serialNumberOut)
{
    if (!listed)
        return ZvkErrorBadHandle;
    ZvkErrorType error = listed->GetModel(entry);
    if (error != ZvkErrorSuccess)
        return LogSdkFailure(QStringLiteral("GetModel Failed, Error: "), error);
    std::string serialNumber;
    error = listed->GetSerialNumber(serialNumber);
    if (error != ZvkErrorSuccess)
        return LogSdkFailure(QStringLiteral("GetSerialNumber Failed, Error: "), error);
    error = listed->GetID(id);
    if (error != ZvkErrorSuccess)
        return LogSdkFailure(QStringLiteral("GetID Failed, Error: "), error);
    entry += "-" + serialNumber;
    if (serialNumber != id)
        entry += "(" + id + ")";
    if (serialNumberOut)
        *serialNumberOut = serialNumber;
    return ZvkErrorSuccess;
}

bool CameraSession::OpenCamera(unsigned index)
{
    if (cameraOpen)
        return true;
    const std::string id = index < cameraIds.size() ? cameraIds[index] : std::string();
    if (id.empty()) {
        LogLine(QStringLiteral("Error! Selected camera ID was blank."));
        LogSdkFailure(QStringLiteral("Open Camera Failed, Error: "), ZvkErrorOther);
        return false;
    }
    const ZvkErrorType error = system.OpenCameraByID(id.c_str(), ZvkAccessModeFull, camera);
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(QStringLiteral("Open Camera Failed, Error: "), error);
        return false;
    }
    cameraOpen = true;
    openCameraId = id;
    return true;
}

bool CameraSession::CloseCamera()
{
    if (!cameraOpen)
        return true;
    const ZvkErrorType error = camera ? camera->Close() : ZvkErrorBadHandle;
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(QStringLiteral("Disconnect Camera Failed, Error: "), error);
        return false;
    }
    cameraOpen = false;
    openCameraId.clear();
    return true;
}

// True when a camera is open that is not the one listed at index.
bool CameraSession::IsOtherCameraOpen(unsigned index) const
{
    if (!cameraOpen)
        return false;
    return index >= cameraIds.size() || cameraIds[index] != openCameraId;
}

bool CameraSession::ReadCameraDescription(CameraDescription &description)
{
    if (!HasOpenCamera())
        return false;
    std::string model;
    ZvkErrorType error = camera->GetModel(model);
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(QStringLiteral("Get Model Failed, Error: "), error);
        return false;
    }
    std::string serialNumber;
    error = camera->GetSerialNumber(serialNumber);
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(QStringLiteral("Get Serial Number Failed, Error: "), error);
        return false;
    }
    qint64 width = 0;
    qint64 height = 0;
    std::string sensorType;
    if (!ReadIntegerFeature("SensorWidth", width, QStringLiteral("Get Sensor Width Failed, Error: "))
        || !ReadIntegerFeature("SensorHeight", height, QStringLiteral("Get Sensor Height Failed, Error: "))
        || !ReadTextFeature("SensorType", sensorType, QStringLiteral("Get Sensor Type Failed, Error: ")))
        return false;
    description.model = QString::fromStdString(model);
    description.serialNumber = QString::fromStdString(serialNumber);
    description.sensorWidth = width;
    description.sensorHeight = height;
    description.sensorType = QString::fromStdString(sensorType);
    return true;
}

bool CameraSession::ReadIntegerFeature(const char *name, qint64 &value, const QString &failure)
{
    FeaturePtr feature;
    ZvkErrorType error = camera->GetFeatureByName(name, feature);
    if (error == ZvkErrorSuccess && !feature)
        error = ZvkErrorNotFound;
    int64_t read = 0;
    if (error == ZvkErrorSuccess)
        error = feature->GetValue(read);
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(failure, error);
        return false;
    }
    value = read;
    return true;
}

bool CameraSession::ReadTextFeature(const char *name, std::string &value, const QString &failure)
{
    FeaturePtr feature;
    ZvkErrorType error = camera->GetFeatureByName(name, feature);
    if (error == ZvkErrorSuccess && !feature)
        error = ZvkErrorNotFound;
    if (error == ZvkErrorSuccess)
        error = feature->GetValue(value);
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(failure, error);
        return false;
    }
    return true;
}

bool CameraSession::HasOpenCamera() const
{
    return camera && cameraOpen;
}

bool CameraSession::ReadRegister(quint64 address, quint64 &value)
{
    Uint64Vector values(1, 0);
    ZvkErrorType error = HasOpenCamera() ? camera->ReadRegisters(Uint64Vector(1, address), values)
                                         : ZvkErrorBadHandle;
    if (error == ZvkErrorSuccess && values.size() != 1)
        error = ZvkErrorIncomplete;
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(QStringLiteral("Read Register Failed, Error: "), error);
        return false;
    }
    value = values.front();
    return true;
}

bool CameraSession::WriteRegister(quint64 address, quint64 value)
{
    const ZvkErrorType error = HasOpenCamera()
        ? camera->WriteRegisters(Uint64Vector(1, address), Uint64Vector(1, value))
        : ZvkErrorBadHandle;
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(QStringLiteral("Write Register Failed, Error: "), error);
        return false;
    }
    return true;
}

bool CameraSession::ReadMemory(quint64 address, std::vector<unsigned char> &buffer)
{
    const ZvkErrorType error = HasOpenCamera() ? camera->ReadMemory(address, buffer) : ZvkErrorBadHandle;
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(QStringLiteral("Read Memory Failed, Error: "), error);
        return false;
    }
    return true;
}

bool CameraSession::WriteMemory(quint64 address, const std::vector<unsigned char> &buffer)
{
    uint32_t completed = 0;
    const ZvkErrorType error = HasOpenCamera() ? camera->WriteMemory(address, buffer, completed)
                                               : ZvkErrorBadHandle;
    if (error != ZvkErrorSuccess) {
        LogSdkFailure(QStringLiteral("Write Memory Failed, Error: "), error);
        return false;
    }
    return true;
}

std::string CameraSession::QuerySdkVersion()
{
    ZvkVersionInfo_t version = {0, 0, 0};
    system.QueryVersion(version);
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "."
        + std::to_string(version.patch);
}
