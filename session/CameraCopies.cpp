#include "CameraCopies.h"

#include "BackupFileName.h"
#include "DebugLog.h"
#include "NeighborByteEncoding.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString Factory = QStringLiteral("factory");
const QString Backup = QStringLiteral("backup");

QByteArray Bytes(const std::vector<unsigned char> &content)
{
    return QByteArray(reinterpret_cast<const char *>(content.data()), int(content.size()));
}

QString Sha256(const QByteArray &content)
{
    return QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
}

bool WriteWhole(const QString &fileName, const QByteArray &content)
{
    QSaveFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

bool IsAutomatic(const CameraCopies::Copy &copy)
{
    return copy.operation != Factory && copy.operation != Backup;
}

QJsonObject ToJson(const CameraCopies::Copy &copy, const QDir &folder)
{
    const bool inFolder = QFileInfo(copy.file).path() == folder.path();
    return {{"file", inFolder ? QFileInfo(copy.file).fileName() : copy.file},
            {"time", copy.time.toString(Qt::ISODateWithMs)},
            {"operation", copy.operation},
            {"camera", copy.camera},
            {"model", copy.model},
            {"sensorWidth", copy.sensorWidth},
            {"sensorHeight", copy.sensorHeight},
            {"defects", copy.defects},
            {"sha256", copy.sha256},
            {"factoryListInUse", copy.factoryListInUse},
            {"finished", copy.finished}};
}

CameraCopies::Copy FromJson(const QJsonObject &object, const QDir &folder)
{
    CameraCopies::Copy copy;
    copy.file = folder.absoluteFilePath(object.value("file").toString());
    copy.time = QDateTime::fromString(object.value("time").toString(), Qt::ISODateWithMs);
    copy.operation = object.value("operation").toString();
    copy.camera = object.value("camera").toString();
    copy.model = object.value("model").toString();
    copy.sensorWidth = qint64(object.value("sensorWidth").toDouble());
    copy.sensorHeight = qint64(object.value("sensorHeight").toDouble());
    copy.defects = object.value("defects").toInt();
    copy.sha256 = object.value("sha256").toString();
    copy.factoryListInUse = object.value("factoryListInUse").toBool();
    copy.finished = object.value("finished").toBool(true);
    return copy;
}

} // namespace

QString CameraCopies::Copy::Done() const
{
    if (operation == Factory)
        return QStringLiteral("factory list");
    if (operation == Backup)
        return QStringLiteral("backup");
    return QStringLiteral("before ") + operation + (finished ? QString() : QStringLiteral(" (unfinished)"));
}

CameraCopies::CameraCopies(const CameraDescription &description, const QString &entry)
    : description(description), entry(entry), folder(Folder(description.serialNumber))
{
}

QString CameraCopies::Folder(const QString &serialNumber)
{
    QString name = FileNameSafe(serialNumber);
    if (name.isEmpty() || name == QLatin1String("."))
        name = QStringLiteral("_");
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Corvane/Talvern/backups/") + name;
}

bool CameraCopies::Keep(const QString &operation, const std::vector<unsigned char> &content, bool factoryListInUse,
                        Copy *kept)
{
    if (!QDir().mkpath(folder)) {
        LogLine(QStringLiteral("Error! Could not create ") + folder);
        return false;
    }
    Copy copy = Describe(operation, content, factoryListInUse);
    const QString stem = folder + QLatin1Char('/') + copy.time.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz'Z-'"))
        + operation;
    copy.file = stem + QStringLiteral(".bin");
    for (int another = 2; QFile::exists(copy.file); ++another)
        copy.file = stem + QLatin1Char('-') + QString::number(another) + QStringLiteral(".bin");
    copy.finished = operation == Factory;
    QList<Copy> copies = Load();
    copies.append(copy);
    const QStringList pruned = Prune(copies);
    if (!WriteWhole(copy.file, Bytes(content)) || !Save(copies)) {
        LogLine(QStringLiteral("Error! Could not keep a copy in ") + copy.file);
        QFile::remove(copy.file);
        return false;
    }
    for (const QString &old : pruned)
        QFile::remove(old);
    if (kept)
        *kept = copy;
    return true;
}

