#include "NeighborByteEncoding.h"

#include "DebugLog.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>

using DefectFileLayout::EntrySize;
using DefectFileLayout::HeaderSize;

namespace {

constexpr quint32 MonoUnusable = 0x010;   // the defect itself
constexpr quint32 ColourUnusable = 0x0BA; // the defect and offsets +-1, +-3 (other Bayer channels)
constexpr quint32 MaskBits = 0x1FF;
constexpr quint32 MaskMarker = 0xF000;
constexpr int Reach = 4;
constexpr quint32 LittleEndianMarker = 0xFFFFFFFF;

// The five windows of five positions that contain the defect (bit 4).
constexpr quint32 RunWindows[] = {0x1F0, 0x0F8, 0x07C, 0x03E, 0x01F};

quint32 ReadWord(const unsigned char *bytes)
{
    return qFromLittleEndian<quint32>(bytes);
}

quint16 ReadHalf(const unsigned char *bytes, bool littleEndian)
{
    return littleEndian ? qFromLittleEndian<quint16>(bytes) : qFromBigEndian<quint16>(bytes);
}

// Stable radix sort on the packed position (the high word), a byte per pass:
// linear in the list length.
void SortByPosition(std::vector<quint64> &order)
{
    std::vector<quint64> buffer(order.size());
    for (int shift = 32; shift < 64; shift += 8) {
        std::array<size_t, 257> start{};
        for (quint64 item : order)
            ++start[((item >> shift) & 0xFF) + 1];
        for (size_t digit = 1; digit < start.size(); ++digit)
            start[digit] += start[digit - 1];
        for (quint64 item : order)
            buffer[start[(item >> shift) & 0xFF]++] = item;
        order.swap(buffer);
    }
}

// Packed position and list index, sorted by row, then column.
std::vector<quint64> SortedByPosition(const QList<PixelCoords> &coordinates)
{
    std::vector<quint64> order;
    order.reserve(size_t(coordinates.size()));
    for (int i = 0; i < coordinates.size(); ++i)
        order.push_back((quint64(PackedCoords(coordinates.at(i))) << 32) | quint32(i));
    SortByPosition(order);
    return order;
}

// Same row, and the second at most four columns right of the first.
bool IsNear(quint32 first, quint32 second)
{
    return (first >> 16) == (second >> 16) && second - first <= quint32(Reach);
}

// The mask bit of a listed defect at distance (1 to 4 columns, same row) on
// the given side; other colour channels (odd distance) never count.
quint32 NeighbourBit(quint32 distance, int side, bool colour)
{
    if (colour && distance % 2 != 0)
        return 0;
    return 1u << (Reach - side * int(distance));
}

// Sorted by row and column, the defects of one row within four columns of
// each other are neighbours in the list of distinct positions; positionOf maps
// each list index to its position there.
void DistinctPositions(const QList<PixelCoords> &coordinates, std::vector<quint32> *positions,
                       std::vector<int> *positionOf)
{
    const std::vector<quint64> order = SortedByPosition(coordinates);
    positions->reserve(order.size());
    positionOf->resize(order.size());
    for (quint64 item : order) {
        const quint32 position = quint32(item >> 32);
        if (positions->empty() || positions->back() != position)
            positions->push_back(position);
        (*positionOf)[item & 0xFFFFFFFF] = int(positions->size()) - 1;
    }
}

// Only "Mono" is monochrome; any other type but "Bayer" is logged and encoded
// with the colour rule, which never counts a pixel of another channel usable.
bool IsColourSensor(const QString &sensorType)
{
    if (sensorType == QLatin1String("Mono"))
        return false;
    if (sensorType != QLatin1String("Bayer")) {
        const QString line = QStringLiteral("Unknown sensor type %1, encoding with the Bayer neighbour rule.")
                                 .arg(sensorType);
        LogLine(line);
    }
    return true;
}

bool IsInRunOfMoreThanFour(quint32 mask)
{
    return std::any_of(std::begin(RunWindows), std::end(RunWindows),
                       [mask](quint32 window) { return (mask & window) == 0; });
}

} // namespace

