#ifndef CLIFIXTURE_H
#define CLIFIXTURE_H

#include <ZorvikSim/Simulator.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Bytes = std::vector<uint8_t>;
using RowColumns = std::vector<std::pair<uint16_t, uint16_t>>;


const uint32_t Custom = ZorvikSim::CustomDefectFileId;
const uint32_t Factory = ZorvikSim::FactoryDefectFileId;

// The monochrome camera's list: a run of five in row 20 and two loose defects.
const RowColumns Run = {{20, 10}, {20, 11}, {20, 12}, {20, 13}, {20, 14}};
const RowColumns MonoList = {{20, 10}, {20, 11}, {20, 12}, {20, 13}, {20, 14}, {300, 7}, {1500, 2000}};
// The user's files: a pixel below the sensor's 2048 rows, two pixels that fit every sensor, a backup.
const QString Outside = "5000,3";
const RowColumns Added = {{5, 5}, {600, 900}};
const RowColumns Restored = {{1, 2}, {700, 800}};

struct Attached
{
    ZorvikSim::CameraSetup setup;
    QString entry;   // as talvern-cli lists it
    RowColumns list; // its custom defect file; none: empty, as the camera left the factory
};

// In the order the stand-in lists them, by ID. The unsupported model's ID is the colour camera's
// serial number, so that "1002" names two cameras.
const Attached Cameras[] = {
    {{"HN2702-M", "1001", "1001", 2048, 2048, "Mono", true, 65536}, "HN2702-M-1001", MonoList},
    {{"VX1100-M", "3001", "1002", 1280, 1024, "Mono", true, 16384}, "VX1100-M-3001(1002)", {}},
    {{"HN2701-M", "10-03", "1003", 1600, 1200, "Mono", true, 65536}, "HN2701-M-10-03(1003)", {{7, 7}, {8, 100}}},
    {{"HN2701-M", "4001", "4001", 1600, 1200, "Mono", false, 16384}, "HN2701-M-4001", {}},
    {{"HN2703-C", "1002", "CAM-7", 1936, 1216, "Bayer", true, 32768}, "HN2703-C-1002(CAM-7)", {{100, 200}, {1000, 1900}}},
};
const Attached &Mono = Cameras[0];
const QString CopiesFolder = "home/data/Corvane/Talvern/backups/1001/";
const QString Unfinished = "talvern-cli: warning: a write into HN2702-M-1001 did not finish; 'talvern-cli recover 1001' puts back the list it held before";
const Attached &Colour = Cameras[4];

inline QStringList Entries()
{
    QStringList entries;
    for (const Attached &camera : Cameras)
        entries << camera.entry;
    return entries;
}

inline QByteArray Encoded(const RowColumns &list, const ZorvikSim::CameraSetup &setup = Mono.setup)
{
    const Bytes content = ZorvikSim::EncodeDefectFile(setup.sensorWidth, setup.sensorHeight, setup.sensorType, list);
    return QByteArray(reinterpret_cast<const char *>(content.data()), int(content.size()));
}

inline QStringList Lines(const RowColumns &list)
{
    QStringList lines;
    for (const auto &[row, column] : list)
        lines << QString("%1,%2").arg(row).arg(column);
    return lines;
}

inline QStringList Decoded(const QByteArray &content)
{
    RowColumns list;
    ZorvikSim::DecodeDefectFile(Bytes(content.cbegin(), content.cend()), list);
    return Lines(list);
}

// A camera as its entry, model and serial number, a defect as "row,column", a finding as its kind and the defects it names.
inline QString Text(const QJsonValue &item)
{
    if (item["entry"].isString())
        return QStringList{item["entry"].toString(), item["model"].toString(), item["serialNumber"].toString()}.join(' ');
    if (item["kind"].isUndefined())
        return QString("%1,%2").arg(item["row"].toInt()).arg(item["column"].toInt());
    QStringList coordinates;
    for (const QJsonValue pixel : item["coordinates"].toArray())
        coordinates << Text(pixel);
    return item["kind"].toString() + ": " + coordinates.join(' ');
}

inline QStringList SplitLines(const QByteArray &output)
{
    return QString::fromLocal8Bit(output).split('\n', Qt::SkipEmptyParts);
}

