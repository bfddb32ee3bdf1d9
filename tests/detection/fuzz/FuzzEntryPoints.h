#ifndef FUZZENTRYPOINTS_H
#define FUZZENTRYPOINTS_H

#include "FrameReader.h"

#include <QtEndian>

// The frame readers fed one input from memory; false when what was read is inconsistent with the
// input. Shared by the fuzz targets and the ctest that replays their corpus.

// A frame read holds its width x height samples, all of which the input held; a refusal names the input.
inline bool FuzzPgmReader(const uint8_t *data, size_t size)
{
    FrameReader reader;
    Frame frame;
    if (!reader.ReadPgm(QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size)), "input", &frame))
        return reader.ErrorString().startsWith("input: ");
    const size_t samples = size_t(frame.width) * size_t(frame.height);
    return (frame.bitDepth == 8 || frame.bitDepth == 16) && frame.samples.size() == samples
        && samples * size_t(frame.bitDepth / 8) <= size;
}

// The first two bytes give the width and height (1 to 16), the rest is the frame: read
// exactly when its length fits, and then word by word.
inline bool FuzzRawReader(const uint8_t *data, size_t size)
{
    if (size < 2)
        return true;
    FrameReader reader;
    reader.SetRawSize(QSize(data[0] % 16 + 1, data[1] % 16 + 1));
    const bool fits = size - 2 == size_t(data[0] % 16 + 1) * size_t(data[1] % 16 + 1) * 2;
    Frame frame;
    if (!reader.ReadRaw(QByteArray::fromRawData(reinterpret_cast<const char *>(data + 2), int(size - 2)), "input", &frame))
        return !fits && reader.ErrorString().startsWith("input: ");
    for (size_t i = 0; i < frame.samples.size(); ++i) {
        if (frame.samples[i] != qFromLittleEndian<quint16>(data + 2 + 2 * i))
            return false;
    }
    return fits;
}

#endif
