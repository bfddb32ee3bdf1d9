#include "ListValidation.h"

#include "CoordinateSet.h"

namespace {

QList<PixelCoords> Among(const QList<PixelCoords> &coordinates, const QList<PixelCoords> &list)
{
    if (coordinates.isEmpty())
        return {};
    const CoordinateSet present(list);
    QList<PixelCoords> among;
    for (const PixelCoords &coords : coordinates) {
        if (present.Contains(coords))
            among.append(coords);
    }
    return among;
}

void Add(QList<Finding> &findings, Finding::Kind kind, const QList<PixelCoords> &coordinates,
         const QList<PixelCoords> &cameraDefectsLost = {})
{
    if (!coordinates.isEmpty())
        findings.append({kind, coordinates, cameraDefectsLost});
}

} // namespace

// The encoding was computed before any removal, so the defects that stay keep treating the
// removed ones as defective.
QList<Finding> ListValidation::Check(NeighborByteEncoding &encoding, const CameraDescription &description,
                                     const QList<PixelCoords> &cameraList)
{
    QList<Finding> findings;
    Add(findings, Finding::OutsideSensor, encoding.RemoveOutsideSensorRange(description));
    const QList<PixelCoords> uncorrectable = encoding.RemoveMoreThanEightConsecutive();
    Add(findings, Finding::MoreThanEight, uncorrectable, Among(uncorrectable, cameraList));
    Add(findings, Finding::MoreThanFour, encoding.FindMoreThanFourConsecutive());
    Add(findings, Finding::BeyondCapacity, encoding.RemoveBeyondCapacity());
    return findings;
}

QString ListValidation::Item(Finding::Kind kind)
{
    switch (kind) {
    case Finding::OutsideSensor:
        return QStringLiteral("- Defective pixels outside of sensor range");
    case Finding::MoreThanEight:
        return QStringLiteral("- More than eight consecutive defective pixels");
    case Finding::MoreThanFour:
        return QStringLiteral("- More than four consecutive defective pixels");
    case Finding::BeyondCapacity:
        return QStringLiteral("- Number of defective pixels exceeds storage capacity");
    }
    return QString();
}
