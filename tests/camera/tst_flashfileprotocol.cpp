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
const QString Other = QStringLiteral("-13 (Other error)");

// Register and memory accesses of a download of the custom file that is valid, up to the packets.
const QStringList DownloadStart{"W 1a0bc 18ed5", "R 1a0b0", "W 1a0b4 6", "R 1a0b0", "R 1a0a4", "R 1a0a0",
                                "W 1a0a8 0"};
// Those of an erase of a valid file, after the file has been selected.
const QStringList EraseOfValidFile{"R 1a0a0", "W 1a0bc 18ed5", "R 1a0b0", "W 1a0b4 6",
                                   "R 1a0b0", "W 1a0b4 3a51c7", "W 1a0b4 5", "R 1a0b0"};

QStringList Packets(const QString &window, int size)
{
    QStringList packets;
    for (int offset = 0; offset < size; offset += 500)
        packets.append(QStringLiteral("%1 %2 %3").arg(window, QString::number(offset, 16),
                                                      QString::number(qMin(500, size - offset) + 4, 16)));
    return packets;
}

} // namespace

class TestFlashFileProtocol : public QObject
{
    Q_OBJECT

private slots:
    void downloadPackets_data();
    void downloadPackets();
    void downloadLog();
    void downloadFailures_data();
    void downloadFailures();
    void eraseValidFile();
    void eraseErasedFileWritesNoCommand();
    void eraseFailures_data();
    void eraseFailures();
    void uploadPackets_data();
    void uploadPackets();
    void uploadLogsEveryThousandthPacket();
    void uploadSizeLimits_data();
    void uploadSizeLimits();
    void uploadFailures_data();
    void uploadFailures();
    void errorHandling_data();
    void errorHandling();
    void statusTurnsInvalidDuringPoll_data();
    void statusTurnsInvalidDuringPoll();
};

void TestFlashFileProtocol::downloadPackets_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("one short packet") << 4;
    QTest::newRow("two full packets") << 1000;
    QTest::newRow("last packet of 4 bytes") << 1004;
}

void TestFlashFileProtocol::downloadPackets()
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
}

void TestFlashFileProtocol::downloadLog()
{
    TestCamera camera;
    camera.SetFile(Custom, TestCamera::Pattern(1004));
    LogCapture log;
    Bytes content;
    QVERIFY(camera.Interface().DownloadFlashFile(Custom, content));
    const QStringList expected{"\nDownload Flash File 18ed5",
                               "\nSelect File ID by writing 18ed5 @ 1a0bc",
                               "\nRead Flash File status @ 1a0b0",
                               "Flash File status: fffff800",
                               "\nWrite Clear Error Command @ 1a0b4",
                               "Error handling done. ",
                               "\nRead Flash File status @ 1a0b0",
                               "Flash File status: fffff800",
                               "\nRead file length @ 1a0a4",
                               "File length: 1004",
                               "\nRead maximum file length @ 1a0a0",
                               "Flash File maximum size: 65536",
                               "\nWrite download offset 0 @ 1a0a8",
                               "\nWrite file data",
                               "File size in bytes: 1004",
                               "Numbers of packets: 3",
                               "PacketSize: 500",
                               "Flash File downloaded\n"};
    QCOMPARE(log.Lines(), expected);
}

