#ifndef NEIGHBOURHOODMEDIAN_H
#define NEIGHBOURHOODMEDIAN_H

#include <QtGlobal>

#include <atomic>
#include <vector>

// The median of a pixel's neighbours of its own colour (`step` apart) in a square of
// 2 x radius + 1 of them, the pixel itself left out; at the image's edges the square
// shrinks instead of reading outside. The median of many neighbours stays put when a
// few of them, a cluster of defects, are outliers.
class NeighbourhoodMedian
{
public:
    NeighbourhoodMedian(const std::vector<float> &image, int width, int height, int step, int radius);

    // NaN when the pixel has no neighbours.
    float At(int row, int column) const;

    // The pixels whose value may be below lowShare or above highShare times their median:
    // all of those, and a few more to check with At(). Counting the neighbours above and
    // below the limits finds them without sorting each neighbourhood. False when cancelled.
    bool Outliers(float lowShare, float highShare, const std::atomic_bool *cancel, std::vector<qint64> *out) const;

private:
    void BorderOutliers(int row, float lowShare, float highShare, std::vector<qint64> *out) const;
    void InteriorOutliers(int row, float lowShare, float highShare, std::vector<qint64> *out) const;
    bool IsOutlier(int row, int column, float lowShare, float highShare) const;

    const std::vector<float> &image;
    int width;
    int height;
    int step;
    int radius;
    int reach; // step x radius: how far the neighbourhood reaches from its pixel
    mutable std::vector<float> neighbours;
    mutable std::vector<float> lowLimit, highLimit; // per column of the row being counted
    mutable std::vector<quint16> above, below;
};

#endif
