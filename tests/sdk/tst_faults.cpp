// Injected faults each show the effect they promise, and the call record lists what the
// camera received, in order.
#include "FirmwareRegisters.h"
#include "FlashClient.h"
#include "RecordingObserver.h"

#include <ZorvikCPP.h>
#include <ZorvikSim/Simulator.h>

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

private slots:
    void init();
    void cleanup();
    void failCall_data();
    void failCall();
    void failureCountsEveryKindOfCall();
    void corruptPacketOffset();
    void stuckInProgress();
    void hardwareError();
    void readBackDiffers();
    void unplugMidTransfer();
    void invalidFaultsAreRefused();
    void callRecordKeepsOrder();

private:
    ZvkErrorType Upload(FlashClient &client, const std::vector<uint8_t> &content);

    CameraPtr camera;
    std::shared_ptr<RecordingObserver> observer;
};

void FaultsTest::init()
{
    UseMemory();
    SetDurations(0, 0);
    CameraSpec spec;
    spec.serialNumber = CameraId;
    QVERIFY(Attach(spec));
    QCOMPARE(ZorvikSystem::GetInstance().Startup(), ZvkErrorSuccess);
    observer = std::make_shared<RecordingObserver>();
    QCOMPARE(ZorvikSystem::GetInstance().RegisterCameraListObserver(observer), ZvkErrorSuccess);
    QCOMPARE(ZorvikSystem::GetInstance().OpenCameraByID(CameraId, ZvkAccessModeFull, camera), ZvkErrorSuccess);
}

void FaultsTest::cleanup()
{
    camera.reset();
    ZorvikSystem::GetInstance().Shutdown();
}

ZvkErrorType FaultsTest::Upload(FlashClient &client, const std::vector<uint8_t> &content)
{
    int packets = 0;
    ZvkErrorType result = client.StartErase(CustomDefectFileId);
    if (result == ZvkErrorSuccess && client.Status() != StatusErased)
        return ZvkErrorOther;
    if (result == ZvkErrorSuccess)
        result = client.StartUpload(uint32_t(content.size()));
    if (result == ZvkErrorSuccess)
        result = client.SendPackets(content, packets);
    return result;
}

void FaultsTest::failCall_data()
{
    QTest::addColumn<bool>("fromThen");
    QTest::addColumn<QVector<int>>("results");
    QTest::newRow("the third call fails once") << false << QVector<int>{0, 0, -12, 0, 0};
    QTest::newRow("every call from the third fails") << true << QVector<int>{0, 0, -12, -12, -12};
}

void FaultsTest::failCall()
{
    QFETCH(bool, fromThen);
    QFETCH(QVector<int>, results);
    QVERIFY(SetFault(CameraId, MakeFault(fromThen ? FaultKind::FailFromCall : FaultKind::FailCall, 3, -12)));
    FlashClient client(camera);
    QVector<int> seen;
    uint64_t value = 0;
    for (int i = 0; i < results.size(); ++i)
        seen << int(client.Read(FlashFileMaxSize, value));
    QCOMPARE(seen, results);
    QCOMPARE(Faults(CameraId).size(), size_t(fromThen ? 1 : 0));
}

void FaultsTest::failureCountsEveryKindOfCall()
{
    QVERIFY(SetFault(CameraId, MakeFault(FaultKind::FailFromCall, 2, -3)));
    uint32_t length = 0;
    QCOMPARE(camera->GetModel(nullptr, length), ZvkErrorSuccess);
    FeaturePtr feature;
    QCOMPARE(camera->GetFeatureByName("SensorWidth", feature), ZvkErrorNotFound);
    QCOMPARE(camera->GetID(nullptr, length), ZvkErrorNotFound);
    CameraPtr second;
    QCOMPARE(ZorvikSystem::GetInstance().OpenCameraByID(CameraId, ZvkAccessModeFull, second), ZvkErrorNotFound);
    QCOMPARE(camera->Close(), ZvkErrorNotFound);
    QVERIFY(ClearFaults(CameraId));
    QCOMPARE(camera->Close(), ZvkErrorSuccess);
}

void FaultsTest::corruptPacketOffset()
{
    std::vector<uint8_t> content = Pattern(1200);
    QVERIFY(SetFile(CameraId, CustomDefectFileId, content));
    QVERIFY(SetFault(CameraId, MakeFault(FaultKind::CorruptPacketOffset, 2)));
    FlashClient client(camera);
    std::vector<uint8_t> downloaded;
    int packets = 0;
    bool mismatch = false;
    QCOMPARE(client.Download(CustomDefectFileId, downloaded, packets, mismatch), ZvkErrorSuccess);
    QVERIFY(mismatch);
    std::vector<Call> calls = Calls(CameraId);
    QCOMPARE(calls.back().operation, std::string("ReadMemory"));
    QVERIFY(calls.back().value == 1000);      // the third packet is right again
    QVERIFY(calls[calls.size() - 2].value != 500);
    QCOMPARE(client.Download(CustomDefectFileId, downloaded, packets, mismatch), ZvkErrorSuccess);
    QVERIFY(!mismatch);
    QVERIFY(downloaded == content);
}

