#include "BackupFileName.h"
#include "CameraInterface.h"
#include "CoordinatesDialog.h"
#include "DebugLines.h"
#include "FindDefectsDialog.h"
#include "HistoryDialog.h"
#include "SensorMap.h"
#include "MainWindow.h"
#include "TransferDialog.h"
#include "MessageBoxes.h"
#include "MouseEvents.h"
#include "ZorvikCPP/ZorvikSystem.h"
#include "ZorvikSim/Simulator.h"

#include <QFileDialog>
#include <QProgressBar>
#include <QScreen>
#include <QStandardPaths>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>

using Coordinates = QList<PixelCoords>;
Q_DECLARE_METATYPE(Coordinates)

namespace {

// The in-memory cameras, as the window lists them.
const QString Mono = QStringLiteral("HN2702-M-1001"); // 2048 x 2048
const ZorvikSim::CameraSetup Attached[] = {
    {"HN2702-M", "1001", "", 2048, 2048, "Mono", true, 65536},  {"HN2703-C", "1002", "CAM-7", 1936, 1216, "Bayer", true, 65536},
    {"VX1100-M", "3001", "", 1280, 1024, "Mono", true, 65536},  {"HN2701-M", "4001", "", 1600, 1200, "Mono", false, 65536},
    {"(a)-(b)-HN2702-M", "6001", "", 2048, 2048, "Mono", true, 65536}};

// The monochrome camera's list at the start of every test: a run of four in row 10
// (columns 100 to 103), a run of five in row 20 (columns 10 to 14) and three loose defects.
const Coordinates MonoList = {{10, 100}, {10, 101}, {10, 102}, {10, 103}, {20, 10},     {20, 11},
                              {20, 12},  {20, 13},  {20, 14},  {300, 7},  {1500, 2000}, {2047, 1000}};
// Row 30 of a camera: eight defects around a gap at column 52, 53 to 58 a run of six.
// The user's (30,52) closes the gap and leaves the camera's (30,54) without a usable neighbour.
const Coordinates GapRow = {{30, 50}, {30, 51}, {30, 53}, {30, 54}, {30, 55}, {30, 56}, {30, 57}, {30, 58}};
const QStringList GapOpen = {"30,50", "30,51", "30,53 yellow", "30,54 yellow", "30,55 yellow", "30,56 yellow", "30,57 yellow", "30,58 yellow"};
const QStringList GapClosed = {"30,50", "30,51", "30,53 yellow", "30,54 red", "30,55 yellow", "30,56 yellow", "30,57 yellow", "30,58 yellow"};

// The monochrome camera's defect files (custom or factory) as stored, read and written with
// the stand-in's own code.
QByteArray File(uint32_t fileId = ZorvikSim::CustomDefectFileId)
{
    std::vector<uint8_t> content;
    ZorvikSim::GetFile("1001", fileId, content);
    return QByteArray(reinterpret_cast<const char *>(content.data()), int(content.size()));
}

bool SetFile(const QByteArray &content, uint32_t fileId = ZorvikSim::CustomDefectFileId)
{
    return ZorvikSim::SetFile("1001", fileId, std::vector<uint8_t>(content.cbegin(), content.cend()));
}

Coordinates Decoded(const QByteArray &content)
{
    std::vector<std::pair<uint16_t, uint16_t>> rowColumns;
    ZorvikSim::DecodeDefectFile(std::vector<uint8_t>(content.cbegin(), content.cend()), rowColumns);
    Coordinates list;
    for (const auto &[row, column] : rowColumns)
        list.append({row, column});
    return list;
}

// "row,column" of each, separated by spaces.
QString Text(const Coordinates &list)
{
    QStringList items;
    for (const PixelCoords &coords : list)
        items << QString("%1,%2").arg(coords.row).arg(coords.column);
    return items.join(' ');
}

QByteArray Encoded(const Coordinates &list, int width = 2048, int height = 2048)
{
    std::vector<std::pair<uint16_t, uint16_t>> rowColumns;
    for (const PixelCoords &coordinates : list)
        rowColumns.emplace_back(coordinates.row, coordinates.column);
    const std::vector<uint8_t> content = ZorvikSim::EncodeDefectFile(width, height, "Mono", rowColumns);
    return QByteArray(reinterpret_cast<const char *>(content.data()), int(content.size()));
}

// From the next SDK call on, every call on the monochrome camera fails, or what is written
// reads back different.
bool Fail(ZorvikSim::FaultKind kind)
{
    ZorvikSim::Fault fault;
    fault.kind = kind;
    return ZorvikSim::SetFault("1001", fault);
}

// A file dialog as one line: open or save, its caption, start folder and filter.
QString FileDialog(const QString &mode, const QString &title, const QString &filter, const QString &folder = "/")
{
    return QStringLiteral("%1 \"%2\" in %3 for %4").arg(mode, title, folder, filter);
}

const QString NoCamera = QStringLiteral("No Camera Connected...");
const QStringList Disconnected = {"aboutButton", "connectButton", "exitButton", "helpButton", "refreshButton"};
const QStringList Connected = {"aboutButton", "addButton", "backupButton", "clearButton", "disconnectButton",
                               "downloadButton", "exitButton", "helpButton", "historyButton", "loadButton", "mapButton", "refreshButton",
                               "removeButton", "restoreButton", "revertButton", "saveButton", "uploadButton"};
const QString DownloadFailed = Waiting(Box(QMessageBox::Critical, "Download Error", "Could not download defective pixel list from camera. Please contact support."));
const QString ListEmptyText = QStringLiteral("User defective pixel list empty. Please verify contents and try again.");
const QString ListEmpty = Box(QMessageBox::Warning, "Validation Error", ListEmptyText);
const QString Overwrite = Box(QMessageBox::Question, "Overwrite User Defective Pixel List?",
                              "Warning! User defect list not empty. Are you sure you want to overwrite list?");
const QString NotCopied = Waiting(Box(QMessageBox::Critical, "Backup Error", "Could not keep a copy of the camera's defective pixel list. Nothing was written to the camera."));
const QString PutBack = Waiting(Box(QMessageBox::Information, "Previous List Restored", "The camera's previous defective pixel list was put back."));
QString CopiesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Corvane/Talvern/backups/1001";
}

