#include "CliFixture.h"

// talvern-cli on the cameras of a folder of its own: every command, every exit status.
class tst_TalvernCli : public CliFixture
{
    Q_OBJECT

private slots:
    void init() { Setup(); }

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
        QTest::newRow("a threshold that is no number") << QStringList{"detect", "--dark", "bad.csv", "--hot", "many"} << false << 2 << "a threshold is not a positive number; see --help";
        QTest::newRow("a frame that cannot be read") << QStringList{"detect", "--dark", "absent.pgm"} << false << 5 << "could not read absent.pgm";
        QTest::newRow("a file that is no frame") << QStringList{"detect", "--flat", "bad.csv"} << false << 1 << "bad.csv: not a PGM, PNG or TIFF frame (Unsupported image format).";
        QTest::newRow("detect without frames") << QStringList{"detect"} << false << 1 << "No frames given: expected dark frames, flat frames or both.";
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
        // A file of a camera that holds no defects is its header alone.
        QVERIFY(Write("empty.bin", Encoded({})));
        QCOMPARE(Start({"decode", "empty.bin"}).out.last(), "0 defects");
    }

    // Frames of a camera, the defects found in them, and those uploaded: the camera then holds its
    // list and the new defects.
    void detectAndUpload()
    {
        const Attached small{{"HN2702-M", "5005", "5005", 320, 240, "Mono", true, 65536}, "HN2702-M-5005", {}};
        QVERIFY(ZorvikSim::Attach(small.setup));
        QProcess frames;
        Prepare(frames);
        frames.start(ZORVIK_SIM, {"frames", "5005", "--dark", "8", "--flat", "8", "-o", Path("frames")});
        QVERIFY(frames.waitForFinished() && frames.exitCode() == 0);
        QStringList arguments{"detect", "--camera", "5005", "-o", "found.csv"};
        for (const char *set : {"dark", "flat"}) {
            arguments << QString("--") + set;
            for (const QString &name : QDir(Path("frames")).entryList({QString(set) + "-*.pgm"}))
                arguments << "frames/" + name;
        }
        const Ran detected = Start(arguments);
        QCOMPARE(detected.status, 0);
        const QStringList found = SplitLines(Read("found.csv").replace(' ', "")).mid(1);
        QVERIFY(!found.isEmpty());
        QCOMPARE(Start({"upload", "5005", "found.csv", "--yes"}).status, 0);
        QStringList held = Decoded(File(small)), expected = Decoded(File(small, Factory)) + found;
        held.sort();
        expected.sort();
        QCOMPARE(held, expected);
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
