#include "CameraInterface.h"
#include "LogCapture.h"
#include "TestCamera.h"

#include <ZorvikSim/Simulator.h>

#include <QtTest>

#include <atomic>
#include <thread>

using ZorvikSim::FaultKind;

typedef std::vector<unsigned char> Bytes;

namespace {

const quint32 Custom = ZorvikSim::CustomDefectFileId;
const quint32 Privilege = ZorvikSim::DefectFilePrivilegeLevel;
const FaultKind NoFault = FaultKind::ReadBackDiffers; // changes nothing but what an upload stores
const QString ReadFailed = QStringLiteral("Read Register Failed, Error: -13 (Other error)");
const QString WriteFailed = QStringLiteral("Write Register Failed, Error: -13 (Other error)");
const QString ReadStatus = QStringLiteral("\nRead Flash File status @ 1a0b0");
const QString ClearError = QStringLiteral("\nWrite Clear Error Command @ 1a0b4");
const QString SelectCustomFile = QStringLiteral("\nSelect File ID by writing 18ed5 @ 1a0bc");
const QString FileValid = QStringLiteral("Flash File status: fffff800");
const QString FileErased = QStringLiteral("Flash File status: fffffffe");
const QStringList ErrorHandled{ReadStatus, FileValid, ClearError, "Error handling done. "};

// Register and memory accesses of a download of the custom file that is valid, up to the packets.
const QStringList DownloadStart{"W 1a0bc 18ed5", "R 1a0b0", "W 1a0b4 6", "R 1a0b0", "R 1a0a4", "R 1a0a0",
                                "W 1a0a8 0"};
// Those of an erase of a valid file, after the file has been selected, and its log.
const QStringList EraseOfValidFile{"R 1a0a0", "W 1a0bc 18ed5", "R 1a0b0", "W 1a0b4 6",
                                   "R 1a0b0", "W 1a0b4 3a51c7", "W 1a0b4 5", "R 1a0b0"};
const QStringList EraseLog = QStringList{"\nErase Flash File 18ed5", "\nRead Flash File maximum size @ 1a0a0",
                                         "Flash File maximum size: 65536", "maximum time in seconds to erase a file: 6",
                                         "\nFile ID 18ed5", "Select File ID by writing 18ed5 @ 1a0bc"}
    + ErrorHandled
    + QStringList{ReadStatus, FileValid, "\nSet Flash File Privilege by writing 3a51c7 @ 1a0b4",
                  "\nWrite erase command 5 @ 1a0b4", ReadStatus, FileErased, "Erase command completed.",
                  "Flash File erased\n"};

QStringList Packets(const QString &window, int size)
{
    QStringList packets;
    for (int offset = 0; offset < size; offset += 500)
        packets.append(QStringLiteral("%1 %2 %3").arg(window, QString::number(offset, 16),
                                                      QString::number(qMin(500, size - offset) + 4, 16)));
    return packets;
}

QStringList PacketPlan(int size)
{
    return {"\nWrite file data", "File size in bytes: " + QString::number(size),
            "Numbers of packets: " + QString::number((size + 499) / 500), "PacketSize: 500"};
}

// What the camera's file holds after a failed step.
enum Held { Old, Erased, New };

struct Failure
{
    const char *name;
    const char *operation; // "download", "erase" or "upload" (of 1004 bytes)
    int storedSize;        // of the file before
    FaultKind kind;
    int n;
    QStringList lastLines;
    Held held;
};

const FaultKind Fail = FaultKind::FailCall;
const QString MemoryReadFailed = QStringLiteral("Read Memory Failed, Error: -13 (Other error)");
const QString MemoryWriteFailed = QStringLiteral("Write Memory Failed, Error: -13 (Other error)");
const QString StatusPollFailed = QStringLiteral("Read Flash File status register failed during the Erase Command.");

// The calls of a download of 1004 bytes: select (1), error handling (2, 3), status (4), length (5),
// maximum size (6), offset (7), packets (8 to 10). Those of an erase: maximum size (1), select (2),
// error handling (3, 4), status (5), privilege (6), command (7), poll (8). Those of an upload into an
// erased file: select (1), maximum size (2), erase (3 to 7), status (8), privilege (9), length (10),
// command (11), packets (12 to 14), poll (15).
const Failure Failures[] = {
    {"download of an erased file", "download", 0, NoFault, 1, {"Flash File status not valid."}, Old},
    {"download, length not a multiple of 4", "download", 6, NoFault, 1,
     {"File length: 6", "File size is not multiple of 4."}, Old},
    {"download, length above the maximum size", "download", 65540, NoFault, 1,
     {"Flash File maximum size: 65536", "File length exceeds the Flash File maximum size."}, Old},
    {"download, file selection", "download", 1004, Fail, 1, {WriteFailed, "File selection failed."}, Old},
    {"download, status read", "download", 1004, Fail, 4, {ReadFailed, "Read Flash File status failed."}, Old},
    {"download, length read", "download", 1004, Fail, 5, {ReadFailed, "Could not read Flash File length."}, Old},
    {"download, maximum size read", "download", 1004, Fail, 6,
     {ReadFailed, "Could not read Flash File maximum size."}, Old},
    {"download, offset", "download", 1004, Fail, 7, {WriteFailed, "Could not write download offset."}, Old},
    {"download, second packet read", "download", 1004, Fail, 9,
     {MemoryReadFailed, "Could not read data from FileDownloadTransferBuffer. "}, Old},
    {"download, second packet's offset", "download", 1004, FaultKind::CorruptPacketOffset, 2,
     {"Read Error. Download offset different from transfer offset"}, Old},
    {"download, hardware error", "download", 1004, FaultKind::HardwareError, 1,
     {"Possible Hardware malfunction.", "Error handling failed."}, Old},
    {"erase, maximum size read", "erase", 1004, Fail, 1, {"Could not read Flash File maximum size."}, Old},
    {"erase, file selection", "erase", 1004, Fail, 2, {"File selection failed."}, Old},
    {"erase, status read", "erase", 1004, Fail, 5, {"Read Flash File status failed."}, Old},
    {"erase, privilege level", "erase", 1004, Fail, 6, {"Set Flash File Privilege Level failed."}, Old},
    {"erase, command", "erase", 1004, Fail, 7,
     {"Could not write Flash Erase Command to Flash File Command register."}, Old},
    {"erase, status poll", "erase", 1004, Fail, 8, {StatusPollFailed}, Erased},
    {"erase, hardware error", "erase", 1004, FaultKind::HardwareError, 1,
     {"Possible Hardware malfunction.", "Error handling failed."}, Old},
    // 64 KB take at most 6 s to erase; the poll gives up 10 polls later.
    {"erase stuck in progress", "erase", 1004, FaultKind::StuckInProgress, 1,
     {"Flash File status: fe000000", "Flash Erase command still in progress after 16 status polls."}, Old},
    {"upload, file selection", "upload", 0, Fail, 1, {"File selection failed."}, Erased},
    {"upload, maximum size", "upload", 0, Fail, 2, {"Could not read Flash File maximum size."}, Erased},
    {"upload, erase", "upload", 0, Fail, 3,
     {"Could not read Flash File maximum size.", "File Upload Erase Failed. Possible Hardware malfunction."}, Erased},
    {"upload, status after the erase", "upload", 0, Fail, 8, {"Read Flash File status failed."}, Erased},
    {"upload, privilege level", "upload", 0, Fail, 9, {"Set Flash File Privilege Level failed."}, Erased},
    {"upload, length", "upload", 0, Fail, 10, {"Could not write defect file length to FlashFileUploadLength."}, Erased},
    {"upload, command", "upload", 0, Fail, 11,
     {"Could not write Upload Command to Flash File Command register."}, Erased},
    {"upload, second packet", "upload", 0, Fail, 13,
     {MemoryWriteFailed, "Could not write data to FileUploadTransferBuffer. ", "Upload failed."}, Erased},
    // The camera has all packets and stores them although Talvern lost the poll.
    {"upload, status poll", "upload", 0, Fail, 15, {StatusPollFailed}, New},
    {"upload stuck in progress", "upload", 0, FaultKind::StuckInProgress, 1,
     {"Flash Upload command still in progress after 16 status polls."}, Erased},
};

void PacketSizes()
{
    QTest::addColumn<int>("size");
    QTest::newRow("one short packet") << 4;
    QTest::newRow("two full packets") << 1000;
    QTest::newRow("last packet of 4 bytes") << 1004;
}

} // namespace

