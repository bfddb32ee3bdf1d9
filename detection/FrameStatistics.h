#ifndef FRAMESTATISTICS_H
#define FRAMESTATISTICS_H

#include "Frame.h"
#include "SetSummary.h"

#include <vector>

// Per-pixel mean and temporal variance of a set, taken frame by frame in one pass; memory
// grows with the pixels of one frame, not with the number of frames. The sums are exact
// integers of each sample's difference from the pixel's first one, so neither the order
// of the frames nor their number loses precision, and "always the same value" is a sum of 0.
class FrameStatistics
{
public:
    static constexpr int MaxFrames = 65535; // keeps the sums within their integers

    // Frames after the first must have its size; the caller checks that.
    void Add(const Frame &frame);
    int FrameCount() const { return frameCount; }
    int Width() const { return width; }
    int Height() const { return height; }
    SetSummary Summary() const;

private:
    void Start(const Frame &frame);

    int width = 0;
    int height = 0;
    int frameCount = 0;
    std::vector<quint16> first;
    std::vector<quint32> sum;
    std::vector<quint64> squares; // of the differences from `first`
};

#endif
