#ifndef REFERENCEENCODING_H
#define REFERENCEENCODING_H

#include "CameraDescription.h"
#include "NeighborByteEncoding.h"
#include "PixelCoords.h"

#include <QList>

#include <functional>

// The straightforward quadratic algorithms, step by step: the benchmark checks
// that the fast paths give the same results, then times both.
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

// The camera list followed by the user entries it does not hold yet; with an
// empty camera list, the list without repeats.
QList<PixelCoords> ReferenceMerge(const QList<PixelCoords> &camera, const QList<PixelCoords> &user);

#endif