class TestFlashFileProtocol : public QObject
{
    Q_OBJECT

private slots:
    void download_data() { PacketSizes(); }

    void download()
    {
        QFETCH(int, size);
        TestCamera camera;
        const Bytes stored = TestCamera::Pattern(size);
        camera.SetFile(Custom, stored);
        camera.ClearAccesses();
        LogCapture log;
        Bytes content{9, 9};
        QVERIFY(camera.Interface().DownloadFlashFile(Custom, content));
        QCOMPARE(content, stored);
        QCOMPARE(camera.Accesses(), DownloadStart + Packets("MR 1aa00", size));
        const QStringList lines = QStringList{"\nDownload Flash File 18ed5", SelectCustomFile} + ErrorHandled
            + QStringList{ReadStatus, FileValid, "\nRead file length @ 1a0a4", "File length: " + QString::number(size),
                          "\nRead maximum file length @ 1a0a0", "Flash File maximum size: 65536",
                          "\nWrite download offset 0 @ 1a0a8"}
            + PacketPlan(size) + QStringList{"Flash File downloaded\n"};
        QCOMPARE(log.Lines(), lines);
    }

    // An erase of a valid file is part of every upload; one of an erased file writes no command.
    void eraseErasedFile()
    {
        TestCamera camera;
        camera.SetFile(Custom, Bytes());
        LogCapture log;
        quint64 status = 0;
        QVERIFY(camera.Interface().EraseFlashFile(Custom, Privilege, status));
        QCOMPARE(status, quint64(0xFFFFFFFE));
        QCOMPARE(camera.Accesses(), (QStringList{"R 1a0a0", "W 1a0bc 18ed5", "R 1a0b0", "W 1a0b4 6", "R 1a0b0"}));
        QCOMPARE(log.Last(3), (QStringList{ReadStatus, FileErased, "Erase done."}));
    }

