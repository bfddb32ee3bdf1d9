// The camera's side of the flash file protocol, driven as a client program drives it.
#include "FlashClient.h"

#include <QtTest>

using namespace CVN::ZvkAPI;
using namespace ZorvikSim;

namespace {

const char CameraId[] = "P1";

// One register write of a client, or a packet of `size` bytes at offset `value`, and the
// code the camera answers it with.
struct Step
{
    uint64_t address;
    uint64_t value;
    int result;
    size_t size = 0;
};
using Script = std::vector<Step>;

const Step SelectCustom = {FlashFileSelect, CustomDefectFileId, 0};
const Step Privilege = {FlashFileCommand, DefectFilePrivilegeLevel, 0};

Step Length(uint64_t length)
{
    return {FlashFileUploadLength, length, 0};
}

Step Command(uint64_t command, int result = 0)
{
    return {FlashFileCommand, command, result};
}

Step Packet(uint32_t offset, size_t size, int result = 0)
{
    return {FileUploadTransferBuffer, offset, result, size};
}

CameraPtr AttachAndOpen(const CameraSpec &setup)
{
    CameraPtr opened;
    if (Attach(setup))
        ZorvikSystem::GetInstance().OpenCameraByID(setup.serialNumber.c_str(), ZvkAccessModeFull, opened);
    return opened;
}

} // namespace

Q_DECLARE_METATYPE(Script)

class FlashProtocolTest : public QObject
{
    Q_OBJECT

    CameraPtr camera;

private slots:
    void init()
    {
        UseMemory();
        SetDurations(5, 5);
        QCOMPARE(ZorvikSystem::GetInstance().Startup(), ZvkErrorSuccess);
        CameraSpec setup;
        setup.serialNumber = CameraId;
        setup.maxFileSize = 8192;
        camera = AttachAndOpen(setup);
        QVERIFY(camera);
    }

    void cleanup()
    {
        camera.reset();
        ZorvikSystem::GetInstance().Shutdown();
    }

