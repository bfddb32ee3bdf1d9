#include "DebugLines.h"
#include "FileDialogAnswer.h"
#include "MessageBoxes.h"
#include "SimulatedCameras.h"
#include "WorkflowWindow.h"

#include "ZorvikSim/Simulator.h"

#include <QHeaderView>
#include <QTableView>
#include <QtTest>

#include <memory>

using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

const QString DownloadError = QStringLiteral("Download Error");
const QString Corrupt = QStringLiteral("Backup file not supported or corrupt. Please verify file and try again.");
const QString BinFilter = QStringLiteral("Defective Pixel List Files (*.bin)");
// The entry of a camera whose serial number would climb out of the chosen folder.
const QString Climbing = QStringLiteral("HN2702-M-../../x(EVIL)");

Bytes ReadFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return Bytes(bytes.cbegin(), bytes.cend());
}

bool WriteFile(const QString &fileName, const Bytes &content)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly)
        && file.write(reinterpret_cast<const char *>(content.data()), qint64(content.size())) == qint64(content.size());
}

} // namespace

// Download, backup, restore and revert of the camera's defect list, against the camera.
class tst_CameraListWorkflows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void downloadShowsAndColours();
    void downloadWithoutOpenCamera();
    void downloadFails();
    void backup_data();
    void backup();
    void restore_data();
    void restore();
    void revert_data();
    void revert();

private:
    QStringList Written() const;

    QTemporaryDir settingsDir;
    std::unique_ptr<QTemporaryDir> files;
    std::unique_ptr<WorkflowWindow> user;
};

void tst_CameraListWorkflows::initTestCase()
{
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    SimulatedCameras::Attach();
    ZorvikSim::CameraSpec climbing;
    climbing.serialNumber = "../../x";
    climbing.id = "EVIL";
    QVERIFY(ZorvikSim::Attach(climbing));
}

void tst_CameraListWorkflows::init()
{
    SimulatedCameras::Reset();
    files = std::make_unique<QTemporaryDir>();
    QVERIFY(files->isValid());
    user = std::make_unique<WorkflowWindow>();
}

void tst_CameraListWorkflows::cleanup()
{
    user.reset();
    files.reset();
}

QStringList tst_CameraListWorkflows::Written() const
{
    return QDir(files->path()).entryList(QDir::Files | QDir::Hidden);
}

