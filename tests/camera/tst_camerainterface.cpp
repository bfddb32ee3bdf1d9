#include "CameraInterface.h"
#include "LogCapture.h"
#include "TestCamera.h"

#include <ZorvikCPP.h>
#include <ZorvikSim/Simulator.h>

#include <QtTest>

using ZorvikSim::FaultKind;

namespace {

const QString SelectCustomFile = QStringLiteral("\nSelect File ID by writing 18ed5 @ 1a0bc");

// Position (1-based) of the n-th call of an operation in the camera's record.
int CallNumber(const std::string &id, const std::string &operation, int occurrence)
{
    const std::vector<ZorvikSim::Call> calls = ZorvikSim::Calls(id);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].operation == operation && --occurrence == 0)
            return int(i) + 1;
    }
    return 0;
}

} // namespace

class TestCameraInterface : public QObject
{
    Q_OBJECT

private slots:
    void emptyCameraList();
    void cameraListEntries();
    void unreadableCameraName();
    void failedCameraListQuery();
    void modelSupport_data();
    void modelSupport();
    void connectReadsDescription();
    void defectCapacity_data();
    void defectCapacity();
    void connectFailures_data();
    void connectFailures();
    void connectToUnknownEntry();
    void connectToAnotherCameraAfterFailedCheck();
    void checkFlashFileSystem_data();
    void checkFlashFileSystem();
    void disconnect();
    void failedDisconnectKeepsCamera();
    void accessWithoutOpenCamera();
    void sdkVersion();
    void unplugConnectedCamera();
    void unplugOtherCamera();
    void unplugDuringDownload();
    void plugInCamera();
};

void TestCameraInterface::emptyCameraList()
{
    ZorvikSim::UseMemory();
    LogCapture log;
    CameraInterface cameraInterface;
    QVERIFY(cameraInterface.GetCameraList().isEmpty());
    QCOMPARE(log.Lines(), QStringList{"Cameras available: 0"});
    QVERIFY(!cameraInterface.IsCameraConnected());
    QCOMPARE(cameraInterface.GetCameraDescription().model, QString("Unknown"));
}

void TestCameraInterface::cameraListEntries()
{
    ZorvikSim::UseMemory();
    ZorvikSim::CameraSpec colour = TestCamera::Spec("99", "cam-7");
    colour.model = "HN2701-C";
    colour.sensorType = "Bayer";
    QVERIFY(ZorvikSim::Attach(TestCamera::Spec("4711")));
    QVERIFY(ZorvikSim::Attach(colour));
    LogCapture log;
    CameraInterface cameraInterface;
    const QStringList expected{"HN2702-M-4711", "HN2701-C-99(cam-7)"};
    QCOMPARE(cameraInterface.GetCameraList(), expected);
    QCOMPARE(log.Lines(), QStringList{"Cameras available: 2"});

    // The entry, not the ID, is the key: both kinds of entry connect to their own camera.
    QVERIFY(cameraInterface.ConnectCamera("HN2701-C-99(cam-7)"));
    QCOMPARE(cameraInterface.GetCameraDescription().sensorType, QString("Bayer"));
    QVERIFY(cameraInterface.DisconnectCamera());
    QVERIFY(cameraInterface.ConnectCamera("HN2702-M-4711"));
    QCOMPARE(cameraInterface.GetCameraDescription().serialNumber, QString("4711"));
}

void TestCameraInterface::unreadableCameraName()
{
    ZorvikSim::UseMemory();
    QVERIFY(ZorvikSim::Attach(TestCamera::Spec("4711")));
    QVERIFY(ZorvikSim::Attach(TestCamera::Spec("4712")));
    CameraInterface cameraInterface;
    ZorvikSim::Fault fault;
    fault.kind = FaultKind::FailCall;
    fault.n = 1;
    fault.code = -13;
    QVERIFY(ZorvikSim::SetFault("4711", fault));
    LogCapture log;
    QCOMPARE(cameraInterface.GetCameraList(), (QStringList{"[NoName]", "HN2702-M-4712"}));
    QCOMPARE(log.Lines(), (QStringList{"GetModel Failed, Error: -13 (Other error)",
                                       "Error! Could not retrieve camera name", "Cameras available: 2"}));

    // Entries and IDs stay parallel: the second entry still opens the second camera.
    QVERIFY(cameraInterface.ConnectCamera("HN2702-M-4712"));
    QCOMPARE(cameraInterface.GetCameraDescription().serialNumber, QString("4712"));
    QVERIFY(cameraInterface.DisconnectCamera());
    log.Clear();
    QVERIFY(!cameraInterface.ConnectCamera("[NoName]"));
    QVERIFY(log.Lines().value(0).startsWith("Open Camera Failed, Error: "));
    QVERIFY(!cameraInterface.IsCameraConnected());
}

