#include "DetectionWorker.h"

#include "DefectDetection.h"

DetectionWorker::DetectionWorker(const DetectionInput &input, const DetectionSettings &settings, QObject *parent)
    : QObject(parent)
    , input(input)
    , settings(settings)
{
}

void DetectionWorker::Run()
{
    DefectDetection detection;
    detection.SetCancelFlag(&cancelled);
    detection.SetProgress([this](int done, int total) { emit Progressed(done, total); });
    std::vector<Candidate> found;
    const bool ok = detection.Run(input, settings, &found);
    emit Finished(ok, detection.ErrorString(), QVector<Candidate>(found.begin(), found.end()));
}

void DetectionWorker::Cancel()
{
    cancelled = true;
}
