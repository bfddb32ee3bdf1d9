#include "CameraInterface.h"
#include "CameraObserver.h"
#include "DebugLines.h"
#include "ErrorCodeToText.h"

#include <ZorvikSim/Simulator.h>

#include <QtTest>

#include <functional>

using ZorvikSim::FaultKind;
typedef std::vector<unsigned char> Bytes;
typedef QList<ZorvikSim::Fault> Faults;
// A step the user starts on the connected camera.
typedef std::function<bool(CameraInterface &)> Operation;
Q_DECLARE_METATYPE(Operation)

namespace {

const quint32 Custom = ZorvikSim::CustomDefectFileId;
const quint32 Factory = ZorvikSim::FactoryDefectFileId;
const quint32 Privilege = ZorvikSim::DefectFilePrivilegeLevel;
const QString Failed = QStringLiteral(" Failed, Error: -13 (Other error)");
const QString ReadFailed = "Read Register" + Failed;
const QString WriteFailed = "Write Register" + Failed;
const QString Status = QStringLiteral("\nRead Flash File status @ 1a0b0");
const QString Handling = QStringLiteral("Error handling failed.");
const QString Hardware = QStringLiteral("Flash File status: fffff000");
const QString Poll = QStringLiteral("Read Flash File status register failed during the Erase Command.");
const QString Mismatch = QStringLiteral("DPC data downloaded does not match the correction data saved! ");
const QString NoFlash = QStringLiteral("Camera does not support Flash File access.");
const QString NotRead = QStringLiteral("Read defect file failed.");
const QString Incompatible = QStringLiteral("Read Register ControlsInquiry1 failed. Incompatible firmware Version. ");
const QString OffsetDiffers = QStringLiteral("Read Error. Download offset different from transfer offset");
const QString EraseCommand = QStringLiteral("\nWrite erase command 5 @ 1a0b4");
const QString FirstPacket = QStringLiteral("Write packet 0\t@ offset: 0");

Faults Fail(int n, FaultKind kind = FaultKind::FailCall)
{
    return {{kind, n, -13}};
}

// Content whose bytes differ from offset to offset and from packet to packet.
Bytes Pattern(std::size_t size, unsigned char seed = 1)
{
    Bytes content(size);
    for (std::size_t i = 0; i < size; ++i)
        content[i] = static_cast<unsigned char>(seed + i * 7 + i / 251);
    return content;
}

// What the stand-in stores of an upload told to differ on read-back.
Bytes Altered(Bytes content)
{
    content[content.size() / 2] ^= 1;
    return content;
}

// The lines of an erase or upload whose status stays busy, from `last` (the last line before
// the polls) on: 16 polls (6 s for 65504 bytes and 10 more), then `what` is given up.
QStringList StuckLines(const QString &last, const QString &status, const QString &what)
{
    QStringList lines{last};
    for (int poll = 0; poll < 16; ++poll)
        lines << Status << "Flash File status: " + status;
    return lines << what + " command still in progress after 16 status polls.";
}

const Bytes Old = Pattern(1004);
const Bytes New = Pattern(1004, 9);
const Bytes Big = Pattern(65508); // 4 bytes more than a file can hold
const Bytes None;
const Bytes CustomList = ZorvikSim::EncodeDefectFile(2048, 2048, "Mono", {{10, 50}, {3, 7}, {4, 8}});
const Bytes FactoryList = ZorvikSim::EncodeDefectFile(2048, 2048, "Mono", {{20, 30}, {21, 31}});
const Bytes Uploaded = ZorvikSim::EncodeDefectFile(2048, 2048, "Mono", {{1, 2}, {3, 4}, {5, 6}, {7, 8}});
const Faults HardwareError = Fail(1, FaultKind::HardwareError);
const Faults Stuck = Fail(1, FaultKind::StuckInProgress);
const Faults Differs = Fail(1, FaultKind::ReadBackDiffers);

const Operation Connect = [](CameraInterface &camera) {
    return camera.DisconnectCamera() && camera.ConnectCamera("HN2702-M-4711");
};
const Operation Disconnect = [](CameraInterface &camera) { return camera.DisconnectCamera(); };
const Operation Check = [](CameraInterface &camera) { return camera.CheckFlashFileSystem(); };
const Operation Download = [](CameraInterface &camera) {
    Bytes content;
    return camera.DownloadFlashFile(Custom, content);
};
const Operation Erase = [](CameraInterface &camera) {
    quint64 status = 0;
    return camera.EraseFlashFile(Custom, Privilege, status);
};
Operation Upload(const Bytes &content)
{
    return [content](CameraInterface &camera) { return camera.UploadFlashFile(Custom, Privilege, content); };
}
const Operation UploadList = [](CameraInterface &camera) { return camera.UploadDefectFile(Uploaded); };
const Operation DownloadList = [](CameraInterface &camera) {
    QList<PixelCoords> list;
    return camera.DownloadDefectList(list);
};
const Operation Read = [](CameraInterface &camera) {
    Bytes content;
    return camera.ReadDefectFile(content);
};
const Operation Revert = [](CameraInterface &camera) { return camera.RevertToFactoryDefectFile(); };

struct Failure
{
    const char *name;
    Operation operation;
    Bytes stored; // the camera's custom file before
    Faults faults;
    QStringList lastLines;
    Bytes held;           // and after
    QString trigger = {}; // the line after which the faults strike; none: from the start
};

// Call numbers count from the first call of the operation on.
const Failure Failures[] = {
    // Connect after a disconnect: close (1), open (2), model (3, 4), serial number (5, 6), width (7, 8),
    // height (9, 10), type (11 to 13), select (14), maximum size (15).
    {"connect, open", Connect, None, Fail(2), {"Open Camera" + Failed}, None},
    {"connect, model", Connect, None, Fail(3), {"Get Model" + Failed}, None},
    {"connect, serial number", Connect, None, Fail(5), {"Get Serial Number" + Failed}, None},
    {"connect, width feature", Connect, None, Fail(7), {"Get Sensor Width" + Failed}, None},
    {"connect, width value", Connect, None, Fail(8), {"Get Sensor Width" + Failed}, None},
    {"connect, height feature", Connect, None, Fail(9), {"Get Sensor Height" + Failed}, None},
    {"connect, type feature", Connect, None, Fail(11), {"Get Sensor Type" + Failed}, None},
    {"connect, file selection", Connect, None, Fail(14), {WriteFailed, "File selection failed."}, None},
    {"connect, maximum size", Connect, None, Fail(15), {ReadFailed, "Could not read Flash File maximum size."}, None},
    {"disconnect refused", Disconnect, None, Fail(1), {"Disconnect Camera" + Failed}, None},
    {"check, inquiry read", Check, None, Fail(1), {ReadFailed, Incompatible}, None},
    {"check, status read", Check, None, Fail(2), {"Read Flash File status failed. No Flash File System. "}, None},
    {"check, no file system running", Check, None, Fail(1, FaultKind::StatusZero),
     {"Read Flash File status failed. No Flash File System. "}, None},
    // Download of 1004 bytes: select (1), error handling (2, 3), status (4), length (5), maximum size (6),
    // offset (7), packets (8 to 10).
    {"download of an erased file", Download, None, {}, {"Flash File status not valid."}, None},
    {"download, length not a multiple of 4", Download, Pattern(6), {}, {"File size is not multiple of 4."}, Pattern(6)},
    {"download, above the maximum size", Download, Big, {}, {"File length exceeds the Flash File maximum size."}, Big},
    {"download, file selection", Download, Old, Fail(1), {"File selection failed."}, Old},
    {"download, status unreadable", Download, Old, Fail(2), {"Could not read Flash File status Register. ", Handling},
     Old},
    {"download, clear error", Download, Old, Fail(3), {"Write Clear Error Command failed. ", Handling}, Old},
    {"download, hardware error", Download, Old, HardwareError, {"Possible Hardware malfunction.", Handling}, Old},
    {"download, hardware error kept", Download, Old, HardwareError + Fail(3),
     {WriteFailed, "Write Clear Error Command failed.", Handling}, Old},
    {"download, status read", Download, Old, Fail(4), {"Read Flash File status failed."}, Old},
    {"download, length read", Download, Old, Fail(5), {"Could not read Flash File length."}, Old},
    {"download, maximum size read", Download, Old, Fail(6), {"Could not read Flash File maximum size."}, Old},
    {"download, offset", Download, Old, Fail(7), {"Could not write download offset."}, Old},
    {"download, second packet", Download, Old, Fail(9),
     {"Read Memory" + Failed, "Could not read data from FileDownloadTransferBuffer. "}, Old},
    {"download, second packet's offset", Download, Old, Fail(2, FaultKind::CorruptPacketOffset), {OffsetDiffers}, Old},
    // Erase of a valid file: maximum size (1), select (2), error handling (3, 4), status (5), privilege (6),
    // command (7), poll (8).
    {"erase, maximum size read", Erase, Old, Fail(1), {"Could not read Flash File maximum size."}, Old},
    {"erase, file selection", Erase, Old, Fail(2), {"File selection failed."}, Old},
    {"erase, status read", Erase, Old, Fail(5), {"Read Flash File status failed."}, Old},
    {"erase, privilege level", Erase, Old, Fail(6), {"Set Flash File Privilege Level failed."}, Old},
    {"erase, command", Erase, Old, Fail(7), {"Could not write Flash Erase Command to Flash File Command register."},
     Old},
    {"erase, status poll", Erase, Old, Fail(8), {Poll}, None},
    {"erase, hardware error", Erase, Old, HardwareError, {"Possible Hardware malfunction.", Handling}, Old},
    {"erase stuck in progress", Erase, Old, Stuck, StuckLines(EraseCommand, "fe000000", "Flash Erase"), Old},
    {"erase, hardware error in the poll", Erase, Old, HardwareError,
     {Hardware, "Flash Erase command failed. Flash File Status invalid."}, None, EraseCommand},
    // Upload into an erased file: select (1), maximum size (2), erase (3 to 7), status (8), privilege (9),
    // length (10), command (11), packets (12 to 14), poll (15).
    {"upload, 4 bytes above the maximum", Upload(Big), Old, {}, {"File size exceeds 65504"}, Old},
    {"upload, 6 bytes", Upload(Pattern(6)), Old, {}, {"File size is not multiple of 4."}, Old},
    {"upload, file selection", Upload(New), None, Fail(1), {"File selection failed."}, None},
    {"upload, maximum size", Upload(New), None, Fail(2), {"Could not read Flash File maximum size."}, None},
    {"upload, erase", Upload(New), None, Fail(3), {"File Upload Erase Failed. Possible Hardware malfunction."}, None},
    {"upload, status after the erase", Upload(New), None, Fail(8),
     {"Erase done.", Status, ReadFailed, "Read Flash File status failed."}, None},
    {"upload, privilege level", Upload(New), None, Fail(9), {"Set Flash File Privilege Level failed."}, None},
    {"upload, length", Upload(New), None, Fail(10), {"Could not write defect file length to FlashFileUploadLength."},
     None},
    {"upload, command", Upload(New), None, Fail(11),
     {"Could not write Upload Command to Flash File Command register."}, None},
    {"upload, second packet", Upload(New), None, Fail(13),
     {"Write Memory" + Failed, "Could not write data to FileUploadTransferBuffer. ", "Upload failed."}, None},
    // The camera has all packets and stores them although Talvern lost the poll or saw the error.
    {"upload, status poll", Upload(New), None, Fail(15), {Poll}, New},
    {"upload stuck in progress", Upload(New), None, Stuck, StuckLines(FirstPacket, "fffffe00", "Flash Upload"), None},
    {"upload, hardware error in the poll", Upload(New), None, HardwareError,
     {Hardware, "Flash Upload command failed. Flash File Status invalid."}, New, FirstPacket},
    // The stored defect file: the flash file system check comes first (1, 2).
    {"upload defects without flash file system", UploadList, CustomList, Fail(1), {NoFlash}, CustomList},
    {"upload defects, file selection", UploadList, CustomList, Fail(3), {"Upload Defect file failed."}, CustomList},
    {"upload defects, read-back differs", UploadList, CustomList, Differs, {Mismatch}, Altered(Uploaded)},
    {"read defects without flash file system", Read, CustomList, Fail(2), {NoFlash}, CustomList},
    // A valid list that failed to arrive is not replaced by the factory list.
    {"read defects, packet offset", Read, CustomList, Fail(3, FaultKind::CorruptPacketOffset), {OffsetDiffers, NotRead},
     CustomList},
    // The factory file of a read of an erased file is selected at call 7.
    {"read defects, factory file unreadable", Read, None, Fail(7), {"File selection failed.", NotRead}, None},
    {"read defects, factory copy fails", Read, None, Differs, {Mismatch, "Copy factory defect file failed."},
     Altered(FactoryList)},
    {"revert, factory file unreadable", Revert, CustomList, Fail(1), {"Error! Could not download factory defect list."},
     CustomList},
    {"revert, upload fails", Revert, CustomList, Differs, {Mismatch, "Revert to factory defect list failed."},
     Altered(FactoryList)},
};

ZorvikSim::CameraSetup Setup(const std::string &serialNumber, uint32_t maxFileSize = 65504)
{
    ZorvikSim::CameraSetup setup;
    setup.serialNumber = serialNumber;
    setup.maxFileSize = maxFileSize; // 65504 bytes take 6 s to erase: a stuck camera is given up after 16 polls
    return setup;
}

// One simulated camera in the in-memory stand-in, holding the factory list, and a CameraInterface
// connected to it. Erasing and storing take no time and the status polls do not pause.
struct TestCamera
{
    explicit TestCamera(const ZorvikSim::CameraSetup &setup = Setup("4711"), const Bytes &custom = None)
        : id((ZorvikSim::UseMemory(), ZorvikSim::Attach(setup), setup.id.empty() ? setup.serialNumber : setup.id))
    {
        ZorvikSim::SetDurations(0, 0);
        CameraInterface::SetPollPause(0);
        ZorvikSim::SetFile(id, Custom, custom);
        ZorvikSim::SetFile(id, Factory, FactoryList);
        connection.ConnectCamera(connection.GetCameraList().value(0));
    }
    Bytes File(uint32_t fileId) const
    {
        Bytes content;
        ZorvikSim::GetFile(id, fileId, content);
        return content;
    }
    void SetFaults(const Faults &faults)
    {
        for (const ZorvikSim::Fault &fault : faults)
            ZorvikSim::SetFault(id, fault);
    }

