#ifndef DEFECTDETECTION_H
#define DEFECTDETECTION_H

#include "Candidate.h"
#include "DetectionInput.h"
#include "DetectionSettings.h"
#include "FrameReader.h"
#include "FrameStatistics.h"

#include <atomic>
#include <functional>
#include <vector>

// One run: reads the darks, then the flats, frame by frame, checks that the frames fit
// together, and finds the candidates. Made for a worker thread: it reports progress
// (files read, then the analysis) and stops soon after the cancel flag is set.
class DefectDetection
{
public:
    using Progress = std::function<void(int done, int total)>;

    void SetProgress(const Progress &callback) { progress = callback; }
    void SetCancelFlag(const std::atomic_bool *flag) { cancel = flag; }

    bool Run(const DetectionInput &input, const DetectionSettings &settings, std::vector<Candidate> *out);
    QString ErrorString() const { return error; }

private:
    bool ReadSet(const QStringList &files, const QString &setName, const DetectionInput &input, SetSummary *out);
    bool TakeFrame(const Frame &frame, const QString &fileName, const QString &setName, const DetectionInput &input,
                   FrameStatistics *statistics);
    bool FitsRun(const Frame &frame, const QString &fileName, const DetectionInput &input);
    void Advance();
    bool Fail(const QString &text);
    bool Cancelled() const { return cancel && *cancel; }

    Progress progress;
    const std::atomic_bool *cancel = nullptr;
    FrameReader reader;
    QString error;
    QSize runSize; // of the run's first frame
    int setDepth = 0; // bit depth of the set's first frame
    int done = 0;
    int total = 0;
};

#endif
