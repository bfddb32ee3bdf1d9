// The SDK's objects and codes as a client meets them: start-up, the camera list and its
// notifications, identity texts, features, and the codes of calls made out of turn.
#include "FirmwareRegisters.h"
#include "RecordingObserver.h"

#include <ZorvikCPP.h>
#include <ZorvikSim/Simulator.h>

#include <QtTest>

using namespace CVN::ZvkAPI;
using namespace ZorvikSim;

namespace {

ZorvikSystem &System()
{
    return ZorvikSystem::GetInstance();
}

CameraSpec Spec(const std::string &serial, const std::string &id = std::string())
{
    CameraSpec spec;
    spec.serialNumber = serial;
    spec.id = id;
    return spec;
}

} // namespace

class ZorvikSystemTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void callsBeforeStartupAreRefused();
    void cameraListTwoCalls();
    void identityAndFeatures();
    void textGetterWantsRoomForTheText();
    void registersNeedAnOpenCamera();
    void goneCameraIsNotFound();
    void readOnlyCameraRefusesWrites();
    void attachAndDetachReachTheObserver();
    void invalidSpecsAreRefused_data();
    void invalidSpecsAreRefused();
    void shutdownClosesCameras();
};

void ZorvikSystemTest::init()
{
    UseMemory();
    SetDurations(5, 5);
}

void ZorvikSystemTest::cleanup()
{
    System().Shutdown();
}

void ZorvikSystemTest::callsBeforeStartupAreRefused()
{
    QVERIFY(Attach(Spec("S1")));
    ZvkVersionInfo_t version = {0, 0, 0};
    QCOMPARE(System().QueryVersion(version), ZvkErrorSuccess);
    QVERIFY(version.major + version.minor + version.patch > 0);
    uint32_t count = 0;
    QCOMPARE(System().GetCameras(nullptr, count), ZvkErrorApiNotStarted);
    CameraPtr camera;
    QCOMPARE(System().OpenCameraByID("S1", ZvkAccessModeFull, camera), ZvkErrorApiNotStarted);
    QCOMPARE(System().RegisterCameraListObserver(std::make_shared<RecordingObserver>()), ZvkErrorApiNotStarted);
    QCOMPARE(System().Shutdown(), ZvkErrorApiNotStarted);

    // A camera object kept past Shutdown is refused as well.
    QCOMPARE(System().Startup(), ZvkErrorSuccess);
    QCOMPARE(System().OpenCameraByID("S1", ZvkAccessModeFull, camera), ZvkErrorSuccess);
    QCOMPARE(System().Shutdown(), ZvkErrorSuccess);
    std::string id;
    QCOMPARE(camera->GetID(id), ZvkErrorApiNotStarted);
    Uint64Vector values(1);
    QCOMPARE(camera->ReadRegisters({ControlsInquiry1}, values), ZvkErrorApiNotStarted);
}

void ZorvikSystemTest::cameraListTwoCalls()
{
    QCOMPARE(System().Startup(), ZvkErrorSuccess);
    CameraPtrVector cameras;
    QCOMPARE(System().GetCameras(cameras), ZvkErrorSuccess);
    QVERIFY(cameras.empty());
    QVERIFY(Attach(Spec("S1")));
    QVERIFY(Attach(Spec("S2", "Line-2")));
    uint32_t count = 0;
    QCOMPARE(System().GetCameras(nullptr, count), ZvkErrorSuccess);
    QCOMPARE(count, 2u);
    CameraPtr one[1];
    count = 1;
    QCOMPARE(System().GetCameras(one, count), ZvkErrorMoreData);
    QCOMPARE(count, 2u);
    QCOMPARE(System().GetCameras(cameras), ZvkErrorSuccess);
    QCOMPARE(cameras.size(), size_t(2));
    std::string id;
    QCOMPARE(cameras[1]->GetID(id), ZvkErrorSuccess);
    QCOMPARE(id, std::string("Line-2"));
}

