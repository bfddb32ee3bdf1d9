#ifndef TESTSENSOR_H
#define TESTSENSOR_H

#include "CameraDescription.h"

// A connected camera's description as the list algorithms read it.
inline CameraDescription TestSensor(const QString &type, qint64 width, qint64 height, qint64 capacity)
{
    CameraDescription description;
    description.sensorType = type;
    description.sensorWidth = width;
    description.sensorHeight = height;
    description.defectCapacity = capacity;
    return description;
}

#endif