void tst_CameraListWorkflows::downloadShowsAndColours()
{
    MessageBoxes boxes;
    QVERIFY(user->Connect(SimulatedCameras::Mono));
    QVERIFY(user->Rows("cameraDefectivePixelView").isEmpty());

    QVERIFY(user->Click("downloadButton"));

    QVERIFY(boxes.seen.isEmpty());
    QCOMPARE(user->Rows("cameraDefectivePixelView"), SimulatedCameras::MonoList());
    QCOMPARE(user->ColouredRows("cameraDefectivePixelView", Qt::yellow), QList<int>({4, 5, 6, 7, 8}));
    auto *view = user->Find<QTableView>("cameraDefectivePixelView");
    QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Row"));
    QCOMPARE(view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Column"));
    QCOMPARE(view->horizontalHeader()->sectionResizeMode(1), QHeaderView::Stretch);
    QCOMPARE(view->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
}

// The button is disabled then; the handler is reached directly, as other handlers reach it.
void tst_CameraListWorkflows::downloadWithoutOpenCamera()
{
    MessageBoxes boxes;
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    QVERIFY(QMetaObject::invokeMethod(user->Window(), "on_downloadButton_clicked"));
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(boxes.seen.isEmpty());
    QVERIFY(user->Rows("cameraDefectivePixelView").isEmpty());
}

void tst_CameraListWorkflows::downloadFails()
{
    MessageBoxes boxes;
    QVERIFY(user->ConnectAndDownload(SimulatedCameras::Mono));
    QVERIFY(SimulatedCameras::SetCustomFile("1001", {}));
    QVERIFY(SimulatedCameras::SetFactoryFile("1001", {}));
    DebugLines log;

    QVERIFY(user->Click("downloadButton"));

    QCOMPARE(boxes.Titles(), QStringList({DownloadError}));
    QCOMPARE(boxes.seen[0].text,
             QStringLiteral("Could not download defective pixel list from camera. Please contact support."));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    QVERIFY(boxes.seen[0].waitCursor);
    QVERIFY(log.Contains("Read defect file failed."));
    QCOMPARE(user->Rows("cameraDefectivePixelView"), SimulatedCameras::MonoList());
}

void tst_CameraListWorkflows::backup_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("cameraFilesLost");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("written");

    const QStringList backupError{"Backup Error"};
    QTest::newRow("cancelled") << SimulatedCameras::Mono << "" << false << QStringList() << "" << "";
    QTest::newRow("written under the serial number") << SimulatedCameras::Mono << "list.bin" << false
                                                     << QStringList() << "" << "1001_list.bin";
    QTest::newRow("serial number kept inside the folder") << Climbing << "list.bin" << false << QStringList() << ""
                                                          << "____x_list.bin";
    QTest::newRow("camera file unreadable") << SimulatedCameras::Mono << "list.bin" << true
                                            << QStringList({"Backup Error", DownloadError})
                                            << "Error! Could not backup list. File could not be downloaded correctly."
                                            << "";
    QTest::newRow("file not writable") << SimulatedCameras::Mono << "missing/list.bin" << false << backupError
                                       << "Error! Export binary defect file failed." << "";
}

void tst_CameraListWorkflows::backup()
{
    QFETCH(QString, entry);
    QFETCH(QString, chosen);
    QFETCH(bool, cameraFilesLost);
    QFETCH(QStringList, titles);
    QFETCH(QString, line);
    QFETCH(QString, written);
    MessageBoxes boxes;
    QVERIFY(user->Connect(entry));
    const QString id = entry == Climbing ? "EVIL" : "1001";
    if (cameraFilesLost) {
        QVERIFY(SimulatedCameras::SetCustomFile(id, {}));
        QVERIFY(SimulatedCameras::SetFactoryFile(id, {}));
    }
    FileDialogAnswer dialog(chosen.isEmpty() ? QString() : files->filePath(chosen));
    DebugLines log;

    QVERIFY(user->Click("backupButton"));

    QVERIFY(dialog.Answered());
    QCOMPARE(dialog.caption, QStringLiteral("Backup Defective Pixel List."));
    QCOMPARE(dialog.directory, QStringLiteral("/"));
    QCOMPARE(dialog.filters, QStringList({BinFilter}));
    QVERIFY(dialog.saving);
    QVERIFY(dialog.waitCursor);
    QCOMPARE(boxes.Titles(), titles);
    for (const SeenBox &box : boxes.seen)
        QVERIFY(box.waitCursor);
    if (titles.value(0) == "Backup Error") {
        QCOMPARE(boxes.seen[0].text,
                 QStringLiteral("Could not back up the defective pixel list. No backup file was written."));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    }
    if (!line.isEmpty())
        QVERIFY(log.Contains(line));
    QCOMPARE(Written(), written.isEmpty() ? QStringList() : QStringList({written}));
    if (!written.isEmpty())
        QCOMPARE(ReadFile(files->filePath(written)), SimulatedCameras::CustomFile(id));
    // A backup that asked for a file leaves the camera list downloaded.
    QCOMPARE(user->Rows("cameraDefectivePixelView").isEmpty(), chosen.isEmpty() || cameraFilesLost);
}

void tst_CameraListWorkflows::restore_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Bytes>("content");
    QTest::addColumn<bool>("readBackDiffers");
    QTest::addColumn<QString>("text");

    const Bytes otherCamera = SimulatedCameras::Encoded(2048, 2048, {{1, 1}, {2, 2}, {3, 3}});
    QTest::newRow("cancelled") << "" << Bytes() << false << "";
    QTest::newRow("empty file") << "b.bin" << Bytes() << false << Corrupt;
    QTest::newRow("not a backup") << "b.bin" << Bytes(5000, 0xA5) << false << Corrupt;
    QTest::newRow("sensor of other dimensions") << "b.bin" << SimulatedCameras::Encoded(1936, 1216, {{1, 1}})
                                                << false << Corrupt;
    QTest::newRow("writing into the camera fails") << "b.bin" << otherCamera << true
                                                   << "Could not upload defective pixel list to camera. Please try again.";
    QTest::newRow("backup of another camera, same sensor") << "b.bin" << otherCamera << false << "";
}

