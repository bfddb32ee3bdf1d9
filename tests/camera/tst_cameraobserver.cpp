#include "CameraObserver.h"
#include "TestCamera.h"

#include <ZorvikCPP.h>
#include <ZorvikSim/Simulator.h>

#include <QtTest>

using namespace CVN::ZvkAPI;

class TestCameraObserver : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ZorvikSim::UseMemory();
        QVERIFY(ZorvikSim::Attach(TestCamera::Setup("4711", "cam-1")));
        QCOMPARE(int(ZorvikSystem::GetInstance().Startup()), 0);
        CameraPtrVector cameras;
        QCOMPARE(int(ZorvikSystem::GetInstance().GetCameras(cameras)), 0);
        QCOMPARE(int(cameras.size()), 1);
        listedCamera = cameras.front();
    }

    void cleanupTestCase()
    {
        listedCamera.reset();
        ZorvikSystem::GetInstance().Shutdown();
    }

    void reasons_data()
    {
        QTest::addColumn<bool>("withCamera");
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("passedOn");
        QTest::newRow("plugged in") << true << 0 << true;
        QTest::newRow("plugged out") << true << 1 << true;
        QTest::newRow("open state changed") << true << 3 << false;
        QTest::newRow("two") << true << 2 << false;
        QTest::newRow("negative") << true << -1 << false;
        QTest::newRow("plugged out, no camera object") << false << 1 << true;
    }

    // Only plugging in and out are passed on, with the camera's ID (empty without a camera).
    void reasons()
    {
        QFETCH(bool, withCamera);
        QFETCH(int, reason);
        QFETCH(bool, passedOn);
        CameraObserver observer;
        QSignalSpy spy(&observer, &CameraObserver::CameraListChangedSignal);
        observer.CameraListChanged(withCamera ? listedCamera : CameraPtr(), reason);
        QCOMPARE(spy.count(), passedOn ? 1 : 0);
        if (passedOn)
            QCOMPARE(spy.at(0), (QVariantList{withCamera ? QString("cam-1") : QString(), reason}));
    }

private:
    CameraPtr listedCamera;
};

QTEST_GUILESS_MAIN(TestCameraObserver)
#include "tst_cameraobserver.moc"
