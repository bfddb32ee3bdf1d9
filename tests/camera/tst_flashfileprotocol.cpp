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

    void downloadFailures_data()
    {
        QTest::addColumn<Bytes>("stored");
        QTest::addColumn<FaultKind>("kind");
        QTest::addColumn<int>("n");
        QTest::addColumn<QStringList>("lastLines");
        QTest::addColumn<int>("contentSize");
        const Bytes file = TestCamera::Pattern(1004);
        const FaultKind fail = FaultKind::FailCall;
        QTest::newRow("erased file") << Bytes() << NoFault << 1 << QStringList{"Flash File status not valid."} << 0;
        QTest::newRow("length not a multiple of 4")
            << TestCamera::Pattern(6) << NoFault << 1 << QStringList{"File length: 6", "File size is not multiple of 4."}
            << 0;
        QTest::newRow("length above the maximum size")
            << TestCamera::Pattern(65540) << NoFault << 1
            << QStringList{"Flash File maximum size: 65536", "File length exceeds the Flash File maximum size."} << 0;
        QTest::newRow("file selection") << file << fail << 1 << QStringList{WriteFailed, "File selection failed."} << 0;
        QTest::newRow("status read") << file << fail << 4 << QStringList{ReadFailed, "Read Flash File status failed."}
                                     << 0;
        QTest::newRow("length read") << file << fail << 5
                                     << QStringList{ReadFailed, "Could not read Flash File length."} << 0;
        QTest::newRow("maximum size read")
            << file << fail << 6 << QStringList{ReadFailed, "Could not read Flash File maximum size."} << 0;
        QTest::newRow("download offset")
            << file << fail << 7 << QStringList{WriteFailed, "Could not write download offset."} << 1004;
        QTest::newRow("second packet read") << file << fail << 9
                                            << QStringList{"Read Memory Failed, Error: -13 (Other error)",
                                                           "Could not read data from FileDownloadTransferBuffer. "}
                                            << 1004;
        QTest::newRow("second packet's offset")
            << file << FaultKind::CorruptPacketOffset << 2
            << QStringList{"Read Error. Download offset different from transfer offset"} << 1004;
        QTest::newRow("hardware error") << file << FaultKind::HardwareError << 1
                                        << QStringList{"Possible Hardware malfunction.", "Error handling failed."}
                                        << 0;
    }

    // A download that fails says why last; nothing is allocated for a length the file cannot
    // have, and the camera's file stays as it was.
    void downloadFailures()
    {
        QFETCH(Bytes, stored);
        QFETCH(FaultKind, kind);
        QFETCH(int, n);
        QFETCH(QStringList, lastLines);
        QFETCH(int, contentSize);
        TestCamera camera;
        camera.SetFile(Custom, stored);
        camera.SetFault(kind, n);
        LogCapture log;
        Bytes content;
        QVERIFY(!camera.Interface().DownloadFlashFile(Custom, content));
        QCOMPARE(log.Last(lastLines.size()), lastLines);
        QCOMPARE(int(content.size()), contentSize);
        QCOMPARE(camera.File(Custom), stored);
    }

    void erase_data()
    {
        QTest::addColumn<Bytes>("stored");
        QTest::addColumn<QStringList>("accesses");
        QTest::addColumn<QStringList>("lastLines");
        QTest::newRow("valid file") << TestCamera::Pattern(1004) << EraseOfValidFile << EraseLog;
        QTest::newRow("erased file writes no command")
            << Bytes() << QStringList{"R 1a0a0", "W 1a0bc 18ed5", "R 1a0b0", "W 1a0b4 6", "R 1a0b0"}
            << QStringList{ReadStatus, FileErased, "Erase done."};
    }

    void erase()
    {
        QFETCH(Bytes, stored);
        QFETCH(QStringList, accesses);
        QFETCH(QStringList, lastLines);
        TestCamera camera;
        camera.SetFile(Custom, stored);
        LogCapture log;
        quint64 status = 0;
        QVERIFY(camera.Interface().EraseFlashFile(Custom, Privilege, status));
        QCOMPARE(status, quint64(0xFFFFFFFE));
        QVERIFY(camera.File(Custom).empty());
        QCOMPARE(camera.Accesses(), accesses);
        QCOMPARE(log.Last(lastLines.size()), lastLines);
    }

    void eraseFailures_data()
    {
        QTest::addColumn<FaultKind>("kind");
        QTest::addColumn<int>("n");
        QTest::addColumn<QStringList>("lastLines");
        QTest::addColumn<bool>("erased");
        const FaultKind fail = FaultKind::FailCall;
        QTest::newRow("maximum size read") << fail << 1 << QStringList{"Could not read Flash File maximum size."}
                                           << false;
        QTest::newRow("file selection") << fail << 2 << QStringList{"File selection failed."} << false;
        QTest::newRow("status read") << fail << 5 << QStringList{"Read Flash File status failed."} << false;
        QTest::newRow("privilege level") << fail << 6 << QStringList{"Set Flash File Privilege Level failed."}
                                         << false;
        QTest::newRow("erase command")
            << fail << 7 << QStringList{"Could not write Flash Erase Command to Flash File Command register."} << false;
        QTest::newRow("status poll")
            << fail << 8 << QStringList{"Read Flash File status register failed during the Erase Command."} << true;
        QTest::newRow("hardware error") << FaultKind::HardwareError << 1
                                        << QStringList{"Possible Hardware malfunction.", "Error handling failed."}
                                        << false;
        // 64 KB take at most 6 s to erase; the poll gives up 10 polls later.
        QTest::newRow("stuck in progress")
            << FaultKind::StuckInProgress << 1
            << QStringList{"Flash File status: fe000000", "Flash Erase command still in progress after 16 status polls."}
            << false;
    }

    void eraseFailures()
    {
        QFETCH(FaultKind, kind);
        QFETCH(int, n);
        QFETCH(QStringList, lastLines);
        QFETCH(bool, erased);
        TestCamera camera;
        camera.SetFile(Custom, TestCamera::Pattern(1004));
        camera.SetFault(kind, n);
        LogCapture log;
        quint64 status = 0;
        QVERIFY(!camera.Interface().EraseFlashFile(Custom, Privilege, status));
        QCOMPARE(log.Last(lastLines.size()), lastLines);
        QCOMPARE(camera.File(Custom).empty(), erased);
        if (kind == FaultKind::StuckInProgress)
            QCOMPARE(camera.Accesses().count("R 1a0b0"), 2 + 16);
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
        TestCamera camera(TestCamera::Spec("4711", std::string(), 600000));
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
        QTest::newRow("1001 bytes") << 1001 << "File size is not multiple of 4.";
    }

    // Content as large as the file's maximum is uploaded; a refused upload is refused before the
    // erase, so the camera keeps its file.
    void uploadSizeLimits()
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

    void uploadFailures_data()
    {
        QTest::addColumn<FaultKind>("kind");
        QTest::addColumn<int>("n");
        QTest::addColumn<QStringList>("lastLines");
        QTest::addColumn<bool>("stored");
        // The calls of an upload of 1004 bytes into an erased file: select (1), maximum size (2),
        // erase (3 to 7), status (8), privilege (9), length (10), command (11), packets (12 to 14),
        // poll (15).
        const FaultKind fail = FaultKind::FailCall;
        QTest::newRow("file selection") << fail << 1 << QStringList{"File selection failed."} << false;
        QTest::newRow("maximum size") << fail << 2 << QStringList{"Could not read Flash File maximum size."} << false;
        QTest::newRow("erase") << fail << 3
                               << QStringList{"Could not read Flash File maximum size.",
                                              "File Upload Erase Failed. Possible Hardware malfunction."}
                               << false;
        QTest::newRow("status after the erase") << fail << 8 << QStringList{"Read Flash File status failed."} << false;
        QTest::newRow("privilege level") << fail << 9 << QStringList{"Set Flash File Privilege Level failed."}
                                         << false;
        QTest::newRow("upload length")
            << fail << 10 << QStringList{"Could not write defect file length to FlashFileUploadLength."} << false;
        QTest::newRow("upload command")
            << fail << 11 << QStringList{"Could not write Upload Command to Flash File Command register."} << false;
        QTest::newRow("second packet") << fail << 13
                                       << QStringList{"Write Memory Failed, Error: -13 (Other error)",
                                                      "Could not write data to FileUploadTransferBuffer. ",
                                                      "Upload failed."}
                                       << false;
        // The camera has all packets and stores them although Talvern lost the poll.
        QTest::newRow("status poll")
            << fail << 15 << QStringList{"Read Flash File status register failed during the Erase Command."} << true;
        QTest::newRow("stuck in progress") << FaultKind::StuckInProgress << 1
                                           << QStringList{"Flash Upload command still in progress after 16 status polls."}
                                           << false;
    }

    void uploadFailures()
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
        QCOMPARE(log.Last(lastLines.size()), lastLines);
        QCOMPARE(camera.File(Custom), stored ? content : Bytes());
    }

    void errorHandling_data()
    {
        QTest::addColumn<FaultKind>("kind");
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("hardwareError");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<QStringList>("lines");
        const QString hardware = QStringLiteral("Flash File status: fffff000");
        QTest::newRow("valid file") << NoFault << 1 << false << true << ErrorHandled;
        QTest::newRow("status unreadable") << FaultKind::FailCall << 1 << false << false
                                           << QStringList{ReadStatus, ReadFailed,
                                                          "Could not read Flash File status Register. "};
        QTest::newRow("clear command fails")
            << FaultKind::FailCall << 2 << false << false
            << QStringList{ReadStatus, FileValid, ClearError, WriteFailed, "Write Clear Error Command failed. "};
        QTest::newRow("hardware error") << NoFault << 1 << true << false
                                        << QStringList{ReadStatus, hardware, ClearError, "Possible Hardware malfunction."};
        QTest::newRow("hardware error, clear command fails")
            << FaultKind::FailCall << 2 << true << false
            << QStringList{ReadStatus, hardware, ClearError, WriteFailed, "Write Clear Error Command failed."};
    }

    void errorHandling()
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