NeighborByteEncoding::NeighborByteEncoding()
{
    header.fill(0xFF);
}

void NeighborByteEncoding::SetData(const CameraDescription &newDescription,
                                   const QList<PixelCoords> &newCoordinates)
{
    description = newDescription;
    coordinates = newCoordinates;
}

bool NeighborByteEncoding::Generate1DNbEncodingFromDefectImage()
{
    if (coordinates.isEmpty() || description.sensorWidth < 2 * Reach + 1)
        return false;

    const bool colour = IsColourSensor(description.sensorType);
    std::vector<quint32> positions;
    std::vector<int> positionOf;
    DistinctPositions(coordinates, &positions, &positionOf);
    std::vector<quint32> masks(positions.size());
    for (size_t i = 0; i < positions.size(); ++i)
        masks[i] = ~UnusablePositions(positions, i, colour) & MaskBits;

    entries.clear();
    entries.reserve(coordinates.size());
    for (int i = 0; i < coordinates.size(); ++i) {
        const PixelCoords &coords = coordinates.at(i);
        entries.append(NbEntry{coords.row, coords.column, masks[size_t(positionOf[size_t(i)])]});
    }
    return true;
}

// Position column + d is unusable when it is the defect, lies outside the
// sensor, belongs to another colour channel, or is itself listed as defective.
quint32 NeighborByteEncoding::UnusablePositions(const std::vector<quint32> &positions, size_t index,
                                                bool colour) const
{
    const quint32 position = positions[index];
    const qint64 column = position & 0xFFFF;
    quint32 unusable = colour ? ColourUnusable : MonoUnusable;
    for (int d = -Reach; d <= Reach; ++d) {
        if (column + d < 0 || column + d >= description.sensorWidth)
            unusable |= 1u << (Reach - d);
    }
    for (size_t left = index; left > 0 && IsNear(positions[left - 1], position); --left)
        unusable |= NeighbourBit(position - positions[left - 1], -1, colour);
    for (size_t right = index + 1; right < positions.size() && IsNear(position, positions[right]); ++right)
        unusable |= NeighbourBit(positions[right] - position, 1, colour);
    return unusable;
}

int NeighborByteEncoding::GetDefectFileSize() const
{
    return HeaderSize + EntrySize * entries.size();
}

bool NeighborByteEncoding::FormatDefectFileData(std::vector<unsigned char> *out)
{
    if (entries.isEmpty() || !out)
        return false;

    out->resize(size_t(GetDefectFileSize()));
    WriteHeader(quint32(entries.size()));
    std::copy(header.begin(), header.end(), out->begin());

    unsigned char *entry = out->data() + HeaderSize;
    for (const NbEntry &nb : qAsConst(entries)) {
        qToLittleEndian<quint16>(nb.column, entry);
        qToLittleEndian<quint16>(nb.row, entry + 2);
        qToLittleEndian<quint32>(MaskMarker | nb.neighbourMask, entry + 4);
        entry += EntrySize;
        const QString line = QStringLiteral("[%1, %2]: %3 %4")
                                 .arg(nb.row)
                                 .arg(nb.column)
                                 .arg(nb.neighbourMask, 0, 16)
                                 .arg(nb.neighbourMask, 0, 2);
        LogLine(line);
    }
    return true;
}

void NeighborByteEncoding::WriteHeader(quint32 entryCount)
{
    const quint32 words[] = {LittleEndianMarker, 1, HeaderSize, entryCount, EntrySize,
                             quint32(description.sensorWidth), quint32(description.sensorHeight)};
    unsigned char *word = header.data();
    for (quint32 value : words) {
        qToLittleEndian<quint32>(value, word);
        word += 4;
    }
}

QList<PixelCoords> NeighborByteEncoding::FindMoreThanFourConsecutive() const
{
    QList<PixelCoords> found;
    for (const NbEntry &nb : entries) {
        if (IsInRunOfMoreThanFour(nb.neighbourMask))
            found.append(PixelCoords(nb.row, nb.column));
    }
    return found;
}

