#ifndef ZORVIKSIM_FACTORYDEFECTS_H
#define ZORVIKSIM_FACTORYDEFECTS_H

#include <ZorvikSim/Simulator.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace ZorvikSim {

// The defects a camera leaves the factory with, as (row, column), sorted: some tens
// scattered over the sensor and one run of five in a row; the same for the same serial number.
std::vector<std::pair<uint16_t, uint16_t>> FactoryDefectList(const CameraSetup &setup);

// That list as the content of the factory defect file.
std::vector<uint8_t> FactoryDefectFile(const CameraSetup &setup);

} // namespace ZorvikSim

#endif