// The copy taken before the monochrome camera's last write of this kind.
QString CopyBefore(const QString &operation)
{
    const QDir folder(CopiesFolder());
    const QStringList copies = folder.entryList({"*-" + operation + ".bin"}, QDir::Files, QDir::Name);
    return copies.isEmpty() ? QString() : folder.absoluteFilePath(copies.last());
}
const QString NotBackedUp = Waiting(Box(QMessageBox::Critical, "Backup Error", "Could not back up the defective pixel list. No backup file was written."));
const QString Backup = Waiting(FileDialog("save", "Backup Defective Pixel List.", "Defective Pixel List Files (*.bin)"));
const QString Restore = Waiting(FileDialog("open", "Restore Defective Pixel List.", "Defective Pixel List Files (*.bin)"));
const QString Load = FileDialog("open", "Open Custom Defective Pixel List", "DP List Files (*.csv)");
const QString Findings = Waiting(Box(QMessageBox::Warning, "Proceed With Upload?",
                                     "Warning! The following issue(s) have been detected in the user DP list:\n\n- Defective pixels outside of sensor range\n- More than four consecutive defective pixels\n\nWould you like to proceed with the upload process?"));
const char *const UserView = "userDefectivePixelView";
const char *const CameraView = "cameraDefectivePixelView";

// What differs from the start of a test: every SDK call fails, the factory file cannot be read,
// the first user row is current, or, with that, the camera list is gone and cannot be had again,
// or the camera's list is empty and the user's holds only (2048,5).
enum Trouble { None, CallsFail, FactoryLost, FirstRowCurrent, NoCameraList, CameraEmptyUserOutside };

// Waits on the transfer's thread, at most ten seconds, until `done` holds.
bool Awaited(const std::function<bool()> &done)
{
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QThread::msleep(1);
    return done();
}

// The window's transfers as the user sees them: each value of the progress dialog with the text
// beside it, whether the dialog kept the user from everything else and stayed when Escape was
// pressed on it, and whether the window paints while a transfer runs.
class TransferWatch : public QObject
{
public:
    explicit TransferWatch(QWidget *window) : window(window) { qApp->installEventFilter(this); }
    ~TransferWatch() override { qApp->removeEventFilter(this); }

    // On the transfer's thread: the window asked to paint, and painted.
    bool Repainted()
    {
        painted = false;
        QMetaObject::invokeMethod(window, [this] {
            stayed = stayed && shown && shown->isVisible();
            window->update();
        }, Qt::QueuedConnection);
        return Awaited([this] { return bool(painted); });
    }

    QStringList steps;
    bool modal = true;
    bool stayed = true;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched == window)
            painted = true;
        auto *dialog = qobject_cast<TransferDialog *>(watched);
        if (event->type() == QEvent::Show && dialog) {
            modal = modal && dialog->windowModality() == Qt::ApplicationModal;
            shown = dialog;
            QMetaObject::invokeMethod(dialog, [dialog] { QTest::keyClick(dialog, Qt::Key_Escape); }, Qt::QueuedConnection);
            const QLabel *label = dialog->findChild<QLabel *>("stepLabel");
            const QProgressBar *bar = dialog->findChild<QProgressBar *>("progressBar");
            connect(bar, &QProgressBar::valueChanged, this, [this, label, bar](int value) {
                steps << QString("%1 %2/%3").arg(label->text()).arg(value).arg(bar->maximum());
            });
        }
        return false;
    }

private:
    QWidget *window;
    QPointer<TransferDialog> shown;
    std::atomic_bool painted{false};
};

// Hears of cameras coming and going after the window does, so once it has heard, the window's
// own notice is on its way.
class Heard : public CVN::ZvkAPI::ICameraListObserver
{
public:
    void CameraListChanged(CVN::ZvkAPI::CameraPtr, int) override { heard = true; }
    std::atomic_bool heard{false};
};

} // namespace

// What the user is told, in order: each message box and file dialog, and each line of the log
// that says something went wrong. Every box is answered with `answer` where it has that
// button, the file dialog with `file` (cancelled when empty).
struct Told
{
    explicit Told(QMessageBox::StandardButton answer = QMessageBox::Yes, const QString &file = QString())
        : boxes({answer, answer, answer}), dialog([this, file](QFileDialog *shown) {
              const QCursor *cursor = QGuiApplication::overrideCursor();
              const QString line = FileDialog(shown->acceptMode() == QFileDialog::AcceptSave ? "save" : "open", shown->windowTitle(),
                                              shown->nameFilters().join(";;"), shown->directory().absolutePath());
              boxes.lines.append(cursor && cursor->shape() == Qt::WaitCursor ? Waiting(line) : line);
              if (file.isEmpty())
                  return shown->reject();
              shown->selectFile(file);
              QMetaObject::invokeMethod(shown, "accept");
          })
    {
    }
    MessageBoxes boxes;
    WhenShown<QFileDialog> dialog;
    DebugLines errors{[this](const QString &line) {
        if (line.startsWith(QLatin1String("Error!")))
            boxes.lines.append(line);
    }};
};

