#include "FrameStatistics.h"

void FrameStatistics::Add(const Frame &frame)
{
    if (frameCount == 0)
        Start(frame);
    const quint16 *samples = frame.samples.data();
    const size_t count = first.size();
    for (size_t i = 0; i < count; ++i) {
        const int difference = int(samples[i]) - int(first[i]);
        const quint32 magnitude = quint32(difference < 0 ? -difference : difference);
        sum[i] += samples[i];
        squares[i] += magnitude * magnitude;
    }
    ++frameCount;
}

void FrameStatistics::Start(const Frame &frame)
{
    width = frame.width;
    height = frame.height;
    first = frame.samples;
    sum.assign(first.size(), 0);
    squares.assign(first.size(), 0);
}

SetSummary FrameStatistics::Summary() const
{
    SetSummary summary;
    summary.width = width;
    summary.height = height;
    summary.frameCount = frameCount;
    summary.firstValue = first;
    const size_t count = first.size();
    summary.mean.resize(count);
    summary.variance.resize(count);
    summary.constant.resize(count);
    const double n = frameCount;
    for (size_t i = 0; i < count; ++i) {
        const double shifted = double(qint64(sum[i]) - qint64(frameCount) * first[i]);
        summary.mean[i] = float(sum[i] / n);
        summary.variance[i] = frameCount > 1 ? float(qMax(0.0, double(squares[i]) - shifted * shifted / n) / (n - 1)) : 0.0f;
        summary.constant[i] = squares[i] == 0;
    }
    return summary;
}
