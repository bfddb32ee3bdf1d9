#include "CameraObserver.h"

#include "CameraListChange.h"

#include <ZorvikCPP/Camera.h>

void CameraObserver::CameraListChanged(CVN::ZvkAPI::CameraPtr camera, int reason)
{
    if (reason != CameraAppeared && reason != CameraDisappeared)
        return;
    std::string id;
    if (camera)
        camera->GetID(id);
    emit CameraListChangedSignal(QString::fromStdString(id), reason);
}
