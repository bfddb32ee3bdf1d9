#ifndef ZORVIKSIM_FRAMEFILES_H
#define ZORVIKSIM_FRAMEFILES_H

#include <ZorvikSim/Simulator.h>

#include <string>

namespace ZorvikSim {

// WriteFrames for a camera's setup: the frames and truth.csv in the request's folder.
bool WriteCameraFrames(const CameraSetup &setup, const FrameRequest &request, std::string &error);

} // namespace ZorvikSim

#endif
