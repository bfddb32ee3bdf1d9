#include "CameraInterface.h"
#include "LogCapture.h"
#include "TestCamera.h"

#include <ZorvikSim/Simulator.h>

#include <QtTest>

using ZorvikSim::FaultKind;

namespace {

const QString SelectCustomFile = QStringLiteral("\nSelect File ID by writing 18ed5 @ 1a0bc");
const QString Failed = QStringLiteral(" Failed, Error: -13 (Other error)");

// Position (1-based) of the n-th call of an operation in the camera's record, 0 when absent.
int CallNumber(const std::string &id, const std::string &operation, int occurrence)
{
    const std::vector<ZorvikSim::Call> calls = ZorvikSim::Calls(id);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].operation == operation && --occurrence == 0)
            return int(i) + 1;
    }
    return 0;
}

QStringList Fields(const CameraDescription &description)
{
    return {description.model, description.serialNumber, description.sensorType,
            QString::number(description.sensorWidth), QString::number(description.sensorHeight),
            QString::number(description.defectCapacity)};
}

struct ConnectFailure
{
    const char *name;
    const char *operation; // the SDK call that fails
    int occurrence;        // of that call during the connect
    QStringList lastLines;
    bool connected;
    const char *model;
};

const ConnectFailure ConnectFailures[] = {
    {"open", "Open", 1, {"Open Camera" + Failed}, false, "Unknown"},
    {"model", "GetModel", 1, {"Get Model" + Failed}, true, "Unknown"},
    {"serial number", "GetSerialNumber", 1, {"Get Serial Number" + Failed}, true, "Unknown"},
    {"width feature", "GetFeatureByName", 1, {"Get Sensor Width" + Failed}, true, "Unknown"},
    {"width value", "GetValue", 1, {"Get Sensor Width" + Failed}, true, "Unknown"},
    {"height feature", "GetFeatureByName", 2, {"Get Sensor Height" + Failed}, true, "Unknown"},
    {"type feature", "GetFeatureByName", 3, {"Get Sensor Type" + Failed}, true, "Unknown"},
    {"file selection", "WriteRegister", 1, {"Write Register" + Failed, "File selection failed."}, true, "HN2702-M"},
    {"maximum size", "ReadRegister", 1, {"Read Register" + Failed, "Could not read Flash File maximum size."}, true,
     "HN2702-M"},
};

// Records the interface's two signals in order, with whether they arrived on this thread.
struct SignalRecord
{
    explicit SignalRecord(CameraInterface &cameraInterface)
    {
        QObject::connect(&cameraInterface, &CameraInterface::ConnectedCameraDisconnected,
                         [this] { Add(QStringLiteral("disconnected")); });
        QObject::connect(&cameraInterface, &CameraInterface::CameraListChangedSignal,
                         [this](int reason) { Add(QStringLiteral("list changed %1").arg(reason)); });
    }

    void Add(const QString &event)
    {
        const bool onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        events.append(onGuiThread ? event : event + " off the GUI thread");
    }

    QStringList events;
};

} // namespace

