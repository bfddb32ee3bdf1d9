// The camera's side of the flash file protocol, driven as a client program drives it.
#include "FirmwareRegisters.h"
#include "FlashClient.h"

#include <ZorvikCPP.h>
#include <ZorvikSim/Simulator.h>

#include <QtTest>

using namespace CVN::ZvkAPI;
using namespace ZorvikSim;

namespace {

const char CameraId[] = "P1";

} // namespace

class FlashProtocolTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void uploadMovesInPackets_data();
    void uploadMovesInPackets();
    void eraseRunsThroughInProgress();
    void commandsNeedPrivilege_data();
    void commandsNeedPrivilege();
    void uploadRefusedOutOfTurn_data();
    void uploadRefusedOutOfTurn();
    void wrongOffsetAbortsUpload_data();
    void wrongOffsetAbortsUpload();
    void clearErrorKeepsValidAndErased();
    void downloadWindowStartsAtOffset();
    void downloadRefusedWhenNotValid();
    void cameraWithoutFlashFileSystem();

private:
    CameraPtr Open(const CameraSpec &spec);
    void EraseAndWait(FlashClient &client, uint32_t fileId);

    CameraPtr camera;
};

void FlashProtocolTest::init()
{
    UseMemory();
    SetDurations(5, 5);
    QCOMPARE(ZorvikSystem::GetInstance().Startup(), ZvkErrorSuccess);
    CameraSpec spec;
    spec.serialNumber = CameraId;
    spec.maxFileSize = 8192;
    camera = Open(spec);
    QVERIFY(camera);
}

void FlashProtocolTest::cleanup()
{
    camera.reset();
    ZorvikSystem::GetInstance().Shutdown();
}

CameraPtr FlashProtocolTest::Open(const CameraSpec &spec)
{
    CameraPtr opened;
    if (!Attach(spec))
        return opened;
    ZorvikSystem::GetInstance().OpenCameraByID(spec.serialNumber.c_str(), ZvkAccessModeFull, opened);
    return opened;
}

void FlashProtocolTest::EraseAndWait(FlashClient &client, uint32_t fileId)
{
    QCOMPARE(client.StartErase(fileId), ZvkErrorSuccess);
    QTRY_COMPARE(client.Status(), uint64_t(StatusErased));
}

void FlashProtocolTest::uploadMovesInPackets_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("packets");
    QTest::addColumn<int>("lastAccess");
    QTest::newRow("1000 bytes in two full packets") << 1000 << 2 << 504;
    QTest::newRow("1004 bytes, the last packet of 4") << 1004 << 3 << 8;
    QTest::newRow("a single small packet") << 4 << 1 << 8;
    QTest::newRow("exactly the maximum size") << 8192 << 17 << 196;
}

void FlashProtocolTest::uploadMovesInPackets()
{
    QFETCH(int, size);
    QFETCH(int, packets);
    QFETCH(int, lastAccess);
    FlashClient client(camera);
    std::vector<uint8_t> content = Pattern(size_t(size));
    EraseAndWait(client, CustomDefectFileId);
    QCOMPARE(client.StartUpload(uint32_t(size)), ZvkErrorSuccess);
    QCOMPARE(client.Status(), uint64_t(StatusReceiving));
    ClearCalls(CameraId);
    int sent = 0;
    QCOMPARE(client.SendPackets(content, sent), ZvkErrorSuccess);
    QCOMPARE(sent, packets);
    std::vector<Call> calls = Calls(CameraId);
    QCOMPARE(int(calls.size()), packets);
    QCOMPARE(calls.back().operation, std::string("WriteMemory"));
    QCOMPARE(int(calls.back().size), lastAccess);
    QCOMPARE(calls.back().value, uint64_t(500 * (packets - 1)));
    QTRY_COMPARE(client.Status(), uint64_t(StatusValid));

    std::vector<uint8_t> downloaded;
    bool mismatch = true;
    QCOMPARE(client.Download(CustomDefectFileId, downloaded, sent, mismatch), ZvkErrorSuccess);
    QCOMPARE(sent, packets);
    QVERIFY(!mismatch);
    QVERIFY(downloaded == content);
    std::vector<uint8_t> stored;
    QVERIFY(GetFile(CameraId, CustomDefectFileId, stored));
    QVERIFY(stored == content);
}

