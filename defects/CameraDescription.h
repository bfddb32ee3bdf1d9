#ifndef CAMERADESCRIPTION_H
#define CAMERADESCRIPTION_H

#include <QString>

// Identity and sensor of the connected camera; the defaults mean "none connected".
struct CameraDescription
{
    QString model = QStringLiteral("Unknown");
    QString serialNumber = QStringLiteral("Unknown");
    QString sensorType = QStringLiteral("Unknown");
    qint64 sensorWidth = 0;
    qint64 sensorHeight = 0;
    qint64 defectCapacity = 0; // 8-byte entries the custom defect file can hold
};

#endif
