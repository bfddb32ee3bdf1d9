#ifndef TESTDATA_H
#define TESTDATA_H

#include "CameraDescription.h"
#include "PixelCoords.h"

#include <QList>
#include <QMetaType>

Q_DECLARE_METATYPE(QList<PixelCoords>)
using List = QList<PixelCoords>;

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

// The defects of one row from the first to the last column.
inline List Run(quint16 row, int firstColumn, int lastColumn)
{
    List list;
    for (int c = firstColumn; c <= lastColumn; ++c)
        list.append(PixelCoords(row, quint16(c)));
    return list;
}

#endif