    void upload_data() { PacketSizes(); }

    // An upload selects the file, erases it, announces the length and writes the packets.
    void upload()
    {
        QFETCH(int, size);
        TestCamera camera;
        camera.SetFile(Custom, TestCamera::Pattern(2000, 50));
        const Bytes content = TestCamera::Pattern(size);
        LogCapture log;
        QVERIFY(camera.Interface().UploadFlashFile(Custom, Privilege, content));
        QCOMPARE(camera.File(Custom), content);
        const QStringList accesses = QStringList{"W 1a0bc 18ed5", "R 1a0a0"} + EraseOfValidFile
            + QStringList{"R 1a0b0", "W 1a0b4 3a51c7", "W 1a0ac " + QString::number(size, 16), "W 1a0b4 2"}
            + Packets("MW 1a100", size) + QStringList{"R 1a0b0"};
        QCOMPARE(camera.Accesses(), accesses);
        const QStringList lines = QStringList{"\nUpload Flash File 18ed5", SelectCustomFile,
                                              "\nRead maximum file length @ 1a0a0", "Flash File maximum size: 65536"}
            + EraseLog
            + QStringList{ReadStatus, FileErased, "Erase done. Ready to upload file.",
                          "\nSet Flash File Privilege by writing 3a51c7 @ 1a0b4",
                          "\nWrite upload length register " + QString::number(size) + " @ 1a0ac",
                          "\nWrite Flash File Upload command 2 @ 1a0b4"}
            + PacketPlan(size)
            + QStringList{"Write packet 0\t@ offset: 0", ReadStatus, FileValid,
                          "Upload command completed. Flash File  valid.", "Flash File uploaded\n"};
        QCOMPARE(log.Lines(), lines);
    }

    void uploadLogsEveryThousandthPacket()
    {
        TestCamera camera(TestCamera::Setup("4711", std::string(), 600000));
        const Bytes content = TestCamera::Pattern(500 * 1001 + 4);
        LogCapture log;
        QVERIFY(camera.Interface().UploadFlashFile(Custom, Privilege, content));
        QCOMPARE(camera.File(Custom), content);
        QCOMPARE(log.Lines().filter("Write packet "),
                 (QStringList{"Write packet 0\t@ offset: 0", "Write packet 1000\t@ offset: 500000"}));
    }