QList<PixelCoords> NeighborByteEncoding::RemoveMoreThanEightConsecutive()
{
    return RemoveEntriesWhere([](const NbEntry &nb) { return nb.neighbourMask == 0; });
}

QList<PixelCoords> NeighborByteEncoding::RemoveOutsideSensorRange(const CameraDescription &sensor)
{
    const quint64 width = quint64(sensor.sensorWidth);
    const quint64 height = quint64(sensor.sensorHeight);
    return RemoveEntriesWhere([width, height](const NbEntry &nb) { return nb.row >= height || nb.column >= width; });
}

// Drops the matching entries, keeping the order of the others, and for each
// the first equal coordinate; returns the dropped coordinates in entry order.
QList<PixelCoords> NeighborByteEncoding::RemoveEntriesWhere(const std::function<bool(const NbEntry &)> &matches)
{
    QList<PixelCoords> removed;
    QList<NbEntry> kept;
    kept.reserve(entries.size());
    for (const NbEntry &nb : qAsConst(entries)) {
        if (matches(nb))
            removed.append(PixelCoords(nb.row, nb.column));
        else
            kept.append(nb);
    }
    entries.swap(kept);
    RemoveFirstEqualCoordinates(removed);
    return removed;
}

// For each removed coordinate, in order, the first equal one still in the
// coordinate list goes: one pass that drops the first k copies of a value
// removed k times.
void NeighborByteEncoding::RemoveFirstEqualCoordinates(const QList<PixelCoords> &removed)
{
    if (removed.isEmpty())
        return;
    QHash<quint32, int> pending;
    pending.reserve(removed.size());
    for (const PixelCoords &coords : removed)
        ++pending[PackedCoords(coords)];

    QList<PixelCoords> kept;
    kept.reserve(coordinates.size());
    for (const PixelCoords &coords : qAsConst(coordinates)) {
        auto it = pending.find(PackedCoords(coords));
        if (it != pending.end() && it.value() > 0)
            --it.value();
        else
            kept.append(coords);
    }
    coordinates.swap(kept);
}

QList<PixelCoords> NeighborByteEncoding::RemoveBeyondCapacity()
{
    const qint64 capacity = qMax<qint64>(description.defectCapacity, 0);
    if (coordinates.size() <= capacity && entries.size() <= capacity)
        return {};
    const int keep = int(capacity);
    const QList<PixelCoords> beyond = coordinates.mid(keep);
    coordinates = coordinates.mid(0, keep);
    entries = entries.mid(0, keep);
    return beyond;
}

void DecodeDefectFile(const std::vector<unsigned char> &content, QList<PixelCoords> *coordinates)
{
    if (!coordinates)
        return;
    if (content.empty())
        return;
    if (content.size() < size_t(HeaderSize)) {
        const QString line = QStringLiteral("Defect file of %1 bytes is shorter than its header.")
                                 .arg(content.size());
        LogLine(line);
        return;
    }

    const unsigned char *bytes = content.data();
    const bool littleEndian = ReadWord(bytes) == LittleEndianMarker;
    const quint64 counted = ReadWord(bytes + 12);
    const quint64 present = (content.size() - HeaderSize) / EntrySize;
    if (counted > present) {
        const QString line = QStringLiteral("Defect file counts %1 entries but holds %2; reading %2.")
                                 .arg(counted)
                                 .arg(present);
        LogLine(line);
    }

    const quint64 count = std::min(counted, present);
    coordinates->reserve(coordinates->size() + int(count));
    const unsigned char *entry = bytes + HeaderSize;
    for (quint64 i = 0; i < count; ++i, entry += EntrySize) {
        const quint16 column = ReadHalf(entry, littleEndian);
        const quint16 row = ReadHalf(entry + 2, littleEndian);
        coordinates->append(PixelCoords(row, column));
    }
}
