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
    void initTestCase();
    void cleanupTestCase();
    void reasons_data();
    void reasons();
    void cameraWithoutObject();

private:
    CameraPtr listedCamera;
};

void TestCameraObserver::initTestCase()
{
    ZorvikSim::UseMemory();
    QVERIFY(ZorvikSim::Attach(TestCamera::Spec("4711", "cam-1")));
    QCOMPARE(int(ZorvikSystem::GetInstance().Startup()), 0);
    CameraPtrVector cameras;
    QCOMPARE(int(ZorvikSystem::GetInstance().GetCameras(cameras)), 0);
    QCOMPARE(int(cameras.size()), 1);
    listedCamera = cameras.front();
}

void TestCameraObserver::cleanupTestCase()
{
    listedCamera.reset();
    ZorvikSystem::GetInstance().Shutdown();
}

void TestCameraObserver::reasons_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("passedOn");
    QTest::newRow("plugged in") << 0 << true;
    QTest::newRow("plugged out") << 1 << true;
    QTest::newRow("open state changed") << 3 << false;
    QTest::newRow("two") << 2 << false;
    QTest::newRow("negative") << -1 << false;
}

void TestCameraObserver::reasons()
{
    QFETCH(int, reason);
    QFETCH(bool, passedOn);
    CameraObserver observer;
    QSignalSpy spy(&observer, &CameraObserver::CameraListChangedSignal);
    observer.CameraListChanged(listedCamera, reason);
    QCOMPARE(spy.count(), passedOn ? 1 : 0);
    if (passedOn)
        QCOMPARE(spy.at(0), (QVariantList{QString("cam-1"), reason}));
}

void TestCameraObserver::cameraWithoutObject()
{
    CameraObserver observer;
    QSignalSpy spy(&observer, &CameraObserver::CameraListChangedSignal);
    observer.CameraListChanged(CameraPtr(), 1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0), (QVariantList{QString(), 1}));
}

QTEST_GUILESS_MAIN(TestCameraObserver)
#include "tst_cameraobserver.moc"
