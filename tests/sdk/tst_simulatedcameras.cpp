// The camera SDK stand-in as a client meets it. In memory: the flash file system of a camera and
// each injected fault. In a folder: content that lasts across restarts, hot-plug reaching the
// observer, and each zorvik-sim command, its errors and `frames` among them.
#include "FactoryDefects.h"
#include "FirmwareRegisters.h"

#include <ZorvikCPP.h>

#include <QtTest>

using namespace CVN::ZvkAPI;
using namespace ZorvikSim;

namespace {

const char Id[] = "P1", MonoId[] = "40211001";
const CameraSetup P1{"HN2702-M", Id, "", 2048, 2048, "Mono", true, 8192};
using Bytes = std::vector<uint8_t>;

// A register write, or a packet of `size` bytes at offset `value`, and the code the camera answers.
struct Step
{
    uint64_t address, value;
    int result;
    size_t size = 0;
};
using Script = std::vector<Step>;

// Bytes that differ from their neighbours, so that a shifted or lost packet shows.
Bytes Pattern(size_t size)
{
    Bytes content(size);
    for (size_t i = 0; i < size; ++i)
        content[i] = uint8_t(i * 7 + i / 251 + 3);
    return content;
}

// Each camera list change as "ID reason", the ID read in the callback, collected on the test's
// thread; "here" marks one told on the test's thread instead of the SDK's own.
struct Observer : ICameraListObserver
{
    void CameraListChanged(CameraPtr camera, int reason) override
    {
        std::string id;
        camera->GetID(id);
        const QString change = QString("%1 %2").arg(id.c_str()).arg(reason)
                               + (QThread::currentThread() == qApp->thread() ? " here" : "");
        QMetaObject::invokeMethod(qApp, [list = changes, change] { *list << change; });
    }

    std::shared_ptr<QStringList> changes = std::make_shared<QStringList>();
};

} // namespace

Q_DECLARE_METATYPE(Script)

class tst_SimulatedCameras : public QObject
{
    Q_OBJECT

    ZorvikSystem &system = ZorvikSystem::GetInstance();
    CameraPtr camera;
    QTemporaryDir folders;
    QString path, output;

    // The client's side of the flash file system, one register or packet at a time.
    int Write(uint64_t address, uint64_t value) { return camera->WriteRegisters({address}, {value}); }
    int ReadPacket(UcharVector &packet) { return camera->ReadMemory(FileDownloadTransferBuffer, packet); }

    uint64_t Read(uint64_t address) // 1 when refused: no flash register reads 1
    {
        Uint64Vector values(1);
        return camera->ReadRegisters({address}, values) == ZvkErrorSuccess ? values[0] : 1;
    }

    // The custom defect file selected, the privilege level, then the command.
    int Privileged(uint64_t command, size_t length = 0)
    {
        return camera->WriteRegisters({FlashFileSelect, FlashFileCommand, FlashFileUploadLength, FlashFileCommand},
                                      {CustomDefectFileId, DefectFilePrivilegeLevel, length, command});
    }

    int Packet(uint32_t at, Bytes packet)
    {
        packet.insert(packet.begin(), {uint8_t(at >> 24), uint8_t(at >> 16), uint8_t(at >> 8), uint8_t(at)});
        uint32_t written = 0;
        return camera->WriteMemory(FileUploadTransferBuffer, packet, written);
    }

    int Upload(const Bytes &data) // to the custom defect file, in packets of 500 bytes, the last one shorter
    {
        int result = Privileged(EraseCommand);
        if (!result && QTest::qWaitFor([this] { return Read(FlashFileStatus) == StatusErased; }))
            result = Privileged(UploadCommand, data.size()); // else the packets are refused
        for (size_t at = 0; !result && at < data.size(); at += MaxPacketData)
            result = Packet(uint32_t(at), Bytes(data.begin() + at, data.begin() + std::min(data.size(), at + 500)));
        return result;
    }