class TestCameraInterface : public QObject
{
    Q_OBJECT

private slots:
    void cameraList_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("lines");
        const QString notStarted = QStringLiteral("-2 (ZvkStartup() was not called before the current command)");
        QTest::newRow("ID other than the serial number")
            << "" << QStringList{"HN2702-M-4711", "HN2701-C-99(cam-7)"} << QStringList{"Cameras available: 2"};
        QTest::newRow("unreadable name")
            << "name" << QStringList{"[NoName]", "HN2701-C-99(cam-7)"}
            << QStringList{"GetModel" + Failed, "Error! Could not retrieve camera name", "Cameras available: 2"};
        QTest::newRow("SDK shut down") << "shutdown" << QStringList()
                                       << QStringList{"Could not retrieve camera list, Error: " + notStarted,
                                                      "Cameras available: 0"};
    }

    // The entry, not the ID, is the key: each entry opens its own camera, also when another
    // camera's name could not be read; an unnamed entry opens nothing.
    void cameraList()
    {
        QFETCH(QString, trouble);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, lines);
        ZorvikSim::UseMemory();
        ZorvikSim::CameraSpec colour = TestCamera::Setup("99", "cam-7");
        colour.model = "HN2701-C";
        QVERIFY(ZorvikSim::Attach(TestCamera::Setup("4711")));
        QVERIFY(ZorvikSim::Attach(colour));
        CameraInterface cameraInterface;
        if (trouble == "name")
            QVERIFY(ZorvikSim::SetFault("4711", ZorvikSim::Fault{FaultKind::FailCall, 1, -13}));
        if (trouble == "shutdown")
            delete new CameraInterface; // a second interface's end shuts the SDK down under the first one
        LogCapture log;
        QCOMPARE(cameraInterface.GetCameraList(), entries);
        QCOMPARE(log.Lines(), lines);
        for (const QString &entry : entries) {
            const bool named = entry != "[NoName]";
            log.Clear();
            QCOMPARE(cameraInterface.ConnectCamera(entry), named);
            QCOMPARE(cameraInterface.IsCameraConnected(), named);
            QCOMPARE(cameraInterface.GetCameraDescription().serialNumber,
                     named ? entry.section('-', 2).section('(', 0, 0) : QString("Unknown"));
            QVERIFY(named || log.Lines().value(0).startsWith("Open Camera Failed, Error: "));
            QVERIFY(cameraInterface.DisconnectCamera());
        }
    }

    void modelSupport_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("supported");
        QTest::newRow("HN2701") << "HN2701-C-99(cam-7)" << true;
        QTest::newRow("HN2702") << "HN2702-M-4711" << true;
        QTest::newRow("HN2703") << "HN2703-M-1" << true;
        QTest::newRow("lower case") << "hn2702-M-4711" << false;
        QTest::newRow("other model") << "HN2704-M-4711" << false;
    }

    void modelSupport()
    {
        QFETCH(QString, entry);
        QFETCH(bool, supported);
        ZorvikSim::UseMemory();
        CameraInterface cameraInterface;
        QCOMPARE(cameraInterface.IsCameraModelSupported(entry), supported);
    }

    void connectReadsDescription_data()
    {
        QTest::addColumn<uint>("maxFileSize");
        QTest::addColumn<QString>("capacity");
        QTest::newRow("64 KB") << 65536u << "7648";
        QTest::newRow("header only") << 4352u << "0";
        QTest::newRow("seven bytes more") << 4359u << "0";
        QTest::newRow("one entry") << 4360u << "1";
        QTest::newRow("smaller than the header") << 4096u << "0";
    }

    // The defect capacity counts the 8-byte entries that fit behind the file's header.
    void connectReadsDescription()
    {
        QFETCH(uint, maxFileSize);
        QFETCH(QString, capacity);
        ZorvikSim::CameraSpec setup = TestCamera::Setup("4711", std::string(), maxFileSize);
        setup.sensorWidth = 2592;
        setup.sensorHeight = 1944;
        ZorvikSim::UseMemory();
        QVERIFY(ZorvikSim::Attach(setup));
        CameraInterface cameraInterface;
        cameraInterface.GetCameraList();
        ZorvikSim::ClearCalls("4711");
        LogCapture log;
        QVERIFY(cameraInterface.ConnectCamera("HN2702-M-4711"));
        QVERIFY(cameraInterface.IsCameraConnected());
        QCOMPARE(Fields(cameraInterface.GetCameraDescription()),
                 (QStringList{"HN2702-M", "4711", "Mono", "2592", "1944", capacity}));
        QCOMPARE(log.Lines(), (QStringList{SelectCustomFile, "\nRead maximum file length @ 1a0a0",
                                           "Flash File maximum size: " + QString::number(maxFileSize)}));
        QCOMPARE(CallNumber("4711", "Open", 1), 1);

        // Connecting again to the open camera opens nothing a second time.
        ZorvikSim::ClearCalls("4711");
        QVERIFY(cameraInterface.ConnectCamera("HN2702-M-4711"));
        QCOMPARE(CallNumber("4711", "Open", 1), 0);
    }

    void connectFailures_data()
    {
        QTest::addColumn<int>("row");
        for (std::size_t row = 0; row < sizeof(ConnectFailures) / sizeof(ConnectFailures[0]); ++row)
            QTest::newRow(ConnectFailures[row].name) << int(row);
    }

    // Each step of a connect that fails ends it with its log line; the camera stays open after
    // the open itself succeeded, and the description changes only with a complete read.
    void connectFailures()
    {
        QFETCH(int, row);
        const ConnectFailure &failure = ConnectFailures[row];
        TestCamera camera;
        QVERIFY(camera.Interface().DisconnectCamera());
        camera.ClearAccesses();
        QVERIFY(camera.Interface().ConnectCamera("HN2702-M-4711"));
        const int failing = CallNumber(camera.Id(), failure.operation, failure.occurrence);
        QVERIFY(failing > 0);
        QVERIFY(camera.Interface().DisconnectCamera());

        camera.ClearAccesses();
        camera.SetFault(FaultKind::FailCall, failing);
        LogCapture log;
        QVERIFY(!camera.Interface().ConnectCamera("HN2702-M-4711"));
        QCOMPARE(log.Last(failure.lastLines.size()), failure.lastLines);
        QCOMPARE(camera.Interface().IsCameraConnected(), failure.connected);
        QCOMPARE(camera.Interface().GetCameraDescription().model, QString(failure.model));
        QCOMPARE(camera.Interface().GetCameraDescription().defectCapacity, qint64(0));
    }

    // A camera left open after its flash file system check failed must not be read under the
    // name of the camera chosen next.
    void connectToAnotherCameraAfterFailedCheck()
    {
        ZorvikSim::CameraSpec withoutFlash = TestCamera::Setup("1000");
        withoutFlash.flashFileSystem = false;
        ZorvikSim::UseMemory();
        QVERIFY(ZorvikSim::Attach(withoutFlash));
        QVERIFY(ZorvikSim::Attach(TestCamera::Setup("2000")));
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

    void checkFlashFileSystem_data()
    {
        QTest::addColumn<bool>("flashFileSystem");
        QTest::addColumn<int>("failingCall");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<QStringList>("lines");
        const QString inquiry = QStringLiteral("Read Register ControlsInquiry1 @ 14000");
        const QString incompatible =
            QStringLiteral("Read Register ControlsInquiry1 failed. Incompatible firmware Version. ");
        // The stand-in answers the inquiry with its basic controls and the flash file bit; a new
        // camera's custom file is erased.
        const QStringList inquired{inquiry, "ControlsInquiry1: 80400003", "\nRead Flash File status @ 1a0b0"};
        QTest::newRow("without flash file system") << false << 0 << false << QStringList{inquiry, incompatible};
        QTest::newRow("inquiry read fails")
            << true << 1 << false << QStringList{inquiry, "Read Register" + Failed, incompatible};
        QTest::newRow("status read fails")
            << true << 2 << false
            << inquired
                   + QStringList{"Read Register" + Failed, "Read Flash File status failed. No Flash File System. "};
        QTest::newRow("ready") << true << 0 << true
                               << inquired + QStringList{"Flash File status: fffffffe", "Flash File System ready. "};
    }

    void checkFlashFileSystem()
    {
        QFETCH(bool, flashFileSystem);
        QFETCH(int, failingCall);
        QFETCH(bool, ready);
        QFETCH(QStringList, lines);
        ZorvikSim::CameraSpec setup = TestCamera::Setup("4711");
        setup.flashFileSystem = flashFileSystem;
        TestCamera camera(setup);
        QVERIFY(camera.Connected());
        if (failingCall > 0)
            camera.SetFault(FaultKind::FailCall, failingCall);
        LogCapture log;
        QCOMPARE(camera.Interface().CheckFlashFileSystem(), ready);
        QCOMPARE(log.Lines(), lines);
        QCOMPARE(camera.Accesses().value(0), QString("R 14000"));
    }

    // A close the SDK refuses keeps the camera connected and usable; a second one succeeds.
    void disconnect()
    {
        TestCamera camera;
        camera.SetFault(FaultKind::FailCall, 1);
        LogCapture log;
        QVERIFY(!camera.Interface().DisconnectCamera());
        QCOMPARE(log.Lines(), QStringList{"Disconnect Camera" + Failed});
        QVERIFY(camera.Interface().IsCameraConnected());
        QVERIFY(camera.Interface().CheckFlashFileSystem());
        QCOMPARE(camera.Interface().GetCameraDescription().serialNumber, QString("4711"));

        camera.ClearAccesses();
        QVERIFY(camera.Interface().DisconnectCamera());
        QVERIFY(!camera.Interface().IsCameraConnected());
        QCOMPARE(Fields(camera.Interface().GetCameraDescription()),
                 (QStringList{"Unknown", "Unknown", "Unknown", "0", "0", "0"}));
        QCOMPARE(CallNumber(camera.Id(), "Close", 1), 1);

        // Without an open camera nothing reaches the SDK's camera: closing succeeds, an unknown
        // entry opens nothing, and register and memory access fail with the handle's error.
        camera.ClearAccesses();
        QVERIFY(camera.Interface().DisconnectCamera());
        QVERIFY(!camera.Interface().ConnectCamera("HN2702-M-4712"));
        QVERIFY(!camera.Interface().ConnectCamera("hn2702-m-4711"));
        QVERIFY(!camera.Interface().IsCameraConnected());
        const QString badHandle = QStringLiteral(" Failed, Error: -4 (The given handle is not valid)");
        log.Clear();
        quint64 size = 99;
        QVERIFY(!camera.Interface().ReadFlashFileMaxSize(size));
        unsigned char data[4] = {1, 2, 3, 4};
        QVERIFY(!camera.Interface().ReadTransferPacket(0, data, 0));
        QVERIFY(!camera.Interface().WriteTransferPacket(0, data, 4, 0));
        QCOMPARE(log.Lines(), (QStringList{SelectCustomFile, "Write Register" + badHandle, "File selection failed.",
                                           "Read Memory" + badHandle,
                                           "Could not read data from FileDownloadTransferBuffer. ",
                                           "Write Memory" + badHandle,
                                           "Could not write data to FileUploadTransferBuffer. "}));
        QList<PixelCoords> list;
        QVERIFY(!camera.Interface().DownloadDefectList(list));
        QVERIFY(list.isEmpty());
        QCOMPARE(camera.CallCount(), 0);
    }

    // The stand-in reports version 1.4.0.
    void sdkVersion()
    {
        ZorvikSim::UseMemory();
        QCOMPARE(CameraInterface().GetSdkVersion(), QString("1.4.0"));
    }

    void hotPlug_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("unplugged");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("connected camera") << true << "cam-1" << QStringList{"disconnected", "list changed 1"};
        QTest::newRow("another camera") << true << "5000" << QStringList{"list changed 1"};
        QTest::newRow("nothing connected") << false << "cam-1" << QStringList{"list changed 1"};
    }

    // The stand-in reports plugging in and out on its own thread; the interface passes it on
    // to the GUI thread, announcing the loss of the connected camera first.
    void hotPlug()
    {
        QFETCH(bool, connected);
        QFETCH(QString, unplugged);
        QFETCH(QStringList, events);
        TestCamera camera(TestCamera::Setup("4711", "cam-1"));
        if (!connected)
            QVERIFY(camera.Interface().DisconnectCamera());
        SignalRecord record(camera.Interface());
        QVERIFY(ZorvikSim::Attach(TestCamera::Setup("5000")));
        QTRY_COMPARE(record.events, QStringList{"list changed 0"});
        record.events.clear();
        QVERIFY(ZorvikSim::Detach(unplugged.toStdString()));
        QTRY_COMPARE(record.events, events);
        QCoreApplication::processEvents();
        QCOMPARE(record.events, events);
        QVERIFY(camera.Interface().DisconnectCamera());
    }
};

QTEST_GUILESS_MAIN(TestCameraInterface)
#include "tst_camerainterface.moc"
