#ifndef ZORVIKSIM_FRAMEENCODING_H
#define ZORVIKSIM_FRAMEENCODING_H

#include <ZorvikSim/Simulator.h>

#include <cstdint>
#include <vector>

namespace ZorvikSim {

// A 16-bit greyscale frame, row after row, as the bytes of one file: binary PGM (P5, maxval
// 65535, big-endian samples), PNG (bit depth 16, colour type 0, stored deflate blocks) or
// baseline TIFF (little-endian, uncompressed, in strips of about 64 KiB).
std::vector<uint8_t> EncodeFrame(const std::vector<uint16_t> &pixels, uint32_t width, uint32_t height,
                                 FrameFormat format);

// Whether a frame of that size fits the format: TIFF's offsets have 32 bits.
bool FormatHolds(FrameFormat format, uint32_t width, uint32_t height);

} // namespace ZorvikSim

#endif