    int RunTool(const QStringList &arguments) // on the test's folder; what it wrote kept in output
    {
        QProcess tool;
        tool.setProcessChannelMode(QProcess::MergedChannels);
        tool.start(ZORVIK_SIM_TOOL, arguments);
        const bool finished = tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit;
        output = QString::fromUtf8(tool.readAll());
        return finished ? tool.exitCode() : -1;
    }

private slots:
    // Tests named folder... get a folder of their own, not made yet, and start the SDK themselves;
    // the others one camera in memory, opened.
    void init()
    {
        system.Shutdown();
        UseMemory();
        SetDurations(20, 0); // erasing takes a moment, as on a camera
        path = folders.filePath(QTest::currentTestFunction() + QString(QTest::currentDataTag()));
        qputenv("ZORVIK_SIM_HOME", path.toUtf8());
        if (QByteArray(QTest::currentTestFunction()).startsWith("folder"))
            return UseFolder(DefaultFolder());
        QVERIFY(system.Startup() == ZvkErrorSuccess && Attach(P1) && !Attach(P1));
        QCOMPARE(system.OpenCameraByID(Id, ZvkAccessModeFull, camera), ZvkErrorSuccess);
    }

    // Valid, erase in progress, erased, upload in progress (receiving, storing), valid: the stuck
    // fault holds each state in progress until it is cleared.
    void statusSequence()
    {
        SetDurations(0, 0); // only the stuck fault holds a state
        QVERIFY(SetFile(Id, CustomDefectFileId, Pattern(64)) && Read(FlashFileStatus) == StatusValid);
        QVERIFY(SetFault(Id, {FaultKind::StuckInProgress, 1, -13}) && Privileged(EraseCommand) == 0);
        QVERIFY(Read(FlashFileStatus) == StatusEraseInProgress && Write(FlashFileCommand, EraseCommand) == -15);
        QVERIFY(ClearFaults(Id) && Read(FlashFileStatus) == StatusErased && Read(FlashFileLength) == 0);
        QVERIFY(SetFault(Id, {FaultKind::StuckInProgress, 1, -13}) && Privileged(UploadCommand, 1004) == 0);
        QCOMPARE(Read(FlashFileStatus), uint64_t(StatusReceiving));
        QVERIFY(Packet(0, Pattern(500)) == 0 && Packet(500, Pattern(500)) == 0 && Packet(1000, Pattern(4)) == 0);
        QCOMPARE(Read(FlashFileStatus), uint64_t(StatusStoring));
        QVERIFY(ClearFaults(Id) && Read(FlashFileStatus) == StatusValid && Read(FlashFileLength) == 1004);
    }

    void steps_data()
    {
        QTest::addColumn<Script>("script");
        QTest::addColumn<uint32_t>("status");
        const Step custom = {FlashFileSelect, CustomDefectFileId, 0}, length = {FlashFileUploadLength, 8, 0};
        const Step unlock = {FlashFileCommand, DefectFilePrivilegeLevel, 0};
        auto upload = [](int code) { return Step{FlashFileCommand, UploadCommand, code}; };
        auto packet = [](uint32_t at, size_t size, int code) { return Step{FileUploadTransferBuffer, at, code, size}; };
        auto receiving = [&](Script more) { // 500 of 900 bytes received
            more.insert(more.begin(), {custom, unlock, {FlashFileUploadLength, 900, 0}, upload(0), packet(0, 500, 0)});
            return more;
        };
        const uint32_t erased = StatusErased, aborted = StatusUploadAborted;
        QTest::newRow("privilege lost by selecting")
            << Script{custom, unlock, custom, {FlashFileCommand, EraseCommand, -6}, length, upload(-6)} << erased;
        QTest::newRow("upload while valid")
            << Script{{FlashFileSelect, FactoryDefectFileId, 0}, unlock, length, upload(-15)} << StatusValid;
        QTest::newRow("upload over the maximum")
            << Script{custom, unlock, {FlashFileUploadLength, 8193, 0}, upload(-11)} << erased;
        // A wrong packet spoils the whole upload: the file never becomes valid with it, later packets are refused.
        QTest::newRow("a packet skipped") << receiving({packet(1000, 500, -11)}) << aborted;
        QTest::newRow("a packet over 500 bytes") << receiving({packet(500, 501, -7), packet(500, 400, -15)}) << aborted;
        QTest::newRow("clear error after its first 100 bytes sent again")
            << receiving({packet(0, 100, -11), {FlashFileCommand, ClearErrorCommand, 0}}) << erased;
    }