    void uploadMovesInPackets_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("packets");
        QTest::addColumn<int>("lastAccess");
        QTest::newRow("1000 bytes in two full packets") << 1000 << 2 << 504;
        QTest::newRow("1004 bytes, the last packet of 4") << 1004 << 3 << 8;
        QTest::newRow("a single small packet") << 4 << 1 << 8;
        QTest::newRow("exactly the maximum size") << 8192 << 17 << 196;
    }

    // The camera receives the packets in order, stores them, and gives back the same bytes.
    void uploadMovesInPackets()
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

    void eraseRunsThroughInProgress()
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
        QVERIFY(client.Read(FlashFileLength, length) == ZvkErrorSuccess && length == 0);
        std::vector<uint8_t> stored = {1};
        QVERIFY(GetFile(CameraId, CustomDefectFileId, stored) && stored.empty());
    }

    void clientSteps_data()
    {
        QTest::addColumn<bool>("valid");
        QTest::addColumn<Script>("script");
        QTest::addColumn<uint32_t>("status");
        const int access = ZvkErrorInvalidAccess;
        const int value = ZvkErrorInvalidValue;
        const Script receiving = {SelectCustom, Privilege, Length(900), Command(UploadCommand), Packet(0, 500)};
        const auto afterFirstPacket = [&receiving](Script more) {
            more.insert(more.begin(), receiving.begin(), receiving.end());
            return more;
        };
        QTest::newRow("upload without privilege")
            << false << Script{SelectCustom, Length(8), Command(UploadCommand, access)} << StatusErased;
        QTest::newRow("erase without privilege")
            << false << Script{SelectCustom, Length(8), Command(EraseCommand, access)} << StatusErased;
        QTest::newRow("upload with a wrong privilege")
            << false << Script{SelectCustom, Length(8), Command(0x3A51C6), Command(UploadCommand, access)}
            << StatusErased;
        QTest::newRow("privilege lost by selecting again")
            << false << Script{SelectCustom, Length(8), Privilege, SelectCustom, Command(UploadCommand, access)}
            << StatusErased;
        QTest::newRow("upload while the file is still valid")
            << true << Script{SelectCustom, Privilege, Length(8), Command(UploadCommand, ZvkErrorInvalidCall)}
            << StatusValid;
        QTest::newRow("upload longer than the maximum")
            << false << Script{SelectCustom, Privilege, Length(8196), Command(UploadCommand, value)} << StatusErased;
        QTest::newRow("upload of no length")
            << false << Script{SelectCustom, Privilege, Length(0), Command(UploadCommand, value)} << StatusErased;
        QTest::newRow("upload of exactly the maximum")
            << false << Script{SelectCustom, Privilege, Length(8192), Command(UploadCommand)} << StatusReceiving;
        QTest::newRow("clear error keeps an erased file")
            << false << Script{SelectCustom, Command(ClearErrorCommand)} << StatusErased;
        QTest::newRow("clear error keeps a valid file")
            << false << Script{{FlashFileSelect, FactoryDefectFileId, 0}, Command(ClearErrorCommand)} << StatusValid;
        // A wrong offset spoils the whole upload: the file never becomes valid with it.
        QTest::newRow("a packet skipped")
            << false << afterFirstPacket({Packet(1000, 500, value)}) << StatusUploadAborted;
        QTest::newRow("a packet repeated")
            << false << afterFirstPacket({Packet(0, 500, value)}) << StatusUploadAborted;
        QTest::newRow("data past the announced length")
            << false << afterFirstPacket({Packet(500, 500, value)}) << StatusUploadAborted;
        QTest::newRow("a packet over 500 bytes")
            << false << afterFirstPacket({Packet(500, 501, ZvkErrorBadParameter)}) << StatusUploadAborted;
        QTest::newRow("clear error after a spoilt upload")
            << false << afterFirstPacket({Packet(0, 500, value), Command(ClearErrorCommand)}) << StatusErased;
    }

    // Each step answered as the protocol demands; a packet is taken only while receiving.
    void clientSteps()
    {
        QFETCH(bool, valid);
        QFETCH(Script, script);
        QFETCH(uint32_t, status);
        QVERIFY(!valid || SetFile(CameraId, CustomDefectFileId, Pattern(16)));
        FlashClient client(camera);
        const std::vector<uint8_t> content = Pattern(1001);
        for (size_t i = 0; i < script.size(); ++i) {
            const Step &step = script[i];
            ZvkErrorType result = step.address == FileUploadTransferBuffer
                                      ? client.SendPacket(uint32_t(step.value), content.data(), step.size)
                                      : client.Write(step.address, step.value);
            QVERIFY2(result == step.result, qPrintable(QString("step %1 gave %2").arg(i + 1).arg(result)));
        }
        QCOMPARE(client.Status(), uint64_t(status));
        int packet = status == StatusReceiving ? ZvkErrorSuccess : ZvkErrorInvalidCall;
        QCOMPARE(int(client.SendPacket(0, content.data(), 8)), packet);
    }

    // The window starts where the client puts it, moves on by each packet read, and gives
    // nothing of a file that is not valid or past its end.
    void downloadWindow()
    {
        FlashClient client(camera);
        UcharVector packet(104, 0);
        QCOMPARE(client.Download(CustomDefectFileId).content.size(), size_t(0));
        QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, packet), ZvkErrorInvalidCall);

        std::vector<uint8_t> content = Pattern(1200);
        QVERIFY(SetFile(CameraId, CustomDefectFileId, content));
        QCOMPARE(client.Select(CustomDefectFileId), ZvkErrorSuccess);
        QCOMPARE(client.Write(FlashFileDownloadOffset, 500), ZvkErrorSuccess);
        for (uint32_t expected : {500u, 600u}) {
            QCOMPARE(camera->ReadMemory(FileDownloadTransferBuffer, packet), ZvkErrorSuccess);
            QVERIFY(PacketHeader(packet) == expected && packet[4] == content[expected]);
        }
        UcharVector tooLarge(505, 0);
        const QList<int> codes = {client.Write(FlashFileDownloadOffset, 1201),
                                  client.Write(FlashFileDownloadOffset, 1150),
                                  camera->ReadMemory(FileDownloadTransferBuffer, packet),
                                  camera->ReadMemory(FileDownloadTransferBuffer, tooLarge)};
        QCOMPARE(codes,
                 QList<int>({ZvkErrorInvalidValue, ZvkErrorSuccess, ZvkErrorInvalidValue, ZvkErrorBadParameter}));
    }

    // Bit 22 clear; the identification registers read 0 and the rest is refused.
    void cameraWithoutFlashFileSystem()
    {
        CameraSpec setup;
        setup.serialNumber = "NOFS";
        setup.flashFileSystem = false;
        CameraPtr plain = AttachAndOpen(setup);
        QVERIFY(plain);
        FlashClient client(plain);
        uint64_t inquiry = 0, maxSize = 1, otherInquiry = 0;
        UcharVector packet(8, 0);
        const QList<int> codes = {client.Read(ControlsInquiry1, inquiry), client.Select(CustomDefectFileId),
                                  client.Read(FlashFileMaxSize, maxSize),
                                  client.Write(FlashFileCommand, DefectFilePrivilegeLevel),
                                  plain->ReadMemory(FileDownloadTransferBuffer, packet),
                                  FlashClient(camera).Read(ControlsInquiry1, otherInquiry)};
        QCOMPARE(codes, QList<int>({0, 0, 0, ZvkErrorInvalidAccess, ZvkErrorInvalidAccess, 0}));
        QCOMPARE(client.Status(), uint64_t(StatusNoFileSystem));
        QCOMPARE(maxSize, uint64_t(0));
        QCOMPARE(inquiry & FlashFileSystemBit, uint64_t(0));
        QCOMPARE(otherInquiry & FlashFileSystemBit, uint64_t(FlashFileSystemBit));
    }
};

QTEST_GUILESS_MAIN(FlashProtocolTest)
#include "tst_flashprotocol.moc"