void TestCameraInterface::failedCameraListQuery()
{
    ZorvikSim::UseMemory();
    QVERIFY(ZorvikSim::Attach(TestCamera::Spec("4711")));
    CameraInterface cameraInterface;
    // A second interface's end shuts the SDK down under the first one.
    delete new CameraInterface;
    LogCapture log;
    QVERIFY(cameraInterface.GetCameraList().isEmpty());
    const QString notStarted = QStringLiteral("-2 (ZvkStartup() was not called before the current command)");
    QCOMPARE(log.Lines(),
             (QStringList{"Could not retrieve camera list, Error: " + notStarted, "Cameras available: 0"}));
}

void TestCameraInterface::modelSupport_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("supported");
    QTest::newRow("HN2701") << "HN2701-C-99(cam-7)" << true;
    QTest::newRow("HN2702") << "HN2702-M-4711" << true;
    QTest::newRow("HN2703") << "HN2703-M-1" << true;
    QTest::newRow("lower case") << "hn2702-M-4711" << false;
    QTest::newRow("other model") << "HN2704-M-4711" << false;
}

void TestCameraInterface::modelSupport()
{
    QFETCH(QString, entry);
    QFETCH(bool, supported);
    ZorvikSim::UseMemory();
    CameraInterface cameraInterface;
    QCOMPARE(cameraInterface.IsCameraModelSupported(entry), supported);
}

void TestCameraInterface::connectReadsDescription()
{
    ZorvikSim::CameraSpec spec = TestCamera::Spec("4711");
    spec.sensorWidth = 2592;
    spec.sensorHeight = 1944;
    ZorvikSim::UseMemory();
    QVERIFY(ZorvikSim::Attach(spec));
    CameraInterface cameraInterface;
    cameraInterface.GetCameraList();
    ZorvikSim::ClearCalls("4711");
    LogCapture log;
    QVERIFY(cameraInterface.ConnectCamera("HN2702-M-4711"));
    QVERIFY(cameraInterface.IsCameraConnected());
    const CameraDescription description = cameraInterface.GetCameraDescription();
    QCOMPARE(description.model, QString("HN2702-M"));
    QCOMPARE(description.serialNumber, QString("4711"));
    QCOMPARE(description.sensorType, QString("Mono"));
    QCOMPARE(description.sensorWidth, qint64(2592));
    QCOMPARE(description.sensorHeight, qint64(1944));
    QCOMPARE(description.defectCapacity, qint64(7648));
    QCOMPARE(log.Lines(), (QStringList{SelectCustomFile, "\nRead maximum file length @ 1a0a0",
                                       "Flash File maximum size: 65536"}));
    QCOMPARE(ZorvikSim::Calls("4711").front().operation, std::string("Open"));

    // Connecting again to the open camera opens nothing a second time.
    ZorvikSim::ClearCalls("4711");
    QVERIFY(cameraInterface.ConnectCamera("HN2702-M-4711"));
    QVERIFY(ZorvikSim::Calls("4711").front().operation != "Open");
    QCOMPARE(cameraInterface.GetCameraDescription().serialNumber, QString("4711"));
}

void TestCameraInterface::defectCapacity_data()
{
    QTest::addColumn<uint>("maxFileSize");
    QTest::addColumn<qint64>("capacity");
    QTest::newRow("header only") << 4352u << qint64(0);
    QTest::newRow("seven bytes more") << 4359u << qint64(0);
    QTest::newRow("one entry") << 4360u << qint64(1);
    QTest::newRow("smaller than the header") << 4096u << qint64(0);
    QTest::newRow("64 KB") << 65536u << qint64(7648);
}

void TestCameraInterface::defectCapacity()
{
    QFETCH(uint, maxFileSize);
    QFETCH(qint64, capacity);
    TestCamera camera(TestCamera::Spec("4711", std::string(), maxFileSize));
    QVERIFY(camera.Connected());
    QCOMPARE(camera.Interface().GetCameraDescription().defectCapacity, capacity);
}

