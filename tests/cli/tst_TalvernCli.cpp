#include <ZorvikSim/Simulator.h>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Bytes = std::vector<uint8_t>;
using RowColumns = std::vector<std::pair<uint16_t, uint16_t>>;

namespace {

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

QStringList Entries()
{
    QStringList entries;
    for (const Attached &camera : Cameras)
        entries << camera.entry;
    return entries;
}

QByteArray Encoded(const RowColumns &list, const ZorvikSim::CameraSetup &setup = Mono.setup)
{
    const Bytes content = ZorvikSim::EncodeDefectFile(setup.sensorWidth, setup.sensorHeight, setup.sensorType, list);
    return QByteArray(reinterpret_cast<const char *>(content.data()), int(content.size()));
}

QStringList Lines(const RowColumns &list)
{
    QStringList lines;
    for (const auto &[row, column] : list)
        lines << QString("%1,%2").arg(row).arg(column);
    return lines;
}

QStringList Decoded(const QByteArray &content)
{
    RowColumns list;
    ZorvikSim::DecodeDefectFile(Bytes(content.cbegin(), content.cend()), list);
    return Lines(list);
}

// A camera as its entry, model and serial number, a defect as "row,column", a finding as its kind and the defects it names.
QString Text(const QJsonValue &item)
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

QStringList SplitLines(const QByteArray &output)
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

} // namespace

// talvern-cli on the cameras of a folder of its own, with a home of its own, run in the folder of
// the user's files. A write into a camera takes the program 1 to 3 s (its status polls, and the
// stand-in's erase and store times, which live in its process), so only five are made.
class tst_TalvernCli : public QObject
{
    Q_OBJECT
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

private slots:
    void init()
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