    const std::string id;
    CameraInterface connection;
};

} // namespace

class tst_CameraInterface : public QObject
{
    Q_OBJECT

private slots:
    // The codes that no failure line shows: both ends of the table and codes outside it.
    void errorCodeTexts()
    {
        const auto text = [](int code) { return ErrorCodeToText(static_cast<CVN::ZvkAPI::ZvkErrorType>(code)); };
        QCOMPARE((QStringList{text(0), text(-19), text(7000), text(-20), text(1)}),
                 (QStringList{"(No error)", "(A multiple register read or write was partially completed)",
                              "<Viewer Timeout>", "(Return code undefined)", "(Return code undefined)"}));
    }

    // Only plugging in and out are passed on; hotPlug sees those of real cameras with their IDs.
    void observerIgnoresOtherReasons()
    {
        CameraObserver observer;
        QSignalSpy spy(&observer, &CameraObserver::CameraListChangedSignal);
        observer.CameraListChanged(CVN::ZvkAPI::CameraPtr(), 3);
        observer.CameraListChanged(CVN::ZvkAPI::CameraPtr(), 1);
        QCOMPARE(QList<QVariantList>(spy), (QList<QVariantList>{{QString(), 1}}));
    }

    // The entry, not the ID, is the key: an entry opens its own camera also when another
    // camera's name could not be read; the unnamed entry opens nothing.
    void cameraList()
    {
        TestCamera camera;
        ZorvikSim::CameraSetup colour = Setup("99");
        colour.id = "cam-7";
        colour.model = "HN2701-C";
        QVERIFY(ZorvikSim::Attach(colour));
        camera.SetFaults(Fail(1));
        DebugLines log;
        QCOMPARE(camera.connection.GetCameraList(), (QStringList{"[NoName]", "HN2701-C-99(cam-7)"}));
        QVERIFY(!camera.connection.ConnectCamera("[NoName]"));
        QVERIFY(!camera.connection.IsCameraConnected());
        QCOMPARE(log.Lines(), (QStringList{"GetModel" + Failed, "Error! Could not retrieve camera name",
                                           "Cameras available: 2",
                                           "Open Camera Failed, Error: -3 (The designated instance (camera, feature "
                                           "etc.) cannot be found)"}));
        QVERIFY(camera.connection.ConnectCamera("HN2701-C-99(cam-7)"));
        QCOMPARE(camera.connection.GetCameraDescription().serialNumber, QString("99"));
        for (const char *model : {"HN2701-C-99(cam-7)", "HN2702-M-4711", "HN2703-M-1"})
            QVERIFY(camera.connection.IsCameraModelSupported(model));
        QVERIFY(!camera.connection.IsCameraModelSupported("HN2704-M-1"));

        delete new CameraInterface; // a second interface's end shuts the SDK down under the first one
        log.Clear();
        QCOMPARE(camera.connection.GetCameraList(), QStringList());
        QCOMPARE(log.Lines(), (QStringList{"Could not retrieve camera list, Error: -2 (ZvkStartup() was not called "
                                           "before the current command)", "Cameras available: 0"}));
    }

