#ifndef FUZZENTRYPOINTS_H
#define FUZZENTRYPOINTS_H

#include <cstddef>
#include <cstdint>

// The readers of outside bytes, each fed one input; false when what was read
// is inconsistent with the input. Shared by the fuzz targets and the ctest
// that replays their corpus.
bool FuzzDecodeDefectFile(const uint8_t *data, size_t size);
bool FuzzCsvReader(const uint8_t *data, size_t size);
bool FuzzBackupReader(const uint8_t *data, size_t size);

#endif