bool CameraCopies::Finish(const Copy &copy)
{
    QList<Copy> copies = Load();
    for (Copy &recorded : copies) {
        if (recorded.file == copy.file)
            recorded.finished = true;
    }
    return Save(copies);
}

bool CameraCopies::RecordBackup(const QString &fileName, const std::vector<unsigned char> &content)
{
    Copy copy = Describe(Backup, content, false);
    copy.file = QFileInfo(fileName).absoluteFilePath();
    QList<Copy> copies = Load();
    copies.append(copy);
    return QDir().mkpath(folder) && Save(copies);
}

QList<CameraCopies::Copy> CameraCopies::Records() const
{
    return Load();
}

bool CameraCopies::HasFactoryCopy() const
{
    const QList<Copy> copies = Load();
    return std::any_of(copies.begin(), copies.end(), [](const Copy &copy) { return copy.operation == Factory; });
}

std::optional<CameraCopies::Copy> CameraCopies::Unfinished() const
{
    QList<Copy> copies = Load();
    copies.erase(std::remove_if(copies.begin(), copies.end(), [](const Copy &copy) { return !IsAutomatic(copy); }),
                 copies.end());
    if (copies.isEmpty() || copies.last().finished)
        return std::nullopt;
    return copies.last();
}

bool CameraCopies::Read(const Copy &copy, std::vector<unsigned char> &content)
{
    QFile file(copy.file);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (Sha256(bytes) != copy.sha256)
        return false;
    content.assign(bytes.begin(), bytes.end());
    return true;
}

CameraCopies::Copy CameraCopies::Describe(const QString &operation, const std::vector<unsigned char> &content,
                                          bool factoryListInUse) const
{
    QList<PixelCoords> defects;
    DecodeDefectFile(content, &defects);
    Copy copy;
    copy.time = QDateTime::currentDateTimeUtc();
    copy.operation = operation;
    copy.camera = entry;
    copy.model = description.model;
    copy.sensorWidth = description.sensorWidth;
    copy.sensorHeight = description.sensorHeight;
    copy.defects = defects.size();
    copy.sha256 = Sha256(Bytes(content));
    copy.factoryListInUse = factoryListInUse;
    return copy;
}

// An index that cannot be read is set aside, never overwritten, so that what it records can
// still be looked at.
QList<CameraCopies::Copy> CameraCopies::Load() const
{
    QFile file(IndexPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    file.close();
    if (!document.object().value("copies").isArray()) {
        const QString aside = IndexPath() + QStringLiteral(".broken-")
            + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
        LogLine(QStringLiteral("Error! Unreadable index of copies set aside as ") + aside);
        QFile::rename(IndexPath(), aside);
        return {};
    }
    QList<Copy> copies;
    const QDir directory(folder);
    for (const QJsonValue &value : document.object().value("copies").toArray())
        copies.append(FromJson(value.toObject(), directory));
    return copies;
}

bool CameraCopies::Save(const QList<Copy> &copies) const
{
    QJsonArray array;
    const QDir directory(folder);
    for (const Copy &copy : copies)
        array.append(ToJson(copy, directory));
    return WriteWhole(IndexPath(), QJsonDocument(QJsonObject{{"copies", array}}).toJson());
}

// The oldest automatic copies beyond the retained number leave the index; their files are
// returned, to be removed once the index no longer names them.
QStringList CameraCopies::Prune(QList<Copy> &copies) const
{
    QStringList files;
    int automatic = int(std::count_if(copies.begin(), copies.end(), IsAutomatic));
    for (auto it = copies.begin(); it != copies.end() && automatic > Retained;) {
        if (IsAutomatic(*it)) {
            files.append(it->file);
            it = copies.erase(it);
            --automatic;
        } else {
            ++it;
        }
    }
    return files;
}

QString CameraCopies::IndexPath() const
{
    return folder + QStringLiteral("/index.json");
}
