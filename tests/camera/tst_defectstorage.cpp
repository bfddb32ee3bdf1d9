#include "CameraInterface.h"
#include "LogCapture.h"
#include "TestCamera.h"

#include <ZorvikSim/Simulator.h>

#include <QRegularExpression>
#include <QtTest>

using ZorvikSim::FaultKind;

typedef std::vector<unsigned char> Bytes;

namespace {

const quint32 Custom = ZorvikSim::CustomDefectFileId;
const quint32 Factory = ZorvikSim::FactoryDefectFileId;

// What writes into a camera's flash: a command, an upload length or an upload packet.
QStringList Writes(const QStringList &accesses)
{
    return accesses.filter(QRegularExpression("^(W 1a0b4 (3a51c7|5|2)$|W 1a0ac |MW )"));
}

const Bytes Uploaded = TestCamera::DefectFile({{1, 2}, {3, 4}, {5, 6}, {7, 8}});

// One of the stored defect file's operations, as the user starts it; a read yields `content`.
bool Run(CameraInterface &cameraInterface, const QString &operation, Bytes &content)
{
    QList<PixelCoords> list;
    if (operation == "upload")
        return cameraInterface.UploadDefectFile(Uploaded);
    if (operation == "download")
        return cameraInterface.DownloadDefectList(list);
    if (operation == "read")
        return cameraInterface.ReadDefectFile(content);
    return cameraInterface.RevertToFactoryDefectFile();
}

} // namespace

class TestDefectStorage : public QObject
{
    Q_OBJECT

private slots:
    // The flash file check, the upload, then the read-back.
    void uploadDefectFile()
    {
        TestCamera camera;
        const Bytes content = TestCamera::DefectFile({{10, 50}, {3, 7}, {4, 8}});
        LogCapture log;
        QVERIFY(camera.Interface().UploadDefectFile(content));
        QCOMPARE(camera.File(Custom), content);
        QCOMPARE(log.Lines().first(), QString("\nUpload Defects"));
        QCOMPARE(log.Last(2), (QStringList{"Defects file uploaded\n", "Defects file size in bytes: 4120"}));
        const QStringList accesses = camera.Accesses();
        QCOMPARE(accesses.mid(0, 2), (QStringList{"R 14000", "R 1a0b0"}));
        QCOMPARE(accesses.filter("MR 1aa00").size(), 9);
        QVERIFY(accesses.indexOf("W 1a0b4 2") < accesses.indexOf("W 1a0a8 0"));
    }

    // A valid custom file is read as it is, appended to the caller's list, without any write.
    void downloadDefectListAppends()
    {
        TestCamera camera;
        camera.SetFile(Custom, TestCamera::DefectFile({{10, 50}, {3, 7}, {4, 8}}));
        QList<PixelCoords> list{PixelCoords(1, 1)};
        QVERIFY(camera.Interface().DownloadDefectList(list));
        QCOMPARE(list,
                 (QList<PixelCoords>{PixelCoords(1, 1), PixelCoords(10, 50), PixelCoords(3, 7), PixelCoords(4, 8)}));
        QCOMPARE(Writes(camera.Accesses()), QStringList());
    }

    // What the camera and the caller then hold is checked by the fault sweep's first run.
    void readEmptyCustomFileFallsBackToFactory()
    {
        TestCamera camera;
        camera.SetFile(Custom, Bytes());
        LogCapture log;
        Bytes content;
        QVERIFY(camera.Interface().ReadDefectFile(content));
        const QStringList lines = log.Lines();
        QCOMPARE(lines.value(lines.indexOf("Flash File status not valid.") + 1),
                 QString("\nDownload Flash File 192bc"));
        QCOMPARE(lines.value(lines.indexOf("Custom defect file empty. Downloading factory defect file...") + 1),
                 QString("\nUpload Defects"));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<Bytes>("custom");
        QTest::addColumn<bool>("factoryValid");
        QTest::addColumn<FaultKind>("kind");
        QTest::addColumn<int>("n");
        QTest::addColumn<QStringList>("lastLines");
        QTest::addColumn<bool>("kept");
        const Bytes list = TestCamera::DefectFile({{10, 50}, {11, 60}, {12, 70}});
        const FaultKind fail = FaultKind::FailCall;
        const FaultKind differs = FaultKind::ReadBackDiffers;
        const QString noFlash = QStringLiteral("Camera does not support Flash File access.");
        const QString readFailed = QStringLiteral("Read defect file failed.");
        const QString mismatch = QStringLiteral("DPC data downloaded does not match the correction data saved! ");
        QTest::newRow("upload without flash file system")
            << "upload" << list << true << fail << 1 << QStringList{noFlash} << true;
        QTest::newRow("upload, file selection fails")
            << "upload" << list << true << fail << 3
            << QStringList{"File selection failed.", "Upload Defect file failed."} << true;
        QTest::newRow("upload, read-back differs")
            << "upload" << list << true << differs << 1 << QStringList{mismatch} << false;
        QTest::newRow("read without flash file system")
            << "read" << list << true << fail << 1 << QStringList{noFlash} << true;
        QTest::newRow("read, neither file valid")
            << "read" << Bytes() << false << fail << 0 << QStringList{"Flash File status not valid.", readFailed}
            << true;
        // A valid list that failed to arrive is not replaced by the factory list.
        QTest::newRow("read, packet offset")
            << "read" << list << true << FaultKind::CorruptPacketOffset << 3 << QStringList{readFailed} << true;
        QTest::newRow("read, packet read") << "read" << list << true << fail << 12 << QStringList{readFailed} << true;
        QTest::newRow("read, length read") << "read" << list << true << fail << 7 << QStringList{readFailed} << true;
        QTest::newRow("read, hardware error")
            << "read" << list << true << FaultKind::HardwareError << 1 << QStringList{readFailed} << true;
        QTest::newRow("read, factory copy fails")
            << "read" << Bytes() << true << differs << 1
            << QStringList{mismatch, "Copy factory defect file failed."} << false;
        QTest::newRow("revert, factory file unreadable")
            << "revert" << list << false << fail << 0
            << QStringList{"Error! Could not download factory defect list."} << true;
        QTest::newRow("revert, upload fails")
            << "revert" << list << true << differs << 1 << QStringList{"Revert to factory defect list failed."}
            << false;
    }

