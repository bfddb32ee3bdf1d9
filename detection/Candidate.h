#ifndef CANDIDATE_H
#define CANDIDATE_H

#include "PixelCoords.h"

#include <QString>

enum class DefectKind {
    Hot,
    Flickering,
    Dead,
    Weak,
    Bright,
    Stuck,
};

inline QString DefectKindName(DefectKind kind)
{
    switch (kind) {
    case DefectKind::Hot: return QStringLiteral("hot");
    case DefectKind::Flickering: return QStringLiteral("flickering");
    case DefectKind::Dead: return QStringLiteral("dead");
    case DefectKind::Weak: return QStringLiteral("weak");
    case DefectKind::Bright: return QStringLiteral("bright");
    case DefectKind::Stuck: return QStringLiteral("stuck");
    }
    return QString();
}

// A pixel that looks defective, with how far it stands out: in digital numbers, and in
// units of the robust spread it was measured against (for flickering the typical
// temporal spread; for stuck both are 0).
struct Candidate
{
    quint16 row = 0;
    quint16 column = 0;
    DefectKind kind = DefectKind::Hot;
    double strengthDn = 0;
    double strengthSpread = 0;

    PixelCoords Coords() const { return PixelCoords(row, column); }
};

#endif
