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

// One register write of a client and the code the camera answers it with.
struct Step
{
    uint64_t address;
    uint64_t value;
    int result;
};
using Script = std::vector<Step>;

const Step SelectCustom = {FlashFileSelect, CustomDefectFileId, 0};
const Step Privilege = {FlashFileCommand, DefectFilePrivilegeLevel, 0};
const Step Length8 = {FlashFileUploadLength, 8, 0};

Step Command(uint64_t command, int result = 0)
{
    return {FlashFileCommand, command, result};
}

CameraPtr AttachAndOpen(const CameraSpec &spec)
{
    CameraPtr opened;
    if (Attach(spec))
        ZorvikSystem::GetInstance().OpenCameraByID(spec.serialNumber.c_str(), ZvkAccessModeFull, opened);
    return opened;
}

} // namespace

Q_DECLARE_METATYPE(Script)

class FlashProtocolTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void uploadMovesInPackets_data();
    void uploadMovesInPackets();
    void eraseRunsThroughInProgress();
    void registerWrites_data();
    void registerWrites();
    void wrongOffsetAbortsUpload_data();
    void wrongOffsetAbortsUpload();
    void downloadWindow();
    void cameraWithoutFlashFileSystem();

private:
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
    camera = AttachAndOpen(spec);
    QVERIFY(camera);
}

void FlashProtocolTest::cleanup()
{
    camera.reset();
    ZorvikSystem::GetInstance().Shutdown();
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
    QVERIFY(client.EraseAndWait(CustomDefectFileId));
    QCOMPARE(client.StartUpload(uint32_t(size)), ZvkErrorSuccess);
    QCOMPARE(client.Status(), uint64_t(StatusReceiving));
    ClearCalls(CameraId);
    int sent = 0;
    QCOMPARE(client.SendPackets(content, sent), ZvkErrorSuccess);
    std::vector<Call> calls = Calls(CameraId);
    QCOMPARE(int(calls.size()), packets);
    QCOMPARE(calls.back().operation, std::string("WriteMemory"));
    QCOMPARE(int(calls.back().size), lastAccess);
    QCOMPARE(calls.back().value, uint64_t(500 * (packets - 1)));
    QTRY_COMPARE(client.Status(), uint64_t(StatusValid));

    Downloaded read = client.Download(CustomDefectFileId);
    QCOMPARE(read.result, ZvkErrorSuccess);
    QCOMPARE(read.packets, packets);
    QVERIFY(!read.headerMismatch);
    QVERIFY(read.content == content);
    std::vector<uint8_t> stored;
    QVERIFY(GetFile(CameraId, CustomDefectFileId, stored) && stored == content);
}

void FlashProtocolTest::eraseRunsThroughInProgress()
{
    SetDurations(150, 5);
    FlashClient client(camera);
    QVERIFY(SetFile(CameraId, CustomDefectFileId, Pattern(64)));
    QCOMPARE(client.Select(CustomDefectFileId), ZvkErrorSuccess);
    QCOMPARE(client.Status(), uint64_t(StatusValid));
    QCOMPARE(client.StartErase(CustomDefectFileId), ZvkErrorSuccess);
    QCOMPARE(client.Status(), uint64_t(StatusEraseInProgress));
    QCOMPARE(client.Write(FlashFileCommand, EraseCommand), ZvkErrorInvalidCall);
    QTRY_COMPARE(client.Status(), uint64_t(StatusErased));
    uint64_t length = 1;
    QCOMPARE(client.Read(FlashFileLength, length), ZvkErrorSuccess);
    QCOMPARE(length, uint64_t(0));
    std::vector<uint8_t> stored = {1};
    QVERIFY(GetFile(CameraId, CustomDefectFileId, stored) && stored.empty());
}

