#include "FrameModel.h"

#include "NoiseSource.h"

#include <algorithm>
#include <cmath>

namespace ZorvikSim {

namespace {

uint16_t Clipped(double value)
{
    return uint16_t(std::lround(std::clamp(value, 0.0, 65535.0)));
}

} // namespace

double FrameModel::DarkSpread()
{
    return std::sqrt(ReadNoise * ReadNoise + DarkCurrentSpread * DarkCurrentSpread + Gain * DarkCurrent);
}

double FrameModel::ChannelGain(const CameraSetup &setup, int64_t row, int64_t column)
{
    if (setup.sensorType != "Bayer")
        return GreenGain;
    if (row % 2 == 0 && column % 2 == 0)
        return RedGain;
    return row % 2 == 1 && column % 2 == 1 ? BlueGain : GreenGain;
}

FrameModel::FrameModel(const CameraSetup &setup, const std::vector<SensorDefect> &defects, double readNoise)
    : setup(setup), readNoise(readNoise)
{
    DrawPixels();
    for (const SensorDefect &defect : defects)
        ApplyDefect(defect);
}

void FrameModel::DrawPixels()
{
    const size_t pixels = size_t(setup.sensorWidth * setup.sensorHeight);
    NoiseSource random(setup.serialNumber, NoiseStream::Pixels);
    darkMean.resize(pixels);
    response.resize(pixels);
    for (size_t i = 0; i < pixels; ++i) {
        const int64_t row = int64_t(i) / setup.sensorWidth, column = int64_t(i) % setup.sensorWidth;
        darkMean[i] = float(Offset + std::max(0.0, DarkCurrent + DarkCurrentSpread * random.Gaussian()));
        response[i] = float(FlatLevel * ChannelGain(setup, row, column) * (1 + ResponseSpread * random.Gaussian()));
    }
}

void FrameModel::ApplyDefect(const SensorDefect &defect)
{
    switch (defect.kind) {
    case DefectKind::Hot: darkMean[At(defect)] += float(defect.strength); break;
    case DefectKind::Dead:
    case DefectKind::Weak:
    case DefectKind::Bright: response[At(defect)] *= float(defect.strength); break;
    case DefectKind::Flickering:
    case DefectKind::Stuck: temporal.push_back(defect); break;
    }
}

std::vector<uint16_t> FrameModel::Frame(FrameKind kind, uint64_t index) const
{
    const NoiseStream stream = kind == FrameKind::Dark ? NoiseStream::DarkFrames : NoiseStream::FlatFrames;
    NoiseSource noise(setup.serialNumber, stream, index);
    const bool lit = kind == FrameKind::Flat;
    std::vector<uint16_t> frame(darkMean.size());
    for (size_t i = 0; i < frame.size(); ++i) {
        const double mean = darkMean[i] + (lit ? response[i] : 0.0);
        const double variance = readNoise * readNoise + Gain * (mean - Offset); // read noise and shot noise
        frame[i] = Clipped(mean + std::sqrt(variance) * noise.Gaussian());
    }
    ApplyTemporalDefects(kind, index, frame);
    return frame;
}

// A flickering pixel jumps to its upper level in about half of the frames, independently.
void FrameModel::ApplyTemporalDefects(FrameKind kind, uint64_t index, std::vector<uint16_t> &frame) const
{
    const NoiseStream stream = kind == FrameKind::Dark ? NoiseStream::DarkFlicker : NoiseStream::FlatFlicker;
    NoiseSource states(setup.serialNumber, stream, index);
    for (const SensorDefect &defect : temporal) {
        uint16_t &value = frame[At(defect)];
        if (defect.kind == DefectKind::Stuck)
            value = uint16_t(defect.strength);
        else if (states.Below(2))
            value = Clipped(value + defect.strength);
    }
}

size_t FrameModel::At(const SensorDefect &defect) const
{
    return size_t(defect.row) * size_t(setup.sensorWidth) + defect.column;
}

} // namespace ZorvikSim