    void steps()
    {
        QFETCH(Script, script);
        QFETCH(uint32_t, status);
        for (size_t i = 0; i < script.size(); ++i) {
            const Step &step = script[i];
            int result = step.address == FileUploadTransferBuffer ? Packet(uint32_t(step.value), Pattern(step.size))
                                                                  : Write(step.address, step.value);
            QVERIFY2(result == step.result, qPrintable(QString("step %1 gave %2").arg(i + 1).arg(result)));
        }
        QCOMPARE(Read(FlashFileStatus), uint64_t(status));
    }

    // The window starts where the client puts it, and selecting puts it back at 0; the corrupt offset
    // fault spoils one packet's header, the window moving on as ever. Nothing is read of a file that
    // is not valid, or past its end.
    void downloadWindow()
    {
        UcharVector packet(104), tooLarge(505);
        const Bytes content = Pattern(1200);
        auto header = [&] { return ReadPacket(packet) == ZvkErrorSuccess ? PacketHeader(packet) : 1u; };
        QCOMPARE(ReadPacket(packet), int(ZvkErrorInvalidCall));
        QVERIFY(SetFile(Id, CustomDefectFileId, content) && Write(FlashFileDownloadOffset, 500) == ZvkErrorSuccess);
        QVERIFY(header() == 500 && std::equal(packet.begin() + 4, packet.end(), content.begin() + 500));
        QVERIFY(!Write(FlashFileSelect, CustomDefectFileId) && SetFault(Id, {FaultKind::CorruptPacketOffset, 2, -13}));
        QCOMPARE(QList<uint32_t>({header(), header(), header()}), QList<uint32_t>({0, 200, 200}));
        QCOMPARE(QList<int>({Write(FlashFileDownloadOffset, 1201), Write(FlashFileDownloadOffset, 1150),
                             ReadPacket(packet), ReadPacket(tooLarge)}),
                 QList<int>({-11, 0, -11, -7}));
    }

    // A call fault once at the second call, another from the fourth on: both count every kind of
    // call. Read back, the stored file differs by one byte. Unplugged at the second packet, the call record
    // still tells of it; plugged in again, it is another camera: the old object is of the one that
    // went, and can still be closed.
    void faults()
    {
        const Bytes content = Pattern(1004);
        Bytes stored;
        uint32_t length = 0;
        QVERIFY(SetFault(Id, {FaultKind::FailCall, 2, -12}) && SetFault(Id, {FaultKind::FailFromCall, 4, -3}));
        QCOMPARE(QList<int>({camera->GetModel(nullptr, length), Write(FlashFileSelect, CustomDefectFileId),
                             Write(FlashFileSelect, CustomDefectFileId),
                             system.OpenCameraByID(Id, ZvkAccessModeFull, camera), camera->Close()}),
                 QList<int>({0, -12, 0, -3, -3}));
        QVERIFY(Faults(Id).size() == 1 && Faults(Id)[0].kind == FaultKind::FailFromCall); // the one-off is used up
        // A file system that is not up reads 0 whatever the file holds, until the fault is cleared.
        QVERIFY(ClearFaults(Id) && SetFile(Id, CustomDefectFileId, content) && SetFault(Id, {FaultKind::StatusZero}));
        QVERIFY(Read(FlashFileStatus) == StatusNoFileSystem && ClearFaults(Id) && Read(FlashFileStatus) == StatusValid);
        QVERIFY(SetFault(Id, {FaultKind::ReadBackDiffers, 1, -13}) && Upload(content) == 0);
        QVERIFY(GetFile(Id, CustomDefectFileId, stored) && stored.size() == content.size());
        const auto differing = std::mismatch(stored.begin(), stored.end(), content.begin()); // one byte, and only one
        QVERIFY(differing.first != stored.end() && std::equal(differing.first + 1, stored.end(), differing.second + 1));
        QVERIFY(ClearFaults(Id) && SetFault(Id, {FaultKind::UnplugMidTransfer, 2, -13}));
        ClearCalls(Id);
        QVERIFY(Upload(Pattern(1500)) == ZvkErrorNotFound && Cameras().empty());
        const std::vector<Call> calls = Calls(Id); // from the erase's selection on
        QVERIFY(calls.front().operation == "WriteRegister" && calls.front().address == FlashFileSelect);
        QVERIFY(calls.back().operation == "WriteMemory" && calls.back().value == 500 && calls.back().result == -3);
        QVERIFY(Attach(P1) && Write(FlashFileSelect, 0) == ZvkErrorNotFound && camera->Close() == 0);
    }

