#include "ReferenceEncoding.h"

bool ReferenceEncoding::Generate()
{
    if (coordinates.isEmpty() || description.sensorWidth < 9)
        return false;
    const bool colour = description.sensorType != QLatin1String("Mono");
    entries.clear();
    for (int i = 0; i < coordinates.size(); ++i) {
        const int r = coordinates[i].row;
        const int c = coordinates[i].column;
        quint32 unusable = colour ? 0x0BA : 0x010;
        for (int j = 0; j < coordinates.size(); ++j) {
            if (j == i || coordinates[j].row != r || coordinates[j].column == c)
                continue;
            const int d = coordinates[j].column - c;
            if (d < -4 || d > 4 || (colour && d % 2 != 0))
                continue;
            unusable |= 1u << (4 - d);
        }
        if (c < 4) {
            for (int bit = 8; bit >= c + 5; --bit)
                unusable |= 1u << bit;
        }
        if (c >= description.sensorWidth - 4) {
            for (qint64 bit = 0; bit <= c - description.sensorWidth + 4 && bit <= 8; ++bit)
                unusable |= 1u << bit;
        }
        entries.append(NbEntry{quint16(r), quint16(c), ~unusable & 0x1FF});
    }
    return true;
}

QList<PixelCoords> ReferenceEncoding::FindMoreThanFour() const
{
    QList<PixelCoords> found;
    for (const NbEntry &nb : entries) {
        for (quint32 window : {0x1F0u, 0x0F8u, 0x07Cu, 0x03Eu, 0x01Fu}) {
            if ((nb.neighbourMask & window) == 0) {
                found.append(PixelCoords(nb.row, nb.column));
                break;
            }
        }
    }
    return found;
}

QList<PixelCoords> ReferenceEncoding::RemoveMoreThanEight()
{
    return RemoveWhere([](const NbEntry &nb) { return nb.neighbourMask == 0; });
}

QList<PixelCoords> ReferenceEncoding::RemoveOutside(const CameraDescription &sensor)
{
    return RemoveWhere([&sensor](const NbEntry &nb) {
        return quint64(nb.row) >= quint64(sensor.sensorHeight) || quint64(nb.column) >= quint64(sensor.sensorWidth);
    });
}

QList<PixelCoords> ReferenceEncoding::RemoveWhere(const std::function<bool(const NbEntry &)> &matches)
{
    QList<PixelCoords> removed;
    for (int i = 0; i < entries.size();) {
        if (!matches(entries[i])) {
            ++i;
            continue;
        }
        const PixelCoords coords(entries[i].row, entries[i].column);
        removed.append(coords);
        entries.removeAt(i);
        coordinates.removeOne(coords);
    }
    return removed;
}

QList<PixelCoords> ReferenceEncoding::RemoveBeyondCapacity()
{
    QList<PixelCoords> beyond;
    for (int i = 0; i < coordinates.size(); ++i) {
        if (i >= description.defectCapacity)
            beyond.append(coordinates[i]);
    }
    while (coordinates.size() > qMax<qint64>(description.defectCapacity, 0))
        coordinates.removeLast();
    while (entries.size() > qMax<qint64>(description.defectCapacity, 0))
        entries.removeLast();
    return beyond;
}

QList<PixelCoords> ReferenceMerge(const QList<PixelCoords> &camera, const QList<PixelCoords> &user)
{
    QList<PixelCoords> merged = camera;
    for (const PixelCoords &coords : user) {
        if (!merged.contains(coords))
            merged.append(coords);
    }
    return merged;
}

bool ReferenceContainsAny(const QList<PixelCoords> &list, const QList<PixelCoords> &query)
{
    bool found = false;
    for (const PixelCoords &coords : query) {
        for (const PixelCoords &other : list)
            found = found || coords == other;
    }
    return found;
}

QList<PixelCoords> ReferenceWithoutDuplicates(const QList<PixelCoords> &list)
{
    QList<PixelCoords> unique;
    for (const PixelCoords &coords : list) {
        if (!unique.contains(coords))
            unique.append(coords);
    }
    return unique;
}

static void PutLittleEndian(std::vector<unsigned char> &out, size_t offset, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[offset + size_t(i)] = (value >> (8 * i)) & 0xFF;
}

std::vector<unsigned char> ReferenceFormat(const ReferenceEncoding &encoding)
{
    std::vector<unsigned char> out(4096 + 8 * size_t(encoding.entries.size()), 0xFF);
    const quint32 words[] = {0xFFFFFFFF, 1, 4096, quint32(encoding.entries.size()), 8,
                             quint32(encoding.description.sensorWidth),
                             quint32(encoding.description.sensorHeight)};
    for (size_t i = 0; i < 7; ++i)
        PutLittleEndian(out, 4 * i, words[i], 4);
    size_t offset = 4096;
    for (const NbEntry &nb : encoding.entries) {
        PutLittleEndian(out, offset, nb.column, 2);
        PutLittleEndian(out, offset + 2, nb.row, 2);
        PutLittleEndian(out, offset + 4, 0xF000 | nb.neighbourMask, 4);
        offset += 8;
    }
    return out;
}