    // Each failure says why last; where the camera's list is kept, nothing was written at all.
    void failures()
    {
        QFETCH(QString, operation);
        QFETCH(Bytes, custom);
        QFETCH(bool, factoryValid);
        QFETCH(FaultKind, kind);
        QFETCH(int, n);
        QFETCH(QStringList, lastLines);
        QFETCH(bool, kept);
        TestCamera camera;
        camera.SetFile(Custom, custom);
        if (!factoryValid)
            camera.SetFile(Factory, Bytes());
        if (n > 0)
            camera.SetFault(kind, n);
        LogCapture log;
        Bytes content;
        QVERIFY(!Run(camera.Interface(), operation, content));
        QCOMPARE(log.Last(lastLines.size()), lastLines);
        if (kept) {
            QCOMPARE(Writes(camera.Accesses()), QStringList());
            QCOMPARE(camera.File(Custom), custom);
        }
    }

    void faultSweep_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<Bytes>("before");
        const Bytes list = TestCamera::DefectFile({{10, 50}, {20, 30}});
        QTest::newRow("upload") << "upload" << list;
        QTest::newRow("download") << "download" << list;
        QTest::newRow("read with factory fallback") << "read" << Bytes();
        QTest::newRow("revert") << "revert" << list;
    }

    // Makes each SDK call of an operation fail in turn, from the first to the last: the camera's
    // custom file then holds its old content, the new one or nothing, a success is reported only
    // when it holds the new one, and the factory file is never touched.
    void faultSweep()
    {
        QFETCH(QString, operation);
        QFETCH(Bytes, before);
        LogCapture log;
        TestCamera camera;
        const Bytes factory = camera.File(Factory);
        const Bytes after = operation == "upload" ? Uploaded : operation == "download" ? before : factory;
        Bytes content;
        camera.SetFile(Custom, before);
        camera.ClearAccesses();
        QVERIFY(Run(camera.Interface(), operation, content));
        QVERIFY(operation != "read" || content == factory);
        QCOMPARE(camera.File(Custom), after);
        const int calls = camera.CallCount();
        QVERIFY(calls > 10);

        for (int k = 1; k <= calls; ++k) {
            const QByteArray step = QByteArray::number(k);
            QVERIFY(ZorvikSim::ResetToFactory(camera.Id()));
            camera.SetFile(Custom, before);
            camera.ClearAccesses();
            camera.SetFault(FaultKind::FailCall, k, -13);
            log.Clear();
            content.clear();
            const bool succeeded = Run(camera.Interface(), operation, content);
            const std::vector<ZorvikSim::Call> record = ZorvikSim::Calls(camera.Id());
            QVERIFY2(int(record.size()) >= k && record[k - 1].result == -13, step);
            const Bytes held = camera.File(Custom);
            QVERIFY2(held == before || held == after || held.empty(), step);
            QVERIFY2(!succeeded || held == after, step);
            QVERIFY2(!succeeded || operation != "read" || content == factory, step);
            QVERIFY2(camera.File(Factory) == factory, step);
        }
    }
};

QTEST_GUILESS_MAIN(TestDefectStorage)
#include "tst_defectstorage.moc"
