// Injected faults each show the effect they promise, and the call record lists what the
// camera received, in order.
#include "FlashClient.h"
#include "RecordingObserver.h"

#include <QtTest>

using namespace CVN::ZvkAPI;
using namespace ZorvikSim;

namespace {

const char CameraId[] = "F1";

Fault MakeFault(FaultKind kind, int n = 1, int code = -13)
{
    Fault fault;
    fault.kind = kind;
    fault.n = n;
    fault.code = code;
    return fault;
}

} // namespace

class FaultsTest : public QObject
{
    Q_OBJECT

    CameraPtr camera;
    std::shared_ptr<RecordingObserver> observer;

private slots:
    void init()
    {
        UseMemory();
        SetDurations(0, 0);
        CameraSpec setup;
        setup.serialNumber = CameraId;
        QVERIFY(Attach(setup));
        QCOMPARE(ZorvikSystem::GetInstance().Startup(), ZvkErrorSuccess);
        observer = std::make_shared<RecordingObserver>();
        QCOMPARE(ZorvikSystem::GetInstance().RegisterCameraListObserver(observer), ZvkErrorSuccess);
        QCOMPARE(ZorvikSystem::GetInstance().OpenCameraByID(CameraId, ZvkAccessModeFull, camera), ZvkErrorSuccess);
    }

    void cleanup()
    {
        camera.reset();
        ZorvikSystem::GetInstance().Shutdown();
    }

    void failCall_data()
    {
        QTest::addColumn<bool>("fromThen");
        QTest::addColumn<QList<int>>("results");
        QTest::newRow("the third call fails once") << false << QList<int>{0, 0, -12, 0, 0};
        QTest::newRow("every call from the third fails") << true << QList<int>{0, 0, -12, -12, -12};
    }

    void failCall()
    {
        QFETCH(bool, fromThen);
        QFETCH(QList<int>, results);
        QVERIFY(SetFault(CameraId, MakeFault(fromThen ? FaultKind::FailFromCall : FaultKind::FailCall, 3, -12)));
        FlashClient client(camera);
        QList<int> seen;
        uint64_t value = 0;
        for (int i = 0; i < results.size(); ++i)
            seen << int(client.Read(FlashFileMaxSize, value));
        QCOMPARE(seen, results);
        QCOMPARE(Faults(CameraId).size(), size_t(fromThen ? 1 : 0)); // a one-off fault is used up
    }

    // Identity, feature, open and close calls count and fail like register calls.
    void failureCountsEveryKindOfCall()
    {
        QVERIFY(SetFault(CameraId, MakeFault(FaultKind::FailFromCall, 2, -3)));
        uint32_t length = 0;
        FeaturePtr feature;
        CameraPtr second;
        const QList<int> codes = {camera->GetModel(nullptr, length), camera->GetFeatureByName("SensorWidth", feature),
                                  camera->GetID(nullptr, length),
                                  ZorvikSystem::GetInstance().OpenCameraByID(CameraId, ZvkAccessModeFull, second),
                                  camera->Close()};
        QCOMPARE(codes, QList<int>({0, -3, -3, -3, -3}));
        QVERIFY(ClearFaults(CameraId));
        QCOMPARE(camera->Close(), ZvkErrorSuccess);
    }

    void corruptPacketOffset()
    {
        std::vector<uint8_t> content = Pattern(1200);
        QVERIFY(SetFile(CameraId, CustomDefectFileId, content));
        QVERIFY(SetFault(CameraId, MakeFault(FaultKind::CorruptPacketOffset, 2)));
        FlashClient client(camera);
        QVERIFY(client.Download(CustomDefectFileId).headerMismatch);
        std::vector<Call> calls = Calls(CameraId);
        QCOMPARE(calls.back().operation, std::string("ReadMemory"));
        QCOMPARE(calls.back().value, uint64_t(1000)); // the third packet is right again
        QVERIFY(calls[calls.size() - 2].value != 500);
        Downloaded again = client.Download(CustomDefectFileId);
        QVERIFY(!again.headerMismatch && again.content == content);
    }

    void stuckInProgress()
    {
        QVERIFY(SetFile(CameraId, CustomDefectFileId, Pattern(16)));
        FlashClient client(camera);
        for (bool upload : {false, true}) {
            QVERIFY(SetFault(CameraId, MakeFault(FaultKind::StuckInProgress)));
            int packets = 0;
            if (upload)
                QVERIFY(client.StartUpload(8) == 0 && client.SendPackets(Pattern(8), packets) == 0);
            else
                QCOMPARE(client.StartErase(CustomDefectFileId), ZvkErrorSuccess);
            for (int poll = 0; poll < 3; ++poll)
                QCOMPARE(client.Status(), uint64_t(upload ? StatusStoring : StatusEraseInProgress));
            QVERIFY(ClearFaults(CameraId));
            QCOMPARE(client.Status(), uint64_t(upload ? StatusValid : StatusErased));
        }
    }

