#include "CameraInterface.h"
#include "LogCapture.h"
#include "TestCamera.h"

#include <ZorvikSim/Simulator.h>

#include <QtTest>

typedef std::vector<unsigned char> Bytes;

// Makes each SDK call of an operation fail in turn, from the first to the last, and checks
// that the camera's custom defect file then holds its old content, the new one or nothing,
// and that a success is reported only when it holds the new one.
class TestFaultSweep : public QObject
{
    Q_OBJECT

private slots:
    void sweep_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<Bytes>("before");
        const Bytes list = TestCamera::DefectFile({{10, 50}, {20, 30}});
        QTest::newRow("upload") << "upload" << list;
        QTest::newRow("download") << "download" << list;
        QTest::newRow("read with factory fallback") << "read" << Bytes();
        QTest::newRow("revert") << "revert" << list;
    }

    void sweep()
    {
        QFETCH(QString, operation);
        QFETCH(Bytes, before);
        LogCapture log;
        TestCamera camera;
        QVERIFY(camera.Connected());
        CameraInterface &cameraInterface = camera.Interface();
        const Bytes factory = camera.File(ZorvikSim::FactoryDefectFileId);
        const Bytes uploaded = TestCamera::DefectFile({{1, 2}, {3, 4}, {5, 6}, {7, 8}});
        const Bytes after = operation == "upload" ? uploaded : operation == "download" ? before : factory;
        const auto run = [&]() {
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

        camera.SetFile(ZorvikSim::CustomDefectFileId, before);
        camera.ClearAccesses();
        QVERIFY(run());
        QCOMPARE(camera.File(ZorvikSim::CustomDefectFileId), after);
        const int calls = camera.CallCount();
        QVERIFY(calls > 10);

        for (int k = 1; k <= calls; ++k) {
            const QByteArray step = QByteArray::number(k);
            QVERIFY(ZorvikSim::ResetToFactory(camera.Id()));
            camera.SetFile(ZorvikSim::CustomDefectFileId, before);
            camera.ClearAccesses();
            camera.SetFault(ZorvikSim::FaultKind::FailCall, k, -13);
            log.Clear();
            const bool succeeded = run();
            const std::vector<ZorvikSim::Call> record = ZorvikSim::Calls(camera.Id());
            QVERIFY2(int(record.size()) >= k && record[k - 1].result == -13, step);
            const Bytes held = camera.File(ZorvikSim::CustomDefectFileId);
            QVERIFY2(held == before || held == after || held.empty(), step);
            QVERIFY2(!succeeded || held == after, step);
        }
    }
};

QTEST_GUILESS_MAIN(TestFaultSweep)
#include "tst_faultsweep.moc"
