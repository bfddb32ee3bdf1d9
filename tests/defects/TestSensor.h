#ifndef TESTSENSOR_H
#define TESTSENSOR_H

#include "CameraDescription.h"

// A connected camera's description as the list algorithms read it.
inline CameraDescription TestSensor(qint64 width = 100, qint64 height = 100, qint64 capacity = 1000,
                                    const QString &type = QStringLiteral("Mono"))
{
    CameraDescription description;
    description.sensorType = type;
    description.sensorWidth = width;
    description.sensorHeight = height;
    description.defectCapacity = capacity;
    return description;
}

#endif