void ZorvikSystemTest::identityAndFeatures()
{
    CameraSpec spec = Spec("40211001", "Cam-A");
    spec.model = "HN2703-C";
    spec.sensorWidth = 1936;
    spec.sensorHeight = 1216;
    spec.sensorType = "Bayer";
    QVERIFY(Attach(spec));
    QCOMPARE(System().Startup(), ZvkErrorSuccess);
    CameraPtrVector cameras;
    QCOMPARE(System().GetCameras(cameras), ZvkErrorSuccess);
    QCOMPARE(cameras.size(), size_t(1));
    // Listed, not opened: identity and features are readable.
    std::string model, serial, id, type;
    QCOMPARE(cameras[0]->GetModel(model), ZvkErrorSuccess);
    QCOMPARE(cameras[0]->GetSerialNumber(serial), ZvkErrorSuccess);
    QCOMPARE(cameras[0]->GetID(id), ZvkErrorSuccess);
    QCOMPARE(model + "/" + serial + "/" + id, std::string("HN2703-C/40211001/Cam-A"));
    FeaturePtr width, height, sensorType, unknown;
    QCOMPARE(cameras[0]->GetFeatureByName("SensorWidth", width), ZvkErrorSuccess);
    QCOMPARE(cameras[0]->GetFeatureByName("SensorHeight", height), ZvkErrorSuccess);
    QCOMPARE(cameras[0]->GetFeatureByName("SensorType", sensorType), ZvkErrorSuccess);
    QCOMPARE(cameras[0]->GetFeatureByName("ExposureTime", unknown), ZvkErrorNotFound);
    QCOMPARE(cameras[0]->GetFeatureByName(nullptr, unknown), ZvkErrorBadParameter);
    int64_t value = 0;
    QCOMPARE(width->GetValue(value), ZvkErrorSuccess);
    QCOMPARE(value, int64_t(1936));
    QCOMPARE(height->GetValue(value), ZvkErrorSuccess);
    QCOMPARE(value, int64_t(1216));
    QCOMPARE(sensorType->GetValue(type), ZvkErrorSuccess);
    QCOMPARE(type, std::string("Bayer"));
    QCOMPARE(sensorType->GetValue(value), ZvkErrorWrongType);
    QCOMPARE(width->GetValue(type), ZvkErrorWrongType);
}

void ZorvikSystemTest::textGetterWantsRoomForTheText()
{
    QVERIFY(Attach(Spec("123456")));
    QCOMPARE(System().Startup(), ZvkErrorSuccess);
    CameraPtr camera;
    QCOMPARE(System().OpenCameraByID("123456", ZvkAccessModeFull, camera), ZvkErrorSuccess);
    uint32_t length = 0;
    QCOMPARE(camera->GetSerialNumber(nullptr, length), ZvkErrorSuccess);
    QCOMPARE(length, 6u);
    char buffer[8] = "xxxxxxx";
    length = 5;
    QCOMPARE(camera->GetSerialNumber(buffer, length), ZvkErrorMoreData);
    QCOMPARE(length, 6u);
    QCOMPARE(camera->GetSerialNumber(buffer, length), ZvkErrorSuccess);
    QCOMPARE(QByteArray(buffer), QByteArray("123456"));
    FeaturePtr type;
    QCOMPARE(camera->GetFeatureByName("SensorType", type), ZvkErrorSuccess);
    length = 2;
    QCOMPARE(type->GetValue(buffer, length), ZvkErrorMoreData);
    QCOMPARE(length, 4u);
}

void ZorvikSystemTest::registersNeedAnOpenCamera()
{
    QVERIFY(Attach(Spec("S1")));
    QCOMPARE(System().Startup(), ZvkErrorSuccess);
    CameraPtrVector listed;
    QCOMPARE(System().GetCameras(listed), ZvkErrorSuccess);
    Uint64Vector values(1);
    UcharVector packet(8);
    uint32_t written = 0;
    QCOMPARE(listed[0]->ReadRegisters({ControlsInquiry1}, values), ZvkErrorDeviceNotOpen);
    QCOMPARE(listed[0]->WriteMemory(FileUploadTransferBuffer, packet, written), ZvkErrorDeviceNotOpen);
    QCOMPARE(listed[0]->Close(), ZvkErrorDeviceNotOpen);

    CameraPtr camera;
    QCOMPARE(System().OpenCameraByID("S1", ZvkAccessModeFull, camera), ZvkErrorSuccess);
    QCOMPARE(camera->ReadRegisters({ControlsInquiry1}, values), ZvkErrorSuccess);
    QCOMPARE(camera->Close(), ZvkErrorSuccess);
    QCOMPARE(camera->ReadRegisters({ControlsInquiry1}, values), ZvkErrorDeviceNotOpen);
    QCOMPARE(camera->Close(), ZvkErrorDeviceNotOpen);

    QCOMPARE(System().OpenCameraByID("nobody", ZvkAccessModeFull, camera), ZvkErrorNotFound);
    QCOMPARE(System().OpenCameraByID(nullptr, ZvkAccessModeFull, camera), ZvkErrorBadParameter);
}

void ZorvikSystemTest::goneCameraIsNotFound()
{
    QVERIFY(Attach(Spec("S1")));
    QCOMPARE(System().Startup(), ZvkErrorSuccess);
    CameraPtr camera;
    QCOMPARE(System().OpenCameraByID("S1", ZvkAccessModeFull, camera), ZvkErrorSuccess);
    QVERIFY(Detach("S1"));
    QVERIFY(!Detach("S1"));
    Uint64Vector values(1);
    UcharVector packet(8);
    FeaturePtr feature;
    QCOMPARE(camera->ReadRegisters({ControlsInquiry1}, values), ZvkErrorNotFound);
    QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, packet), ZvkErrorNotFound);
    QCOMPARE(camera->GetFeatureByName("SensorWidth", feature), ZvkErrorNotFound);
    // Which camera it was stays readable, and its handle can still be closed.
    std::string id;
    QCOMPARE(camera->GetID(id), ZvkErrorSuccess);
    QCOMPARE(id, std::string("S1"));
    QCOMPARE(camera->Close(), ZvkErrorSuccess);
    QCOMPARE(System().OpenCameraByID("S1", ZvkAccessModeFull, camera), ZvkErrorNotFound);

    // Plugged in again, the old object still belongs to the camera that went.
    QVERIFY(Attach(Spec("S1")));
    CameraPtr again;
    QCOMPARE(System().OpenCameraByID("S1", ZvkAccessModeFull, again), ZvkErrorSuccess);
    QCOMPARE(again->ReadRegisters({ControlsInquiry1}, values), ZvkErrorSuccess);
    QCOMPARE(camera->ReadRegisters({ControlsInquiry1}, values), ZvkErrorNotFound);
}