    void connectReadsDescription_data()
    {
        QTest::addColumn<uint>("maxFileSize");
        QTest::addColumn<qint64>("capacity");
        QTest::newRow("64 KB") << 65536u << qint64(7648);
        QTest::newRow("header only") << 4352u << qint64(0);
        QTest::newRow("seven bytes more") << 4359u << qint64(0);
        QTest::newRow("one entry") << 4360u << qint64(1);
        QTest::newRow("smaller than the header") << 4096u << qint64(0);
    }

    // The defect capacity counts the 8-byte entries that fit behind the file's header.
    // Connecting again to the open camera reads it again.
    void connectReadsDescription()
    {
        QFETCH(uint, maxFileSize);
        QFETCH(qint64, capacity);
        ZorvikSim::CameraSetup setup = Setup("4711", maxFileSize);
        setup.sensorWidth = 2592;
        setup.sensorHeight = 1944;
        TestCamera camera(setup);
        QVERIFY(camera.connection.ConnectCamera("HN2702-M-4711"));
        const CameraDescription read = camera.connection.GetCameraDescription();
        QCOMPARE((QStringList{read.model, read.serialNumber, read.sensorType}),
                 (QStringList{"HN2702-M", "4711", "Mono"}));
        QCOMPARE((QList<qint64>{read.sensorWidth, read.sensorHeight, read.defectCapacity}),
                 (QList<qint64>{2592, 1944, capacity}));
    }

