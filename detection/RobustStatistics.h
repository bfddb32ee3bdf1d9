#ifndef ROBUSTSTATISTICS_H
#define ROBUSTSTATISTICS_H

#include "SensorLayout.h"

#include <vector>

// Centre and spread of a set of values that outliers do not move: the median, and the
// median absolute deviation scaled by 1.4826 (the standard deviation for Gaussian values).
struct Robust
{
    double median = 0;
    double spread = 0;
};

// The lower median; NaN for no values. Reorders `values`.
double MedianOf(std::vector<float> &values);
Robust RobustOf(std::vector<float> values);

// The colour of a pixel: 0 on a mono sensor, 0 to 3 on a Bayer sensor.
inline int ChannelOf(int row, int column, SensorLayout layout)
{
    return layout == SensorLayout::Bayer ? (row % 2) * 2 + column % 2 : 0;
}

// One entry per colour, in ChannelOf's order.
std::vector<Robust> RobustPerChannel(const std::vector<float> &image, int width, SensorLayout layout);

#endif
