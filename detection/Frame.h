#ifndef FRAME_H
#define FRAME_H

#include <QtGlobal>

#include <vector>

// One image of a sensor, row by row; 8-bit frames are widened, values kept.
struct Frame
{
    int width = 0;
    int height = 0;
    int bitDepth = 16; // of the file: 8 or 16
    std::vector<quint16> samples;
};

#endif
