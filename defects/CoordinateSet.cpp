#include "CoordinateSet.h"

namespace {

size_t TableSizeFor(size_t elements)
{
    size_t size = 16;
    while (size < 2 * elements)
        size *= 2;
    return size;
}

} // namespace

CoordinateSet::CoordinateSet(int expectedSize)
    : table(TableSizeFor(size_t(qMax(expectedSize, 0))), Empty)
{
}

CoordinateSet::CoordinateSet(const QList<PixelCoords> &list)
    : CoordinateSet(list.size())
{
    for (const PixelCoords &coords : list)
        Insert(coords);
}

// The slot holding the key, or the empty slot where it belongs.
size_t CoordinateSet::SlotOf(quint64 key) const
{
    const size_t mask = table.size() - 1;
    size_t slot = size_t((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
    while (table[slot] != Empty && table[slot] != key)
        slot = (slot + 1) & mask;
    return slot;
}

bool CoordinateSet::Contains(const PixelCoords &coords) const
{
    return table[SlotOf(PackedCoords(coords))] != Empty;
}

bool CoordinateSet::Insert(const PixelCoords &coords)
{
    const quint64 key = PackedCoords(coords);
    const size_t slot = SlotOf(key);
    if (table[slot] == key)
        return false;
    table[slot] = key;
    if (2 * ++count > table.size())
        Grow();
    return true;
}

void CoordinateSet::Grow()
{
    std::vector<quint64> old(table.size() * 2, Empty);
    old.swap(table);
    for (quint64 key : old) {
        if (key != Empty)
            table[SlotOf(key)] = key;
    }
}

QList<PixelCoords> CoordinateSet::Merged(const QList<PixelCoords> &first, const QList<PixelCoords> &second)
{
    QList<PixelCoords> merged = first;
    CoordinateSet present(merged);
    for (const PixelCoords &coords : second) {
        if (present.Insert(coords))
            merged.append(coords);
    }
    return merged;
}