void FlashProtocolTest::eraseRunsThroughInProgress()
{
    SetDurations(150, 5);
    FlashClient client(camera);
    QVERIFY(SetFile(CameraId, CustomDefectFileId, Pattern(64)));
    QVERIFY(client.Select(CustomDefectFileId) == ZvkErrorSuccess);
    QCOMPARE(client.Status(), uint64_t(StatusValid));
    QCOMPARE(client.StartErase(CustomDefectFileId), ZvkErrorSuccess);
    QCOMPARE(client.Status(), uint64_t(StatusEraseInProgress));
    QCOMPARE(client.Write(FlashFileCommand, EraseCommand), ZvkErrorInvalidCall);
    QTRY_COMPARE(client.Status(), uint64_t(StatusErased));
    uint64_t length = 1;
    QCOMPARE(client.Read(FlashFileLength, length), ZvkErrorSuccess);
    QCOMPARE(length, uint64_t(0));
    std::vector<uint8_t> stored = {1};
    QVERIFY(GetFile(CameraId, CustomDefectFileId, stored));
    QVERIFY(stored.empty());
}

void FlashProtocolTest::commandsNeedPrivilege_data()
{
    QTest::addColumn<uint64_t>("privilege");
    QTest::addColumn<bool>("reselect");
    QTest::addColumn<uint64_t>("command");
    QTest::newRow("upload without privilege") << uint64_t(0) << false << uint64_t(UploadCommand);
    QTest::newRow("erase without privilege") << uint64_t(0) << false << uint64_t(EraseCommand);
    QTest::newRow("upload with a wrong privilege") << uint64_t(0x3A51C6) << false << uint64_t(UploadCommand);
    QTest::newRow("privilege lost by selecting again")
        << uint64_t(DefectFilePrivilegeLevel) << true << uint64_t(UploadCommand);
}

void FlashProtocolTest::commandsNeedPrivilege()
{
    QFETCH(uint64_t, privilege);
    QFETCH(bool, reselect);
    QFETCH(uint64_t, command);
    FlashClient client(camera);
    QCOMPARE(client.Select(CustomDefectFileId), ZvkErrorSuccess);
    QCOMPARE(client.Write(FlashFileUploadLength, 8), ZvkErrorSuccess);
    if (privilege)
        QCOMPARE(client.Write(FlashFileCommand, privilege), ZvkErrorSuccess);
    if (reselect)
        QCOMPARE(client.Select(CustomDefectFileId), ZvkErrorSuccess);
    QCOMPARE(client.Write(FlashFileCommand, command), ZvkErrorInvalidAccess);
    QCOMPARE(client.Status(), uint64_t(StatusErased));
    QCOMPARE(client.SendPacket(0, Pattern(8).data(), 8), ZvkErrorInvalidCall);
}

void FlashProtocolTest::uploadRefusedOutOfTurn_data()
{
    QTest::addColumn<bool>("valid");
    QTest::addColumn<uint64_t>("length");
    QTest::addColumn<int>("result");
    QTest::newRow("file still valid") << true << uint64_t(8) << int(ZvkErrorInvalidCall);
    QTest::newRow("longer than the maximum") << false << uint64_t(8196) << int(ZvkErrorInvalidValue);
    QTest::newRow("no length given") << false << uint64_t(0) << int(ZvkErrorInvalidValue);
    QTest::newRow("exactly the maximum") << false << uint64_t(8192) << int(ZvkErrorSuccess);
}

void FlashProtocolTest::uploadRefusedOutOfTurn()
{
    QFETCH(bool, valid);
    QFETCH(uint64_t, length);
    QFETCH(int, result);
    if (valid)
        QVERIFY(SetFile(CameraId, CustomDefectFileId, Pattern(16)));
    FlashClient client(camera);
    QCOMPARE(client.Select(CustomDefectFileId), ZvkErrorSuccess);
    QCOMPARE(int(client.StartUpload(uint32_t(length))), result);
    uint64_t expected = result == ZvkErrorSuccess ? StatusReceiving : valid ? StatusValid : StatusErased;
    QCOMPARE(client.Status(), expected);
}

void FlashProtocolTest::wrongOffsetAbortsUpload_data()
{
    QTest::addColumn<uint32_t>("secondOffset");
    QTest::addColumn<size_t>("secondSize");
    QTest::addColumn<int>("result");
    QTest::newRow("a packet skipped") << uint32_t(1000) << size_t(500) << int(ZvkErrorInvalidValue);
    QTest::newRow("a packet repeated") << uint32_t(0) << size_t(500) << int(ZvkErrorInvalidValue);
    QTest::newRow("data past the announced length") << uint32_t(500) << size_t(500) << int(ZvkErrorInvalidValue);
    QTest::newRow("a packet over 500 bytes") << uint32_t(500) << size_t(501) << int(ZvkErrorBadParameter);
}

