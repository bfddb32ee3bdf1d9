#ifndef ZORVIKSIM_FRAMEMODEL_H
#define ZORVIKSIM_FRAMEMODEL_H

#include "SensorDefects.h"

#include <ZorvikSim/Simulator.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ZorvikSim {

enum class FrameKind { Dark, Flat };

// What the sensor delivers with its defect correction off, in DN of the 16-bit output: an
// offset, dark current varying from pixel to pixel, read noise, shot noise (Gaussian, variance
// the signal in electrons times the gain squared), a photo-response non-uniformity, the Bayer
// channel's gain (RGGB), and the camera's defects; clipped to 0..65535. A frame depends only
// on the camera's serial number, its kind and its index.
class FrameModel
{
public:
    static constexpr double Offset = 100;
    static constexpr double ReadNoise = 2.5;         // standard deviation
    static constexpr double DarkCurrent = 4;         // mean over the sensor, in one frame's exposure
    static constexpr double DarkCurrentSpread = 0.8; // its standard deviation from pixel to pixel
    static constexpr double Gain = 0.5;              // DN per electron
    static constexpr double FlatLevel = 30000;       // light signal of a normal green or mono pixel
    static constexpr double ResponseSpread = 0.01;   // photo-response non-uniformity
    static constexpr double RedGain = 0.6, GreenGain = 1.0, BlueGain = 0.8;

    // The spread of a dark frame over normal pixels, the unit of hot and flickering strengths.
    static double DarkSpread();
    // The light signal's factor at a pixel: 1 on a mono sensor, else its colour filter's gain.
    static double ChannelGain(const CameraSetup &setup, int64_t row, int64_t column);

    FrameModel(const CameraSetup &setup, const std::vector<SensorDefect> &defects, double readNoise = ReadNoise);

    std::vector<uint16_t> Frame(FrameKind kind, uint64_t index) const;

private:
    void DrawPixels();
    void ApplyDefect(const SensorDefect &defect);
    void ApplyTemporalDefects(FrameKind kind, uint64_t index, std::vector<uint16_t> &frame) const;
    size_t At(const SensorDefect &defect) const;

    CameraSetup setup;
    double readNoise;
    std::vector<float> darkMean; // offset and dark current, hot excess included
    std::vector<float> response; // light signal in the flats
    std::vector<SensorDefect> temporal; // flickering and stuck: set frame by frame
};

} // namespace ZorvikSim

#endif