    // A camera left open after its flash file system check failed must not be read under the
    // name of the camera chosen next.
    void connectAfterFailedCheck()
    {
        ZorvikSim::CameraSetup withoutFlash = Setup("1000");
        withoutFlash.flashFileSystem = false;
        TestCamera camera(withoutFlash);
        QVERIFY(ZorvikSim::Attach(Setup("2000")));
        DebugLines log;
        QVERIFY(!camera.connection.CheckFlashFileSystem());
        QCOMPARE(log.Lines().last(), Incompatible);
        QCOMPARE(camera.connection.GetCameraList().value(1), QString("HN2702-M-2000"));
        QVERIFY(camera.connection.ConnectCamera("HN2702-M-2000"));
        QCOMPARE(camera.connection.GetCameraDescription().serialNumber, QString("2000"));
        QVERIFY(camera.connection.CheckFlashFileSystem());
    }

    // After a disconnect the description is gone, and nothing reaches the SDK's camera.
    void disconnected()
    {
        TestCamera camera;
        QVERIFY(camera.connection.DisconnectCamera());
        QVERIFY(!camera.connection.IsCameraConnected());
        QCOMPARE(camera.connection.GetCameraDescription().serialNumber, QString("Unknown"));
        ZorvikSim::ClearCalls(camera.id);
        DebugLines log;
        quint64 size = 0;
        unsigned char data[4] = {1, 2, 3, 4};
        QList<PixelCoords> list;
        QVERIFY(camera.connection.DisconnectCamera());
        QVERIFY(!camera.connection.ConnectCamera("HN2702-M-4712"));
        QVERIFY(!camera.connection.ReadFlashFileMaxSize(size));
        QVERIFY(!camera.connection.ReadTransferPacket(0, data, 0));
        QVERIFY(!camera.connection.WriteTransferPacket(0, data, 4, 0));
        QVERIFY(!camera.connection.DownloadDefectList(list));
        QCOMPARE(log.Lines().value(1), QString("Write Register Failed, Error: -4 (The given handle is not valid)"));
        QVERIFY(ZorvikSim::Calls(camera.id).empty());
        QCOMPARE(camera.connection.GetSdkVersion(), QString("1.4.0"));
    }

