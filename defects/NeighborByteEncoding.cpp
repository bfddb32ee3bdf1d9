#include "NeighborByteEncoding.h"

#include <QDebug>
#include <QHash>
#include <QtEndian>

#include <algorithm>

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

    const bool mono = description.sensorType == QLatin1String("Mono");
    const bool colour = !mono;
    if (!mono && description.sensorType != QLatin1String("Bayer")) {
        const QString line = QStringLiteral("Unknown sensor type %1, encoding with the Bayer neighbour rule.")
                                 .arg(description.sensorType);
        qDebug().noquote() << line;
    }

    QSet<quint32> defects;
    defects.reserve(coordinates.size());
    for (const PixelCoords &coords : qAsConst(coordinates))
        defects.insert(PackedCoords(coords));

    entries.clear();
    entries.reserve(coordinates.size());
    for (const PixelCoords &coords : qAsConst(coordinates)) {
        const quint32 unusable = UnusablePositions(coords, colour, defects);
        entries.append(NbEntry{coords.row, coords.column, ~unusable & MaskBits});
    }
    return true;
}

// Position column + d is unusable when it is the defect, lies outside the
// sensor, belongs to another colour channel, or is itself listed as defective.
quint32 NeighborByteEncoding::UnusablePositions(const PixelCoords &coords, bool colour,
                                                const QSet<quint32> &defects) const
{
    quint32 unusable = colour ? ColourUnusable : MonoUnusable;
    for (int d = -Reach; d <= Reach; ++d) {
        const quint32 bit = 1u << (Reach - d);
        const qint64 position = qint64(coords.column) + d;
        if (position < 0 || position >= description.sensorWidth) {
            unusable |= bit;
            continue;
        }
        if ((unusable & bit) || position > 0xFFFF)
            continue;
        if (defects.contains(PackedCoords(PixelCoords(coords.row, quint16(position)))))
            unusable |= bit;
    }
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
        qDebug().noquote() << line;
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
    QList<PixelCoords> removed;
    QList<NbEntry> kept;
    kept.reserve(entries.size());
    for (const NbEntry &nb : qAsConst(entries)) {
        if (nb.neighbourMask == 0)
            removed.append(PixelCoords(nb.row, nb.column));
        else
            kept.append(nb);
    }
    entries.swap(kept);
    RemoveFirstEqualCoordinates(removed);
    return removed;
}

QList<PixelCoords> NeighborByteEncoding::RemoveOutsideSensorRange(const CameraDescription &sensor)
{
    const quint64 width = quint64(sensor.sensorWidth);
    const quint64 height = quint64(sensor.sensorHeight);
    QList<PixelCoords> removed;
    QList<NbEntry> kept;
    kept.reserve(entries.size());
    for (const NbEntry &nb : qAsConst(entries)) {
        if (nb.row < height && nb.column < width)
            kept.append(nb);
        else
            removed.append(PixelCoords(nb.row, nb.column));
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
    coordinates->clear();
    if (content.empty())
        return;
    if (content.size() < size_t(NeighborByteEncoding::HeaderSize)) {
        const QString line = QStringLiteral("Defect file of %1 bytes is shorter than its header.")
                                 .arg(content.size());
        qDebug().noquote() << line;
        return;
    }

    const unsigned char *bytes = content.data();
    const bool littleEndian = ReadWord(bytes) == LittleEndianMarker;
    const quint64 counted = ReadWord(bytes + 12);
    const quint64 present = (content.size() - NeighborByteEncoding::HeaderSize) / NeighborByteEncoding::EntrySize;
    if (counted > present) {
        const QString line = QStringLiteral("Defect file counts %1 entries but holds %2; reading %2.")
                                 .arg(counted)
                                 .arg(present);
        qDebug().noquote() << line;
    }

    const quint64 count = std::min(counted, present);
    coordinates->reserve(int(count));
    const unsigned char *entry = bytes + NeighborByteEncoding::HeaderSize;
    for (quint64 i = 0; i < count; ++i, entry += NeighborByteEncoding::EntrySize) {
        const quint16 column = ReadHalf(entry, littleEndian);
        const quint16 row = ReadHalf(entry + 2, littleEndian);
        coordinates->append(PixelCoords(row, column));
    }
}
