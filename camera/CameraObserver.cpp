#include "CameraObserver.h"

#include <ZorvikCPP/Camera.h>

namespace {

const int CameraAppeared = 0;
const int CameraDisappeared = 1;

} // namespace

void CameraObserver::CameraListChanged(CVN::ZvkAPI::CameraPtr camera, int reason)
{
    if (reason != CameraAppeared && reason != CameraDisappeared)
        return;
    std::string id;
    if (camera)
        camera->GetID(id);
    emit CameraListChangedSignal(QString::fromStdString(id), reason);
}
