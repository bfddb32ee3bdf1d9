#include "CameraInterface.h"
#include "LogCapture.h"
#include "TestCamera.h"

#include <ZorvikSim/Simulator.h>

#include <QtTest>

#include <functional>

typedef std::vector<unsigned char> Bytes;

namespace {

const quint32 Custom = ZorvikSim::CustomDefectFileId;
const quint32 Factory = ZorvikSim::FactoryDefectFileId;
const int FailureCode = -13;

} // namespace

// Makes each SDK call of an operation fail in turn, from the first to the last, and checks
// that the camera's custom defect file then holds its old content, the new one or nothing,
// and that a success is reported only when it holds the new one.
class TestFaultSweep : public QObject
{
    Q_OBJECT

private slots:
    void sweep_data();
    void sweep();
};

void TestFaultSweep::sweep_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<Bytes>("before");
    QTest::addColumn<bool>("newIsFactory");

    QTest::newRow("upload") << "upload" << TestCamera::DefectFile({{10, 50}, {20, 30}}) << false;
    QTest::newRow("download") << "download" << TestCamera::DefectFile({{10, 50}, {20, 30}}) << false;
    QTest::newRow("read with factory fallback") << "read" << Bytes() << true;
    QTest::newRow("revert") << "revert" << TestCamera::DefectFile({{10, 50}, {20, 30}}) << true;
}

void TestFaultSweep::sweep()
{
    QFETCH(QString, operation);
    QFETCH(Bytes, before);
    QFETCH(bool, newIsFactory);

    LogCapture log;
    TestCamera camera;
    QVERIFY(camera.Connected());
    CameraInterface &cameraInterface = camera.Interface();
    const Bytes factory = camera.File(Factory);
    const Bytes uploaded = TestCamera::DefectFile({{1, 2}, {3, 4}, {5, 6}, {7, 8}});
    const Bytes after = operation == "upload" ? uploaded : newIsFactory ? factory : before;

    const std::function<bool()> run = [&]() {
        Bytes content;
        QList<PixelCoords> list;
        if (operation == "upload")
            return cameraInterface.UploadDefectFile(uploaded);
        if (operation == "download")
            return cameraInterface.DownloadDefectList(list);
        if (operation == "read")
            return cameraInterface.ReadDefectFile(content) && content == factory;
        return cameraInterface.RevertToFactoryDefectFile();
    };

    camera.SetFile(Custom, before);
    camera.ClearAccesses();
    QVERIFY(run());
    QCOMPARE(camera.File(Custom), after);
    const int calls = camera.CallCount();
    QVERIFY(calls > 10);

    for (int k = 1; k <= calls; ++k) {
        QVERIFY(ZorvikSim::ResetToFactory(camera.Id()));
        camera.SetFile(Custom, before);
        camera.ClearAccesses();
        camera.SetFault(ZorvikSim::FaultKind::FailCall, k, FailureCode);
        log.Clear();
        const bool succeeded = run();
        const std::vector<ZorvikSim::Call> record = ZorvikSim::Calls(camera.Id());
        QVERIFY2(int(record.size()) >= k && record[k - 1].result == FailureCode, qPrintable(QString::number(k)));
        const Bytes held = camera.File(Custom);
        QVERIFY2(held == before || held == after || held.empty(), qPrintable(QString::number(k)));
        if (succeeded)
            QVERIFY2(held == after, qPrintable(QString::number(k)));
    }
}

QTEST_GUILESS_MAIN(TestFaultSweep)
#include "tst_faultsweep.moc"