void FlashProtocolTest::registerWrites_data()
{
    QTest::addColumn<bool>("valid");
    QTest::addColumn<Script>("script");
    QTest::addColumn<uint32_t>("status");
    const int access = ZvkErrorInvalidAccess;
    QTest::newRow("upload without privilege")
        << false << Script{SelectCustom, Length8, Command(UploadCommand, access)} << StatusErased;
    QTest::newRow("erase without privilege")
        << false << Script{SelectCustom, Length8, Command(EraseCommand, access)} << StatusErased;
    QTest::newRow("upload with a wrong privilege")
        << false << Script{SelectCustom, Length8, Command(0x3A51C6), Command(UploadCommand, access)} << StatusErased;
    QTest::newRow("privilege lost by selecting again")
        << false << Script{SelectCustom, Length8, Privilege, SelectCustom, Command(UploadCommand, access)}
        << StatusErased;
    QTest::newRow("upload while the file is still valid")
        << true << Script{SelectCustom, Privilege, Length8, Command(UploadCommand, ZvkErrorInvalidCall)}
        << StatusValid;
    QTest::newRow("upload longer than the maximum")
        << false
        << Script{SelectCustom, Privilege, {FlashFileUploadLength, 8196, 0}, Command(UploadCommand, ZvkErrorInvalidValue)}
        << StatusErased;
    QTest::newRow("upload of no length")
        << false
        << Script{SelectCustom, Privilege, {FlashFileUploadLength, 0, 0}, Command(UploadCommand, ZvkErrorInvalidValue)}
        << StatusErased;
    QTest::newRow("upload of exactly the maximum")
        << false << Script{SelectCustom, Privilege, {FlashFileUploadLength, 8192, 0}, Command(UploadCommand)}
        << StatusReceiving;
    QTest::newRow("clear error keeps an erased file")
        << false << Script{SelectCustom, Command(ClearErrorCommand)} << StatusErased;
    QTest::newRow("clear error keeps a valid file")
        << false << Script{{FlashFileSelect, FactoryDefectFileId, 0}, Command(ClearErrorCommand)} << StatusValid;
}

// Each write answered as the protocol demands; a packet is taken only while receiving.
void FlashProtocolTest::registerWrites()
{
    QFETCH(bool, valid);
    QFETCH(Script, script);
    QFETCH(uint32_t, status);
    QVERIFY(!valid || SetFile(CameraId, CustomDefectFileId, Pattern(16)));
    FlashClient client(camera);
    for (size_t i = 0; i < script.size(); ++i)
        QVERIFY2(client.Write(script[i].address, script[i].value) == script[i].result,
                 qPrintable(QString("step %1").arg(i + 1)));
    QCOMPARE(client.Status(), uint64_t(status));
    int packet = status == StatusReceiving ? ZvkErrorSuccess : ZvkErrorInvalidCall;
    QCOMPARE(int(client.SendPacket(0, Pattern(8).data(), 8)), packet);
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
    QVERIFY(client.EraseAndWait(CustomDefectFileId));
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

void FlashProtocolTest::downloadWindow()
{
    FlashClient client(camera);
    UcharVector packet(104, 0);
    QCOMPARE(client.Download(CustomDefectFileId).content.size(), size_t(0));
    QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, packet), ZvkErrorInvalidCall); // nothing valid to read

    std::vector<uint8_t> content = Pattern(1200);
    QVERIFY(SetFile(CameraId, CustomDefectFileId, content));
    QCOMPARE(client.Select(CustomDefectFileId), ZvkErrorSuccess);
    QCOMPARE(client.Write(FlashFileDownloadOffset, 500), ZvkErrorSuccess);
    for (uint32_t expected : {500u, 600u}) {
        QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, packet), ZvkErrorSuccess);
        QCOMPARE(PacketHeader(packet), expected);
        QCOMPARE(packet[4], content[expected]);
    }
    QCOMPARE(client.Write(FlashFileDownloadOffset, 1201), ZvkErrorInvalidValue);
    QCOMPARE(client.Write(FlashFileDownloadOffset, 1150), ZvkErrorSuccess);
    QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, packet), ZvkErrorInvalidValue);
    UcharVector tooLarge(505, 0);
    QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, tooLarge), ZvkErrorBadParameter);
}

void FlashProtocolTest::cameraWithoutFlashFileSystem()
{
    CameraSpec spec;
    spec.serialNumber = "NOFS";
    spec.flashFileSystem = false;
    CameraPtr plain = AttachAndOpen(spec);
    QVERIFY(plain);
    FlashClient client(plain);
    uint64_t value = 0;
    QCOMPARE(client.Read(ControlsInquiry1, value), ZvkErrorSuccess);
    QCOMPARE(value & FlashFileSystemBit, uint64_t(0));
    QCOMPARE(client.Select(CustomDefectFileId), ZvkErrorSuccess);
    QCOMPARE(client.Read(FlashFileMaxSize, value), ZvkErrorSuccess);
    QCOMPARE(value, uint64_t(0));
    QCOMPARE(client.Status(), uint64_t(StatusNoFileSystem));
    QCOMPARE(client.Write(FlashFileCommand, DefectFilePrivilegeLevel), ZvkErrorInvalidAccess);
    UcharVector packet(8, 0);
    QCOMPARE(plain->ReadMemory(FileDownloadTransferBuffer, packet), ZvkErrorInvalidAccess);
    QCOMPARE(FlashClient(camera).Read(ControlsInquiry1, value), ZvkErrorSuccess);
    QCOMPARE(value & FlashFileSystemBit, uint64_t(FlashFileSystemBit));
}

QTEST_GUILESS_MAIN(FlashProtocolTest)
#include "tst_flashprotocol.moc"