void TestFlashFileProtocol::downloadFailures_data()
{
    QTest::addColumn<Bytes>("stored");
    QTest::addColumn<FaultKind>("kind");
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("lastLines");
    QTest::addColumn<int>("contentSize");

    const Bytes file = TestCamera::Pattern(1004);
    const FaultKind none = FaultKind::ReadBackDiffers; // no effect on a download
    QTest::newRow("erased file") << Bytes() << none << 1 << QStringList{"Flash File status not valid."} << 0;
    QTest::newRow("length not a multiple of 4") << TestCamera::Pattern(6) << none << 1
                                                << QStringList{"File length: 6", "File size is not multiple of 4."}
                                                << 0;
    QTest::newRow("length above the maximum size")
        << TestCamera::Pattern(65540) << none << 1
        << QStringList{"Flash File maximum size: 65536", "File length exceeds the Flash File maximum size."} << 0;
    QTest::newRow("file selection") << file << FaultKind::FailCall << 1
                                    << QStringList{"Write Register Failed, Error: " + Other, "File selection failed."}
                                    << 0;
    QTest::newRow("status read of the error handling")
        << file << FaultKind::FailCall << 2
        << QStringList{"Read Register Failed, Error: " + Other, "Could not read Flash File status Register. ",
                       "Error handling failed."}
        << 0;
    QTest::newRow("clear error command")
        << file << FaultKind::FailCall << 3
        << QStringList{"Write Register Failed, Error: " + Other, "Write Clear Error Command failed. ",
                       "Error handling failed."}
        << 0;
    QTest::newRow("status read") << file << FaultKind::FailCall << 4
                                 << QStringList{"Read Register Failed, Error: " + Other,
                                                "Read Flash File status failed."}
                                 << 0;
    QTest::newRow("length read") << file << FaultKind::FailCall << 5
                                 << QStringList{"Read Register Failed, Error: " + Other,
                                                "Could not read Flash File length."}
                                 << 0;
    QTest::newRow("maximum size read") << file << FaultKind::FailCall << 6
                                       << QStringList{"Read Register Failed, Error: " + Other,
                                                      "Could not read Flash File maximum size."}
                                       << 0;
    QTest::newRow("download offset") << file << FaultKind::FailCall << 7
                                     << QStringList{"Write Register Failed, Error: " + Other,
                                                    "Could not write download offset."}
                                     << 1004;
    QTest::newRow("second packet read")
        << file << FaultKind::FailCall << 9
        << QStringList{"Read Memory Failed, Error: " + Other, "Could not read data from FileDownloadTransferBuffer. "}
        << 1004;
    QTest::newRow("second packet's offset") << file << FaultKind::CorruptPacketOffset << 2
                                            << QStringList{"Read Error. Download offset different from transfer offset"}
                                            << 1004;
    QTest::newRow("hardware error")
        << file << FaultKind::HardwareError << 1
        << QStringList{"Flash File status: fffff000", "\nWrite Clear Error Command @ 1a0b4",
                       "Possible Hardware malfunction.", "Error handling failed."}
        << 0;
}

void TestFlashFileProtocol::downloadFailures()
{
    QFETCH(Bytes, stored);
    QFETCH(FaultKind, kind);
    QFETCH(int, n);
    QFETCH(QStringList, lastLines);
    QFETCH(int, contentSize);

    TestCamera camera;
    camera.SetFile(Custom, stored);
    QCOMPARE(camera.File(Custom), stored);
    camera.SetFault(kind, n);
    LogCapture log;
    Bytes content;
    QVERIFY(!camera.Interface().DownloadFlashFile(Custom, content));
    const QStringList lines = log.Lines();
    QCOMPARE(lines.mid(lines.size() - lastLines.size()), lastLines);
    QCOMPARE(int(content.size()), contentSize);
    QCOMPARE(camera.File(Custom), stored);
}

void TestFlashFileProtocol::eraseValidFile()
{
    TestCamera camera;
    camera.SetFile(Custom, TestCamera::Pattern(1004));
    LogCapture log;
    quint64 status = 0;
    QVERIFY(camera.Interface().EraseFlashFile(Custom, Privilege, status));
    QCOMPARE(status, quint64(0xFFFFFFFE));
    QVERIFY(camera.File(Custom).empty());
    QCOMPARE(camera.Accesses(), EraseOfValidFile);
    const QStringList expected{"\nErase Flash File 18ed5",
                               "\nRead Flash File maximum size @ 1a0a0",
                               "Flash File maximum size: 65536",
                               "maximum time in seconds to erase a file: 6",
                               "\nFile ID 18ed5",
                               "Select File ID by writing 18ed5 @ 1a0bc",
                               "\nRead Flash File status @ 1a0b0",
                               "Flash File status: fffff800",
                               "\nWrite Clear Error Command @ 1a0b4",
                               "Error handling done. ",
                               "\nRead Flash File status @ 1a0b0",
                               "Flash File status: fffff800",
                               "\nSet Flash File Privilege by writing 3a51c7 @ 1a0b4",
                               "\nWrite erase command 5 @ 1a0b4",
                               "\nRead Flash File status @ 1a0b0",
                               "Flash File status: fffffffe",
                               "Erase command completed.",
                               "Flash File erased\n"};
    QCOMPARE(log.Lines(), expected);
}