    // The stand-in reports plugging in and out on its own thread; the interface passes it on
    // to the GUI thread, announcing the loss of the connected camera first.
    void hotPlug()
    {
        ZorvikSim::CameraSetup setup = Setup("4711");
        setup.id = "cam-1";
        TestCamera camera(setup);
        QStringList record;
        const QThread *gui = QCoreApplication::instance()->thread();
        const auto add = [&record, gui](const QString &event) {
            record << (QThread::currentThread() == gui ? event : event + " off the GUI thread");
        };
        connect(&camera.connection, &CameraInterface::ConnectedCameraDisconnected, [&] { add("disconnected"); });
        connect(&camera.connection, &CameraInterface::CameraListChangedSignal,
                [&](int reason) { add(QStringLiteral("list changed %1").arg(reason)); });
        QVERIFY(ZorvikSim::Attach(Setup("5000")));
        QTRY_COMPARE(record, QStringList{"list changed 0"});
        QVERIFY(ZorvikSim::Detach("5000"));
        QTRY_COMPARE(record, (QStringList{"list changed 0", "list changed 1"}));
        QVERIFY(ZorvikSim::Detach("cam-1"));
        QTRY_COMPARE(record.size(), 4);
        QCoreApplication::processEvents();
        QCOMPARE(record, (QStringList{"list changed 0", "list changed 1", "disconnected", "list changed 1"}));
    }

