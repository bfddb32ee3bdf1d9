#include "ReferenceEncoding.h"

bool ReferenceEncoding::Generate()
{
    if (coordinates.isEmpty() || description.sensorWidth < 9)
        return false;
    const bool colour = description.sensorType != QLatin1String("Mono");
    entries.clear();
    for (const PixelCoords &defect : coordinates) {
        quint32 unusable = colour ? 0x0BA : 0x010;
        for (const PixelCoords &other : coordinates) {
            const int d = other.column - defect.column;
            if (other.row == defect.row && qAbs(d) <= 4 && !(colour && d % 2 != 0))
                unusable |= 1u << (4 - d);
        }
        for (int d = -4; d <= 4; ++d) {
            if (defect.column + d < 0 || defect.column + d >= description.sensorWidth)
                unusable |= 1u << (4 - d);
        }
        entries.append(NbEntry{defect.row, defect.column, ~unusable & 0x1FF});
    }
    return true;
}

QList<PixelCoords> ReferenceEncoding::FindMoreThanFour() const
{
    QList<PixelCoords> found;
    for (const NbEntry &nb : entries) {
        for (quint32 window : {0x1F0u, 0x0F8u, 0x07Cu, 0x03Eu, 0x01Fu}) {
            if ((nb.neighbourMask & window) == 0) {
                found.append(PixelCoords(nb.row, nb.column));
                break;
            }
        }
    }
    return found;
}

QList<PixelCoords> ReferenceEncoding::RemoveMoreThanEight()
{
    return RemoveWhere([](const NbEntry &nb) { return nb.neighbourMask == 0; });
}

QList<PixelCoords> ReferenceEncoding::RemoveOutside(const CameraDescription &sensor)
{
    return RemoveWhere([&sensor](const NbEntry &nb) {
        return nb.row >= sensor.sensorHeight || nb.column >= sensor.sensorWidth;
    });
}

QList<PixelCoords> ReferenceEncoding::RemoveWhere(const std::function<bool(const NbEntry &)> &matches)
{
    QList<PixelCoords> removed;
    for (int i = 0; i < entries.size();) {
        if (!matches(entries[i])) {
            ++i;
            continue;
        }
        removed.append(PixelCoords(entries[i].row, entries[i].column));
        coordinates.removeOne(removed.last());
        entries.removeAt(i);
    }
    return removed;
}

QList<PixelCoords> ReferenceEncoding::RemoveBeyondCapacity()
{
    QList<PixelCoords> beyond;
    while (coordinates.size() > qMax<qint64>(description.defectCapacity, 0)) {
        beyond.prepend(coordinates.takeLast());
        entries.removeLast();
    }
    return beyond;
}

QList<PixelCoords> ReferenceMerge(const QList<PixelCoords> &camera, const QList<PixelCoords> &user)
{
    QList<PixelCoords> merged = camera;
    for (const PixelCoords &coords : user) {
        if (!merged.contains(coords))
            merged.append(coords);
    }
    return merged;
}
