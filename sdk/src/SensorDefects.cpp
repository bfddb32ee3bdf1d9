#include "SensorDefects.h"

#include "FactoryDefects.h"
#include "FrameModel.h"

#include <algorithm>
#include <utility>

namespace ZorvikSim {

namespace {

constexpr DefectKind AgedKinds[] = {DefectKind::Hot,  DefectKind::Flickering, DefectKind::Dead,
                                    DefectKind::Weak, DefectKind::Bright,     DefectKind::Stuck};
constexpr double AgedShare = 0.00002; // of the sensor's pixels, per kind
constexpr size_t MinimumPerKind = 6;  // so that a small sensor has some of each
constexpr int AttemptsPerDefect = 20;

// Around a 2 x 2 square: any 2 to 4 consecutive corners are adjacent pixels.
constexpr std::pair<int, int> SquareCorners[] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};

} // namespace

std::string DefectKindName(DefectKind kind)
{
    switch (kind) {
    case DefectKind::Hot: return "hot";
    case DefectKind::Flickering: return "flickering";
    case DefectKind::Dead: return "dead";
    case DefectKind::Weak: return "weak";
    case DefectKind::Bright: return "bright";
    case DefectKind::Stuck: return "stuck";
    }
    return std::string();
}

SensorDefects::SensorDefects(const CameraSetup &setup)
    : setup(setup), random(setup.serialNumber, NoiseStream::AgedDefects)
{
    AddFactoryDefects();
    for (DefectKind kind : AgedKinds)
        AddAgedDefects(kind);
    std::sort(defects.begin(), defects.end(), [](const SensorDefect &a, const SensorDefect &b) {
        return std::make_pair(a.row, a.column) < std::make_pair(b.row, b.column);
    });
}

void SensorDefects::AddFactoryDefects()
{
    NoiseSource kinds(setup.serialNumber, NoiseStream::FactoryKinds);
    for (const auto &pixel : FactoryDefectList(setup)) {
        if (kinds.Below(2))
            Add(pixel.first, pixel.second, DefectKind::Hot, kinds.LogUniform(25, 50) * FrameModel::DarkSpread());
        else
            Add(pixel.first, pixel.second, DefectKind::Dead, kinds.Uniform(0, 0.05));
    }
}

void SensorDefects::AddAgedDefects(DefectKind kind)
{
    const size_t pixels = size_t(setup.sensorWidth * setup.sensorHeight);
    const size_t wanted = std::max(MinimumPerKind, size_t(double(pixels) * AgedShare));
    const size_t first = defects.size();
    size_t groups = 0;
    for (size_t attempt = 0; defects.size() - first < wanted && attempt < wanted * AttemptsPerDefect; ++attempt) {
        if (PlaceGroup(kind, groups))
            ++groups;
    }
}

// Every fourth group a cluster around a square (on a sensor of one row a run), every fourth a
// run in a row, the others single pixels.
std::vector<SensorDefects::Cell> SensorDefects::DrawGroup(size_t groupIndex)
{
    const uint32_t width = uint32_t(setup.sensorWidth), height = uint32_t(setup.sensorHeight);
    const bool cluster = groupIndex % 4 == 1 && height > 1, single = groupIndex % 2 == 0;
    const uint32_t size = single ? 1 : 2 + random.Below(3);
    const int64_t row = random.Below(cluster ? height - 1 : height);
    const int64_t column = random.Below(cluster ? width - 1 : width - size + 1);
    const uint32_t corner = random.Below(4);
    std::vector<Cell> cells;
    for (uint32_t i = 0; i < size; ++i) {
        const auto &offset = SquareCorners[(corner + i) % 4];
        cells.push_back(cluster ? Cell(row + offset.first, column + offset.second) : Cell(row, column + i));
    }
    return cells;
}

bool SensorDefects::PlaceGroup(DefectKind kind, size_t groupIndex)
{
    const std::vector<Cell> cells = DrawGroup(groupIndex);
    if (!std::all_of(cells.begin(), cells.end(), [this](const Cell &cell) { return IsFree(cell.first, cell.second); }))
        return false;
    const double strength = AgedStrength(kind);
    for (const Cell &cell : cells)
        Add(cell.first, cell.second, kind, strength);
    return true;
}

// Not a defect and not beside one, so that each group stands alone.
bool SensorDefects::IsFree(int64_t row, int64_t column) const
{
    for (int64_t r = std::max<int64_t>(row - 1, 0); r <= std::min(row + 1, setup.sensorHeight - 1); ++r) {
        for (int64_t c = std::max<int64_t>(column - 1, 0); c <= std::min(column + 1, setup.sensorWidth - 1); ++c) {
            if (taken.count(uint64_t(r * setup.sensorWidth + c)))
                return false;
        }
    }
    return true;
}

void SensorDefects::Add(int64_t row, int64_t column, DefectKind kind, double strength)
{
    defects.push_back({uint16_t(row), uint16_t(column), kind, strength});
    taken.insert(uint64_t(row * setup.sensorWidth + column));
}

// Log-uniform where detectors compare against a threshold, so that many lie near it.
double SensorDefects::AgedStrength(DefectKind kind)
{
    switch (kind) {
    case DefectKind::Hot: return random.LogUniform(2, 50) * FrameModel::DarkSpread();
    case DefectKind::Flickering: return random.LogUniform(3, 50) * FrameModel::DarkSpread();
    case DefectKind::Dead: return random.Uniform(0, 0.10);
    case DefectKind::Weak: return 1 - random.LogUniform(0.05, 0.60);
    case DefectKind::Bright: return 1 + random.LogUniform(0.05, 0.60);
    case DefectKind::Stuck: return random.Below(65536);
    }
    return 0;
}

} // namespace ZorvikSim