void ZorvikSystemTest::readOnlyCameraRefusesWrites()
{
    QVERIFY(Attach(Spec("S1")));
    QCOMPARE(System().Startup(), ZvkErrorSuccess);
    CameraPtr camera;
    QCOMPARE(System().OpenCameraByID("S1", ZvkAccessModeNone, camera), ZvkErrorBadParameter);
    QCOMPARE(System().OpenCameraByID("S1", ZvkAccessModeRead, camera), ZvkErrorSuccess);
    Uint64Vector values(2);
    QCOMPARE(camera->ReadRegisters({ControlsInquiry1, FlashFileMaxSize}, values), ZvkErrorSuccess);
    QCOMPARE(values[1], uint64_t(65536));
    QCOMPARE(camera->WriteRegisters({FlashFileSelect}, {FactoryDefectFileId}), ZvkErrorInvalidAccess);
    QCOMPARE(camera->ReadRegisters({ControlsInquiry1, 0x999}, values), ZvkErrorIncomplete);
}

void ZorvikSystemTest::attachAndDetachReachTheObserver()
{
    QCOMPARE(System().Startup(), ZvkErrorSuccess);
    auto observer = std::make_shared<RecordingObserver>();
    QCOMPARE(System().RegisterCameraListObserver(observer), ZvkErrorSuccess);
    QVERIFY(Attach(Spec("S1", "Cam-1")));
    QVERIFY(Detach("Cam-1"));
    QTRY_COMPARE(observer->Count(), 2);
    std::vector<RecordingObserver::Change> changes = observer->Changes();
    QCOMPARE(changes[0].id, std::string("Cam-1"));
    QCOMPARE(changes[0].reason, 0);
    QCOMPARE(changes[1].id, std::string("Cam-1"));
    QCOMPARE(changes[1].reason, 1);
    QVERIFY(changes[0].thread != std::this_thread::get_id());

    QCOMPARE(System().UnregisterCameraListObserver(observer), ZvkErrorSuccess);
    QCOMPARE(System().UnregisterCameraListObserver(observer), ZvkErrorNotFound);
    QVERIFY(Attach(Spec("S2")));
    QCOMPARE(System().Shutdown(), ZvkErrorSuccess);
    QCOMPARE(observer->Count(), 2);
}

void ZorvikSystemTest::invalidSpecsAreRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("no serial number") << "serial" << "";
    QTest::newRow("ID not usable as a file name") << "id" << "../x";
    QTest::newRow("model over two lines") << "model" << "HN2702\nM";
    QTest::newRow("sensor narrower than 9") << "width" << "8";
    QTest::newRow("no rows") << "height" << "0";
    QTest::newRow("unknown sensor type") << "type" << "RGB";
}

void ZorvikSystemTest::invalidSpecsAreRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    CameraSpec spec = Spec("S9");
    std::string text = value.toStdString();
    if (field == "serial")
        spec.serialNumber = text;
    else if (field == "id")
        spec.id = text;
    else if (field == "model")
        spec.model = text;
    else if (field == "width")
        spec.sensorWidth = value.toLongLong();
    else if (field == "height")
        spec.sensorHeight = value.toLongLong();
    else
        spec.sensorType = text;
    QVERIFY(!Attach(spec));
    QVERIFY(Cameras().empty());
    QVERIFY(Attach(Spec("S9")));
    QVERIFY(!Attach(Spec("S9")));
}

void ZorvikSystemTest::shutdownClosesCameras()
{
    QVERIFY(Attach(Spec("S1")));
    QCOMPARE(System().Startup(), ZvkErrorSuccess);
    CameraPtr camera;
    QCOMPARE(System().OpenCameraByID("S1", ZvkAccessModeFull, camera), ZvkErrorSuccess);
    QCOMPARE(System().Shutdown(), ZvkErrorSuccess);
    QCOMPARE(System().Startup(), ZvkErrorSuccess);
    Uint64Vector values(1);
    QCOMPARE(camera->ReadRegisters({ControlsInquiry1}, values), ZvkErrorDeviceNotOpen);
}

QTEST_GUILESS_MAIN(ZorvikSystemTest)
#include "tst_zorviksystem.moc"