void TestCameraInterface::connectFailures_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("model");

    const QString other = QStringLiteral("-13 (Other error)");
    QTest::newRow("open") << "Open" << 1 << QStringList{"Open Camera Failed, Error: " + other} << false
                          << "Unknown";
    QTest::newRow("model") << "GetModel" << 1 << QStringList{"Get Model Failed, Error: " + other} << true
                           << "Unknown";
    QTest::newRow("serial number") << "GetSerialNumber" << 1
                                   << QStringList{"Get Serial Number Failed, Error: " + other} << true << "Unknown";
    QTest::newRow("width feature") << "GetFeatureByName" << 1
                                   << QStringList{"Get Sensor Width Failed, Error: " + other} << true << "Unknown";
    QTest::newRow("width value") << "GetValue" << 1 << QStringList{"Get Sensor Width Failed, Error: " + other}
                                 << true << "Unknown";
    QTest::newRow("height feature") << "GetFeatureByName" << 2
                                    << QStringList{"Get Sensor Height Failed, Error: " + other} << true << "Unknown";
    QTest::newRow("type feature") << "GetFeatureByName" << 3
                                  << QStringList{"Get Sensor Type Failed, Error: " + other} << true << "Unknown";
    QTest::newRow("file selection")
        << "WriteRegister" << 1
        << QStringList{SelectCustomFile, "Write Register Failed, Error: " + other, "File selection failed."} << true
        << "HN2702-M";
    QTest::newRow("maximum size")
        << "ReadRegister" << 1
        << QStringList{SelectCustomFile, "\nRead maximum file length @ 1a0a0", "Read Register Failed, Error: " + other,
                       "Could not read Flash File maximum size."}
        << true << "HN2702-M";
}

// Each step of a connect that fails ends it with its log line; the camera stays open after
// the open itself succeeded, and the description changes only with a complete read.
void TestCameraInterface::connectFailures()
{
    QFETCH(QString, operation);
    QFETCH(int, occurrence);
    QFETCH(QStringList, lines);
    QFETCH(bool, connected);
    QFETCH(QString, model);

    TestCamera camera;
    CameraInterface &cameraInterface = camera.Interface();
    QVERIFY(cameraInterface.DisconnectCamera());
    camera.ClearAccesses();
    QVERIFY(cameraInterface.ConnectCamera("HN2702-M-4711"));
    const int failing = CallNumber(camera.Id(), operation.toStdString(), occurrence);
    QVERIFY(failing > 0);
    QVERIFY(cameraInterface.DisconnectCamera());

    camera.ClearAccesses();
    camera.SetFault(FaultKind::FailCall, failing);
    LogCapture log;
    QVERIFY(!cameraInterface.ConnectCamera("HN2702-M-4711"));
    QCOMPARE(log.Lines().mid(log.Lines().size() - lines.size()), lines);
    QCOMPARE(cameraInterface.IsCameraConnected(), connected);
    QCOMPARE(cameraInterface.GetCameraDescription().model, model);
    QCOMPARE(cameraInterface.GetCameraDescription().defectCapacity, qint64(0));
}

void TestCameraInterface::connectToUnknownEntry()
{
    TestCamera camera;
    QVERIFY(camera.Interface().DisconnectCamera());
    camera.ClearAccesses();
    QVERIFY(!camera.Interface().ConnectCamera("HN2702-M-4712"));
    QVERIFY(!camera.Interface().ConnectCamera("hn2702-m-4711"));
    QCOMPARE(camera.CallCount(), 0);
    QVERIFY(!camera.Interface().IsCameraConnected());
}

// A camera left open after its flash file system check failed must not be read under the
// name of the camera chosen next.
void TestCameraInterface::connectToAnotherCameraAfterFailedCheck()
{
    ZorvikSim::CameraSpec withoutFlash = TestCamera::Spec("1000");
    withoutFlash.flashFileSystem = false;
    ZorvikSim::UseMemory();
    QVERIFY(ZorvikSim::Attach(withoutFlash));
    QVERIFY(ZorvikSim::Attach(TestCamera::Spec("2000")));
    CameraInterface cameraInterface;
    cameraInterface.GetCameraList();
    QVERIFY(cameraInterface.ConnectCamera("HN2702-M-1000"));
    QVERIFY(!cameraInterface.CheckFlashFileSystem());

    QVERIFY(cameraInterface.ConnectCamera("HN2702-M-2000"));
    QCOMPARE(cameraInterface.GetCameraDescription().serialNumber, QString("2000"));
    QVERIFY(CallNumber("1000", "Close", 1) > 0);
    QVERIFY(CallNumber("2000", "Open", 1) > 0);
    QVERIFY(cameraInterface.CheckFlashFileSystem());
}