    // Written through the flash file protocol: in <id>.custom.bin, and still there after a restart.
    void folderContentLastsAcrossRestart()
    {
        const Bytes content = Pattern(4104);
        Bytes stored;
        QVERIFY(system.Startup() == 0 && system.OpenCameraByID(MonoId, ZvkAccessModeFull, camera) == 0);
        QVERIFY(Upload(content) == 0 && QTest::qWaitFor([this] { return Read(FlashFileStatus) == StatusValid; }));
        QCOMPARE(system.Shutdown(), ZvkErrorSuccess);
        UseFolder(path.toStdString()); // forget everything held in memory
        QVERIFY(system.Startup() == 0 && GetFile(MonoId, CustomDefectFileId, stored) && stored == content);
    }

    // What a person tries with zorvik-sim while Talvern runs: the SDK made the default four on its
    // first start; a camera plugged in and unplugged reaches the observer as reasons 0 and 1, on the
    // SDK's own thread; a fault set reaches the camera, and a used-up one leaves its file too;
    // show decodes both files, reset empties the custom one, clears the faults, restores the factory one.
    void folderWhileTheSdkRuns()
    {
        auto spy = std::make_shared<Observer>();
        Bytes factory;
        QVERIFY(system.Startup() == 0 && system.RegisterCameraListObserver(spy) == 0);
        QCOMPARE(RunTool({"plug", "--serial", "900", "--id", "Hot-1", "--sensor", "Bayer"}), 0);
        QTRY_COMPARE(*spy->changes, QStringList({"Hot-1 0"}));
        QVERIFY(system.OpenCameraByID("Hot-1", ZvkAccessModeFull, camera) == 0 && RunTool({"unplug", "Hot-1"}) == 0);
        QTRY_COMPARE(*spy->changes, QStringList({"Hot-1 0", "Hot-1 1"}));
        QVERIFY(system.UnregisterCameraListObserver(spy) == 0 && system.UnregisterCameraListObserver(spy) == -3);

        QCOMPARE(system.OpenCameraByID(MonoId, ZvkAccessModeFull, camera), ZvkErrorSuccess);
        QCOMPARE(RunTool({"fault", MonoId, "fail-call", "1", "-12"}), 0);
        QCOMPARE(output, QString("40211001 faults: fail-call 1 -12\n"));
        QVERIFY(QTest::qWaitFor([this] { return Write(FlashFileSelect, CustomDefectFileId) == ZvkErrorTimeout; }));
        QVERIFY(Write(FlashFileSelect, CustomDefectFileId) == 0 && RunTool({"list"}) == 0);
        QCOMPARE(output, QString("ID               MODEL      SERIAL       SENSOR             FLASH FILE     FAULTS\n"
                                 "40111004         HN2701-M   40111004     1600x1200 Mono     none           none\n"
                                 "40211001         HN2702-M   40211001     2048x2048 Mono     65536 bytes    none\n"
                                 "51100003         VX1100-M   51100003     1280x1024 Mono     16384 bytes    none\n"
                                 "Line2-Color      HN2703-C   40311002     1936x1216 Bayer    32768 bytes    none\n"));
        // The hardware error stays whatever the file does, clearing the error does not help.
        QCOMPARE(RunTool({"fault", MonoId, "hardware-error"}), 0);
        QTRY_COMPARE(Read(FlashFileStatus), uint64_t(StatusHardwareError));
        QVERIFY(Write(FlashFileCommand, ClearErrorCommand) == 0 && Read(FlashFileStatus) == StatusHardwareError);
        QCOMPARE(RunTool({"fault", MonoId, "clear"}), 0);
        QTRY_COMPARE(Read(FlashFileStatus), uint64_t(StatusErased));

        QVERIFY(SetFile(MonoId, CustomDefectFileId, EncodeDefectFile(2048, 2048, "Mono", {{7, 100}, {2000, 31}})));
        QVERIFY(SetFile(MonoId, FactoryDefectFileId, Pattern(4096)));
        QVERIFY(SetFault(MonoId, {FaultKind::StuckInProgress, 1, -13}));
        QCOMPARE(RunTool({"show", MonoId}), 0);
        QCOMPARE(output, QString("HN2702-M serial 40211001, ID 40211001, sensor 2048x2048 Mono, flash file: 65536 "
                                 "bytes, faults: stuck 1 -13\nCustom defect file: 4112 bytes, 2 defects (row, column)\n"
                                 "  7, 100\n  2000, 31\nFactory defect file: 4096 bytes, not a defect file\n"));
        QVERIFY(RunTool({"reset", MonoId}) == 0 && RunTool({"show", MonoId}) == 0);
        QVERIFY(output.contains("faults: none\nCustom defect file: empty (erased)\nFactory defect file: "));
        QVERIFY(GetFile(MonoId, FactoryDefectFileId, factory) && factory == FactoryDefectFile(DefaultCameras()[0]));
    }

