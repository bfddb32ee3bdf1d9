#ifndef COORDINATESET_H
#define COORDINATESET_H

#include "PixelCoords.h"

#include <QList>

#include <vector>

// A set of pixel coordinates in one flat table (open addressing), for the
// presence tests over long lists: no allocation per element.
class CoordinateSet
{
public:
    explicit CoordinateSet(int expectedSize = 0);
    explicit CoordinateSet(const QList<PixelCoords> &list);

    bool Contains(const PixelCoords &coords) const;
    // Adds the coordinate; false when it was already there.
    bool Insert(const PixelCoords &coords);

    // The first list, then the entries of the second that are not in it, each once.
    static QList<PixelCoords> Merged(const QList<PixelCoords> &first, const QList<PixelCoords> &second);

private:
    size_t SlotOf(quint64 key) const;
    void Grow();

    static constexpr quint64 Empty = ~quint64(0);
    std::vector<quint64> table;
    size_t count = 0;
};

#endif