void TestCameraInterface::checkFlashFileSystem_data()
{
    QTest::addColumn<bool>("flashFileSystem");
    QTest::addColumn<int>("failingCall");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<QStringList>("lines");

    const QString inquiry = QStringLiteral("Read Register ControlsInquiry1 @ 14000");
    const QString incompatible =
        QStringLiteral("Read Register ControlsInquiry1 failed. Incompatible firmware Version. ");
    const QString status = QStringLiteral("\nRead Flash File status @ 1a0b0");
    const QString readFailed = QStringLiteral("Read Register Failed, Error: -13 (Other error)");
    QTest::newRow("without flash file system") << false << 0 << false << QStringList{inquiry, incompatible};
    QTest::newRow("inquiry read fails") << true << 1 << false << QStringList{inquiry, readFailed, incompatible};
    QTest::newRow("status read fails") << true << 2 << false
                                       << QStringList{inquiry, "ControlsInquiry1: %1", status, readFailed,
                                                      "Read Flash File status failed. No Flash File System. "};
    QTest::newRow("ready") << true << 0 << true
                           << QStringList{inquiry, "ControlsInquiry1: %1", status, "Flash File status: %2",
                                          "Flash File System ready. "};
}

void TestCameraInterface::checkFlashFileSystem()
{
    QFETCH(bool, flashFileSystem);
    QFETCH(int, failingCall);
    QFETCH(bool, ready);
    QFETCH(QStringList, lines);

    ZorvikSim::CameraSpec spec = TestCamera::Spec("4711");
    spec.flashFileSystem = flashFileSystem;
    TestCamera camera(spec);
    QVERIFY(camera.Connected());
    if (failingCall > 0)
        camera.SetFault(FaultKind::FailCall, failingCall);
    LogCapture log;
    QCOMPARE(camera.Interface().CheckFlashFileSystem(), ready);

    const std::vector<ZorvikSim::Call> calls = ZorvikSim::Calls(camera.Id());
    QVERIFY(!calls.empty());
    QCOMPARE(calls.front().address, uint64_t(0x14000));
    for (QString &line : lines) {
        line.replace("%1", QString::number(calls.front().value, 16));
        if (calls.size() > 1)
            line.replace("%2", QString::number(calls.at(1).value, 16));
    }
    QCOMPARE(log.Lines(), lines);
}

void TestCameraInterface::disconnect()
{
    TestCamera camera;
    QVERIFY(camera.Connected());
    QVERIFY(camera.Interface().DisconnectCamera());
    QVERIFY(!camera.Interface().IsCameraConnected());
    const CameraDescription description = camera.Interface().GetCameraDescription();
    QCOMPARE(description.model, QString("Unknown"));
    QCOMPARE(description.serialNumber, QString("Unknown"));
    QCOMPARE(description.sensorType, QString("Unknown"));
    QCOMPARE(description.sensorWidth, qint64(0));
    QCOMPARE(description.sensorHeight, qint64(0));
    QCOMPARE(description.defectCapacity, qint64(0));
    QCOMPARE(CallNumber(camera.Id(), "Close", 1), 1);

    // Closing when nothing is open succeeds without asking the SDK.
    camera.ClearAccesses();
    QVERIFY(camera.Interface().DisconnectCamera());
    QCOMPARE(camera.CallCount(), 0);
}

void TestCameraInterface::failedDisconnectKeepsCamera()
{
    TestCamera camera;
    QVERIFY(camera.Connected());
    camera.SetFault(FaultKind::FailCall, 1);
    LogCapture log;
    QVERIFY(!camera.Interface().DisconnectCamera());
    QCOMPARE(log.Lines(), QStringList{"Disconnect Camera Failed, Error: -13 (Other error)"});
    QVERIFY(camera.Interface().IsCameraConnected());
    QCOMPARE(camera.Interface().GetCameraDescription().serialNumber, QString("4711"));
    QVERIFY(camera.Interface().CheckFlashFileSystem());
}

