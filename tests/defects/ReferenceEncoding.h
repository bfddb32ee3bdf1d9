#ifndef REFERENCEENCODING_H
#define REFERENCEENCODING_H

#include "CameraDescription.h"
#include "NeighborByteEncoding.h"
#include "PixelCoords.h"

#include <QList>

#include <functional>
#include <vector>

// The straightforward quadratic algorithms, step by step, against which the
// fast paths are compared (tests) and timed (benchmark).
struct ReferenceEncoding
{
    CameraDescription description;
    QList<PixelCoords> coordinates;
    QList<NbEntry> entries;

    bool Generate();
    QList<PixelCoords> FindMoreThanFour() const;
    QList<PixelCoords> RemoveMoreThanEight();
    QList<PixelCoords> RemoveOutside(const CameraDescription &sensor);
    QList<PixelCoords> RemoveBeyondCapacity();
    QList<PixelCoords> RemoveWhere(const std::function<bool(const NbEntry &)> &matches);
};

QList<PixelCoords> ReferenceMerge(const QList<PixelCoords> &camera, const QList<PixelCoords> &user);
bool ReferenceContainsAny(const QList<PixelCoords> &list, const QList<PixelCoords> &query);
QList<PixelCoords> ReferenceWithoutDuplicates(const QList<PixelCoords> &list);
std::vector<unsigned char> ReferenceFormat(const ReferenceEncoding &encoding);

#endif
