#include "RobustStatistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

double MedianOf(std::vector<float> &values)
{
    if (values.empty())
        return std::numeric_limits<double>::quiet_NaN();
    const auto middle = values.begin() + std::ptrdiff_t((values.size() - 1) / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

Robust RobustOf(std::vector<float> values)
{
    Robust robust;
    robust.median = MedianOf(values);
    for (float &value : values)
        value = float(std::fabs(value - robust.median));
    robust.spread = 1.4826 * MedianOf(values);
    return robust;
}

std::vector<Robust> RobustPerChannel(const std::vector<float> &image, int width, SensorLayout layout)
{
    const int channels = layout == SensorLayout::Bayer ? 4 : 1;
    std::vector<std::vector<float>> values(static_cast<size_t>(channels));
    for (auto &channel : values)
        channel.reserve(image.size() / size_t(channels) + 1);
    const size_t height = image.size() / size_t(width);
    for (size_t row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column)
            values[size_t(ChannelOf(int(row), column, layout))].push_back(image[row * size_t(width) + size_t(column)]);
    }
    std::vector<Robust> result;
    for (auto &channel : values)
        result.push_back(RobustOf(std::move(channel)));
    return result;
}