void tst_CameraListWorkflows::restore()
{
    QFETCH(QString, file);
    QFETCH(Bytes, content);
    QFETCH(bool, readBackDiffers);
    QFETCH(QString, text);
    if (!file.isEmpty())
        QVERIFY(WriteFile(files->filePath(file), content));
    MessageBoxes boxes;
    QVERIFY(user->ConnectAndDownload(SimulatedCameras::Mono));
    QVERIFY(user->Add({900, 900}));
    if (readBackDiffers)
        QVERIFY(SimulatedCameras::ReadBackDiffers("1001"));
    const Bytes before = SimulatedCameras::CustomFile("1001");
    FileDialogAnswer dialog(file.isEmpty() ? QString() : files->filePath(file));

    QVERIFY(user->Click("restoreButton"));

    QCOMPARE(dialog.caption, QStringLiteral("Restore Defective Pixel List."));
    QCOMPARE(dialog.directory, QStringLiteral("/"));
    QCOMPARE(dialog.filters, QStringList({BinFilter}));
    QVERIFY(!dialog.saving);
    QVERIFY(dialog.waitCursor);
    QCOMPARE(boxes.seen.size(), text.isEmpty() ? 0 : 1);
    if (!text.isEmpty()) {
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Restore Error"));
        QCOMPARE(boxes.seen[0].text, text);
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QVERIFY(boxes.seen[0].waitCursor);
    }
    const bool restored = !file.isEmpty() && text.isEmpty();
    if (!readBackDiffers)
        QCOMPARE(SimulatedCameras::CustomFile("1001"), restored ? content : before);
    QCOMPARE(user->Rows("cameraDefectivePixelView"),
             restored ? SimulatedCameras::Decoded(content) : SimulatedCameras::MonoList());
    QCOMPARE(user->Rows("userDefectivePixelView"), QList<PixelCoords>({{900, 900}}));
}

void tst_CameraListWorkflows::revert_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("factoryLost");
    QTest::addColumn<bool>("reverted");

    QTest::newRow("answered No") << false << false << false;
    QTest::newRow("reverted to the factory list") << true << false << true;
    QTest::newRow("factory file unreadable") << true << true << false;
}

void tst_CameraListWorkflows::revert()
{
    QFETCH(bool, yes);
    QFETCH(bool, factoryLost);
    QFETCH(bool, reverted);
    const Bytes factory = SimulatedCameras::FactoryFile("1001");
    MessageBoxes boxes({yes ? QMessageBox::Yes : QMessageBox::No});
    QVERIFY(user->ConnectAndDownload(SimulatedCameras::Mono));
    if (factoryLost)
        QVERIFY(SimulatedCameras::SetFactoryFile("1001", {}));
    const Bytes before = SimulatedCameras::CustomFile("1001");

    QVERIFY(user->Click("revertButton"));

    QStringList titles{"Revert Defective Pixel List?"};
    if (factoryLost)
        titles.append("Revert Error");
    QCOMPARE(boxes.Titles(), titles);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("Are you sure you want to revert back to the factory settings? \nAll user added defective pixels will be lost."));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Question);
    QCOMPARE(boxes.seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(!boxes.seen[0].waitCursor);
    if (factoryLost) {
        QCOMPARE(boxes.seen[1].text, QStringLiteral("Could not revert defective pixel list back to original factory configuration. Please contact support."));
        QVERIFY(boxes.seen[1].waitCursor);
    }
    QCOMPARE(SimulatedCameras::CustomFile("1001"), reverted ? factory : before);
    QCOMPARE(user->Rows("cameraDefectivePixelView"),
             reverted ? SimulatedCameras::Decoded(factory) : SimulatedCameras::MonoList());
}

QTEST_MAIN(tst_CameraListWorkflows)
#include "tst_CameraListWorkflows.moc"
