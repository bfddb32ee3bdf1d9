#ifndef DEFECTFILELAYOUT_H
#define DEFECTFILELAYOUT_H

#include <QtGlobal>

// The defect file as a camera stores it: a header of 32-bit words padded to HeaderSize bytes,
// then one EntrySize-byte entry per defect. A camera whose file may grow to L bytes holds
// (L - CapacityOverhead) / EntrySize entries: the header and 256 bytes more are not for entries.
namespace DefectFileLayout {

constexpr int HeaderSize = 4096;
constexpr int EntrySize = 8;
constexpr quint64 CapacityOverhead = HeaderSize + 256;

} // namespace DefectFileLayout

#endif