void TestFlashFileProtocol::eraseErasedFileWritesNoCommand()
{
    TestCamera camera;
    camera.SetFile(Custom, Bytes());
    LogCapture log;
    quint64 status = 0;
    QVERIFY(camera.Interface().EraseFlashFile(Custom, Privilege, status));
    QCOMPARE(status, quint64(0xFFFFFFFE));
    QCOMPARE(camera.Accesses(), (QStringList{"R 1a0a0", "W 1a0bc 18ed5", "R 1a0b0", "W 1a0b4 6", "R 1a0b0"}));
    QCOMPARE(log.Lines().last(), QString("Erase done."));
}

void TestFlashFileProtocol::eraseFailures_data()
{
    QTest::addColumn<FaultKind>("kind");
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("lastLines");
    QTest::addColumn<bool>("erased");

    QTest::newRow("maximum size read") << FaultKind::FailCall << 1
                                       << QStringList{"Could not read Flash File maximum size."} << false;
    QTest::newRow("file selection") << FaultKind::FailCall << 2 << QStringList{"File selection failed."} << false;
    QTest::newRow("error handling") << FaultKind::FailCall << 3
                                    << QStringList{"Could not read Flash File status Register. ",
                                                   "Error handling failed."}
                                    << false;
    QTest::newRow("status read") << FaultKind::FailCall << 5 << QStringList{"Read Flash File status failed."} << false;
    QTest::newRow("privilege level") << FaultKind::FailCall << 6
                                     << QStringList{"Set Flash File Privilege Level failed."} << false;
    QTest::newRow("erase command") << FaultKind::FailCall << 7
                                   << QStringList{"Could not write Flash Erase Command to Flash File Command register."}
                                   << false;
    QTest::newRow("status poll") << FaultKind::FailCall << 8
                                 << QStringList{"Read Flash File status register failed during the Erase Command."}
                                 << true;
    QTest::newRow("hardware error") << FaultKind::HardwareError << 1
                                    << QStringList{"Possible Hardware malfunction.", "Error handling failed."}
                                    << false;
    // 64 KB take at most 6 s to erase; the poll gives up 10 polls later.
    QTest::newRow("stuck in progress")
        << FaultKind::StuckInProgress << 1
        << QStringList{"Flash File status: fe000000", "Flash Erase command still in progress after 16 status polls."}
        << false;
}

void TestFlashFileProtocol::eraseFailures()
{
    QFETCH(FaultKind, kind);
    QFETCH(int, n);
    QFETCH(QStringList, lastLines);
    QFETCH(bool, erased);

    TestCamera camera;
    const Bytes stored = TestCamera::Pattern(1004);
    camera.SetFile(Custom, stored);
    camera.SetFault(kind, n);
    LogCapture log;
    quint64 status = 0;
    QVERIFY(!camera.Interface().EraseFlashFile(Custom, Privilege, status));
    const QStringList lines = log.Lines();
    QCOMPARE(lines.mid(lines.size() - lastLines.size()), lastLines);
    QCOMPARE(camera.File(Custom).empty(), erased);
    if (kind == FaultKind::StuckInProgress)
        QCOMPARE(camera.Accesses().count("R 1a0b0"), 2 + 16);
}

void TestFlashFileProtocol::uploadPackets_data()
{
    downloadPackets_data();
}

