#include "FuzzEntryPoints.h"

#include "ListFileIO.h"
#include "NeighborByteEncoding.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

QString InputFile(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("input"));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    return fileName;
}

} // namespace

bool FuzzDecodeDefectFile(const uint8_t *data, size_t size)
{
    const std::vector<unsigned char> content(data, data + size);
    QList<PixelCoords> coordinates;
    DecodeDefectFile(content, &coordinates);
    if (size < 4096)
        return coordinates.isEmpty();
    const quint64 counted = qFromLittleEndian<quint32>(data + 12);
    return quint64(coordinates.size()) == qMin<quint64>(counted, (size - 4096) / 8);
}

bool FuzzCsvReader(const uint8_t *data, size_t size)
{
    const QString fileName = InputFile(data, size);
    if (fileName.isEmpty())
        return true;
    QList<PixelCoords> coordinates;
    if (!ListFileIO().ReadCsvFile(fileName, &coordinates))
        return true;
    const QSet<PixelCoords> distinct(coordinates.cbegin(), coordinates.cend());
    return distinct.size() == coordinates.size();
}

bool FuzzBackupReader(const uint8_t *data, size_t size)
{
    const QString fileName = InputFile(data, size);
    if (fileName.isEmpty())
        return true;
    CameraDescription description;
    description.sensorWidth = 2048;
    description.sensorHeight = 1088;
    std::vector<unsigned char> content;
    const bool imported = ListFileIO().ImportBinaryDefectFile(description, fileName, &content);
    const bool valid = ListFileIO().ValidateBackupFile(description, std::vector<unsigned char>(data, data + size));
    if (imported != (valid && size > 0))
        return false;
    return !imported || (content.size() == size && std::equal(content.begin(), content.end(), data));
}