void FlashProtocolTest::wrongOffsetAbortsUpload()
{
    QFETCH(uint32_t, secondOffset);
    QFETCH(size_t, secondSize);
    QFETCH(int, result);
    FlashClient client(camera);
    std::vector<uint8_t> content = Pattern(1500);
    EraseAndWait(client, CustomDefectFileId);
    QCOMPARE(client.StartUpload(900), ZvkErrorSuccess);
    QCOMPARE(client.SendPacket(0, content.data(), 500), ZvkErrorSuccess);
    QCOMPARE(int(client.SendPacket(secondOffset, content.data() + secondOffset, secondSize)), result);
    QCOMPARE(client.Status(), uint64_t(StatusUploadAborted));
    // Whatever follows, the file never becomes valid with spoilt content.
    QCOMPARE(client.SendPacket(500, content.data() + 500, 400), ZvkErrorInvalidCall);
    QCOMPARE(client.Status(), uint64_t(StatusUploadAborted));
    QCOMPARE(client.Write(FlashFileCommand, ClearErrorCommand), ZvkErrorSuccess);
    QCOMPARE(client.Status(), uint64_t(StatusErased));
}

void FlashProtocolTest::clearErrorKeepsValidAndErased()
{
    FlashClient client(camera);
    QCOMPARE(client.Select(CustomDefectFileId), ZvkErrorSuccess);
    QCOMPARE(client.Write(FlashFileCommand, ClearErrorCommand), ZvkErrorSuccess);
    QCOMPARE(client.Status(), uint64_t(StatusErased));
    QCOMPARE(client.Select(FactoryDefectFileId), ZvkErrorSuccess);
    QCOMPARE(client.Write(FlashFileCommand, ClearErrorCommand), ZvkErrorSuccess);
    QCOMPARE(client.Status(), uint64_t(StatusValid));
}

void FlashProtocolTest::downloadWindowStartsAtOffset()
{
    FlashClient client(camera);
    std::vector<uint8_t> content = Pattern(1200);
    QVERIFY(SetFile(CameraId, CustomDefectFileId, content));
    QCOMPARE(client.Select(CustomDefectFileId), ZvkErrorSuccess);
    QCOMPARE(client.Write(FlashFileDownloadOffset, 500), ZvkErrorSuccess);
    for (uint32_t expected : {500u, 600u}) {
        UcharVector packet(104, 0);
        QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, packet), ZvkErrorSuccess);
        QCOMPARE((uint32_t(packet[2]) << 8) | packet[3], expected);
        QCOMPARE(packet[4], content[expected]);
    }
    QCOMPARE(client.Write(FlashFileDownloadOffset, 1201), ZvkErrorInvalidValue);
    QCOMPARE(client.Write(FlashFileDownloadOffset, 1150), ZvkErrorSuccess);
    UcharVector beyond(104, 0);
    QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, beyond), ZvkErrorInvalidValue);
    UcharVector tooLarge(505, 0);
    QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, tooLarge), ZvkErrorBadParameter);
}

void FlashProtocolTest::downloadRefusedWhenNotValid()
{
    FlashClient client(camera);
    std::vector<uint8_t> content;
    int packets = 0;
    bool mismatch = false;
    QCOMPARE(client.Download(CustomDefectFileId, content, packets, mismatch), ZvkErrorSuccess);
    QVERIFY(content.empty());
    QCOMPARE(client.Write(FlashFileDownloadOffset, 0), ZvkErrorSuccess);
    UcharVector packet(8, 0);
    QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, packet), ZvkErrorInvalidCall);
}

void FlashProtocolTest::cameraWithoutFlashFileSystem()
{
    CameraSpec spec;
    spec.model = "HN2701-M";
    spec.serialNumber = "NOFS";
    spec.flashFileSystem = false;
    CameraPtr plain = Open(spec);
    QVERIFY(plain);
    FlashClient client(plain);
    uint64_t value = 0;
    QCOMPARE(client.Read(ControlsInquiry1, value), ZvkErrorSuccess);
    QCOMPARE(value & FlashFileSystemBit, uint64_t(0));
    QCOMPARE(client.Select(CustomDefectFileId), ZvkErrorSuccess);
    value = 1;
    QCOMPARE(client.Read(FlashFileMaxSize, value), ZvkErrorSuccess);
    QCOMPARE(value, uint64_t(0));
    QCOMPARE(client.Status(), uint64_t(StatusNoFileSystem));
    QCOMPARE(client.Write(FlashFileCommand, DefectFilePrivilegeLevel), ZvkErrorInvalidAccess);
    UcharVector packet(8, 0);
    QCOMPARE(plain->ReadMemory(FileDownloadTransferBuffer, packet), ZvkErrorInvalidAccess);
    QCOMPARE(client.Read(ControlsInquiry1, value), ZvkErrorSuccess);
    value = 0;
    QCOMPARE(FlashClient(camera).Read(ControlsInquiry1, value), ZvkErrorSuccess);
    QCOMPARE(value & FlashFileSystemBit, uint64_t(FlashFileSystemBit));
}

QTEST_GUILESS_MAIN(FlashProtocolTest)
#include "tst_flashprotocol.moc"
