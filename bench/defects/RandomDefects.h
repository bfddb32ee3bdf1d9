#ifndef RANDOMDEFECTS_H
#define RANDOMDEFECTS_H

#include "PixelCoords.h"

#include <QList>
#include <QRandomGenerator>

// Random defect lists with what makes the encoder's work interesting:
// repeated coordinates, neighbours in the same row, both sensor edges and
// coordinates just outside the sensor.
inline QList<PixelCoords> RandomDefects(quint32 seed, int count, int width, int height)
{
    QRandomGenerator random(seed);
    QList<PixelCoords> list;
    list.reserve(count);
    while (list.size() < count) {
        const quint32 kind = random.bounded(8);
        if (kind == 0 && !list.isEmpty()) {
            list.append(list.at(int(random.bounded(list.size()))));
            continue;
        }
        if (kind <= 2 && !list.isEmpty()) {
            const PixelCoords near = list.at(int(random.bounded(list.size())));
            const int column = int(near.column) + int(random.bounded(9)) - 4;
            list.append(PixelCoords(near.row, quint16(qBound(0, column, 0xFFFF))));
            continue;
        }
        const quint16 row = quint16(random.bounded(height + 2));
        const quint16 column = kind == 3 ? quint16(random.bounded(5))
                             : kind == 4 ? quint16(width - 5 + int(random.bounded(7)))
                                         : quint16(random.bounded(width));
        list.append(PixelCoords(row, column));
    }
    return list;
}

// Defects packed into few rows, in long runs: the clustered case.
inline QList<PixelCoords> ClusteredDefects(quint32 seed, int count, int width, int rows)
{
    QRandomGenerator random(seed);
    QList<PixelCoords> list;
    list.reserve(count);
    while (list.size() < count) {
        const quint16 row = quint16(random.bounded(rows));
        const int start = int(random.bounded(width));
        const int length = 1 + int(random.bounded(12));
        for (int c = start; c < start + length && c < width && list.size() < count; ++c)
            list.append(PixelCoords(row, quint16(c)));
    }
    return list;
}

#endif
