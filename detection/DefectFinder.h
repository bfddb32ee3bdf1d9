#ifndef DEFECTFINDER_H
#define DEFECTFINDER_H

#include "Candidate.h"
#include "DetectionSettings.h"
#include "RobustStatistics.h"
#include "SensorLayout.h"
#include "SetSummary.h"

#include <atomic>
#include <map>
#include <vector>

class NeighbourhoodMedian;

// The candidates of a run from the summaries of its sets: darks alone give hot and
// flickering pixels, flats alone dead, weak and bright ones, both together stuck ones too
// and flats measured as their response above the darks. One candidate per pixel: stuck
// when it is, otherwise the kind it exceeds by the largest share of its threshold.
class DefectFinder
{
public:
    DefectFinder(const DetectionSettings &settings, SensorLayout layout);
    void SetCancelFlag(const std::atomic_bool *flag) { cancel = flag; }

    // Either set may be null or hold no frames; both of one size. Sorted by row, then column. False when cancelled.
    bool Find(const SetSummary *darks, const SetSummary *flats, std::vector<Candidate> *out);

private:
    // A candidate and how many times its threshold it reaches.
    struct Scored
    {
        Candidate candidate;
        double score;
    };

    void FindHot(const SetSummary &darks, const std::vector<Robust> &level);
    void FindFlickering(const SetSummary &darks, const SetSummary *flats, const std::vector<Robust> &level);
    std::vector<double> ShotNoisePerSignal(const SetSummary &flats, const std::vector<Robust> &level,
                                           const std::vector<Robust> &darkNoise) const;
    bool FindInFlats(const SetSummary &flats, const SetSummary *darks);
    bool FlatKind(double share, DefectKind *kind) const;
    double RelativeSpread(const std::vector<float> &response, const NeighbourhoodMedian &medians, int width) const;
    void FindStuck(const SetSummary &darks, const SetSummary &flats);
    void Keep(const SetSummary &set, qint64 index, DefectKind kind, double dn, double spread, double score);
    bool Cancelled() const { return cancel && *cancel; }

    DetectionSettings settings;
    SensorLayout layout;
    const std::atomic_bool *cancel = nullptr;
    std::map<qint64, Scored> found; // by pixel index, so in row order
};

#endif