// The real main window on simulated cameras: each workflow behind its buttons once end to end,
// each way it can fail once, and what the camera holds afterwards. An action is a button's
// name and what the user then answers: Yes or No to the questions, the file picked in the
// dialog, or the coordinates typed; nothing more cancels the dialog.
class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    // In-memory cameras with short erase and store times, settings in a temporary folder.
    void initTestCase()
    {
        static QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        ZorvikSim::UseMemory();
        ZorvikSim::SetDurations(0, 0);
        CameraInterface::SetPollPause(0);
        for (const ZorvikSim::CameraSetup &camera : Attached)
            QVERIFY(ZorvikSim::Attach(camera));
        factory = File(ZorvikSim::FactoryDefectFileId);
    }
    // The monochrome camera as attached, without faults, holding MonoList; the real
    // main window shown on them, and a folder of the user's files: a list file, backups of
    // another camera of the same sensor and of another sensor, files that are no lists.
    void init()
    {
        window.reset(); // the last test's, before the camera is reset under it
        ZorvikSim::ClearCalls("1001");
        QVERIFY(QDir(CopiesFolder()).removeRecursively());
        QVERIFY(ZorvikSim::ResetToFactory("1001") && SetFile(factory, ZorvikSim::FactoryDefectFileId)
                && SetFile(Encoded(MonoList)));
        folder = std::make_unique<QTemporaryDir>();
        const std::pair<QString, QByteArray> userFiles[] = {
            {"list.csv", "Row,Column\n5, 5\n2048, 1\n"}, {"header.csv", "Row,Column\n"}, {"bad.csv", "5;5\n"},
            {"backup.bin", Encoded({{1, 1}, {2, 2}, {3, 3}})}, {"other-sensor.bin", Encoded({{1, 1}}, 1936, 1216)}};
        for (const auto &[name, content] : userFiles) {
            QFile file(UserFile(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        }
        window = std::make_unique<MainWindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    // The cameras as attached, listed again on Refresh.
    void cameraList()
    {
        const QStringList attached = {Mono, "HN2703-C-1002(CAM-7)", "VX1100-M-3001", "HN2701-M-4001",
                                      "(a)-(b)-HN2702-M-6001"};
        QCOMPARE(Listed(), attached);
        auto *list = Find<QListWidget>("cameraList");
        list->addItem("stale entry");
        QVERIFY(Click("refreshButton"));
        QCOMPARE(Listed(), attached);

        // Reasons other than a camera coming or going leave the list alone.
        list->addItem("stale entry");
        QVERIFY(QMetaObject::invokeMethod(window.get(), "OnCameraListChanged", Q_ARG(int, 2)));
        QVERIFY(QMetaObject::invokeMethod(window.get(), "OnCameraListChanged", Q_ARG(int, -1)));
        QCOMPARE(Listed(), attached + QStringList{"stale entry"});

    // A camera plugged in and the connected one unplugged while the window runs: as pressing
    // Disconnect, that drops the camera's list, keeps the user's and closes the map.
        QTest::ignoreMessage(QtDebugMsg, "Camera list changed. A new camera was discovered by Zorvik.");
        QTest::ignoreMessage(QtDebugMsg, "Camera list changed. A camera was disconnected from the system.");
        MessageBoxes boxes; // the log stays with the test, for the lines above
        QVERIFY(ZorvikSim::Attach({"HN2702-M", "8001", "", 2048, 2048, "Mono", true, 65536}));
        QTRY_VERIFY(Listed().contains("HN2702-M-8001"));
        QVERIFY(ConnectAndDownload("HN2702-M-8001") && Add("5,5") && Click("mapButton"));
        QVERIFY(window->findChild<SensorMap *>()->isVisible());

        QVERIFY(ZorvikSim::Detach("8001"));
        QTRY_VERIFY(!Listed().contains("HN2702-M-8001"));
        QTRY_VERIFY(!window->findChild<SensorMap *>());
        QCOMPARE(Find<QLabel>("cameraLabel")->text(), NoCamera);
        QVERIFY(Rows(CameraView).isEmpty());
        QCOMPARE(Table(UserView), QStringList({"5,5"}));
        QCOMPARE(EnabledButtons(), Disconnected);
        QCOMPARE(boxes.lines, QStringList());

        QVERIFY(ConnectAndDownload() && Click("disconnectButton"));
        QCOMPARE(EnabledButtons(), Disconnected);
        const std::vector<ZorvikSim::Call> calls = ZorvikSim::Calls("1001");
        QVERIFY(std::any_of(calls.cbegin(), calls.cend(), [](const ZorvikSim::Call &call) { return call.operation == "Close"; }));
    }

    void connecting_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("trouble");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("buttons");

        const QStringList model{Box(QMessageBox::Critical, "Connection Error", "Talvern does not support this camera model.")};
        QTest::newRow("no camera selected") << QString() << int(None) << QStringList() << NoCamera << Disconnected;
        QTest::newRow("unsupported model") << "VX1100-M-3001" << int(None) << model << NoCamera << Disconnected;
        const QStringList cannotOpen{Box(QMessageBox::Critical, "Connection Error", "Could not connect to the selected camera.")};
        QTest::newRow("camera that cannot be opened") << Mono << int(CallsFail) << cannotOpen << NoCamera << Disconnected;
        QTest::newRow("no flash file system") << "HN2701-M-4001" << int(None) << model << NoCamera << Disconnected;
        QTest::newRow("monochrome") << Mono << int(None) << QStringList() << Mono << Connected;
        QTest::newRow("ID in parentheses kept") << "HN2703-C-1002(CAM-7)" << int(None) << QStringList()
                                                << "HN2703-C-1002(CAM-7)" << Connected;
        QTest::newRow("groups before a hyphen dropped") << "(a)-(b)-HN2702-M-6001" << int(None) << QStringList()
                                                        << "HN2702-M-6001" << Connected;
    }

    void connecting()
    {
        QFETCH(QString, entry);
        QFETCH(int, trouble);
        QFETCH(QStringList, told);
        QFETCH(QString, label);
        QFETCH(QStringList, buttons);
        QVERIFY(Cause(Trouble(trouble)));
        Told seen;

        QVERIFY(Connect(entry));

        QCOMPARE(seen.boxes.lines, told);
        QCOMPARE(Find<QLabel>("cameraLabel")->text(), label);
        QCOMPARE(EnabledButtons(), buttons);
        QVERIFY(Rows(CameraView).isEmpty());
    }

    // The monochrome camera downloaded, and the user's list (2048,5), outside the sensor, and (6,6).
    void workflows_data()
    {
        QTest::addColumn<int>("trouble");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<Coordinates>("holds");
        QTest::addColumn<QStringList>("userTable");

        const QStringList two{"2048,5 red", "6,6"};
        const QString corrupt = Waiting(Box(QMessageBox::Critical, "Restore Error", "Backup file not supported or corrupt. Please verify file and try again."));
        const QString notRestored = Waiting(Box(QMessageBox::Critical, "Restore Error", "Could not upload defective pixel list to camera. Please try again."));
        const QString revert = Box(QMessageBox::Question, "Revert Defective Pixel List?",
                                   "Are you sure you want to revert back to the factory settings? \nAll user added defective pixels will be lost.");
        const QString notReverted = Waiting(Box(QMessageBox::Critical, "Revert Error",
                                                "Could not revert defective pixel list back to original factory configuration. Please contact support."));
        const QString duplicate = Box(QMessageBox::Warning, "Duplicate Coordinates Added",
                                      "Coordinates already exist in the user defective pixel list.\nPlease verify input and try again.");
        const QString format = Box(QMessageBox::Critical, "Incorrect file format", "Please refer to the help page for the correct defective pixel list file format.");
        const QString notUploaded = Waiting(Box(QMessageBox::Warning, "Upload Error", ListEmptyText));
        const QString mismatch = QStringLiteral("Error! Incorrect file structure or camera mismatch.");
        QTest::newRow("download fails") << int(CallsFail) << "download" << QStringList{DownloadFailed} << MonoList << two;
        QTest::newRow("restore cancelled") << int(None) << "restore" << QStringList{Restore} << MonoList << two;
        QTest::newRow("restore a backup of another sensor") << int(None) << "restore other-sensor.bin"
                                                            << QStringList{Restore, "Error! Sensor dimensions mismatch.", mismatch, corrupt} << MonoList << two;
        QTest::newRow("restore, camera file not copied") << int(CallsFail) << "restore backup.bin" << QStringList{Restore, NotCopied} << MonoList << two;
        QTest::newRow("restore a backup of another camera") << int(None) << "restore backup.bin" << QStringList{Restore}
                                                            << Coordinates{{1, 1}, {2, 2}, {3, 3}} << two;
        QTest::newRow("revert answered No") << int(None) << "revert No" << QStringList{revert} << MonoList << two;
        QTest::newRow("revert") << int(None) << "revert Yes" << QStringList{revert} << Decoded(factory) << two;
        QTest::newRow("revert, factory file unreadable")
            << int(FactoryLost) << "revert Yes" << QStringList{revert, "Error! Could not download factory defect list.", notReverted, PutBack} << MonoList << two;
        QTest::newRow("upload, findings accepted, outside dropped") << int(None) << "upload Yes" << QStringList{Findings}
                                                                    << MonoList + Coordinates{{6, 6}} << two;
        QTest::newRow("upload with nothing left to write")
            << int(CameraEmptyUserOutside) << "upload Yes"
            << QStringList{Waiting(Box(QMessageBox::Warning, "Proceed With Upload?",
                                       "Warning! The following issue(s) have been detected in the user DP list:\n\n"
                                       "- Defective pixels outside of sensor range\n\n"
                                       "Would you like to proceed with the upload process?")),
                           "Error! Prepare binary defect file failed."}
            << Coordinates() << QStringList{"2048,5 red"};
        QTest::newRow("upload, findings declined") << int(None) << "upload No"
                                                   << QStringList{Findings, "Error! Prepare binary defect file failed."} << MonoList << two;
        QTest::newRow("add below the current row") << int(FirstRowCurrent) << "add 9,9" << QStringList() << MonoList
                                                   << QStringList{"2048,5 red", "9,9", "6,6"};
        QTest::newRow("add one the camera has, without a current row")
            << int(None) << "add 2047,1000" << QStringList() << MonoList << two + QStringList{"2047,1000"};
        QTest::newRow("add a fifth in a row") << int(None) << "add 10,104" << QStringList() << MonoList << two + QStringList{"10,104 yellow"};
        QTest::newRow("add a duplicate") << int(FirstRowCurrent) << "add 6,6" << QStringList{duplicate} << MonoList << two;
        QTest::newRow("add cancelled") << int(None) << "add" << QStringList() << MonoList << two;
        QTest::newRow("remove the current row") << int(FirstRowCurrent) << "remove" << QStringList() << MonoList << QStringList{"6,6"};
        QTest::newRow("remove without a current row") << int(None) << "remove" << QStringList() << MonoList << two;
        QTest::newRow("load over the list") << int(None) << "load list.csv" << QStringList{Overwrite, Load} << MonoList
                                            << QStringList{"5,5", "2048,1 red"};
        QTest::newRow("load, overwrite answered No") << int(None) << "load No" << QStringList{Overwrite} << MonoList << two;
        QTest::newRow("load cancelled") << int(None) << "load" << QStringList{Overwrite, Load} << MonoList << two;
        QTest::newRow("load a file that is no list") << int(None) << "load bad.csv"
                                                     << QStringList{Overwrite, Load, "Error! File could not be loaded.", format} << MonoList << two;
        QTest::newRow("load a list of none") << int(None) << "load header.csv" << QStringList{Overwrite, Load, ListEmpty}
                                             << MonoList << QStringList();
        // Without the camera list the window downloads it first, and says when it cannot.
        QTest::newRow("add without the camera list") << int(NoCameraList) << "add 5,5" << QStringList{DownloadFailed, ListEmpty}
                                                     << Coordinates() << QStringList{"2048,5 red", "5,5", "6,6"};
        QTest::newRow("upload without the camera list") << int(NoCameraList) << "upload" << QStringList{DownloadFailed, notUploaded}
                                                        << Coordinates() << two;
        QTest::newRow("backup, camera file unreadable")
            << int(NoCameraList) << "backup list.bin"
            << QStringList{Backup, "Error! Could not backup list. File could not be downloaded correctly.", NotBackedUp, DownloadFailed}
            << Coordinates() << two;
    }

    void workflows()
    {
        QFETCH(int, trouble);
        QFETCH(QString, action);
        QFETCH(QStringList, told);
        QFETCH(Coordinates, holds);
        QFETCH(QStringList, userTable);
        QVERIFY(ConnectAndDownload() && Added({"2048,5", "6,6"}) && Cause(Trouble(trouble)));

        QCOMPARE(Act(action), told);

        QCOMPARE(Decoded(File()), holds);
        QCOMPARE(Rows(CameraView), holds);
        QCOMPARE(Table(UserView), userTable);
    }

    // What reads back from the camera differs from whatever is written, the previous list too:
    // the progress says when it is put back, the user is told where its copy is, and the copy is
    // what the camera held.
    void uploadNotVerified()
    {
        QVERIFY(ConnectAndDownload() && Added({"2048,5", "6,6"}) && Fail(ZorvikSim::FaultKind::ReadBackDiffers));
        const QByteArray held = File();
        TransferWatch watch(window.get());

        const QStringList told = Act("upload Yes");
        const QString copy = CopyBefore("upload");
        QCOMPARE(told, QStringList({Findings, Waiting(Box(QMessageBox::Critical, "Upload Error",
                                                          "Could not upload user defective pixel list to camera. Please try again.")),
                                    Waiting(Box(QMessageBox::Critical, "Previous List Not Restored",
                                                "The camera's previous defective pixel list could not be put back. A copy is kept in "
                                                    + copy + "."))}));
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == held);
        QCOMPARE(Rows(CameraView), MonoList);
        QCOMPARE(watch.steps.filter("Putting the previous list back: Writing packet 1 of").size(), 1);
    }

    // An upload runs beside the window: its dialog keeps the user from everything else, goes
    // through every packet, and the window paints while the packets are written.
    void transferProgress()
    {
        QVERIFY(ConnectAndDownload() && Added({"2048,5", "6,6"}));
        TransferWatch watch(window.get());
        bool repainted = false;
        DebugLines lines{[&](const QString &line) {
            if (line.startsWith(QLatin1String("Write packet 0\t")))
                repainted = watch.Repainted();
        }};
        MessageBoxes boxes;

        QVERIFY(Click("uploadButton"));

        QCOMPARE(boxes.lines, QStringList{Findings}); // asked while the transfer waits
        const int packets = (File().size() + 499) / 500;
        QStringList writing;
        for (int packet = 1; packet <= packets; ++packet)
            writing << QString("Writing packet %1 of %2 into the camera %1/%2").arg(packet).arg(packets);
        QCOMPARE(watch.steps.filter(QRegularExpression("^Writing")), writing);
        QVERIFY(watch.steps.contains(QString("Verifying packet %1 of %1 %1/%1").arg(packets)));
        QVERIFY(watch.steps.contains(QString("Reading packet %1 of %1 from the camera %1/%1").arg(packets)));
        QVERIFY(repainted && watch.modal && watch.stayed);
        QCOMPARE(Decoded(File()).size(), MonoList.size() + 1);
    }

    // The camera unplugged while the packets are written: the upload ends through its failure
    // path, with the camera gone its previous list cannot go back but its copy is kept, and the
    // window disconnects once the transfer has ended, before it tells so.
    void unplugMidTransfer()
    {
        QVERIFY(ConnectAndDownload() && Added({"2048,5", "6,6"}));
        const QByteArray held = File();
        const auto heard = std::make_shared<Heard>();
        QCOMPARE(CVN::ZvkAPI::ZorvikSystem::GetInstance().RegisterCameraListObserver(heard), CVN::ZvkAPI::ZvkErrorSuccess);
        MessageBoxes boxes({QMessageBox::Yes});
        QString whenDisconnected;
        DebugLines lines{[&](const QString &line) {
            // Once the window has the notice queued, it handles it before the transfer goes on.
            if (line.startsWith(QLatin1String("Write packet 0\t")) && !heard->heard && ZorvikSim::Detach("1001")
                && Awaited([&heard] { return bool(heard->heard); }))
                QMetaObject::invokeMethod(window.get(), [] {}, Qt::BlockingQueuedConnection);
            if (line == QLatin1String("Camera list changed. A camera was disconnected from the system."))
                whenDisconnected = QString("%1 boxes, transfer dialog %2")
                                       .arg(boxes.lines.size())
                                       .arg(window->findChild<TransferDialog *>()->isVisible() ? "shown" : "gone");
        }};

        QVERIFY(Click("uploadButton"));

        QVERIFY(heard->heard);
        const std::vector<ZorvikSim::Call> calls = ZorvikSim::Calls("1001");
        // The transfer's calls fail on the camera gone, and only then is it closed.
        QCOMPARE(calls.back().operation, std::string("Close"));
        QVERIFY(calls.at(calls.size() - 2).result != 0);
        QCOMPARE(CVN::ZvkAPI::ZorvikSystem::GetInstance().UnregisterCameraListObserver(heard), CVN::ZvkAPI::ZvkErrorSuccess);
        const QString copy = CopyBefore("upload");
        QCOMPARE(boxes.lines, QStringList({Findings, Waiting(Box(QMessageBox::Critical, "Upload Error",
                                                       "Could not upload user defective pixel list to camera. Please try again.")),
                                           Waiting(Box(QMessageBox::Critical, "Previous List Not Restored",
                                                       "The camera's previous defective pixel list could not be put back. A copy is kept in "
                                                           + copy + "."))}));
        QCOMPARE(whenDisconnected, "1 boxes, transfer dialog gone");
        QCOMPARE(Find<QLabel>("cameraLabel")->text(), NoCamera);
        QCOMPARE(EnabledButtons(), Disconnected);
        QVERIFY(!Listed().contains(Mono));

        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == held);
        QVERIFY(ZorvikSim::Attach(Attached[0])); // for the tests after this one
        QTRY_VERIFY(Listed().contains(Mono));
    }

    // Newest first and the factory list last; the chosen copy's difference to the camera list, and
    // Restore writes it as a restore does. A copy altered on disk cannot be restored.
    void history()
    {
        const Coordinates restored{{1, 1}, {2, 2}, {3, 3}};
        const QString factoryRow = QString("factory list %1").arg(Decoded(factory).size());
        QVERIFY(ConnectAndDownload());
        QCOMPARE(Act("restore backup.bin"), QStringList{Restore});

        QCOMPARE(History(0, "restoreButton"), QStringList({QString("before restore %1").arg(MonoList.size()), factoryRow, "adds " + Text(MonoList),
                                                           "removes 1,1 2,2 3,3", "restore enabled"}));
        QCOMPARE(Decoded(File()), MonoList);
        QCOMPARE(Rows(CameraView), MonoList);

        QCOMPARE(History(2, "closeButton"), QStringList({"before restore 3", QString("before restore %1").arg(MonoList.size()), factoryRow,
                                                         "adds " + Text(Decoded(factory)),
                                                         "removes " + Text(MonoList), "restore enabled"}));
        QCOMPARE(Decoded(File()), MonoList);
        QCOMPARE(History(2, "restoreButton").last(), "restore enabled");
        QCOMPARE(Decoded(File()), Decoded(factory));

        QFile copy(CopyBefore("restore"));
        QVERIFY(copy.open(QIODevice::Append) && copy.write("altered") == 7);
        copy.close();
        QCOMPARE(History(0, "closeButton").last(), "restore disabled");
    }

    // The map follows the lists: a double-click on a pixel adds it as Add does, its colour after
    // the check included, a click on it shows its row in the user table, and Delete removes it
    // as Remove does.
    void sensorMap()
    {
        QVERIFY(ConnectAndDownload() && Click("mapButton"));
        auto *map = window->findChild<SensorMap *>();
        QCOMPARE(map->windowTitle(), "Sensor Map - " + Mono);
        auto *canvas = map->findChild<QWidget *>("sensorCanvas");
        const PixelCoords fifth{10, 104};
        while (map->Scale() < 32)
            map->ZoomAt(map->ScreenPointOf(fifth).toPoint(), 2);
        Told told;

        QTest::mouseDClick(canvas, Qt::LeftButton, {}, map->ScreenPointOf(fifth).toPoint());
        QTRY_COMPARE(Table(UserView), QStringList{"10,104 yellow"});
        const QImage shown = canvas->grab().toImage();
        const QPoint centre = map->ScreenPointOf(fifth).toPoint();
        const int reach = int(map->Scale() / 2) + 3;
        int yellow = 0;
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx)
            {
                const QColor colour = shown.pixelColor(centre + QPoint(dx, dy));
                yellow += colour.red() > 200 && colour.green() > 200 && colour.blue() < 100;
            }
        QTest::mouseClick(canvas, Qt::LeftButton, {}, map->ScreenPointOf(fifth).toPoint());

        QCOMPARE(Find<QTabWidget>("tabWidget")->currentIndex(), 2);
        QCOMPARE(Find<QTableView>(UserView)->selectionModel()->selectedRows().value(0).row(), 0);
        QVERIFY(yellow > 8);

        QTest::keyClick(canvas, Qt::Key_Delete);
        QVERIFY(Rows(UserView).isEmpty());
        QCOMPARE(told.boxes.lines, QStringList());
    }

    // Find Defects... on the map: the frames of the camera, which holds its factory list, searched;
    // Add to User List puts the new candidates into the user list, checked as a load is.
    void findDefects()
    {
        QTemporaryDir frames;
        std::string error;
        QVERIFY2(ZorvikSim::WriteFrames("1001", {2, 2, frames.path().toStdString()}, error), error.c_str());
        QVERIFY(SetFile(factory) && ConnectAndDownload() && Click("mapButton"));
        auto *map = window->findChild<SensorMap *>();
        map->findChild<QPushButton *>("findDefectsButton")->click();
        auto *dialog = map->findChild<FindDefectsDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        const QDir folder(frames.path());
        QStringList darks, flats;
        for (const QString &name : folder.entryList({"*.pgm"}, QDir::Files, QDir::Name))
            (name.startsWith("dark") ? darks : flats) << folder.filePath(name);
        dialog->SetFrames(darks, flats);
        Told told;

        dialog->findChild<QPushButton *>("findButton")->click();
        // A 2048 x 2048 search takes a second here, many under the sanitizers.
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->IsRunning() && dialog->findChild<QTableWidget *>("candidateTable")->rowCount() > 0, 60000);
        int fresh = 0;
        auto *table = dialog->findChild<QTableWidget *>("candidateTable");
        for (int row = 0; row < table->rowCount(); ++row)
            fresh += table->item(row, 5)->text() == "new";
        QVERIFY(fresh > 0 && fresh < table->rowCount()); // the factory defects are in the camera list
        dialog->findChild<QPushButton *>("addButton")->click();

        QCOMPARE(Rows(UserView).size(), fresh);
        QVERIFY(!dialog->findChild<QPushButton *>("addButton")->isEnabled());
    }

    // A write that did not finish is offered back on every connect until the user takes it.
    void unfinishedWrite()
    {
        QVERIFY(ConnectAndDownload() && Added({"6,6"}) && Fail(ZorvikSim::FaultKind::ReadBackDiffers));
        const QByteArray held = File();
        QVERIFY(Act("upload Yes").last().contains("Previous List Not Restored"));
        QVERIFY(ZorvikSim::ClearFaults("1001") && Click("disconnectButton"));
        const QString offer = Box(QMessageBox::Question, "Unfinished Write",
                                  "A write into this camera did not finish. Put back the defective pixel list it held before?");
        for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            Told told(answer);
            QVERIFY(Connect(Mono) && Click("disconnectButton"));
            QCOMPARE(told.boxes.lines, answer == QMessageBox::No ? QStringList{offer}
                                                                        : QStringList({offer, Box(QMessageBox::Information, "Previous List Restored", "The camera's previous defective pixel list was put back.")}));
            QCOMPARE(File() == held, answer == QMessageBox::Yes);
        }
        Told none;
        QVERIFY(Connect(Mono));
        QCOMPARE(none.boxes.lines, QStringList());
    }

    // The monochrome camera downloaded, and the user's list (3,7) and (2048,1).
    void files_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QByteArray>("content");

        const QString save = FileDialog("save", "Save As...", "DP List Files (*.csv)");
        const QString notSaved = Box(QMessageBox::Critical, "Save Error", "Could not save user defective pixel list file.");
        QTest::newRow("backup cancelled") << "backup" << QStringList{Backup} << QStringList() << QByteArray();
        QTest::newRow("backup under the serial number") << "backup list.bin" << QStringList{Backup} << QStringList{"1001_list.bin"} << Encoded(MonoList);
        QTest::newRow("backup into a missing folder") << "backup missing/list.bin"
                                                      << QStringList{Backup, "Error! Export binary defect file failed.", NotBackedUp} << QStringList() << QByteArray();
        QTest::newRow("save cancelled") << "save" << QStringList{save} << QStringList() << QByteArray();
        QTest::newRow("save") << "save saved.csv" << QStringList{save} << QStringList{"saved.csv"} << QByteArray("Row,Column\n3, 7\n2048, 1\n");
        QTest::newRow("save into a missing folder") << "save missing/saved.csv" << QStringList{save, notSaved} << QStringList() << QByteArray();
    }

    void files()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, told);
        QFETCH(QStringList, written);
        QFETCH(QByteArray, content);
        QVERIFY(ConnectAndDownload() && Added({"3,7", "2048,1"}));

        QCOMPARE(Act(action), told);

        QCOMPARE(QDir(UserFile("")).entryList({"1001_*", "saved*"}, QDir::Files | QDir::Hidden), written);
        QFile file(UserFile(written.value(0)));
        QCOMPARE(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), content);
    }

    // The camera's row 30 with its gap closed by the user: edits that open the gap again give
    // the camera table back its own colours.
    void gapClosedAndOpened()
    {
        const QString clear = Box(QMessageBox::Question, "Clear User Defective Pixel List?",
                                  "Are you sure you want to clear the user defective pixel list?");
        QVERIFY(SetFile(Encoded(GapRow)) && ConnectAndDownload() && Added({"30,52"}, {"Verify Last Input"})
                && Table(CameraView) == GapClosed);
        QCOMPARE(Act("clear No"), QStringList({clear}));
        QCOMPARE(Table(CameraView), GapClosed);
        SetCurrentUserRow(0);
        QCOMPARE(Act("remove"), QStringList()); // the last row
        QCOMPARE(Table(CameraView), GapOpen);

        QCOMPARE(Act("load list.csv"), QStringList({Load})); // into the empty list without asking
        QVERIFY(Added({"30,52"}, {"Verify Last Input"}) && Table(CameraView) == GapClosed);
        SetCurrentUserRow(2);
        QCOMPARE(Act("remove"), QStringList()); // the others checked again
        QCOMPARE(Table(UserView), QStringList({"5,5", "2048,1 red"}));
        QCOMPARE(Table(CameraView), GapOpen);

        QVERIFY(Added({"30,52"}, {"Verify Last Input"}) && Table(CameraView) == GapClosed);
        QCOMPARE(Act("clear Yes"), QStringList({clear}));
        QVERIFY(Rows(UserView).isEmpty());
        QCOMPARE(Table(CameraView), GapOpen);
    }

    // The right button does not drag the window; the left one does, and its press also drops
    // the user table's selection and focus.
    void drag()
    {
        auto *view = Find<QTableView>(UserView);
        qobject_cast<QStandardItemModel *>(view->model())->appendRow({new QStandardItem("3"), new QStandardItem("7")});
        Find<QTabWidget>("tabWidget")->setCurrentIndex(2);
        QApplication::setActiveWindow(window.get());
        view->setFocus();
        view->selectRow(0);
        QTRY_VERIFY(view->hasFocus());
        const QPoint start = window->pos();

        MouseEvents::Drag(Find<QWidget>("mainFrame"), QPoint(4, 4), QPoint(35, 20), Qt::RightButton);
        QCOMPARE(window->pos(), start);
        QVERIFY(view->currentIndex().isValid() && view->hasFocus() && !view->selectionModel()->selectedRows().isEmpty());

        MouseEvents::Drag(Find<QWidget>("mainFrame"), QPoint(4, 4), QPoint(35, 20), Qt::LeftButton);
        QCOMPARE(window->pos(), start + QPoint(35, 20));
        QVERIFY(!view->currentIndex().isValid() && !view->hasFocus() && view->selectionModel()->selectedRows().isEmpty());
    }

    void dialogs_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("pattern");

        QTest::newRow("help") << "helpButton" << "documentationLabel" << "^<h3>Talvern</h3>";
        QTest::newRow("about with the SDK version") << "aboutButton" << "aboutApplicationLabel"
                                                    << "^<p>Version: v1\\.90 <br>Zorvik API Version: \\d+\\.\\d+\\.\\d+</p>";
    }

    // Each in front of the window.
    void dialogs()
    {
        QFETCH(QString, button);
        QFETCH(QString, label);
        QFETCH(QString, pattern);
        QString text = "no label, or not in front of the window";
        WhenShown<QDialog> shown([&](QDialog *dialog) {
            if (auto *shownLabel = dialog->parentWidget() == window.get() ? dialog->findChild<QLabel *>(label) : nullptr)
                text = shownLabel->text();
            dialog->findChild<QAbstractButton *>("okButton")->click();
        });

        QVERIFY(Click(button) && shown.answered);

        QVERIFY2(QRegularExpression(pattern).match(text).hasMatch(), qPrintable(text));
    }

    // Where the last window was left is where the next one opens, unless too little of its frame
    // would lie on a screen to take hold of it.
    void position_data()
    {
        QTest::addColumn<QSize>("onScreen"); // of the frame, at the screen's bottom right corner
        QTest::addColumn<bool>("used");
        QTest::newRow("40 x 40 pixels of the frame") << QSize(40, 40) << true;
        QTest::newRow("39 pixels of its width") << QSize(39, 200) << false;
        QTest::newRow("39 pixels of its height") << QSize(200, 39) << false;
        QTest::newRow("only the shadow margin") << QSize(0, 0) << false;
    }

    void position()
    {
        QFETCH(QSize, onScreen);
        QFETCH(bool, used);
        const QPoint corner = QGuiApplication::primaryScreen()->geometry().bottomRight() + QPoint(1, 1);
        const QPoint position = corner - Find<QFrame>("mainFrame")->geometry().topLeft()
                                - QPoint(onScreen.width(), onScreen.height());
        window->move(position);
        window.reset();

        MainWindow next;

        QCOMPARE(next.pos() == position, used);
    }

    // Where a backup goes: the chosen folder, the camera's serial number before the chosen
    // name, and nothing of the camera's text that could lead elsewhere.
    void backupFileName()
    {
        QCOMPARE(BackupFileName("/d/list.bin", "../../a\tb" + QString(QChar(0x7f)) + "C:\\x*?<>|\""),
                 "/d/____a_b_C__x_______list.bin");
        QCOMPARE(BackupFileName("/d/list.bin", "v1.2"), "/d/v1.2_list.bin"); // a single dot kept
    }

    void exitQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("loopResult");

        // The loop ends with 1 when it was still meant to run after the click, with 0 on a quit.
        QTest::newRow("answered No keeps running") << int(QMessageBox::No) << 1;
        QTest::newRow("answered Yes quits") << int(QMessageBox::Yes) << 0;
    }

    // Last: after a quit no further event loop runs.
    void exitQuestion()
    {
        QFETCH(int, answer);
        QFETCH(int, loopResult);
        Told told{QMessageBox::StandardButton(answer)};
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [this, &loop] {
            Find<QToolButton>("exitButton")->click();
            QTimer::singleShot(0, &loop, [&loop] { loop.exit(1); });
        });

        QCOMPARE(loop.exec(), loopResult);

        QCOMPARE(told.boxes.lines, QStringList({Box(QMessageBox::Question, "Close Application?", "Are you sure you want to exit?")}));
    }

