#include "CameraInterface.h"
#include "LogCapture.h"
#include "TestCamera.h"

#include <ZorvikSim/Simulator.h>

#include <QtTest>

using ZorvikSim::FaultKind;

typedef std::vector<unsigned char> Bytes;

namespace {

const quint32 Custom = ZorvikSim::CustomDefectFileId;
const quint32 Factory = ZorvikSim::FactoryDefectFileId;

// What writes into a camera's flash: a command, an upload length or an upload packet.
QStringList Writes(const QStringList &accesses)
{
    QStringList writes;
    for (const QString &access : accesses) {
        if (access.startsWith("W 1a0b4 3a51c7") || access.startsWith("W 1a0b4 5") || access.startsWith("W 1a0b4 2")
            || access.startsWith("W 1a0ac") || access.startsWith("MW"))
            writes.append(access);
    }
    return writes;
}

} // namespace

class TestDefectStorage : public QObject
{
    Q_OBJECT

private slots:
    void uploadDefectFile();
    void uploadReadBackDiffers();
    void uploadWithoutFlashFileSystem();
    void refusedUploadKeepsCameraList();
    void readValidCustomFile();
    void readEmptyCustomFileFallsBackToFactory();
    void readFailsWhenNeitherFileReads();
    void readTransferFailureKeepsCustomFile_data();
    void readTransferFailureKeepsCustomFile();
    void readFallbackCopyFails();
    void downloadDefectListAppends();
    void revertToFactory();
    void revertWithUnreadableFactoryFile();
    void revertUploadFails();
};

void TestDefectStorage::uploadDefectFile()
{
    TestCamera camera;
    const Bytes content = TestCamera::DefectFile({{10, 50}, {3, 7}, {4, 8}});
    LogCapture log;
    QVERIFY(camera.Interface().UploadDefectFile(content));
    QCOMPARE(camera.File(Custom), content);
    QCOMPARE(log.Lines().first(), QString("\nUpload Defects"));
    QCOMPARE(log.Lines().mid(log.Lines().size() - 2),
             (QStringList{"Defects file uploaded\n", "Defects file size in bytes: 4120"}));
    // Flash file check, upload, then the read-back.
    const QStringList accesses = camera.Accesses();
    QCOMPARE(accesses.mid(0, 2), (QStringList{"R 14000", "R 1a0b0"}));
    QCOMPARE(accesses.filter("MR 1aa00").size(), 9);
    QVERIFY(accesses.indexOf("W 1a0b4 2") < accesses.indexOf("W 1a0a8 0"));
}

void TestDefectStorage::uploadReadBackDiffers()
{
    TestCamera camera;
    camera.SetFault(FaultKind::ReadBackDiffers);
    LogCapture log;
    QVERIFY(!camera.Interface().UploadDefectFile(TestCamera::DefectFile({{10, 50}})));
    QCOMPARE(log.Lines().last(), QString("DPC data downloaded does not match the correction data saved! "));
}

void TestDefectStorage::uploadWithoutFlashFileSystem()
{
    ZorvikSim::CameraSpec spec = TestCamera::Spec("4711");
    spec.flashFileSystem = false;
    TestCamera camera(spec);
    QVERIFY(camera.Connected());
    LogCapture log;
    QVERIFY(!camera.Interface().UploadDefectFile(TestCamera::DefectFile({{10, 50}})));
    QCOMPARE(log.Lines().last(), QString("Camera does not support Flash File access."));
    Bytes content;
    QVERIFY(!camera.Interface().ReadDefectFile(content));
    QCOMPARE(log.Lines().last(), QString("Camera does not support Flash File access."));
    QVERIFY(Writes(camera.Accesses()).isEmpty());
}

// Content of 6 bytes is refused before the erase: the camera keeps its list.
void TestDefectStorage::refusedUploadKeepsCameraList()
{
    TestCamera camera;
    const Bytes stored = TestCamera::DefectFile({{10, 50}});
    camera.SetFile(Custom, stored);
    LogCapture log;
    QVERIFY(!camera.Interface().UploadDefectFile(Bytes(6, 1)));
    QCOMPARE(log.Lines().mid(log.Lines().size() - 2),
             (QStringList{"File size is not multiple of 4.", "Upload Defect file failed."}));
    QCOMPARE(camera.File(Custom), stored);
    QList<PixelCoords> list;
    QVERIFY(camera.Interface().DownloadDefectList(list));
    QCOMPARE(list, QList<PixelCoords>{PixelCoords(10, 50)});
}

void TestDefectStorage::readValidCustomFile()
{
    TestCamera camera;
    const Bytes stored = TestCamera::DefectFile({{10, 50}, {11, 60}});
    camera.SetFile(Custom, stored);
    Bytes content;
    QVERIFY(camera.Interface().ReadDefectFile(content));
    QCOMPARE(content, stored);
    QVERIFY(Writes(camera.Accesses()).isEmpty());
}

