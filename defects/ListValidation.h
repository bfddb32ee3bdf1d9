#ifndef LISTVALIDATION_H
#define LISTVALIDATION_H

#include "CameraDescription.h"
#include "Finding.h"
#include "NeighborByteEncoding.h"

#include <QList>
#include <QString>

// The checks of a merged list before anything is written to the camera, as values: no colours,
// no questions.
class ListValidation
{
public:
    // Runs every check on the encoding of the merged list, in order, and removes from it what the
    // camera cannot hold (outside the sensor, more than eight in a row, beyond its capacity).
    static QList<Finding> Check(NeighborByteEncoding &encoding, const CameraDescription &description,
                                const QList<PixelCoords> &cameraList);
    // The finding's line in the upload confirmation.
    static QString Item(Finding::Kind kind);
};

#endif