private:
    template <typename T> T *Find(const char *name) const { return window->findChild<T *>(name); }
    QString UserFile(const QString &name) const { return folder->filePath(name); }

    // Presses the button under an outer cursor of our own; true when the handler left exactly
    // that cursor behind. The window is active then, as under the user's hand.
    bool Click(const QString &button)
    {
        auto *toolButton = Find<QToolButton>(qPrintable(button));
        if (!toolButton->isEnabled())
            return false;
        QApplication::setActiveWindow(window.get());
        QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
        toolButton->click();
        const QCursor *left = QGuiApplication::overrideCursor();
        const bool balanced = left && left->shape() == Qt::CrossCursor;
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        return balanced;
    }

    // Selects the camera list's row with this text (none when absent) and presses Connect.
    bool Connect(const QString &entry)
    {
        auto *list = Find<QListWidget>("cameraList");
        list->setCurrentItem(list->findItems(entry, Qt::MatchExactly).value(0));
        return Click("connectButton");
    }

    // The history dialog's rows, the chosen row's difference and whether it can be restored;
    // then the button pressed.
    QStringList History(int row, const QString &button)
    {
        QStringList seen;
        WhenShown<HistoryDialog> dialog([&](HistoryDialog *shown) {
            auto *table = shown->findChild<QTableWidget *>("historyTable");
            for (int index = 0; index < table->rowCount(); ++index)
                seen << table->item(index, 1)->text() + ' ' + table->item(index, 2)->text();
            table->selectRow(row);
            for (const char *list : {"addedList", "removedList"}) {
                QStringList items;
                for (const QListWidgetItem *item : shown->findChild<QListWidget *>(list)->findItems("*", Qt::MatchWildcard))
                    items << item->text();
                seen << QString(list == QLatin1String("addedList") ? "adds " : "removes ") + items.join(' ');
            }
            auto *restore = shown->findChild<QPushButton *>("restoreButton");
            seen << (restore->isEnabled() ? "restore enabled" : "restore disabled");
            shown->findChild<QPushButton *>(button)->click();
        });
        Told told;
        return Click("historyButton") && dialog.answered ? seen + told.boxes.lines : QStringList{"not shown"};
    }

    bool ConnectAndDownload(const QString &entry = Mono)
    {
        return Connect(entry) && Click("downloadButton") && !Rows(CameraView).isEmpty();
    }

    // Presses Add and types "row,column" into the dialog, or cancels it when empty.
    bool Add(const QString &typed)
    {
        WhenShown<CoordinatesDialog> dialog([&typed](CoordinatesDialog *shown) {
            shown->findChild<QSpinBox *>("yCoordinate")->setValue(typed.section(',', 0, 0).toInt());
            shown->findChild<QSpinBox *>("xCoordinate")->setValue(typed.section(',', 1).toInt());
            shown->findChild<QAbstractButton *>(typed.isEmpty() ? "cancelButton" : "okButton")->click();
        });
        return Click("addButton") && dialog.answered;
    }

    void SetCurrentUserRow(int row)
    {
        Find<QTableView>(UserView)->setCurrentIndex(Find<QTableView>(UserView)->model()->index(row, 0));
    }

    // The form's buttons that are enabled, by name (not the tab bar's own scroll buttons).
    QStringList EnabledButtons() const
    {
        QStringList names;
        for (const QToolButton *button : window->findChildren<QToolButton *>())
            if (button->isEnabled() && !qobject_cast<QTabBar *>(button->parent()))
                names.append(button->objectName());
        names.sort();
        return names;
    }

    QStringList Listed() const
    {
        QStringList entries;
        for (const QListWidgetItem *item : Find<QListWidget>("cameraList")->findItems("*", Qt::MatchWildcard))
            entries.append(item->text());
        return entries;
    }

    Coordinates Rows(const char *view) const
    {
        Coordinates rows;
        for (const QString &row : Table(view))
            rows.append({quint16(row.section(',', 0, 0).toUInt()), quint16(row.section(',', 1).section(' ', 0, 0).toUInt())});
        return rows;
    }

    // The table's rows as the user reads them: "row,column", and " yellow" or " red" when both
    // cells have that colour, the two cells' colours split by " /" when they differ.
    QStringList Table(const char *view) const
    {
        const QAbstractItemModel *model = Find<QTableView>(view)->model();
        const auto colour = [model](int row, int column) {
            const QVariant background = model->index(row, column).data(Qt::BackgroundRole);
            return background == QColor(Qt::yellow) ? " yellow" : background == QColor(Qt::red) ? " red" : "";
        };
        QStringList rows;
        for (int row = 0; row < model->rowCount(); ++row) {
            const QString first = colour(row, 0), second = colour(row, 1);
            rows.append(model->index(row, 0).data().toString() + ',' + model->index(row, 1).data().toString() + first
                        + (first == second ? QString() : " /" + second));
        }
        return rows;
    }

    // Presses the action's button and answers as it says; what the user was told.
    QStringList Act(const QString &action)
    {
        const QString button = action.section(' ', 0, 0) + "Button", reply = action.section(' ', 1);
        const bool question = reply == "Yes" || reply == "No";
        Told told(reply == "No" ? QMessageBox::No : QMessageBox::Yes, question || reply.isEmpty() ? QString() : UserFile(reply));
        if (!(button == "addButton" ? Add(reply) : Click(button)))
            return {"not pressed"};
        return told.boxes.lines;
    }

    bool Cause(Trouble trouble)
    {
        if (trouble == NoCameraList && !(Click("disconnectButton") && Connect(Mono) && SetFile({})))
            return false;
        if (trouble == CameraEmptyUserOutside
            && !(Click("disconnectButton") && SetFile(Encoded({})) && Connect(Mono) && Click("downloadButton")))
            return false;
        if (trouble == FirstRowCurrent || trouble == NoCameraList || trouble == CameraEmptyUserOutside)
            SetCurrentUserRow(trouble == CameraEmptyUserOutside);
        if (trouble == CameraEmptyUserOutside)
            return Click("removeButton");
        if (trouble == CallsFail)
            return Fail(ZorvikSim::FaultKind::FailFromCall);
        return (trouble != FactoryLost && trouble != NoCameraList) || SetFile({}, ZorvikSim::FactoryDefectFileId);
    }

    // The coordinates added in turn, with boxes of these titles shown.
    bool Added(const QStringList &userList, const QStringList &titles = {})
    {
        MessageBoxes boxes;
        return std::all_of(userList.cbegin(), userList.cend(), [this](const QString &typed) { return Add(typed); })
               && boxes.titles == titles;
    }

    QByteArray factory; // the factory file as the camera was attached with it
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<MainWindow> window;
};

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