    void json_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("camera");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("items");
        const QString run = "moreThanFour: " + Lines(Run).join(' ');
        const QStringList outside{"outsideSensor: " + Outside, run};
        QStringList identities;
        for (const Attached &camera : Cameras)
            identities << camera.entry + ' ' + camera.setup.model.c_str() + ' ' + camera.setup.serialNumber.c_str();
        QTest::newRow("every attached camera") << QStringList{"cameras"} << 0 << "" << "cameras" << identities;
        QTest::newRow("a serial number with a hyphen") << QStringList{"show", "10-03"} << 0 << Cameras[2].entry << "defects" << Lines(Cameras[2].list);
        QTest::newRow("a camera by serial number") << QStringList{"show", "1001"} << 0 << Mono.entry << "defects" << Lines(MonoList);
        QTest::newRow("a camera by ID") << QStringList{"show", "CAM-7"} << 0 << Colour.entry << "defects" << Lines(Colour.list);
        QTest::newRow("a camera by its entry") << QStringList{"show", Colour.entry} << 0 << Colour.entry << "defects" << Lines(Colour.list);
        QTest::newRow("a check of the camera's own list") << QStringList{"check", "1001"} << 0 << Mono.entry << "findings" << QStringList{run};
        QTest::newRow("a check of a pixel outside the sensor") << QStringList{"check", "1001", "outside.csv"} << 0 << Mono.entry << "findings" << outside;
        QTest::newRow("an upload of it without --yes") << QStringList{"upload", "1001", "outside.csv"} << 1 << Mono.entry << "findings" << outside;
    }

    // One document on standard output. Reading, checking and a refused upload leave every camera's
    // file byte for byte as it was.
    void json()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, camera);
        QFETCH(QString, key);
        QFETCH(QStringList, items);
        const QByteArrayList before = Held();
        const Ran ran = Start(arguments << "--json");
        QCOMPARE(ran.status, status);
        QVERIFY(!ran.json.isEmpty());
        QCOMPARE(ran.json["status"].toInt(-1), status);
        QCOMPARE(ran.json["camera"].toString(), camera);
        QStringList listed;
        for (const QJsonValue item : ran.json[key].toArray())
            listed << Text(item);
        QCOMPARE(listed, items);
        QVERIFY(Held() == before);
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("packetFault"); // the monochrome camera's first download packet has a wrong offset
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("told"); // {folder}: the user's folder
        const QString attached = "; attached: " + Entries().join(", ");
        QTest::newRow("revert without --yes") << QStringList{"revert", "1001"} << false << 1 << "revert replaces every defect added to " + Mono.entry + " by its factory list; give --yes to do it";
        QTest::newRow("a list file with a bad third line") << QStringList{"check", "1001", "bad.csv"} << false << 1 << "bad.csv is not a list file: line 3 is not a row and column from 0 to 65535: x,3";
        QTest::newRow("a command the program does not know") << QStringList{"calibrate", "1001"} << false << 2 << "unknown command 'calibrate'; see --help";
        QTest::newRow("a command without its camera") << QStringList{"show"} << false << 2 << "show needs a camera (or --all)";
        QTest::newRow("a camera that is not attached") << QStringList{"show", "9999"} << false << 3 << "no camera '9999' is attached" + attached;
        QTest::newRow("a name two cameras answer to") << QStringList{"show", "1002"} << false << 3 << "'1002' names more than one camera" + attached;
        QTest::newRow("a model Talvern does not support") << QStringList{"show", "3001"} << false << 3 << Cameras[1].entry + " is a camera model Talvern does not support";
        QTest::newRow("a camera without the flash file system") << QStringList{"show", "4001"} << false << 3 << Cameras[3].entry + " has no flash file system";
        QTest::newRow("a backup whose transfer fails") << QStringList{"backup", "1001", "-o", "camera.bin"} << true << 4 << "could not read the defect file of " + Mono.entry;
        QTest::newRow("a backup of another sensor") << QStringList{"restore", "CAM-7", "backup.bin"} << false << 1 << "{folder}/backup.bin is not a backup of this camera's defect file";
        QTest::newRow("a backup that cannot be read") << QStringList{"restore", "1001", "absent.bin"} << false << 5 << "could not read {folder}/absent.bin";
        QTest::newRow("a list file that cannot be read") << QStringList{"check", "1001", "absent.csv"} << false << 5 << "could not read absent.csv";
        QTest::newRow("an output file in a missing folder") << QStringList{"download", "1001", "-o", "missing/list.csv"} << false << 5 << "could not write {folder}/missing/list.csv";
    }

    // One line on standard error says why, nothing on standard output; no camera and no file changes.
    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, packetFault);
        QFETCH(int, status);
        QFETCH(QString, told);
        // The factory file is copied the first time a camera is seen, before the fault is set.
        QVERIFY(!packetFault || (Start({"show", "1001"}).status == 0 && ZorvikSim::SetFault("1001", {ZorvikSim::FaultKind::CorruptPacketOffset, 1, -13})));
        const QByteArrayList before = Held();
        const Ran ran = Start(arguments);
        QCOMPARE(ran.status, status);
        QCOMPARE(ran.err, QStringList{"talvern-cli: " + told.replace("{folder}", Path())});
        QCOMPARE(ran.out, QStringList());
        QVERIFY(Held() == before);
    }

    void download()
    {
        const Ran ran = Start({"download", "1001", "-o", "list.csv"});
        QCOMPARE(ran.status, 0);
        QCOMPARE(ran.out, QStringList{QString("%1 defects written to %2").arg(MonoList.size()).arg(Path("list.csv"))});
        QCOMPARE(SplitLines(Read("list.csv").replace(' ', "")), QStringList{"Row,Column"} + Decoded(File(Mono)));
    }

    // The backup holds the camera's defect file byte for byte; decode reads its defects back.
    void backup()
    {
        const QByteArray expected = File(Mono);
        const Ran ran = Start({"backup", "1001", "-o", "camera.bin"});
        QCOMPARE(ran.status, 0);
        QCOMPARE(ran.out, QStringList{"Backup written to " + Path("camera.bin")});
        QCOMPARE(Read("camera.bin"), expected);
        const Ran decoded = Start({"decode", "camera.bin"});
        QCOMPARE(decoded.status, 0);
        const QStringList defects = Decoded(expected);
        QCOMPARE(decoded.out.mid(decoded.out.indexOf("Row,Column") + 1), defects + QStringList{QString("%1 defects").arg(defects.size())});
    }

    void killed_data()
    {
        QTest::addColumn<QByteArray>("marker");
        QTest::newRow("after the erase") << QByteArray("Flash File erased");
        QTest::newRow("in the middle of the packets") << QByteArray("Write packet 0\t");
        QTest::newRow("before the read-back") << QByteArray("Flash File uploaded");
    }

    // Killed in the middle of an upload, talvern-cli leaves the copy and its index whole, the next
    // command warns, and recover puts the old list back.
    void killed()
    {
        QFETCH(QByteArray, marker);
        const QByteArray held = File(Mono);
        QVERIFY(Killed({"upload", "1001", "added.csv", "--yes"}, marker));
        const QJsonArray copies = Copies();
        QCOMPARE(copies.size(), 2);
        QCOMPARE(copies[0]["operation"].toString(), "factory");
        const QJsonValue copy = copies[1];
        QCOMPARE(copy["operation"].toString() + ' ' + QString::number(copy["finished"].toBool()), "upload 0");
        QCOMPARE(Read(CopiesFolder + copy["file"].toString()), held);
        QCOMPARE(copy["sha256"].toString(), QCryptographicHash::hash(held, QCryptographicHash::Sha256).toHex());
        QCOMPARE(Start({"show", "1001"}).err, QStringList{Unfinished});
        const Ran recovered = Start({"recover", "1001"});
        QCOMPARE(recovered.out, QStringList{QString("Recovered; the camera holds %1 defects").arg(MonoList.size())});
        QCOMPARE(File(Mono), held);
        QCOMPARE(Start({"recover", "1001"}).out, QStringList{"Nothing to recover: the last write into HN2702-M-1001 finished"});
    }

    // A write whose every read-back differs cannot put the old list back either: the user is told
    // where its copy is, and recover puts it back once the camera stores what it is sent.
    void writeFails()
    {
        const QByteArray held = File(Mono);
        QVERIFY(ZorvikSim::SetFault("1001", {ZorvikSim::FaultKind::ReadBackDiffers, 1, -13}));
        const Ran ran = Start({"restore", "1001", "backup.bin"});
        QCOMPARE(ran.status, 4);
        const QString copy = Path(CopiesFolder + Copies().last()["file"].toString());
        QCOMPARE(ran.err, QStringList{"talvern-cli: writing into HN2702-M-1001 failed; its previous list could not be put back, a copy is kept in " + copy});
        QCOMPARE(Read(CopiesFolder + QFileInfo(copy).fileName()), held);
        QVERIFY(ZorvikSim::ClearFaults("1001"));
        const Ran recovered = Start({"recover", "1001"});
        QCOMPARE(recovered.status, 0);
        QCOMPARE(File(Mono), held);
    }

    // Nothing is written when no copy can be kept, unless the user says to write without one.
    void copyNotKept()
    {
        QVERIFY(QDir(Path()).mkpath("home/data/Corvane/Talvern") && Write("home/data/Corvane/Talvern/backups", "a file"));
        const QByteArrayList before = Held();
        const Ran refused = Start({"restore", "1001", "backup.bin"});
        QCOMPARE(refused.status, 5);
        QCOMPARE(refused.err, QStringList{"talvern-cli: could not keep a copy of the defect file of HN2702-M-1001; nothing was written (give --no-backup to write without one)"});
        QVERIFY(Held() == before);
        QCOMPARE(Start({"restore", "1001", "backup.bin", "--no-backup"}).status, 0);
        QCOMPARE(File(Mono), Read("backup.bin"));
    }

    // A backup restored as it is, then the factory list brought back.
    void restoreAndRevert()
    {
        const Ran restored = Start({"restore", "1001", "backup.bin"});
        QCOMPARE(restored.status, 0);
        QCOMPARE(restored.out, QStringList{QString("Restored; the camera holds %1 defects").arg(Restored.size())});
        QCOMPARE(File(Mono), Read("backup.bin"));
        const Ran reverted = Start({"revert", "1001", "--yes"});
        QCOMPARE(reverted.status, 0);
        QCOMPARE(reverted.out, QStringList{QString("Reverted; the camera holds %1 defects").arg(Decoded(File(Mono, Factory)).size())});
        QCOMPARE(File(Mono), File(Mono, Factory));

        // The history, newest first: the copies before the revert and the restore, then the factory list.
        const Ran history = Start({"history", "1001", "--json"});
        QStringList listed;
        for (const QJsonValue copy : history.json["copies"].toArray())
            listed << QString("%1 %2 %3").arg(copy["number"].toInt()).arg(copy["operation"].toString()).arg(copy["defects"].toInt());
        const int factoryDefects = Decoded(File(Mono, Factory)).size();
        QCOMPARE(listed, QStringList({QString("1 revert %1").arg(Restored.size()), QString("2 restore %1").arg(MonoList.size()),
                                      QString("3 factory %1").arg(factoryDefects)}));
        QCOMPARE(Start({"restore", "1001", "--from-history", "2"}).out, QStringList{QString("Restored; the camera holds %1 defects").arg(MonoList.size())});
        QCOMPARE(File(Mono), Encoded(MonoList));
        const Ran absent = Start({"restore", "1001", "--from-history", "9"});
        QCOMPARE(absent.status, 1);
        QCOMPARE(absent.err, QStringList{"talvern-cli: the history of HN2702-M-1001 holds no copy '9' (see history)"});
    }

    // upload --all goes on past a camera whose transfer fails: the others hold their list and the
    // user's, each camera has its line, and the exit status is the worst.
    void uploadToEveryCamera()
    {
        const Attached &failing = Cameras[2];
        const QByteArray untouched = File(failing);
        QVERIFY(Start({"show", failing.setup.id.c_str()}).status == 0);
        QVERIFY(ZorvikSim::SetFault(failing.setup.id, {ZorvikSim::FaultKind::CorruptPacketOffset, 1, -13}));
        const Ran ran = Start({"upload", "--all", "added.csv", "--yes"});
        QCOMPARE(ran.status, 4);
        QCOMPARE(ran.err, QStringList{QString("talvern-cli: %1: could not read the defect file of %1").arg(failing.entry)});
        QStringList done;
        for (const Attached *camera : {&Mono, &Colour}) {
            QStringList held = Decoded(File(*camera)), merged = Lines(camera->list) + Lines(Added);
            held.sort();
            merged.sort();
            QCOMPARE(held, merged);
            done << QString("%1: Uploaded; the camera holds %2 defects").arg(camera->entry).arg(merged.size());
        }
        QCOMPARE(ran.out, done);
        QCOMPARE(File(failing), untouched);
    }
};

QTEST_GUILESS_MAIN(tst_TalvernCli)
#include "tst_TalvernCli.moc"
