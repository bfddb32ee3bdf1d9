#ifndef FUZZENTRYPOINTS_H
#define FUZZENTRYPOINTS_H

#include "ListFileIO.h"
#include "NeighborByteEncoding.h"

#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>

// The readers of outside bytes, each fed one input; false when what was read is
// inconsistent with the input. Shared by the fuzz targets and the ctest that
// replays their corpus.

// The input as a file, for the readers that take a file name.
inline QString InputFile(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("input")));
    const bool written = file.open(QIODevice::WriteOnly)
                      && file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
    return written ? file.fileName() : QString();
}

// As many entries as the header counts and the content holds, none without a header.
inline bool FuzzDecodeDefectFile(const uint8_t *data, size_t size)
{
    QList<PixelCoords> coordinates;
    DecodeDefectFile(std::vector<unsigned char>(data, data + size), &coordinates);
    const quint64 present = size < 4096 ? 0 : (size - 4096) / 8;
    return quint64(coordinates.size()) == (present ? qMin<quint64>(qFromLittleEndian<quint32>(data + 12), present) : 0);
}

// A list read has no repeats.
inline bool FuzzCsvReader(const uint8_t *data, size_t size)
{
    QList<PixelCoords> coordinates;
    if (!ListFileIO().ReadCsvFile(InputFile(data, size), &coordinates))
        return true;
    return QSet<PixelCoords>(coordinates.cbegin(), coordinates.cend()).size() == coordinates.size();
}

// A backup is taken whole exactly when it is valid for the camera.
inline bool FuzzBackupReader(const uint8_t *data, size_t size)
{
    CameraDescription description;
    description.sensorWidth = 2048;
    description.sensorHeight = 1088;
    const std::vector<unsigned char> input(data, data + size);
    std::vector<unsigned char> content;
    const bool imported = ListFileIO().ImportBinaryDefectFile(description, InputFile(data, size), &content);
    return imported == (size > 0 && ListFileIO().ValidateBackupFile(description, input))
        && (!imported || content == input);
}

#endif