    void transfer_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("one short packet") << 4;
        QTest::newRow("two full packets") << 1000;
        QTest::newRow("last packet of 4 bytes") << 1004;
        QTest::newRow("the maximum size") << 600000;
    }

    // An upload over a valid file and the download of what the camera then holds; the camera
    // itself refuses packets whose offset header is not the next byte.
    void transfer()
    {
        QFETCH(int, size);
        TestCamera camera(Setup("4711", 600000), Pattern(2000, 50));
        Bytes downloaded{9, 9};
        QVERIFY(camera.connection.UploadFlashFile(Custom, Privilege, Pattern(size)));
        QCOMPARE(camera.File(Custom), Pattern(size));
        QVERIFY(camera.connection.DownloadFlashFile(Custom, downloaded));
        QCOMPARE(downloaded, Pattern(size));
    }

    void failures_data()
    {
        QTest::addColumn<int>("row");
        for (int row = 0; row < int(std::size(Failures)); ++row)
            QTest::newRow(Failures[row].name) << row;
    }

    // A failed step says why last, and the camera's custom file holds its old content, nothing,
    // or what it received; an upload that cannot fit is refused before the erase.
    void failures()
    {
        QFETCH(int, row);
        const Failure &failure = Failures[row];
        TestCamera camera(Setup("4711"), failure.stored);
        DebugLines log([&](const QString &line) {
            if (!failure.trigger.isEmpty() && line == failure.trigger)
                camera.SetFaults(failure.faults);
        });
        if (failure.trigger.isEmpty())
            camera.SetFaults(failure.faults);
        QVERIFY(!failure.operation(camera.connection));
        QCOMPARE(log.Lines().mid(log.Lines().size() - failure.lastLines.size()), failure.lastLines);
        QCOMPARE(camera.File(Custom), failure.held);
        QCOMPARE(camera.File(Factory), FactoryList);
    }

    void faultSweep_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<Bytes>("before");
        QTest::addColumn<Bytes>("after");
        QTest::newRow("upload") << UploadList << CustomList << Uploaded;
        QTest::newRow("download") << DownloadList << CustomList << CustomList;
        QTest::newRow("read with factory fallback") << Read << None << FactoryList;
        QTest::newRow("revert") << Revert << CustomList << FactoryList;
    }

    // Makes each SDK call of an operation fail in turn, from none to the last: the camera's
    // custom file then holds its old content, the new one or nothing, never a part; a success is
    // reported only when it holds the new one, and the factory file is never touched.
    void faultSweep()
    {
        QFETCH(Operation, operation);
        QFETCH(Bytes, before);
        QFETCH(Bytes, after);
        DebugLines log;
        TestCamera camera;
        for (int k = 0, calls = 0; k <= calls; ++k) {
            const QByteArray step = "fault at call " + QByteArray::number(k);
            ZorvikSim::ClearFaults(camera.id);
            ZorvikSim::SetFile(camera.id, Custom, before);
            ZorvikSim::ClearCalls(camera.id);
            camera.SetFaults(k > 0 ? Fail(k) : Faults());
            const bool succeeded = operation(camera.connection);
            const std::vector<ZorvikSim::Call> record = ZorvikSim::Calls(camera.id);
            calls = std::max(calls, int(record.size()));
            QVERIFY2(k > 0 ? int(record.size()) >= k && record[k - 1].result == -13 : succeeded, step);
            const Bytes held = camera.File(Custom);
            QVERIFY2(held == before || held == after || held.empty(), step);
            QVERIFY2(!succeeded || held == after, step);
            QVERIFY2(camera.File(Factory) == FactoryList, step);
        }
    }
};

QTEST_GUILESS_MAIN(tst_CameraInterface)
#include "tst_camerainterface.moc"
