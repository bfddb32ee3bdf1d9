#ifndef SETSUMMARY_H
#define SETSUMMARY_H

#include <QtGlobal>

#include <vector>

// What the analysis needs of one set of frames, per pixel, row by row.
struct SetSummary
{
    int width = 0;
    int height = 0;
    int frameCount = 0;
    std::vector<float> mean;
    std::vector<float> variance; // temporal, unbiased; 0 for a single frame
    std::vector<quint16> firstValue;
    std::vector<quint8> constant; // 1 when every frame held firstValue
};

#endif
