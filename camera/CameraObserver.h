#ifndef CAMERAOBSERVER_H
#define CAMERAOBSERVER_H

#include <ZorvikCPP/ICameraListObserver.h>

#include <QObject>
#include <QString>

// Hears of cameras coming and going on the SDK's thread and passes it on as a Qt signal,
// touching nothing else there.
class CameraObserver : public QObject, public CVN::ZvkAPI::ICameraListObserver
{
    Q_OBJECT

public:
    CameraObserver() = default;

    void CameraListChanged(CVN::ZvkAPI::CameraPtr camera, int reason) override;
    ~CameraObserver() override = default;

signals:
    void CameraListChangedSignal(QString camID, int reason);
};

#endif