    void uploadSizeLimits_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("line");
        QTest::newRow("the maximum size") << 8192 << "Flash File uploaded\n";
        QTest::newRow("4 bytes above the maximum") << 8196 << "File size exceeds 8192";
        QTest::newRow("6 bytes") << 6 << "File size is not multiple of 4.";
    }

    // Content as large as the file's maximum is uploaded; a refused upload is refused before the
    // erase, so the camera keeps its file.
    void uploadSizeLimits()
    {
        QFETCH(int, size);
        QFETCH(QString, line);
        TestCamera camera(TestCamera::Setup("4711", std::string(), 8192));
        const Bytes stored = TestCamera::Pattern(4120, 3);
        camera.SetFile(Custom, stored);
        const Bytes content = TestCamera::Pattern(size);
        LogCapture log;
        const bool accepted = size == 8192;
        QCOMPARE(camera.Interface().UploadFlashFile(Custom, Privilege, content), accepted);
        QCOMPARE(log.Lines().last(), line);
        QCOMPARE(camera.File(Custom), accepted ? content : stored);
        if (!accepted)
            QCOMPARE(camera.Accesses(), (QStringList{"W 1a0bc 18ed5", "R 1a0a0"}));
    }

    void failures_data()
    {
        QTest::addColumn<int>("row");
        for (std::size_t row = 0; row < sizeof(Failures) / sizeof(Failures[0]); ++row)
            QTest::newRow(Failures[row].name) << int(row);
    }

    // A failed step says why last; nothing is allocated for a length the file cannot have, and
    // the camera's file holds its old content, nothing, or (for an upload) the new content.
    void failures()
    {
        QFETCH(int, row);
        const Failure &failure = Failures[row];
        TestCamera camera;
        const Bytes stored = TestCamera::Pattern(failure.storedSize);
        const Bytes uploaded = TestCamera::Pattern(1004);
        camera.SetFile(Custom, stored);
        camera.SetFault(failure.kind, failure.n);
        LogCapture log;
        Bytes content;
        quint64 status = 0;
        const QString operation = failure.operation;
        CameraInterface &cameraInterface = camera.Interface();
        const bool succeeded = operation == "download" ? cameraInterface.DownloadFlashFile(Custom, content)
            : operation == "erase"                     ? cameraInterface.EraseFlashFile(Custom, Privilege, status)
                                                       : cameraInterface.UploadFlashFile(Custom, Privilege, uploaded);
        QVERIFY(!succeeded);
        QCOMPARE(log.Last(failure.lastLines.size()), failure.lastLines);
        QVERIFY(content.size() <= 65536);
        QCOMPARE(camera.File(Custom), failure.held == Old ? stored : failure.held == New ? uploaded : Bytes());
        if (failure.kind == FaultKind::StuckInProgress && operation == "erase")
            QCOMPARE(camera.Accesses().count("R 1a0b0"), 2 + 16);
    }

    void errorHandling_data()
    {
        QTest::addColumn<int>("failingCall");
        QTest::addColumn<bool>("hardwareError");
        QTest::addColumn<QStringList>("lines");
        const QString hardware = QStringLiteral("Flash File status: fffff000");
        QTest::newRow("status unreadable")
            << 1 << false << QStringList{ReadStatus, ReadFailed, "Could not read Flash File status Register. "};
        QTest::newRow("clear command fails")
            << 2 << false
            << QStringList{ReadStatus, FileValid, ClearError, WriteFailed, "Write Clear Error Command failed. "};
        QTest::newRow("hardware error")
            << 0 << true << QStringList{ReadStatus, hardware, ClearError, "Possible Hardware malfunction."};
        QTest::newRow("hardware error, clear command fails")
            << 2 << true
            << QStringList{ReadStatus, hardware, ClearError, WriteFailed, "Write Clear Error Command failed."};
    }

    void errorHandling()
    {
        QFETCH(int, failingCall);
        QFETCH(bool, hardwareError);
        QFETCH(QStringList, lines);
        TestCamera camera;
        camera.SetFile(Custom, TestCamera::Pattern(8));
        if (failingCall > 0)
            camera.SetFault(FaultKind::FailCall, failingCall);
        if (hardwareError)
            camera.SetFault(FaultKind::HardwareError);
        LogCapture log;
        QVERIFY(!camera.Interface().HandleFlashFileError());
        QCOMPARE(log.Lines(), lines);
    }

    void statusTurnsInvalidDuringPoll_data()
    {
        QTest::addColumn<bool>("erase");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("line");
        QTest::newRow("erase") << true << "W 1a0b4 5" << "Flash Erase command failed. Flash File Status invalid.";
        QTest::newRow("upload") << false << "MW 1a100 0 c" << "Flash Upload command failed. Flash File Status invalid.";
    }

    // The camera reports a hardware error while Talvern waits for it: the poll ends at once.
    void statusTurnsInvalidDuringPoll()
    {
        QFETCH(bool, erase);
        QFETCH(QString, command);
        QFETCH(QString, line);
        TestCamera camera;
        camera.SetFile(Custom, erase ? TestCamera::Pattern(8) : Bytes());
        ZorvikSim::SetDurations(erase ? 60000 : 0, erase ? 0 : 60000);
        CameraInterface::SetPollPause(50);
        std::atomic<bool> done(false);
        std::thread breaker([&] {
            while (!done && !camera.Accesses().contains(command))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            camera.SetFault(FaultKind::HardwareError);
        });
        LogCapture log;
        quint64 status = 0;
        const bool succeeded = erase ? camera.Interface().EraseFlashFile(Custom, Privilege, status)
                                     : camera.Interface().UploadFlashFile(Custom, Privilege, TestCamera::Pattern(8));
        done = true;
        breaker.join();
        QVERIFY(!succeeded);
        QCOMPARE(log.Last(2), (QStringList{"Flash File status: fffff000", line}));
    }
};

QTEST_GUILESS_MAIN(TestFlashFileProtocol)
#include "tst_flashfileprotocol.moc"
