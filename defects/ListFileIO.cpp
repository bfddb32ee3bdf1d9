#include "ListFileIO.h"

#include "CoordinateSet.h"
#include "DebugLog.h"
#include "DefectFileLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <QtEndian>

namespace {

using DefectFileLayout::EntrySize;
using DefectFileLayout::HeaderSize;

bool FailWithName(const QString &text, const QString &fileName)
{
    return LogFailure(text + QLatin1Char(' ') + fileName);
}

quint32 HeaderWord(const std::vector<unsigned char> &content, int offset)
{
    return qFromLittleEndian<quint32>(content.data() + offset);
}

// Backup files named relative are taken from the program's own directory;
// resolving the name there leaves the working directory as it was.
QString InApplicationDirectory(const QString &fileName)
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(fileName);
}

// A failed write leaves any older file of that name as it was.
bool Commit(QSaveFile &file, const QString &fileName)
{
    if (!file.flush() || !file.commit())
        return FailWithName(QStringLiteral("Error. Failed to write file"), fileName);
    return true;
}

// The header as people write it, with or without blanks around the comma, anywhere in the
// first line.
bool IsCsvHeader(const QString &line)
{
    static const QRegularExpression header(QStringLiteral("Row[ \\t]*,[ \\t]*Column"));
    return header.match(line).hasMatch();
}

// Editors and spreadsheets end a file with blank lines; they hold no coordinate.
QStringList WithoutTrailingBlankLines(QStringList lines)
{
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

// A coordinate is a decimal whole number from 0 to 65535, blanks around it allowed; anything
// else would silently become a pixel the user never named.
bool ParseCoordinate(const QString &text, quint16 *out)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([0-9]{1,5})\\s*$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return false;
    const uint value = match.captured(1).toUInt();
    if (value > 65535)
        return false;
    *out = quint16(value);
    return true;
}

} // namespace

bool ListFileIO::ReadCsvFile(QString fileName, QList<PixelCoords> *out) const
{
    if (!out)
        return LogFailure(QStringLiteral("Error. No list to read into."));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return FailWithName(QStringLiteral("Error. Failed to open file"), fileName);

    QTextStream stream(&file);
    if (!IsCsvHeader(stream.readLine()))
        return LogFailure(QStringLiteral("Incorrect file format!"));

    const QStringList lines = WithoutTrailingBlankLines(stream.readAll().split(QLatin1Char('\n')));
    CoordinateSet present(*out);
    for (int index = 0; index < lines.size(); ++index) {
        PixelCoords coords;
        if (!ParseCsvRow(lines[index], &coords)) {
            LogLine(QStringLiteral("Error in processing input!"));
            // The header is line 1.
            return LogFailure(QStringLiteral("Line %1 is not a row and column from 0 to 65535: %2")
                                  .arg(index + 2)
                                  .arg(lines[index]));
        }
        if (!present.Insert(coords)) {
            LogLine(QStringLiteral("Duplicate value detected! Coordinates will not be added"));
            continue;
        }
        out->append(coords);
    }
    return true;
}

bool ListFileIO::ParseCsvRow(QString line, PixelCoords *out) const
{
    const QStringList parts = line.split(QLatin1Char(','));
    PixelCoords coords;
    if (parts.size() != 2 || !out || !ParseCoordinate(parts[0], &coords.row)
        || !ParseCoordinate(parts[1], &coords.column))
        return LogFailure(QStringLiteral("Error. Incorrect format in row"));
    *out = coords;
    return true;
}

bool ListFileIO::WriteCsvFile(QString fileName, QList<PixelCoords> list) const
{
    if (fileName.isEmpty())
        return LogFailure(QStringLiteral("Error! Filename empty."));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return FailWithName(QStringLiteral("Error. Failed to open file"), fileName);

    QTextStream stream(&file);
    stream << QStringLiteral("Row,Column") << '\n';
    for (const PixelCoords &coords : qAsConst(list))
        stream << coords.row << ", " << coords.column << '\n';
    stream.flush();
    return Commit(file, fileName);
}

bool ListFileIO::ExportBinaryDefectFile(QString fileName, const std::vector<unsigned char> &content) const
{
    if (fileName.isEmpty())
        return LogFailure(QStringLiteral("Error! Filename empty."));
    QSaveFile file(InApplicationDirectory(fileName));
    if (!file.open(QIODevice::WriteOnly))
        return FailWithName(QStringLiteral("Error. Failed to open file"), fileName);
    file.write(reinterpret_cast<const char *>(content.data()), qint64(content.size()));
    return Commit(file, fileName);
}

bool ListFileIO::ImportBinaryDefectFile(CameraDescription description, QString fileName,
                                        std::vector<unsigned char> *out) const
{
    if (fileName.isEmpty())
        return LogFailure(QStringLiteral("Error! Filename empty."));
    QFile file(InApplicationDirectory(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return FailWithName(QStringLiteral("Error! Failed to open file"), fileName);

    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return LogFailure(QStringLiteral("Error! Empty file. No DP information available."));
    const std::vector<unsigned char> content(bytes.cbegin(), bytes.cend());
    if (!ValidateBackupFile(description, content))
        return LogFailure(QStringLiteral("Error! Incorrect file structure or camera mismatch."));
    if (out)
        *out = content;
    return true;
}

bool ListFileIO::ValidateBackupFile(CameraDescription description, const std::vector<unsigned char> &content) const
{
    if (content.size() < size_t(HeaderSize))
        return LogFailure(QStringLiteral("Error! Incorrect file size."));
    if ((content.size() - HeaderSize) % EntrySize != 0)
        return LogFailure(QStringLiteral("Error! File data size mismatch."));
    if (HeaderWord(content, 8) != quint32(HeaderSize) || HeaderWord(content, 16) != quint32(EntrySize))
        return LogFailure(QStringLiteral("Error! File header size mismatch."));
    if (qint64(HeaderWord(content, 20)) != description.sensorWidth
        || qint64(HeaderWord(content, 24)) != description.sensorHeight)
        return LogFailure(QStringLiteral("Error! Sensor dimensions mismatch."));
    return true;
}
