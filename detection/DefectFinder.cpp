#include "DefectFinder.h"

#include "NeighbourhoodMedian.h"

#include <cmath>
#include <limits>

namespace {

// A floor for spreads, in digital numbers: on noise-free or coarsely quantised frames the
// spread can be 0, and then every pixel off the median by one step would stand out.
constexpr double LeastSpread = 0.5;

// Enough pixels for the spread of the flat response to be known to a percent.
constexpr double SpreadSamples = 16384;

} // namespace

DefectFinder::DefectFinder(const DetectionSettings &settings, SensorLayout layout)
    : settings(settings), layout(layout)
{
}

bool DefectFinder::Find(const SetSummary *darks, const SetSummary *flats, std::vector<Candidate> *out)
{
    found.clear();
    if (darks && !darks->frameCount)
        darks = nullptr;
    if (flats && !flats->frameCount)
        flats = nullptr;
    if (darks) {
        const std::vector<Robust> level = RobustPerChannel(darks->mean, darks->width, layout);
        FindHot(*darks, level);
        FindFlickering(*darks, flats, level);
    }
    if (Cancelled() || (flats && !FindInFlats(*flats, darks)))
        return false;
    if (darks && flats)
        FindStuck(*darks, *flats);
    out->clear();
    for (const auto &entry : found)
        out->push_back(entry.second.candidate);
    return true;
}

void DefectFinder::FindHot(const SetSummary &darks, const std::vector<Robust> &level)
{
    for (qint64 i = 0; i < qint64(darks.mean.size()); ++i) {
        const Robust &channel = level[size_t(ChannelOf(int(i / darks.width), int(i % darks.width), layout))];
        const double excess = darks.mean[size_t(i)] - channel.median;
        const double spreads = excess / qMax(channel.spread, LeastSpread);
        if (spreads > settings.hotSpreads)
            Keep(darks, i, DefectKind::Hot, excess, spreads, spreads / settings.hotSpreads);
    }
}

// A pixel flickers when its temporal variance is many times what a normal pixel of its
// colour and dark signal shows: the typical variance, plus the shot noise of its extra
// dark signal when the flats tell how much that is.
void DefectFinder::FindFlickering(const SetSummary &darks, const SetSummary *flats, const std::vector<Robust> &level)
{
    if (darks.frameCount < 2)
        return;
    const std::vector<Robust> noise = RobustPerChannel(darks.variance, darks.width, layout);
    const std::vector<double> perSignal = flats && flats->frameCount > 1 ? ShotNoisePerSignal(*flats, level, noise)
                                                                         : std::vector<double>(noise.size(), 0.0);
    const double factor = settings.flickerFactor * settings.flickerFactor;
    for (qint64 i = 0; i < qint64(darks.variance.size()); ++i) {
        const size_t channel = size_t(ChannelOf(int(i / darks.width), int(i % darks.width), layout));
        const double extraSignal = qMax(0.0, darks.mean[size_t(i)] - level[channel].median);
        const double expected = qMax(noise[channel].median, LeastSpread * LeastSpread) + perSignal[channel] * extraSignal;
        const double variance = darks.variance[size_t(i)];
        if (variance > factor * expected) {
            const double times = std::sqrt(variance / expected);
            Keep(darks, i, DefectKind::Flickering, std::sqrt(variance), times, times / settings.flickerFactor);
        }
    }
}

// Per colour, the temporal variance a digital number of signal adds (the photon transfer
// of the flats above the darks).
std::vector<double> DefectFinder::ShotNoisePerSignal(const SetSummary &flats, const std::vector<Robust> &level,
                                                     const std::vector<Robust> &darkNoise) const
{
    const std::vector<Robust> flatNoise = RobustPerChannel(flats.variance, flats.width, layout);
    const std::vector<Robust> flatLevel = RobustPerChannel(flats.mean, flats.width, layout);
    std::vector<double> perSignal;
    for (size_t c = 0; c < level.size(); ++c) {
        const double signal = flatLevel[c].median - level[c].median;
        const double added = flatNoise[c].median - darkNoise[c].median;
        perSignal.push_back(signal > 0 && added > 0 ? added / signal : 0.0);
    }
    return perSignal;
}

bool DefectFinder::FindInFlats(const SetSummary &flats, const SetSummary *darks)
{
    std::vector<float> response = flats.mean;
    for (size_t i = 0; darks && i < response.size(); ++i)
        response[i] -= darks->mean[i];
    const int radius = qBound(1, settings.neighbourhood / 2, 15);
    const NeighbourhoodMedian medians(response, flats.width, flats.height, ColourStep(layout), radius);
    const double low = qMax(1 - settings.responseDeviation, settings.deadFraction);
    std::vector<qint64> outliers;
    if (!medians.Outliers(float(low), float(1 + settings.responseDeviation), cancel, &outliers))
        return false;
    const double spread = RelativeSpread(response, medians, flats.width);
    for (qint64 i : outliers) {
        const double value = response[size_t(i)];
        const double median = medians.At(int(i / flats.width), int(i % flats.width));
        const double share = value / median;
        DefectKind kind;
        if (!(median > 0) || !FlatKind(share, &kind))
            continue;
        const double dn = std::fabs(value - median);
        Keep(flats, i, kind, dn, dn / qMax(spread * median, LeastSpread), std::fabs(share - 1) / settings.responseDeviation);
    }
    return true;
}

bool DefectFinder::FlatKind(double share, DefectKind *kind) const
{
    if (share < settings.deadFraction)
        *kind = DefectKind::Dead;
    else if (share < 1 - settings.responseDeviation)
        *kind = DefectKind::Weak;
    else if (share > 1 + settings.responseDeviation)
        *kind = DefectKind::Bright;
    else
        return false;
    return true;
}

// The robust spread of the response relative to its neighbourhood, from a grid of samples.
double DefectFinder::RelativeSpread(const std::vector<float> &response, const NeighbourhoodMedian &medians,
                                    int width) const
{
    const int height = int(response.size() / size_t(width));
    const int stride = qMax(1, int(std::sqrt(double(response.size()) / SpreadSamples)));
    std::vector<float> deviations;
    for (int row = 0; row < height; row += stride) {
        for (int column = 0; column < width; column += stride) {
            const float median = medians.At(row, column);
            if (median > 0)
                deviations.push_back(response[size_t(row) * size_t(width) + size_t(column)] / median - 1);
        }
    }
    return deviations.empty() ? 0.0 : RobustOf(std::move(deviations)).spread;
}

// Stuck: one value in every frame of both sets; nothing else explains a pixel better.
void DefectFinder::FindStuck(const SetSummary &darks, const SetSummary &flats)
{
    if (darks.frameCount < 2 || flats.frameCount < 2)
        return;
    for (qint64 i = 0; i < qint64(darks.constant.size()); ++i) {
        const size_t p = size_t(i);
        if (darks.constant[p] && flats.constant[p] && darks.firstValue[p] == flats.firstValue[p])
            Keep(darks, i, DefectKind::Stuck, 0, 0, std::numeric_limits<double>::infinity());
    }
}

void DefectFinder::Keep(const SetSummary &set, qint64 index, DefectKind kind, double dn, double spread, double score)
{
    const auto known = found.find(index);
    if (known != found.end() && known->second.score >= score)
        return;
    Candidate candidate;
    candidate.row = quint16(index / set.width);
    candidate.column = quint16(index % set.width);
    candidate.kind = kind;
    candidate.strengthDn = dn;
    candidate.strengthSpread = spread;
    found[index] = Scored{candidate, score};
}
