#include "CameraCopies.h"
#include "DebugLines.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using Bytes = std::vector<unsigned char>;

class tst_CameraCopies : public QObject
{
    Q_OBJECT
    QTemporaryDir data;
    CameraDescription camera;

    QString Folder() const { return CameraCopies::Folder(camera.serialNumber); }
    QStringList Operations() const
    {
        QStringList operations;
        for (const CameraCopies::Copy &copy : CameraCopies(camera, "entry").Records())
            operations << copy.operation;
        return operations;
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        camera.serialNumber = "S1";
    }

    void init() { QVERIFY(QDir(Folder()).removeRecursively()); }

    // The newest automatic copies are kept with their files; the factory copy and the records of
    // backups stay however many writes follow.
    void retention()
    {
        CameraCopies copies(camera, "entry");
        QVERIFY(copies.Keep("factory", {1}, false) && copies.RecordBackup(data.filePath("mine.bin"), {2}));
        CameraCopies::Copy first;
        QVERIFY(copies.Keep("upload", {3}, false, &first));
        for (int write = 0; write < CameraCopies::Retained; ++write)
            QVERIFY(copies.Keep("restore", {4}, true));
        const QStringList operations = Operations();
        QCOMPARE(operations.mid(0, 2), QStringList({"factory", "backup"}));
        QCOMPARE(operations.count("restore"), CameraCopies::Retained);
        QVERIFY(!operations.contains("upload") && !QFile::exists(first.file));
        QCOMPARE(QDir(Folder()).entryList({"*.bin"}).size(), CameraCopies::Retained + 1);
        QVERIFY(copies.Unfinished() && copies.Unfinished()->factoryListInUse);
    }

    // An index that cannot be read is set aside as it is, and the next copy starts a new one.
    void brokenIndex()
    {
        QVERIFY(QDir().mkpath(Folder()));
        QFile index(Folder() + "/index.json");
        QVERIFY(index.open(QIODevice::WriteOnly) && index.write("{\"copies\": [") > 0);
        index.close();
        DebugLines log;
        QVERIFY(CameraCopies(camera, "entry").Keep("upload", {5}, false));
        QCOMPARE(Operations(), QStringList{"upload"});
        const QStringList aside = QDir(Folder()).entryList({"index.json.broken-*"});
        QCOMPARE(aside.size(), 1);
        QFile broken(Folder() + '/' + aside.first());
        QVERIFY(broken.open(QIODevice::ReadOnly) && broken.readAll() == "{\"copies\": [");
        QCOMPARE(log.Lines().filter("Error!"), QStringList{"Error! Unreadable index of copies set aside as " + broken.fileName()});
    }

    // A copy that differs from what was recorded is not handed out; a finished write leaves
    // nothing to recover.
    void readAndFinish()
    {
        CameraCopies copies(camera, "entry");
        CameraCopies::Copy copy;
        QVERIFY(copies.Keep("revert", {6, 7}, false, &copy));
        Bytes content;
        QVERIFY(CameraCopies::Read(copy, content) && content == Bytes({6, 7}));
        QCOMPARE(copies.Unfinished()->file, copy.file);
        QVERIFY(copies.Finish(copy) && !copies.Unfinished());
        QFile file(copy.file);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        file.close();
        QVERIFY(!CameraCopies::Read(copy, content));
    }

    // A serial number never names a folder outside the backups.
    void folder()
    {
        const QString backups = QDir(data.path()).filePath("Corvane/Talvern/backups");
        for (const QString serial : {"../up", "..", ".", "", "a/b"})
            QCOMPARE(QFileInfo(CameraCopies::Folder(serial)).path(), backups);
    }

    // Nothing is kept where no folder can be made.
    void folderNotMade()
    {
        QVERIFY(QDir().mkpath(QFileInfo(Folder()).path()));
        QFile blocker(Folder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        DebugLines log;
        QVERIFY(!CameraCopies(camera, "entry").Keep("upload", {1}, false));
        QCOMPARE(log.Lines(), QStringList{"Error! Could not create " + Folder()});
        QVERIFY(blocker.remove());
    }
};

QTEST_GUILESS_MAIN(tst_CameraCopies)
#include "tst_CameraCopies.moc"
