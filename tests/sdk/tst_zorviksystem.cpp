// The SDK's objects and codes as a client meets them: start-up, the camera list and its
// notifications, identity texts, features, and the codes of calls made out of turn.
#include "FirmwareRegisters.h"
#include "RecordingObserver.h"

#include <ZorvikSim/Simulator.h>

#include <QtTest>

#include <functional>

using namespace CVN::ZvkAPI;
using namespace ZorvikSim;

namespace {

ZorvikSystem &System()
{
    return ZorvikSystem::GetInstance();
}

CameraSpec Setup(const std::string &serial, const std::string &id = std::string())
{
    CameraSpec setup;
    setup.serialNumber = serial;
    setup.id = id;
    return setup;
}

using SpecChange = std::function<void(CameraSpec &)>;

} // namespace

Q_DECLARE_METATYPE(SpecChange)

class ZorvikSystemTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        UseMemory();
        SetDurations(5, 5);
    }

    void cleanup()
    {
        System().Shutdown();
    }

    void callsBeforeStartupAreRefused()
    {
        ZvkVersionInfo_t version = {0, 0, 0};
        QCOMPARE(System().QueryVersion(version), ZvkErrorSuccess);
        QVERIFY(version.major + version.minor + version.patch > 0);
        uint32_t count = 0;
        CameraPtr camera;
        const QList<int> codes = {System().GetCameras(nullptr, count),
                                  System().OpenCameraByID("S1", ZvkAccessModeFull, camera),
                                  System().RegisterCameraListObserver(std::make_shared<RecordingObserver>()),
                                  System().Shutdown()};
        QCOMPARE(codes, QList<int>({ZvkErrorApiNotStarted, ZvkErrorApiNotStarted, ZvkErrorApiNotStarted,
                                    ZvkErrorApiNotStarted}));
    }

    void cameraListAndOpening()
    {
        QCOMPARE(System().Startup(), ZvkErrorSuccess);
        CameraPtrVector cameras;
        QVERIFY(System().GetCameras(cameras) == ZvkErrorSuccess && cameras.empty());
        QVERIFY(Attach(Setup("S1")) && Attach(Setup("S2", "Line-2")));
        uint32_t count = 0, given = 1;
        CameraPtr one[1];
        QCOMPARE(System().GetCameras(nullptr, count), ZvkErrorSuccess);
        QCOMPARE(System().GetCameras(one, given), ZvkErrorMoreData);
        QCOMPARE(System().GetCameras(cameras), ZvkErrorSuccess);
        QVERIFY(count == 2 && given == 2 && cameras.size() == 2);
        std::string id;
        QCOMPARE(cameras[1]->GetID(id), ZvkErrorSuccess);
        QCOMPARE(id, std::string("Line-2"));

        CameraPtr camera;
        Uint64Vector values(2);
        const QList<int> codes = {System().OpenCameraByID("nobody", ZvkAccessModeFull, camera),
                                  System().OpenCameraByID(nullptr, ZvkAccessModeFull, camera),
                                  System().OpenCameraByID("S1", ZvkAccessModeNone, camera),
                                  System().OpenCameraByID("Line-2", ZvkAccessModeFull, camera),
                                  camera->ReadRegisters({ControlsInquiry1, FlashFileMaxSize}, values)};
        QCOMPARE(codes, QList<int>({ZvkErrorNotFound, ZvkErrorBadParameter, ZvkErrorBadParameter, 0, 0}));
        QCOMPARE(values[1], uint64_t(65536));
        QCOMPARE(camera->ReadRegisters({ControlsInquiry1, 0x999}, values), ZvkErrorIncomplete);
    }

    // Listed, not opened: identity and features are readable, through both text forms.
    void identityAndFeatures()
    {
        CameraSpec setup = Setup("40211001", "Cam-A");
        setup.model = "HN2703-C";
        setup.sensorWidth = 1936;
        setup.sensorHeight = 1216;
        setup.sensorType = "Bayer";
        QVERIFY(Attach(setup));
        QCOMPARE(System().Startup(), ZvkErrorSuccess);
        CameraPtrVector cameras;
        QCOMPARE(System().GetCameras(cameras), ZvkErrorSuccess);
        CameraPtr camera = cameras.at(0);
        std::string model, serial, id, type;
        QCOMPARE(camera->GetModel(model), ZvkErrorSuccess);
        QCOMPARE(camera->GetSerialNumber(serial), ZvkErrorSuccess);
        QCOMPARE(camera->GetID(id), ZvkErrorSuccess);
        QCOMPARE(model + "/" + serial + "/" + id, std::string("HN2703-C/40211001/Cam-A"));
        char buffer[10] = "xxxxxxxxx";
        uint32_t length = 5;
        QCOMPARE(camera->GetSerialNumber(buffer, length), ZvkErrorMoreData);
        QCOMPARE(length, 8u);
        QCOMPARE(camera->GetSerialNumber(buffer, length), ZvkErrorSuccess);
        QCOMPARE(QByteArray(buffer), QByteArray("40211001"));

        FeaturePtr width, height, sensorType, unknown;
        int64_t widthValue = 0, heightValue = 0, number = 0;
        uint32_t typeLength = 2;
        const QList<int> codes = {camera->GetFeatureByName("SensorWidth", width),
                                  camera->GetFeatureByName("SensorHeight", height),
                                  camera->GetFeatureByName("SensorType", sensorType),
                                  camera->GetFeatureByName("ExposureTime", unknown),
                                  camera->GetFeatureByName(nullptr, unknown),
                                  width->GetValue(widthValue),
                                  height->GetValue(heightValue),
                                  sensorType->GetValue(type),
                                  sensorType->GetValue(number),
                                  width->GetValue(model),
                                  sensorType->GetValue(buffer, typeLength)};
        QCOMPARE(codes, QList<int>({0, 0, 0, ZvkErrorNotFound, ZvkErrorBadParameter, 0, 0, 0, ZvkErrorWrongType,
                                    ZvkErrorWrongType, ZvkErrorMoreData}));
        QVERIFY(widthValue == 1936 && heightValue == 1216 && type == "Bayer" && typeLength == 5);
    }

    // The codes of GetID, GetFeatureByName, ReadRegisters, WriteRegisters, ReadMemory,
    // WriteMemory and Close, in this order, on a camera object in each state it can be in.
    void callsOnCameraObjects_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QVector<int>>("codes");
        QTest::newRow("opened") << "opened" << QVector<int>{0, 0, 0, 0, 0, ZvkErrorInvalidCall, 0};
        QTest::newRow("opened read-only") << "read-only"
                                          << QVector<int>{0, 0, 0, -6, ZvkErrorInvalidCall, -6, 0};
        QTest::newRow("listed, not opened") << "listed" << QVector<int>{0, 0, -5, -5, -5, -5, -5};
        QTest::newRow("closed") << "closed" << QVector<int>{0, 0, -5, -5, -5, -5, -5};
        QTest::newRow("gone") << "gone" << QVector<int>{0, -3, -3, -3, -3, -3, 0};
        QTest::newRow("gone, then plugged in again") << "replugged" << QVector<int>{0, -3, -3, -3, -3, -3, 0};
        QTest::newRow("kept past Shutdown") << "shut down" << QVector<int>{-2, -2, -2, -2, -2, -2, -2};
        QTest::newRow("kept past a restart") << "restarted" << QVector<int>{0, 0, -5, -5, -5, -5, -5};
    }

    void callsOnCameraObjects()
    {
        QFETCH(QString, state);
        QFETCH(QVector<int>, codes);
        QVERIFY(Attach(Setup("S1")));
        QCOMPARE(System().Startup(), ZvkErrorSuccess);
        CameraPtr camera, other;
        CameraPtrVector listed;
        QCOMPARE(System().GetCameras(listed), ZvkErrorSuccess);
        if (state == "listed")
            camera = listed.at(0);
        else
            QCOMPARE(System().OpenCameraByID("S1", state == "read-only" ? ZvkAccessModeRead : ZvkAccessModeFull,
                                             camera),
                     ZvkErrorSuccess);
        if (state == "closed")
            QCOMPARE(camera->Close(), ZvkErrorSuccess);
        if (state == "gone" || state == "replugged") {
            QVERIFY(Detach("S1"));
            QVERIFY(!Detach("S1"));
            QCOMPARE(System().OpenCameraByID("S1", ZvkAccessModeFull, other), ZvkErrorNotFound);
        }
        // Plugged in again, the old object still belongs to the camera that went.
        if (state == "replugged")
            QVERIFY(Attach(Setup("S1")) && System().OpenCameraByID("S1", ZvkAccessModeFull, other) == ZvkErrorSuccess);
        if (state == "shut down" || state == "restarted")
            QCOMPARE(System().Shutdown(), ZvkErrorSuccess);
        if (state == "restarted")
            QCOMPARE(System().Startup(), ZvkErrorSuccess);

        std::string id;
        FeaturePtr feature;
        Uint64Vector values(1);
        UcharVector packet(8);
        uint32_t written = 0;
        const QVector<int> seen = {camera->GetID(id),
                                   camera->GetFeatureByName("SensorWidth", feature),
                                   camera->ReadRegisters({ControlsInquiry1}, values),
                                   camera->WriteRegisters({FlashFileSelect}, {FactoryDefectFileId}),
                                   camera->ReadMemory(FileDownloadTransferBuffer, packet),
                                   camera->WriteMemory(FileUploadTransferBuffer, packet, written),
                                   camera->Close()};
        QCOMPARE(seen, codes);
        // Which camera it was stays readable whenever the SDK runs.
        QCOMPARE(id, std::string(seen[0] == ZvkErrorSuccess ? "S1" : ""));
    }

    void attachAndDetachReachTheObserver()
    {
        QCOMPARE(System().Startup(), ZvkErrorSuccess);
        auto observer = std::make_shared<RecordingObserver>();
        QCOMPARE(System().RegisterCameraListObserver(observer), ZvkErrorSuccess);
        QVERIFY(Attach(Setup("S1", "Cam-1")));
        QVERIFY(Detach("Cam-1"));
        QTRY_COMPARE(observer->Count(), 2);
        QCOMPARE(observer->Changes(), (std::vector<std::string>{"Cam-1 0", "Cam-1 1"}));
        QVERIFY(observer->NoneOn(std::this_thread::get_id()));

        QCOMPARE(System().UnregisterCameraListObserver(observer), ZvkErrorSuccess);
        QCOMPARE(System().UnregisterCameraListObserver(observer), ZvkErrorNotFound);
        QVERIFY(Attach(Setup("S2")));
        QCOMPARE(System().Shutdown(), ZvkErrorSuccess);
        QCOMPARE(observer->Count(), 2);
    }

    void invalidSpecsAreRefused_data()
    {
        QTest::addColumn<SpecChange>("change");
        QTest::newRow("no serial number") << SpecChange([](CameraSpec &setup) { setup.serialNumber.clear(); });
        QTest::newRow("ID not usable as a file name") << SpecChange([](CameraSpec &setup) { setup.id = "../x"; });
        QTest::newRow("model over two lines") << SpecChange([](CameraSpec &setup) { setup.model = "HN2702\nM"; });
        QTest::newRow("sensor narrower than 9") << SpecChange([](CameraSpec &setup) { setup.sensorWidth = 8; });
        QTest::newRow("no rows") << SpecChange([](CameraSpec &setup) { setup.sensorHeight = 0; });
        QTest::newRow("unknown sensor type") << SpecChange([](CameraSpec &setup) { setup.sensorType = "RGB"; });
    }

    void invalidSpecsAreRefused()
    {
        QFETCH(SpecChange, change);
        CameraSpec setup = Setup("S9");
        change(setup);
        QVERIFY(!Attach(setup));
        QVERIFY(Cameras().empty());
        QVERIFY(Attach(Setup("S9")));
        QVERIFY(!Attach(Setup("S9")));
    }
};

QTEST_GUILESS_MAIN(ZorvikSystemTest)
#include "tst_zorviksystem.moc"