void TestCameraInterface::accessWithoutOpenCamera()
{
    TestCamera camera;
    QVERIFY(camera.Interface().DisconnectCamera());
    camera.ClearAccesses();
    LogCapture log;
    quint64 size = 99;
    QVERIFY(!camera.Interface().ReadFlashFileMaxSize(size));
    const QString badHandle = QStringLiteral("-4 (The given handle is not valid)");
    QCOMPARE(log.Lines(),
             (QStringList{SelectCustomFile, "Write Register Failed, Error: " + badHandle, "File selection failed."}));
    log.Clear();
    std::vector<unsigned char> content;
    QVERIFY(!camera.Interface().ReadTransferPacket(0, content.data(), 0));
    QCOMPARE(log.Lines(), (QStringList{"Read Memory Failed, Error: " + badHandle,
                                       "Could not read data from FileDownloadTransferBuffer. "}));
    log.Clear();
    const unsigned char data[4] = {1, 2, 3, 4};
    QVERIFY(!camera.Interface().WriteTransferPacket(0, data, 4, 0));
    QCOMPARE(log.Lines(), (QStringList{"Write Memory Failed, Error: " + badHandle,
                                       "Could not write data to FileUploadTransferBuffer. "}));
    QList<PixelCoords> list;
    QVERIFY(!camera.Interface().DownloadDefectList(list));
    QVERIFY(list.isEmpty());
    QCOMPARE(camera.CallCount(), 0);
}

void TestCameraInterface::sdkVersion()
{
    ZorvikSim::UseMemory();
    CameraInterface cameraInterface;
    CVN::ZvkAPI::ZvkVersionInfo_t version = {0, 0, 0};
    CVN::ZvkAPI::ZorvikSystem::GetInstance().QueryVersion(version);
    QCOMPARE(cameraInterface.GetSdkVersion(),
             QStringLiteral("%1.%2.%3").arg(version.major).arg(version.minor).arg(version.patch));
}

namespace {

// Records the interface's two signals in order, with whether they arrived on this thread.
struct SignalRecord
{
    explicit SignalRecord(CameraInterface &cameraInterface)
    {
        QObject::connect(&cameraInterface, &CameraInterface::ConnectedCameraDisconnected, [this] {
            Add(QStringLiteral("disconnected"));
        });
        QObject::connect(&cameraInterface, &CameraInterface::CameraListChangedSignal, [this](int reason) {
            Add(QStringLiteral("list changed %1").arg(reason));
        });
    }

    void Add(const QString &event)
    {
        const bool onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        events.append(onGuiThread ? event : event + " off the GUI thread");
    }

    QStringList events;
};

} // namespace

void TestCameraInterface::unplugConnectedCamera()
{
    TestCamera camera(TestCamera::Spec("4711", "cam-1"));
    QVERIFY(camera.Connected());
    SignalRecord record(camera.Interface());
    QVERIFY(ZorvikSim::Detach("cam-1"));
    QTRY_COMPARE(record.events, (QStringList{"disconnected", "list changed 1"}));
    QVERIFY(camera.Interface().DisconnectCamera());
}

void TestCameraInterface::unplugOtherCamera()
{
    TestCamera camera;
    QVERIFY(camera.Connected());
    QVERIFY(ZorvikSim::Attach(TestCamera::Spec("5000")));
    SignalRecord record(camera.Interface());
    QTRY_COMPARE(record.events, QStringList{"list changed 0"});
    record.events.clear();
    QVERIFY(ZorvikSim::Detach("5000"));
    QTRY_COMPARE(record.events, QStringList{"list changed 1"});
    QCoreApplication::processEvents();
    QCOMPARE(record.events, QStringList{"list changed 1"});
}

void TestCameraInterface::unplugDuringDownload()
{
    TestCamera camera(TestCamera::Spec("4711", "cam-1"));
    camera.SetFile(ZorvikSim::CustomDefectFileId, TestCamera::DefectFile({{10, 50}}));
    camera.SetFault(FaultKind::UnplugMidTransfer, 2);
    SignalRecord record(camera.Interface());
    LogCapture log;
    QList<PixelCoords> list;
    QVERIFY(!camera.Interface().DownloadDefectList(list));
    QVERIFY(list.isEmpty());
    QCOMPARE(log.Lines().last(), QString("Read defect file failed."));
    QTRY_COMPARE(record.events, (QStringList{"disconnected", "list changed 1"}));
}

void TestCameraInterface::plugInCamera()
{
    ZorvikSim::UseMemory();
    CameraInterface cameraInterface;
    SignalRecord record(cameraInterface);
    QVERIFY(ZorvikSim::Attach(TestCamera::Spec("4711")));
    QTRY_COMPARE(record.events, QStringList{"list changed 0"});
    // Nothing is connected, so an unplug is only a change of the list.
    QVERIFY(ZorvikSim::Detach("4711"));
    QTRY_COMPARE(record.events, (QStringList{"list changed 0", "list changed 1"}));
}

QTEST_GUILESS_MAIN(TestCameraInterface)
#include "tst_camerainterface.moc"
