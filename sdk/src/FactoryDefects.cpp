#include "FactoryDefects.h"

#include <algorithm>
#include <cstdlib>
#include <random>

namespace ZorvikSim {

namespace {

using Defect = std::pair<uint16_t, uint16_t>;

constexpr int RunLength = 5;
constexpr int Spacing = 9; // keeps scattered defects out of each other's correction window

uint32_t Seed(const std::string &text)
{
    uint32_t hash = 2166136261u; // FNV-1a
    for (unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

bool TooClose(const std::vector<Defect> &defects, const Defect &candidate)
{
    return std::any_of(defects.begin(), defects.end(), [&](const Defect &defect) {
        return defect.first == candidate.first && std::abs(int(defect.second) - int(candidate.second)) < Spacing;
    });
}

} // namespace

std::vector<Defect> FactoryDefectList(const CameraSetup &setup)
{
    std::mt19937 random(Seed(setup.serialNumber));
    uint32_t width = static_cast<uint32_t>(setup.sensorWidth);
    uint32_t height = static_cast<uint32_t>(setup.sensorHeight);
    std::vector<Defect> defects;
    uint16_t runRow = uint16_t(random() % height);
    uint16_t runStart = uint16_t(random() % (width - RunLength + 1));
    for (int i = 0; i < RunLength; ++i)
        defects.push_back({runRow, uint16_t(runStart + i)});
    size_t wanted = defects.size() + 30 + random() % 30;
    for (int attempt = 0; attempt < 1000 && defects.size() < wanted; ++attempt) {
        Defect candidate{uint16_t(random() % height), uint16_t(random() % width)};
        if (!TooClose(defects, candidate))
            defects.push_back(candidate);
    }
    std::sort(defects.begin(), defects.end());
    return defects;
}

std::vector<uint8_t> FactoryDefectFile(const CameraSetup &setup)
{
    return EncodeDefectFile(setup.sensorWidth, setup.sensorHeight, setup.sensorType, FactoryDefectList(setup));
}

} // namespace ZorvikSim
