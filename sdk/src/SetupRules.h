#ifndef ZORVIKSIM_SETUPRULES_H
#define ZORVIKSIM_SETUPRULES_H

#include <ZorvikSim/Simulator.h>

namespace ZorvikSim {

// The setup with its ID filled in from the serial number when empty.
CameraSetup Completed(const CameraSetup &setup);

// Texts on one line, an ID usable as a file name, a sensor the defect file can describe
// (9 to 65535 columns, 1 to 65535 rows, "Mono" or "Bayer"), a flash file of at most 16 MiB.
bool IsValidSetup(const CameraSetup &setup);

} // namespace ZorvikSim

#endif