    // The status reads hardware error whatever the file does, and clearing the error does not help.
    void hardwareError()
    {
        QVERIFY(SetFault(CameraId, MakeFault(FaultKind::HardwareError)));
        FlashClient client(camera);
        QCOMPARE(client.Select(FactoryDefectFileId), ZvkErrorSuccess);
        QCOMPARE(client.Status(), uint64_t(StatusHardwareError));
        QCOMPARE(client.Write(FlashFileCommand, ClearErrorCommand), ZvkErrorSuccess);
        QCOMPARE(client.Status(), uint64_t(StatusHardwareError));
        QVERIFY(ClearFaults(CameraId));
        QCOMPARE(client.Status(), uint64_t(StatusValid));
    }

    void readBackDiffers()
    {
        QVERIFY(SetFault(CameraId, MakeFault(FaultKind::ReadBackDiffers)));
        std::vector<uint8_t> content = Pattern(1004);
        QCOMPARE(FlashClient(camera).Upload(CustomDefectFileId, content), ZvkErrorSuccess);
        Downloaded read = FlashClient(camera).Download(CustomDefectFileId);
        QVERIFY(read.result == ZvkErrorSuccess && !read.headerMismatch);
        QCOMPARE(read.content.size(), content.size());
        int differences = 0;
        for (size_t i = 0; i < content.size(); ++i)
            differences += read.content[i] != content[i] ? 1 : 0;
        QCOMPARE(differences, 1);
    }

    void unplugMidTransfer()
    {
        QVERIFY(SetFault(CameraId, MakeFault(FaultKind::UnplugMidTransfer, 2)));
        QCOMPARE(FlashClient(camera).Upload(CustomDefectFileId, Pattern(1500)), ZvkErrorNotFound);
        QVERIFY(Cameras().empty());
        QTRY_COMPARE(observer->Count(), 1);
        QCOMPARE(observer->Changes(), std::vector<std::string>{"F1 1"});
        // The listener read the camera's ID after the failed packet; that call is recorded too.
        std::vector<Call> calls = Calls(CameraId);
        auto lastPacket = std::find_if(calls.rbegin(), calls.rend(),
                                       [](const Call &call) { return call.operation == "WriteMemory"; });
        QVERIFY(lastPacket != calls.rend());
        QCOMPARE(lastPacket->value, uint64_t(500));
        QCOMPARE(lastPacket->result, int(ZvkErrorNotFound));
        QCOMPARE(FlashClient(camera).Status(), uint64_t(1));
    }

    void invalidFaultsAreRefused()
    {
        QVERIFY(!SetFault(CameraId, MakeFault(FaultKind::FailCall, 0)));
        QVERIFY(!SetFault(CameraId, MakeFault(FaultKind::FailCall, 1, 0)));
        QVERIFY(!SetFault("nobody", MakeFault(FaultKind::FailCall)));
        QVERIFY(!ClearFaults("nobody"));
        QVERIFY(Faults(CameraId).empty());
        QVERIFY(SetFault(CameraId, MakeFault(FaultKind::FailCall, 5)));
        QVERIFY(SetFault(CameraId, MakeFault(FaultKind::FailCall, 7)));
        QCOMPARE(Faults(CameraId).size(), size_t(1)); // a fault of the same kind replaces the earlier one
        QCOMPARE(Faults(CameraId)[0].n, 7);
    }

    void callRecordKeepsOrder()
    {
        QVERIFY(SetFile(CameraId, CustomDefectFileId, Pattern(8)));
        ClearCalls(CameraId);
        FlashClient client(camera);
        std::string id;
        UcharVector packet(12);
        const QList<int> codes = {camera->GetID(id), client.Select(CustomDefectFileId),
                                  client.Write(FlashFileCommand, EraseCommand),
                                  camera->ReadMemory(FileDownloadTransferBuffer, packet), camera->Close()};
        QCOMPARE(codes, QList<int>({0, 0, ZvkErrorInvalidAccess, 0, 0}));
        QCOMPARE(client.Status(), uint64_t(1)); // closed: the status read is refused, and recorded

        // Operation, address, value, size, result.
        QStringList calls;
        for (const Call &call : Calls(CameraId))
            calls << QString::asprintf("%s %llx %llx %zu %d", call.operation.c_str(), qulonglong(call.address),
                                       qulonglong(call.value), call.size, call.result);
        QCOMPARE(calls, QStringList({"GetID 0 0 0 0", "GetID 0 0 0 0", // length first, then the text
                                     "WriteRegister 1a0bc 18ed5 0 0", "WriteRegister 1a0b4 5 0 -6",
                                     "ReadMemory 1aa00 0 12 0", "Close 0 0 0 0", "ReadRegister 1a0b0 0 0 -5"}));
    }
};

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_faults.moc"
