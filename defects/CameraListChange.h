#ifndef CAMERALISTCHANGE_H
#define CAMERALISTCHANGE_H

// Why the camera list changed, as the SDK reports it and the camera list signals pass it on;
// the SDK's other reasons are dropped before any signal.
enum CameraListChange {
    CameraAppeared = 0,
    CameraDisappeared = 1,
};

#endif