void FaultsTest::stuckInProgress()
{
    QVERIFY(SetFile(CameraId, CustomDefectFileId, Pattern(16)));
    QVERIFY(SetFault(CameraId, MakeFault(FaultKind::StuckInProgress)));
    FlashClient client(camera);
    QCOMPARE(client.StartErase(CustomDefectFileId), ZvkErrorSuccess);
    for (int poll = 0; poll < 3; ++poll)
        QCOMPARE(client.Status(), uint64_t(StatusEraseInProgress));
    QVERIFY(ClearFaults(CameraId));
    QCOMPARE(client.Status(), uint64_t(StatusErased));

    QVERIFY(SetFault(CameraId, MakeFault(FaultKind::StuckInProgress)));
    int packets = 0;
    QCOMPARE(client.StartUpload(8), ZvkErrorSuccess);
    QCOMPARE(client.SendPackets(Pattern(8), packets), ZvkErrorSuccess);
    for (int poll = 0; poll < 3; ++poll)
        QCOMPARE(client.Status(), uint64_t(StatusStoring));
    QVERIFY(ClearFaults(CameraId));
    QCOMPARE(client.Status(), uint64_t(StatusValid));
}

void FaultsTest::hardwareError()
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

void FaultsTest::readBackDiffers()
{
    QVERIFY(SetFault(CameraId, MakeFault(FaultKind::ReadBackDiffers)));
    FlashClient client(camera);
    std::vector<uint8_t> content = Pattern(1004);
    QCOMPARE(Upload(client, content), ZvkErrorSuccess);
    QCOMPARE(client.Status(), uint64_t(StatusValid));
    std::vector<uint8_t> downloaded;
    int packets = 0;
    bool mismatch = true;
    QCOMPARE(client.Download(CustomDefectFileId, downloaded, packets, mismatch), ZvkErrorSuccess);
    QVERIFY(!mismatch);
    QCOMPARE(downloaded.size(), content.size());
    int differences = 0;
    for (size_t i = 0; i < content.size(); ++i)
        differences += downloaded[i] != content[i] ? 1 : 0;
    QCOMPARE(differences, 1);
}

void FaultsTest::unplugMidTransfer()
{
    QVERIFY(SetFault(CameraId, MakeFault(FaultKind::UnplugMidTransfer, 2)));
    FlashClient client(camera);
    QCOMPARE(Upload(client, Pattern(1500)), ZvkErrorNotFound);
    QVERIFY(Cameras().empty());
    QTRY_COMPARE(observer->Count(), 1);
    QCOMPARE(observer->Changes()[0].reason, 1);
    QCOMPARE(observer->Changes()[0].id, std::string(CameraId));
    // The listener read the camera's ID after the failed packet; that call is recorded too.
    std::vector<Call> calls = Calls(CameraId);
    auto lastPacket = std::find_if(calls.rbegin(), calls.rend(),
                                   [](const Call &call) { return call.operation == "WriteMemory"; });
    QVERIFY(lastPacket != calls.rend());
    QCOMPARE(lastPacket->value, uint64_t(500));
    QCOMPARE(lastPacket->result, int(ZvkErrorNotFound));
    QCOMPARE(client.Status(), uint64_t(1));
}

void FaultsTest::invalidFaultsAreRefused()
{
    QVERIFY(!SetFault(CameraId, MakeFault(FaultKind::FailCall, 0)));
    QVERIFY(!SetFault(CameraId, MakeFault(FaultKind::FailCall, 1, 0)));
    QVERIFY(!SetFault("nobody", MakeFault(FaultKind::FailCall)));
    QVERIFY(!ClearFaults("nobody"));
    QVERIFY(Faults(CameraId).empty());
    QVERIFY(SetFault(CameraId, MakeFault(FaultKind::FailCall, 5)));
    QVERIFY(SetFault(CameraId, MakeFault(FaultKind::FailCall, 7)));
    QCOMPARE(Faults(CameraId).size(), size_t(1));
    QCOMPARE(Faults(CameraId)[0].n, 7);
}

void FaultsTest::callRecordKeepsOrder()
{
    QVERIFY(SetFile(CameraId, CustomDefectFileId, Pattern(8)));
    ClearCalls(CameraId);
    FlashClient client(camera);
    std::string id;
    QCOMPARE(camera->GetID(id), ZvkErrorSuccess);
    QCOMPARE(client.Select(CustomDefectFileId), ZvkErrorSuccess);
    QCOMPARE(client.Status(), uint64_t(StatusValid));
    QCOMPARE(client.Write(FlashFileCommand, EraseCommand), ZvkErrorInvalidAccess);
    UcharVector packet(12);
    QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, packet), ZvkErrorSuccess);
    QCOMPARE(camera->Close(), ZvkErrorSuccess);

    struct Expected
    {
        const char *operation;
        uint64_t address;
        uint64_t value;
        size_t size;
        int result;
    };
    const Expected expected[] = {
        {"GetID", 0, 0, 0, 0}, // length first, then the text
        {"GetID", 0, 0, 0, 0},
        {"WriteRegister", FlashFileSelect, CustomDefectFileId, 0, 0},
        {"ReadRegister", FlashFileStatus, StatusValid, 0, 0},
        {"WriteRegister", FlashFileCommand, EraseCommand, 0, ZvkErrorInvalidAccess},
        {"ReadMemory", FileDownloadTransferBuffer, 0, 12, 0},
        {"Close", 0, 0, 0, 0},
    };
    std::vector<Call> calls = Calls(CameraId);
    QCOMPARE(calls.size(), std::size(expected));
    for (size_t i = 0; i < calls.size(); ++i) {
        QCOMPARE(calls[i].operation, std::string(expected[i].operation));
        QCOMPARE(calls[i].address, expected[i].address);
        QCOMPARE(calls[i].value, expected[i].value);
        QCOMPARE(calls[i].size, expected[i].size);
        QCOMPARE(calls[i].result, expected[i].result);
    }
}

QTEST_GUILESS_MAIN(FaultsTest)
#include "tst_faults.moc"
