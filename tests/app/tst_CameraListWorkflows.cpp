#include "DebugLines.h"
#include "FileDialogAnswer.h"
#include "MessageBoxes.h"
#include "WorkflowWindow.h"

#include <QtTest>

#include <memory>

namespace {

const QString DownloadFailed = Waiting(Box(QMessageBox::Critical, "Download Error",
                                           "Could not download defective pixel list from camera. Please contact support."));
const QString BinFilter = QStringLiteral("Defective Pixel List Files (*.bin)");
const char *const CameraView = "cameraDefectivePixelView";

} // namespace

// Download, backup, restore and revert of the camera's defect list, against the camera.
class tst_CameraListWorkflows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WorkflowWindow::Prepare(); }
    void init() { user = std::make_unique<WorkflowWindow>(); }
    void cleanup() { user.reset(); }

    // A download that fails leaves the table as it was.
    void downloadFails()
    {
        QVERIFY(user->ConnectAndDownload(SimulatedCameras::Mono));
        QVERIFY(SimulatedCameras::LoseDefectFiles("1001"));
        MessageBoxes boxes;

        QVERIFY(user->Click("downloadButton"));

        QCOMPARE(boxes.lines, QStringList({DownloadFailed}));
        QCOMPARE(user->Rows(CameraView), SimulatedCameras::MonoList());
    }

    void backup_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("cameraFilesLost");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("written");

        using SimulatedCameras::Mono;
        const QString failed = Waiting(Box(QMessageBox::Critical, "Backup Error",
                                           "Could not back up the defective pixel list. No backup file was written."));
        QTest::newRow("cancelled") << Mono << "" << false << QStringList() << "" << "";
        QTest::newRow("written under the serial number") << Mono << "list.bin" << false << QStringList() << ""
                                                         << "1001_list.bin";
        QTest::newRow("serial number kept inside the folder")
            << SimulatedCameras::Climbing << "list.bin" << false << QStringList() << "" << "____x_list.bin";
        // The camera list is downloaded afterwards, and that fails too.
        QTest::newRow("camera file unreadable") << Mono << "list.bin" << true << QStringList({failed, DownloadFailed})
                                                << "Error! Could not backup list. File could not be downloaded correctly."
                                                << "";
        QTest::newRow("file not writable") << Mono << "missing/list.bin" << false << QStringList({failed})
                                           << "Error! Export binary defect file failed." << "";
    }

    void backup()
    {
        QFETCH(QString, entry);
        QFETCH(QString, chosen);
        QFETCH(bool, cameraFilesLost);
        QFETCH(QStringList, boxes);
        QFETCH(QString, line);
        QFETCH(QString, written);
        MessageBoxes seen;
        QVERIFY(user->Connect(entry));
        const QString id = entry == SimulatedCameras::Climbing ? "EVIL" : "1001";
        if (cameraFilesLost)
            QVERIFY(SimulatedCameras::LoseDefectFiles(id));
        FileDialogAnswer dialog(chosen.isEmpty() ? QString() : user->File(chosen));
        DebugLines log;

        QVERIFY(user->Click("backupButton"));

        QCOMPARE(dialog.offered, QStringList({"Backup Defective Pixel List.", "/", BinFilter, "save", "wait cursor"}));
        QCOMPARE(seen.lines, boxes);
        QCOMPARE(log.Lines().contains(line), !line.isEmpty());
        const QStringList files = QDir(user->File("")).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList({written}));
        if (!written.isEmpty())
            QCOMPARE(user->ReadFile(written), SimulatedCameras::File(id));
        // A backup that asked for a file leaves the camera list downloaded.
        QCOMPARE(user->Rows(CameraView).isEmpty(), chosen.isEmpty() || cameraFilesLost);
    }

    void restore_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("readBackDiffers");
        QTest::addColumn<QString>("text");

        const QByteArray otherCamera = SimulatedCameras::Encoded(2048, 2048, {{1, 1}, {2, 2}, {3, 3}});
        const QString corrupt = QStringLiteral("Backup file not supported or corrupt. Please verify file and try again.");
        QTest::newRow("cancelled") << QByteArray() << false << "";
        QTest::newRow("sensor of other dimensions") << SimulatedCameras::Encoded(1936, 1216, {{1, 1}}) << false
                                                    << corrupt;
        QTest::newRow("writing into the camera fails")
            << otherCamera << true << "Could not upload defective pixel list to camera. Please try again.";
        QTest::newRow("backup of another camera, same sensor") << otherCamera << false << "";
    }

    void restore()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, readBackDiffers);
        QFETCH(QString, text);
        MessageBoxes boxes;
        QVERIFY(user->ConnectAndDownload(SimulatedCameras::Mono));
        QVERIFY(user->Add({900, 900}));
        if (readBackDiffers)
            QVERIFY(SimulatedCameras::Fail("1001", ZorvikSim::FaultKind::ReadBackDiffers));
        const QByteArray before = SimulatedCameras::File("1001");
        FileDialogAnswer dialog(content.isNull() ? QString() : user->WriteFile("b.bin", content));

        QVERIFY(user->Click("restoreButton"));

        QCOMPARE(dialog.offered, QStringList({"Restore Defective Pixel List.", "/", BinFilter, "open", "wait cursor"}));
        const QString refused = Waiting(Box(QMessageBox::Critical, "Restore Error", text));
        QCOMPARE(boxes.lines, text.isEmpty() ? QStringList() : QStringList({refused}));
        const bool restored = !content.isNull() && text.isEmpty();
        if (!readBackDiffers)
            QCOMPARE(SimulatedCameras::File("1001"), restored ? content : before);
        QCOMPARE(user->Rows(CameraView), restored ? SimulatedCameras::Decoded(content) : SimulatedCameras::MonoList());
        QCOMPARE(user->Rows("userDefectivePixelView"), QList<PixelCoords>({{900, 900}}));
    }

    void revert_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("factoryLost");

        QTest::newRow("answered No") << false << false;
        QTest::newRow("reverted to the factory list") << true << false;
        QTest::newRow("factory file unreadable") << true << true;
    }

    void revert()
    {
        QFETCH(bool, yes);
        QFETCH(bool, factoryLost);
        const QByteArray factory = SimulatedCameras::File("1001", ZorvikSim::FactoryDefectFileId);
        MessageBoxes boxes({yes ? QMessageBox::Yes : QMessageBox::No});
        QVERIFY(user->ConnectAndDownload(SimulatedCameras::Mono));
        if (factoryLost)
            QVERIFY(SimulatedCameras::SetFile("1001", {}, ZorvikSim::FactoryDefectFileId));
        const QByteArray before = SimulatedCameras::File("1001");

        QVERIFY(user->Click("revertButton"));

        QStringList expected{Box(QMessageBox::Question, "Revert Defective Pixel List?",
                                 "Are you sure you want to revert back to the factory settings? \nAll user added defective pixels will be lost.")};
        if (factoryLost)
            expected.append(Waiting(Box(QMessageBox::Critical, "Revert Error",
                                        "Could not revert defective pixel list back to original factory configuration. Please contact support.")));
        QCOMPARE(boxes.lines, expected);
        const bool reverted = yes && !factoryLost;
        QCOMPARE(SimulatedCameras::File("1001"), reverted ? factory : before);
        QCOMPARE(user->Rows(CameraView), reverted ? SimulatedCameras::Decoded(factory) : SimulatedCameras::MonoList());
    }

private:
    std::unique_ptr<WorkflowWindow> user;
};

QTEST_MAIN(tst_CameraListWorkflows)
#include "tst_CameraListWorkflows.moc"