// What one run of talvern-cli printed and returned.
struct Ran
{
    int status = -1; // -1: it did not start, or crashed
    QStringList out, err;
    QJsonObject json; // standard output when it is one JSON object and nothing else
};

// talvern-cli on the cameras of a folder of its own, with a home of its own, run in the folder of
// the user's files. A write into a camera takes the program 1 to 3 s (its status polls, and the
// stand-in's erase and store times, which live in its process), so the tests make few.
class CliFixture : public QObject
{
protected:
    std::unique_ptr<QTemporaryDir> dir;

    // The user's folder, or a file in it.
    QString Path(const QString &name = QString()) const { return QDir(QFileInfo(dir->path()).canonicalFilePath()).filePath(name); }
    QByteArray File(const Attached &camera, uint32_t fileId = Custom) const
    {
        Bytes content;
        ZorvikSim::GetFile(camera.setup.id, fileId, content);
        return QByteArray(reinterpret_cast<const char *>(content.data()), int(content.size()));
    }
    bool SetFile(const Attached &camera, const QByteArray &content) const
    {
        return ZorvikSim::SetFile(camera.setup.id, Custom, Bytes(content.cbegin(), content.cend()));
    }
    bool Write(const QString &name, const QByteArray &content) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    }
    QByteArray Read(const QString &name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The names in the user's folder, then every camera's custom file.
    QByteArrayList Held() const
    {
        QByteArrayList held{QDir(Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(' ').toUtf8()};
        for (const Attached &camera : Cameras)
            held << File(camera);
        return held;
    }
    void Prepare(QProcess &process) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const auto &[variable, folder] : {std::pair{"ZORVIK_SIM_HOME", "cameras"}, {"HOME", "home"}, {"XDG_CONFIG_HOME", "home/config"}, {"XDG_DATA_HOME", "home/data"}})
            environment.insert(variable, Path(folder));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(Path());
    }
    // Started with --verbose and killed (SIGKILL) as soon as a camera access line starts with the marker.
    bool Killed(const QStringList &arguments, const QByteArray &marker) const
    {
        QProcess process;
        Prepare(process);
        process.setReadChannel(QProcess::StandardError);
        process.start(TALVERN_CLI, QStringList(arguments) << "--verbose");
        QByteArray seen;
        while (process.waitForReadyRead(10000)) {
            seen += process.readAllStandardError();
            if (seen.contains('\n' + marker)) {
                process.kill();
                return process.waitForFinished() && process.exitStatus() == QProcess::CrashExit;
            }
        }
        return false;
    }
    // The monochrome camera's copies, as recorded in their index.
    QJsonArray Copies() const
    {
        QFile index(Path(CopiesFolder + "index.json"));
        return index.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(index.readAll())["copies"].toArray() : QJsonArray();
    }
    Ran Start(const QStringList &arguments) const
    {
        QProcess process;
        Prepare(process);
        process.start(TALVERN_CLI, arguments);
        process.waitForFinished(-1);
        Ran ran;
        ran.status = process.error() == QProcess::UnknownError ? process.exitCode() : -1;
        const QByteArray output = process.readAllStandardOutput();
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(output, &error);
        ran.json = error.error == QJsonParseError::NoError ? document.object() : QJsonObject();
        ran.out = SplitLines(output);
        ran.err = SplitLines(process.readAllStandardError());
        return ran;
    }

    // A fresh folder of cameras, each holding its list, and the user's files.
    void Setup()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid() && QDir(dir->path()).mkpath("cameras") && QDir(dir->path()).mkpath("home"));
        ZorvikSim::UseFolder(Path("cameras").toStdString());
        for (const Attached &camera : Cameras)
            QVERIFY(ZorvikSim::Attach(camera.setup) && (camera.list.empty() || SetFile(camera, Encoded(camera.list, camera.setup))));
        QVERIFY(Write("outside.csv", "Row,Column\n" + Outside.toLatin1()));
        QVERIFY(Write("added.csv", "Row,Column\n" + Lines(Added).join('\n').toLatin1()));
        QVERIFY(Write("bad.csv", "Row,Column\n1,2\nx,3\n"));
        QVERIFY(Write("backup.bin", Encoded(Restored)));
    }

};

#endif