    // Usage errors exit with 2, failures with 1, and each tells what was wrong.
    void folderTool_data()
    {
        using Args = QStringList;
        QTest::addColumn<Args>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString out = folders.filePath("frames");
        auto frames = [&](const Args &options) { return Args{"frames", "51100003"} + options + Args{"-o", out}; };
        QTest::newRow("unknown command") << Args{"frobnicate"} << 2 << ": unknown command 'frobnicate'\n";
        QTest::newRow("plug a bad width") << Args{"plug", "--width", "wide"} << 2 << ": invalid value for --width: 'w";
        QTest::newRow("unplug an unknown camera") << Args{"unplug", "nobody"} << 1 << ": no camera with ID 'nobody'\n";
        QTest::newRow("frames written") << frames({"--flat", "1"}) << 0
                                        << "Wrote 0 dark and 1 flat frames of 51100003 and truth.csv to " + out + "\n";
        QTest::newRow("frames without -o") << Args{"frames", "51100003", "--dark", "1"} << 2
                                           << ": frames needs -o and an output folder\n";
        QTest::newRow("frames of no number") << frames({"--dark", "x"}) << 2 << ": invalid value for --dark: 'x'";
        QTest::newRow("frames, none") << frames({"--dark", "0"}) << 2 << ": frames needs --dark or --flat";
        QTest::newRow("frames in an unknown format") << frames({"--format", "bmp"}) << 2 << ": unknown format 'bmp'";
        QTest::newRow("frames with a negative read noise") << frames({"--dark", "1", "--read-noise", "-1"}) << 2
                                                           << ": invalid value for --read-noise: '-1'";
        QTest::newRow("frames of an unknown camera") << Args{"frames", "nobody", "--dark", "1", "-o", out} << 1
                                                     << ": no camera with ID 'nobody'\n";
    }

    void folderTool()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QCOMPARE(RunTool(arguments), exitCode);
        QVERIFY2(output.contains(message), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(tst_SimulatedCameras)
#include "tst_simulatedcameras.moc"
