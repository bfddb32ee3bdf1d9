#ifndef PIXELCOORDS_H
#define PIXELCOORDS_H

#include <QHash>
#include <QtGlobal>

// One defective pixel, 0-based.
struct PixelCoords
{
    PixelCoords() = default;
    PixelCoords(quint16 row, quint16 column) : row(row), column(column) {}

    bool operator==(const PixelCoords &other) const
    {
        return row == other.row && column == other.column;
    }

    quint16 row = 0;
    quint16 column = 0;
};
// Plain data: lists keep the values in place instead of one allocation each.
Q_DECLARE_TYPEINFO(PixelCoords, Q_PRIMITIVE_TYPE);

// Row and column packed into one word: a key for hashing and sorting.
inline quint32 PackedCoords(const PixelCoords &coords)
{
    return (quint32(coords.row) << 16) | coords.column;
}

inline uint qHash(const PixelCoords &coords, uint seed = 0)
{
    return qHash(PackedCoords(coords), seed);
}

// Which of the two lists a call is about.
enum DefectiveListType {
    UserList = 0,
    CameraList = 1,
};

#endif
