#ifndef ZORVIKSIM_SENSORDEFECTS_H
#define ZORVIKSIM_SENSORDEFECTS_H

#include "NoiseSource.h"

#include <ZorvikSim/Simulator.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ZorvikSim {

enum class DefectKind { Hot, Flickering, Dead, Weak, Bright, Stuck };

// One defective pixel as truth.csv lists it. Strength by kind: hot, the excess of its dark
// mean in DN; flickering, the jump between its two levels in DN; dead, weak and bright, its
// response to light as a fraction of a normal pixel's; stuck, the value it always reads.
struct SensorDefect
{
    uint16_t row = 0;
    uint16_t column = 0;
    DefectKind kind = DefectKind::Hot;
    double strength = 0;
};

std::string DefectKindName(DefectKind kind); // "hot", "flickering", ... as truth.csv writes them

// Every defect a camera's frames show, sorted by row and column, the same for the same serial
// number: each pixel of its factory list (hot or dead, strong), and the defects that appeared
// as the sensor aged, which no list holds yet: of every kind, from clearly below to well above
// what a detector finds, some in clusters of 2 to 4 and in short runs in a row.
class SensorDefects
{
public:
    explicit SensorDefects(const CameraSetup &setup);

    const std::vector<SensorDefect> &List() const { return defects; }

private:
    using Cell = std::pair<int64_t, int64_t>; // row, column

    void AddFactoryDefects();
    void AddAgedDefects(DefectKind kind);
    std::vector<Cell> DrawGroup(size_t groupIndex);
    bool PlaceGroup(DefectKind kind, size_t groupIndex);
    bool IsFree(int64_t row, int64_t column) const;
    void Add(int64_t row, int64_t column, DefectKind kind, double strength);
    double AgedStrength(DefectKind kind);

    CameraSetup setup;
    NoiseSource random;
    std::vector<SensorDefect> defects;
    std::set<uint64_t> taken; // row * width + column of every defect
};

} // namespace ZorvikSim

#endif
