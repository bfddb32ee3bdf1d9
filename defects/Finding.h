#ifndef FINDING_H
#define FINDING_H

#include "PixelCoords.h"

#include <QList>

// One thing a check of the merged list finds that the camera cannot take as it is.
struct Finding
{
    // In the order the checks run and the upload confirmation lists them.
    enum Kind {
        OutsideSensor,
        MoreThanEight,
        MoreThanFour,
        BeyondCapacity,
    };

    Kind kind = OutsideSensor;
    QList<PixelCoords> coordinates;
    // Of MoreThanEight: the camera's own defects among them, which the camera can no longer correct.
    QList<PixelCoords> cameraDefectsLost;
};

#endif
