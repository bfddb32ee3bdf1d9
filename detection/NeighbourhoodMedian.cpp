#include "NeighbourhoodMedian.h"

#include "RobustStatistics.h"

#include <algorithm>

NeighbourhoodMedian::NeighbourhoodMedian(const std::vector<float> &image, int width, int height, int step, int radius)
    : image(image), width(width), height(height), step(step), radius(radius), reach(step * radius)
{
}

float NeighbourhoodMedian::At(int row, int column) const
{
    neighbours.clear();
    for (int dy = -radius; dy <= radius; ++dy) {
        const int y = row + dy * step;
        for (int dx = -radius; y >= 0 && y < height && dx <= radius; ++dx) {
            const int x = column + dx * step;
            if (x >= 0 && x < width && (dx || dy))
                neighbours.push_back(image[size_t(y) * size_t(width) + size_t(x)]);
        }
    }
    return float(MedianOf(neighbours));
}

bool NeighbourhoodMedian::Outliers(float lowShare, float highShare, const std::atomic_bool *cancel,
                                   std::vector<qint64> *out) const
{
    for (int row = 0; row < height; ++row) {
        if (row % 64 == 0 && cancel && *cancel)
            return false;
        if (row < reach || row >= height - reach || width <= 2 * reach)
            BorderOutliers(row, lowShare, highShare, out);
        else
            InteriorOutliers(row, lowShare, highShare, out);
    }
    return true;
}

void NeighbourhoodMedian::BorderOutliers(int row, float lowShare, float highShare, std::vector<qint64> *out) const
{
    for (int column = 0; column < width; ++column) {
        if (IsOutlier(row, column, lowShare, highShare))
            out->push_back(qint64(row) * width + column);
    }
}

// With n neighbours and the lower median, the median is above a limit only when at least
// n / 2 neighbours are, and below one only when at least n / 2 are: counting suffices.
void NeighbourhoodMedian::InteriorOutliers(int row, float lowShare, float highShare, std::vector<qint64> *out) const
{
    const float *centre = image.data() + size_t(row) * size_t(width);
    const int last = width - reach;
    lowLimit.resize(size_t(width));
    highLimit.resize(size_t(width));
    above.assign(size_t(width), 0);
    below.assign(size_t(width), 0);
    for (int x = reach; x < last; ++x) {
        lowLimit[size_t(x)] = centre[x] / lowShare;
        highLimit[size_t(x)] = centre[x] / highShare;
    }
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (!dx && !dy)
                continue;
            const float *neighbour = centre + std::ptrdiff_t(dy) * step * width + dx * step;
            for (int x = reach; x < last; ++x) {
                above[size_t(x)] += neighbour[x] > lowLimit[size_t(x)];
                below[size_t(x)] += neighbour[x] < highLimit[size_t(x)];
            }
        }
    }
    const int half = ((2 * radius + 1) * (2 * radius + 1) - 1) / 2;
    for (int x = 0; x < width; ++x) {
        const bool border = x < reach || x >= last;
        if (border ? IsOutlier(row, x, lowShare, highShare) : above[size_t(x)] >= half || below[size_t(x)] >= half)
            out->push_back(qint64(row) * width + x);
    }
}

bool NeighbourhoodMedian::IsOutlier(int row, int column, float lowShare, float highShare) const
{
    const float value = image[size_t(row) * size_t(width) + size_t(column)];
    const float median = At(row, column);
    return value < lowShare * median || value > highShare * median;
}