void TestFlashFileProtocol::uploadPackets()
{
    QFETCH(int, size);
    TestCamera camera;
    camera.SetFile(Custom, TestCamera::Pattern(2000, 50));
    const Bytes content = TestCamera::Pattern(size);
    LogCapture log;
    QVERIFY(camera.Interface().UploadFlashFile(Custom, Privilege, content));
    QCOMPARE(camera.File(Custom), content);
    const QStringList expected = QStringList{"W 1a0bc 18ed5", "R 1a0a0"} + EraseOfValidFile
        + QStringList{"R 1a0b0", "W 1a0b4 3a51c7", "W 1a0ac " + QString::number(size, 16), "W 1a0b4 2"}
        + Packets("MW 1a100", size) + QStringList{"R 1a0b0"};
    QCOMPARE(camera.Accesses(), expected);
    const QStringList tail{"\nRead Flash File status @ 1a0b0",
                           "Flash File status: fffffffe",
                           "Erase done. Ready to upload file.",
                           "\nSet Flash File Privilege by writing 3a51c7 @ 1a0b4",
                           "\nWrite upload length register " + QString::number(size) + " @ 1a0ac",
                           "\nWrite Flash File Upload command 2 @ 1a0b4",
                           "\nWrite file data",
                           "File size in bytes: " + QString::number(size),
                           "Numbers of packets: " + QString::number((size + 499) / 500),
                           "PacketSize: 500",
                           "Write packet 0\t@ offset: 0",
                           "\nRead Flash File status @ 1a0b0",
                           "Flash File status: fffff800",
                           "Upload command completed. Flash File  valid.",
                           "Flash File uploaded\n"};
    const QStringList lines = log.Lines();
    QCOMPARE(lines.mid(lines.size() - tail.size()), tail);
    QCOMPARE(lines.mid(0, 5), (QStringList{"\nUpload Flash File 18ed5", "\nSelect File ID by writing 18ed5 @ 1a0bc",
                                           "\nRead maximum file length @ 1a0a0", "Flash File maximum size: 65536",
                                           "\nErase Flash File 18ed5"}));
}

void TestFlashFileProtocol::uploadLogsEveryThousandthPacket()
{
    const int size = 500 * 1001 + 4;
    TestCamera camera(TestCamera::Spec("4711", std::string(), 600000));
    const Bytes content = TestCamera::Pattern(size);
    LogCapture log;
    QVERIFY(camera.Interface().UploadFlashFile(Custom, Privilege, content));
    QCOMPARE(camera.File(Custom), content);
    QCOMPARE(log.Lines().filter("Write packet "),
             (QStringList{"Write packet 0\t@ offset: 0", "Write packet 1000\t@ offset: 500000"}));
    QVERIFY(log.Contains("Numbers of packets: 1002"));
}

void TestFlashFileProtocol::uploadSizeLimits_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("line");
    QTest::newRow("the maximum size") << 8192 << "Flash File uploaded\n";
    QTest::newRow("4 bytes above the maximum") << 8196 << "File size exceeds 8192";
    QTest::newRow("6 bytes") << 6 << "File size is not multiple of 4.";
    QTest::newRow("1001 bytes") << 1001 << "File size is not multiple of 4.";
}

