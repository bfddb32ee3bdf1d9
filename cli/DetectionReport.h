#ifndef DETECTIONREPORT_H
#define DETECTIONREPORT_H

#include "Candidate.h"
#include "CameraReport.h"
#include "PixelCoords.h"

#include <QList>
#include <QStringList>

#include <vector>

// The candidates found in frames as detect prints them: each with its kind and strength and,
// when a camera's list is given, whether that list has it already.
class DetectionReport
{
public:
    // `cameraList` is null when no camera was named; then every candidate counts as new.
    DetectionReport(const std::vector<Candidate> &candidates, const QList<PixelCoords> *cameraList);

    QList<PixelCoords> NewDefects() const;
    CameraReport Report() const;

    // --dark and --flat each take the files after them, up to the next option; the rest of the
    // arguments are returned.
    static QStringList TakeFrameLists(const QStringList &arguments, QStringList *darks, QStringList *flats);

private:
    std::vector<Candidate> candidates;
    std::vector<bool> known;
    bool withCamera = false;
};

#endif
