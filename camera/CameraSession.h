#ifndef CAMERASESSION_H
#define CAMERASESSION_H

#include "CameraDescription.h"

#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace CVN {
namespace ZvkAPI {
class Camera;
class ICameraListObserver;
class ZorvikSystem;
enum ZvkErrorType : int32_t;
}
}

class CameraObserver;

// Everything of the camera SDK: its start-up, the camera list, the open camera and its
// register and memory access. Each failure is logged here with the SDK's code.
class CameraSession
{
public:
    CameraSession();

    bool StartupSdk();
    void ShutdownSdk();
    CameraObserver *Observer() const;

    QStringList QueryCameraList();
    QStringList CameraIds() const;
    QStringList CameraSerialNumbers() const;
    CVN::ZvkAPI::ZvkErrorType MakeCameraEntry(const std::shared_ptr<CVN::ZvkAPI::Camera> &camera,
                                              std::string &id, std::string &entry,
                                              std::string *serialNumber = nullptr);

    bool OpenCamera(unsigned index);
    bool CloseCamera();
    bool IsOtherCameraOpen(unsigned index) const;
    bool ReadCameraDescription(CameraDescription &description);

    bool ReadRegister(quint64 address, quint64 &value);
    bool WriteRegister(quint64 address, quint64 value);
    bool ReadMemory(quint64 address, std::vector<unsigned char> &buffer);
    bool WriteMemory(quint64 address, const std::vector<unsigned char> &buffer);

    std::string QuerySdkVersion();

private:
    bool HasOpenCamera() const;
    bool ReadIntegerFeature(const char *name, qint64 &value, const QString &failure);
    bool ReadTextFeature(const char *name, std::string &value, const QString &failure);

    std::vector<std::string> cameraIds;
    std::vector<std::string> cameraSerialNumbers; // of the same entries
    CVN::ZvkAPI::ZorvikSystem &system;
    bool cameraOpen = false;
    std::shared_ptr<CVN::ZvkAPI::Camera> camera;
    std::shared_ptr<CVN::ZvkAPI::ICameraListObserver> observer;
    std::string openCameraId; // the ID the open camera was opened with
};

#endif