// Content as large as the file's maximum is uploaded; a refused upload is refused before the
// erase, so the camera keeps its file.
void TestFlashFileProtocol::uploadSizeLimits()
{
    QFETCH(int, size);
    QFETCH(QString, line);
    TestCamera camera(TestCamera::Spec("4711", std::string(), 8192));
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

void TestFlashFileProtocol::uploadFailures_data()
{
    QTest::addColumn<FaultKind>("kind");
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("lastLines");
    QTest::addColumn<bool>("stored");

    // The calls of an upload of 1004 bytes into an erased file: select (1), maximum size (2),
    // erase (3 to 7), status (8), privilege (9), length (10), command (11), packets (12 to 14),
    // poll (15).
    QTest::newRow("file selection") << FaultKind::FailCall << 1 << QStringList{"File selection failed."} << false;
    QTest::newRow("maximum size") << FaultKind::FailCall << 2
                                  << QStringList{"Could not read Flash File maximum size."} << false;
    QTest::newRow("erase") << FaultKind::FailCall << 3
                           << QStringList{"Could not read Flash File maximum size.",
                                          "File Upload Erase Failed. Possible Hardware malfunction."} << false;
    QTest::newRow("status after the erase") << FaultKind::FailCall << 8
                                            << QStringList{"Read Flash File status failed."} << false;
    QTest::newRow("privilege level") << FaultKind::FailCall << 9
                                     << QStringList{"Set Flash File Privilege Level failed."} << false;
    QTest::newRow("upload length")
        << FaultKind::FailCall << 10 << QStringList{"Could not write defect file length to FlashFileUploadLength."}
        << false;
    QTest::newRow("upload command")
        << FaultKind::FailCall << 11
        << QStringList{"Could not write Upload Command to Flash File Command register."} << false;
    QTest::newRow("second packet") << FaultKind::FailCall << 13
                                   << QStringList{"Write Memory Failed, Error: " + Other,
                                                  "Could not write data to FileUploadTransferBuffer. ",
                                                  "Upload failed."} << false;

    // The camera has all packets and stores them although Talvern lost the poll.
    QTest::newRow("status poll") << FaultKind::FailCall << 15
                                 << QStringList{"Read Flash File status register failed during the Erase Command."}
                                 << true;
    QTest::newRow("stuck in progress")
        << FaultKind::StuckInProgress << 1
        << QStringList{"Flash Upload command still in progress after 16 status polls."} << false;
}

void TestFlashFileProtocol::uploadFailures()
{
    QFETCH(FaultKind, kind);
    QFETCH(int, n);
    QFETCH(QStringList, lastLines);
    QFETCH(bool, stored);

    TestCamera camera;
    camera.SetFile(Custom, Bytes());
    camera.SetFault(kind, n);
    LogCapture log;
    const Bytes content = TestCamera::Pattern(1004);
    QVERIFY(!camera.Interface().UploadFlashFile(Custom, Privilege, content));
    const QStringList lines = log.Lines();
    QCOMPARE(lines.mid(lines.size() - lastLines.size()), lastLines);
    QCOMPARE(camera.File(Custom), stored ? content : Bytes());
}

void TestFlashFileProtocol::errorHandling_data()
{
    QTest::addColumn<FaultKind>("kind");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("hardwareError");
    QTest::addColumn<bool>("handled");
    QTest::addColumn<QStringList>("lines");

    const QString read = QStringLiteral("\nRead Flash File status @ 1a0b0");
    const QString clear = QStringLiteral("\nWrite Clear Error Command @ 1a0b4");
    const FaultKind none = FaultKind::ReadBackDiffers;
    QTest::newRow("valid file") << none << 1 << false << true
                                << QStringList{read, "Flash File status: fffff800", clear, "Error handling done. "};
    QTest::newRow("status unreadable")
        << FaultKind::FailCall << 1 << false << false
        << QStringList{read, "Read Register Failed, Error: " + Other, "Could not read Flash File status Register. "};
    QTest::newRow("clear command fails")
        << FaultKind::FailCall << 2 << false << false
        << QStringList{read, "Flash File status: fffff800", clear, "Write Register Failed, Error: " + Other,
                       "Write Clear Error Command failed. "};
    QTest::newRow("hardware error") << none << 1 << true << false
                                    << QStringList{read, "Flash File status: fffff000", clear,
                                                   "Possible Hardware malfunction."};
    QTest::newRow("hardware error, clear command fails")
        << FaultKind::FailCall << 2 << true << false
        << QStringList{read, "Flash File status: fffff000", clear, "Write Register Failed, Error: " + Other,
                       "Write Clear Error Command failed."};
}

void TestFlashFileProtocol::errorHandling()
{
    QFETCH(FaultKind, kind);
    QFETCH(int, n);
    QFETCH(bool, hardwareError);
    QFETCH(bool, handled);
    QFETCH(QStringList, lines);

    TestCamera camera;
    camera.SetFile(Custom, TestCamera::Pattern(8));
    camera.SetFault(kind, n);
    if (hardwareError)
        camera.SetFault(FaultKind::HardwareError);
    LogCapture log;
    QCOMPARE(camera.Interface().HandleFlashFileError(), handled);
    QCOMPARE(log.Lines(), lines);
}

void TestFlashFileProtocol::statusTurnsInvalidDuringPoll_data()
{
    QTest::addColumn<bool>("erase");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("line");
    QTest::newRow("erase") << true << "W 1a0b4 5" << "Flash Erase command failed. Flash File Status invalid.";
    QTest::newRow("upload") << false << "MW 1a100 0 c" << "Flash Upload command failed. Flash File Status invalid.";
}

// The camera reports a hardware error while Talvern waits for it: the poll ends at once.
void TestFlashFileProtocol::statusTurnsInvalidDuringPoll()
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
    QCOMPARE(log.Lines().mid(log.Lines().size() - 2), (QStringList{"Flash File status: fffff000", line}));
}

QTEST_GUILESS_MAIN(TestFlashFileProtocol)
#include "tst_flashfileprotocol.moc"