void TestDefectStorage::readEmptyCustomFileFallsBackToFactory()
{
    TestCamera camera;
    const Bytes factory = camera.File(Factory);
    QVERIFY(factory.size() > 4096);
    camera.SetFile(Custom, Bytes());
    LogCapture log;
    Bytes content;
    QVERIFY(camera.Interface().ReadDefectFile(content));
    QCOMPARE(content, factory);
    QCOMPARE(camera.File(Custom), factory);
    QCOMPARE(log.From("Flash File status not valid.").mid(0, 2),
             (QStringList{"Flash File status not valid.", "\nDownload Flash File 192bc"}));
    QCOMPARE(log.From("Custom defect file empty. Downloading factory defect file...").value(1),
             QString("\nUpload Defects"));
}

void TestDefectStorage::readFailsWhenNeitherFileReads()
{
    TestCamera camera;
    camera.SetFile(Custom, Bytes());
    camera.SetFile(Factory, Bytes());
    LogCapture log;
    Bytes content;
    QVERIFY(!camera.Interface().ReadDefectFile(content));
    QCOMPARE(log.Lines().mid(log.Lines().size() - 2),
             (QStringList{"Flash File status not valid.", "Read defect file failed."}));
    QVERIFY(Writes(camera.Accesses()).isEmpty());
}

void TestDefectStorage::readTransferFailureKeepsCustomFile_data()
{
    QTest::addColumn<FaultKind>("kind");
    QTest::addColumn<int>("n");
    QTest::newRow("packet offset") << FaultKind::CorruptPacketOffset << 3;
    QTest::newRow("packet read") << FaultKind::FailCall << 12;
    QTest::newRow("length read") << FaultKind::FailCall << 7;
    QTest::newRow("hardware error") << FaultKind::HardwareError << 1;
}

// A valid list that failed to arrive is not replaced by the factory list.
void TestDefectStorage::readTransferFailureKeepsCustomFile()
{
    QFETCH(FaultKind, kind);
    QFETCH(int, n);
    TestCamera camera;
    const Bytes stored = TestCamera::DefectFile({{10, 50}, {11, 60}, {12, 70}});
    camera.SetFile(Custom, stored);
    camera.SetFault(kind, n);
    LogCapture log;
    Bytes content;
    QVERIFY(!camera.Interface().ReadDefectFile(content));
    QCOMPARE(log.Lines().last(), QString("Read defect file failed."));
    QVERIFY(!log.Contains("\nDownload Flash File 192bc"));
    QVERIFY(Writes(camera.Accesses()).isEmpty());
    QCOMPARE(camera.File(Custom), stored);
}

void TestDefectStorage::readFallbackCopyFails()
{
    TestCamera camera;
    const Bytes factory = camera.File(Factory);
    camera.SetFile(Custom, Bytes());
    camera.SetFault(FaultKind::ReadBackDiffers);
    LogCapture log;
    Bytes content;
    QVERIFY(!camera.Interface().ReadDefectFile(content));
    QCOMPARE(log.Lines().mid(log.Lines().size() - 2),
             (QStringList{"DPC data downloaded does not match the correction data saved! ",
                          "Copy factory defect file failed."}));
    QCOMPARE(content, factory);
}

void TestDefectStorage::downloadDefectListAppends()
{
    TestCamera camera;
    camera.SetFile(Custom, TestCamera::DefectFile({{10, 50}, {3, 7}, {4, 8}}));
    QList<PixelCoords> list{PixelCoords(1, 1)};
    QVERIFY(camera.Interface().DownloadDefectList(list));
    QCOMPARE(list, (QList<PixelCoords>{PixelCoords(1, 1), PixelCoords(10, 50), PixelCoords(3, 7), PixelCoords(4, 8)}));
}

void TestDefectStorage::revertToFactory()
{
    TestCamera camera;
    const Bytes factory = camera.File(Factory);
    camera.SetFile(Custom, TestCamera::DefectFile({{10, 50}}));
    QVERIFY(camera.Interface().RevertToFactoryDefectFile());
    QCOMPARE(camera.File(Custom), factory);
    QCOMPARE(camera.File(Factory), factory);
}

void TestDefectStorage::revertWithUnreadableFactoryFile()
{
    TestCamera camera;
    const Bytes stored = TestCamera::DefectFile({{10, 50}});
    camera.SetFile(Custom, stored);
    camera.SetFile(Factory, Bytes());
    LogCapture log;
    QVERIFY(!camera.Interface().RevertToFactoryDefectFile());
    QCOMPARE(log.Lines().last(), QString("Error! Could not download factory defect list."));
    QCOMPARE(camera.File(Custom), stored);
    QVERIFY(Writes(camera.Accesses()).isEmpty());
}

void TestDefectStorage::revertUploadFails()
{
    TestCamera camera;
    camera.SetFile(Custom, TestCamera::DefectFile({{10, 50}}));
    camera.SetFault(FaultKind::ReadBackDiffers);
    LogCapture log;
    QVERIFY(!camera.Interface().RevertToFactoryDefectFile());
    QCOMPARE(log.Lines().last(), QString("Revert to factory defect list failed."));
}

QTEST_GUILESS_MAIN(TestDefectStorage)
#include "tst_defectstorage.moc"
