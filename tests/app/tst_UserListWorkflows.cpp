#include "DebugLines.h"
#include "FileDialogAnswer.h"
#include "ListFileIO.h"
#include "MessageBoxes.h"
#include "SimulatedCameras.h"
#include "WorkflowWindow.h"

#include "CoordinatesDialog.h"

#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <algorithm>
#include <memory>

using Coordinates = QList<PixelCoords>;
using Answers = QList<QMessageBox::StandardButton>;
Q_DECLARE_METATYPE(Coordinates)
Q_DECLARE_METATYPE(Answers)
Q_DECLARE_METATYPE(PixelCoords)

namespace {

const QString Mono = SimulatedCameras::Mono;
const QString ListEmpty = QStringLiteral("User defective pixel list empty. Please verify contents and try again.");
const QString PrepareFailed = QStringLiteral("Error! Prepare binary defect file failed.");
const char *const UserView = "userDefectivePixelView";
const char *const CameraView = "cameraDefectivePixelView";

// Row 30 of the camera: eight defects around a gap at column 52. Closing the gap leaves the
// camera's defect at column 54 without a usable neighbour; alone, 53 to 58 are a run of six.
const Coordinates GapRow = {{30, 50}, {30, 51}, {30, 53}, {30, 54}, {30, 55}, {30, 56}, {30, 57}, {30, 58}};

Coordinates Sorted(Coordinates list)
{
    std::sort(list.begin(), list.end(),
              [](const PixelCoords &a, const PixelCoords &b) { return PackedCoords(a) < PackedCoords(b); });
    return list;
}

bool WriteText(const QString &fileName, const QString &text)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

// Add, remove, clear, load, save and upload of the user list, with the checks after each
// change and what the camera holds after an upload.
class tst_UserListWorkflows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void add_data();
    void add();
    void addCancelled();
    void addCloseToCameraDefects();
    void checkWithoutCameraList_data();
    void checkWithoutCameraList();
    void removeWithoutCurrentRow();
    void lastUserRowsGo_data();
    void lastUserRowsGo();
    void load_data();
    void load();
    void save_data();
    void save();
    void upload_data();
    void upload();
    void uploadWithoutCameraList();

private:
    bool AddAll(const Coordinates &list);

    QTemporaryDir settingsDir;
    std::unique_ptr<QTemporaryDir> files;
    std::unique_ptr<WorkflowWindow> user;
};

void tst_UserListWorkflows::initTestCase()
{
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    SimulatedCameras::Attach();
}

void tst_UserListWorkflows::init()
{
    SimulatedCameras::Reset();
    files = std::make_unique<QTemporaryDir>();
    QVERIFY(files->isValid());
    user = std::make_unique<WorkflowWindow>();
}

void tst_UserListWorkflows::cleanup()
{
    user.reset();
    files.reset();
}

bool tst_UserListWorkflows::AddAll(const Coordinates &list)
{
    MessageBoxes boxes;
    for (const PixelCoords &coordinates : list) {
        if (!user->Add(coordinates))
            return false;
    }
    return boxes.seen.isEmpty();
}

void tst_UserListWorkflows::add_data()
{
    QTest::addColumn<Coordinates>("before");
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<PixelCoords>("added");
    QTest::addColumn<Coordinates>("after");
    QTest::addColumn<QList<int>>("yellow");
    QTest::addColumn<QList<int>>("red");

    QTest::newRow("appended without a current row") << Coordinates{{1, 1}, {2, 2}} << -1 << PixelCoords(4, 4)
                                                    << Coordinates{{1, 1}, {2, 2}, {4, 4}} << QList<int>() << QList<int>();
    QTest::newRow("inserted below the current row") << Coordinates{{1, 1}, {2, 2}, {3, 3}, {4, 4}} << 2
                                                    << PixelCoords(9, 9)
                                                    << Coordinates{{1, 1}, {2, 2}, {3, 3}, {9, 9}, {4, 4}}
                                                    << QList<int>() << QList<int>();
    QTest::newRow("already in the camera list") << Coordinates() << -1 << PixelCoords(10, 100)
                                                << Coordinates{{10, 100}} << QList<int>() << QList<int>();
    QTest::newRow("run of five turns yellow") << Coordinates{{7, 7}} << -1 << PixelCoords(10, 104)
                                              << Coordinates{{7, 7}, {10, 104}} << QList<int>{1} << QList<int>();
    QTest::newRow("outside the sensor turns red") << Coordinates() << -1 << PixelCoords(2048, 3)
                                                  << Coordinates{{2048, 3}} << QList<int>() << QList<int>{0};
}

void tst_UserListWorkflows::add()
{
    QFETCH(Coordinates, before);
    QFETCH(int, currentRow);
    QFETCH(PixelCoords, added);
    QFETCH(Coordinates, after);
    QFETCH(QList<int>, yellow);
    QFETCH(QList<int>, red);
    QVERIFY(user->ConnectAndDownload(Mono));
    QVERIFY(AddAll(before));
    user->SetCurrentUserRow(currentRow);
    MessageBoxes boxes;

    QVERIFY(user->Add(added));

    QVERIFY(boxes.seen.isEmpty());
    QCOMPARE(user->Rows(UserView), after);
    QCOMPARE(user->ColouredRows(UserView, Qt::yellow), yellow);
    QCOMPARE(user->ColouredRows(UserView, Qt::red), red);

    // The same coordinate once more is refused, wherever the current row is.
    QVERIFY(user->Add(added));
    QCOMPARE(boxes.Titles(), QStringList({"Duplicate Coordinates Added"}));
    QCOMPARE(boxes.seen[0].text, QStringLiteral("Coordinates already exist in the user defective pixel list.\nPlease verify input and try again."));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Warning);
    QCOMPARE(boxes.seen[0].parent, user->Window());
    QCOMPARE(user->Rows(UserView), after);
}

void tst_UserListWorkflows::addCancelled()
{
    MessageBoxes boxes;
    QVERIFY(user->Connect(Mono));
    WhenShown<CoordinatesDialog> cancel(
        [](CoordinatesDialog *dialog) { dialog->findChild<QPushButton *>("cancelButton")->click(); });

    QVERIFY(user->Click("addButton"));

    QVERIFY(cancel.answered);
    QVERIFY(boxes.seen.isEmpty());
    QVERIFY(user->Rows(UserView).isEmpty());
    QVERIFY(user->Rows(CameraView).isEmpty()); // nothing checked, so nothing downloaded
}

void tst_UserListWorkflows::addCloseToCameraDefects()
{
    QVERIFY(SimulatedCameras::SetCustomFile("1001", SimulatedCameras::Encoded(2048, 2048, GapRow)));
    QVERIFY(user->ConnectAndDownload(Mono));
    QCOMPARE(user->ColouredRows(CameraView, Qt::yellow), QList<int>({2, 3, 4, 5, 6, 7}));
    MessageBoxes boxes;

    QVERIFY(user->Add({30, 52}));

    QCOMPARE(boxes.Titles(), QStringList({"Verify Last Input"}));
    QCOMPARE(user->ColouredRows(CameraView, Qt::red), QList<int>({3}));
}

// Add, remove and load check the user list against the camera list; without one they say so.
void tst_UserListWorkflows::checkWithoutCameraList_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Coordinates>("after");

    QTest::newRow("add") << "addButton" << Coordinates{{1, 1}, {2, 2}, {5, 5}};
    QTest::newRow("remove") << "removeButton" << Coordinates{{1, 1}};
    QTest::newRow("load") << "loadButton" << Coordinates{{7, 7}};
}

void tst_UserListWorkflows::checkWithoutCameraList()
{
    QFETCH(QString, button);
    QFETCH(Coordinates, after);
    QVERIFY(user->ConnectAndDownload(Mono));
    QVERIFY(AddAll({{1, 1}, {2, 2}}));
    QVERIFY(user->Click("disconnectButton")); // the camera list is gone, the user list stays
    QVERIFY(user->Connect(Mono));
    QVERIFY(SimulatedCameras::SetCustomFile("1001", {}));
    QVERIFY(SimulatedCameras::SetFactoryFile("1001", {}));
    const QString csv = files->filePath("list.csv");
    QVERIFY(WriteText(csv, "Row,Column\n7, 7\n"));
    user->SetCurrentUserRow(1);
    MessageBoxes boxes({QMessageBox::Yes});
    FileDialogAnswer dialog(csv);
    WhenShown<CoordinatesDialog> typed([](CoordinatesDialog *shown) {
        shown->findChild<QSpinBox *>("yCoordinate")->setValue(5);
        shown->findChild<QSpinBox *>("xCoordinate")->setValue(5);
        shown->findChild<QPushButton *>("okButton")->click();
    });

    QVERIFY(user->Click(qPrintable(button)));

    QStringList titles{"Download Error", "Validation Error"};
    if (button == "loadButton")
        titles.prepend("Overwrite User Defective Pixel List?");
    QCOMPARE(boxes.Titles(), titles);
    const SeenBox &downloadError = boxes.seen[titles.size() - 2];
    const SeenBox &validationError = boxes.seen.constLast();
    QVERIFY(downloadError.waitCursor);
    QCOMPARE(validationError.text, ListEmpty);
    QCOMPARE(validationError.icon, QMessageBox::Warning);
    QVERIFY(!validationError.waitCursor);
    QCOMPARE(user->Rows(UserView), after);
    QVERIFY(user->Rows(CameraView).isEmpty());
}

void tst_UserListWorkflows::removeWithoutCurrentRow()
{
    QVERIFY(user->ConnectAndDownload(Mono));
    QVERIFY(AddAll({{1, 1}, {2, 2}}));
    user->SetCurrentUserRow(-1);
    MessageBoxes boxes;

    QVERIFY(user->Click("removeButton"));

    QVERIFY(boxes.seen.isEmpty());
    QCOMPARE(user->Rows(UserView), Coordinates({{1, 1}, {2, 2}}));
}

// Removing user rows or clearing the list gives the camera table back its own colours.
void tst_UserListWorkflows::lastUserRowsGo_data()
{
    QTest::addColumn<Coordinates>("before");
    QTest::addColumn<QString>("button");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<Coordinates>("after");
    QTest::addColumn<QList<int>>("cameraRed");

    const Coordinates two{{30, 52}, {900, 900}};
    const QList<int> lost{3};
    QTest::newRow("remove one of two, checked again") << two << "removeButton" << Answers() << Coordinates{{30, 52}}
                                                      << lost;
    QTest::newRow("remove the last") << Coordinates{{30, 52}} << "removeButton" << Answers() << Coordinates()
                                     << QList<int>();
    QTest::newRow("clear answered Yes") << two << "clearButton" << Answers{QMessageBox::Yes} << Coordinates()
                                        << QList<int>();
    QTest::newRow("clear answered No") << two << "clearButton" << Answers{QMessageBox::No} << two << lost;
}

// Without the user entries that closed the gap, the camera table shows its own run again.
void tst_UserListWorkflows::lastUserRowsGo()
{
    QFETCH(Coordinates, before);
    QFETCH(QString, button);
    QFETCH(Answers, answers);
    QFETCH(Coordinates, after);
    QFETCH(QList<int>, cameraRed);
    QVERIFY(SimulatedCameras::SetCustomFile("1001", SimulatedCameras::Encoded(2048, 2048, GapRow)));
    QVERIFY(user->ConnectAndDownload(Mono));
    {
        MessageBoxes verify;
        for (const PixelCoords &coordinates : before)
            QVERIFY(user->Add(coordinates));
        QCOMPARE(verify.seen.size(), before.size());
    }
    QCOMPARE(user->ColouredRows(CameraView, Qt::red), QList<int>({3}));
    user->SetCurrentUserRow(before.size() - 1);
    MessageBoxes boxes(answers);
    DebugLines log;

    QVERIFY(user->Click(qPrintable(button)));

    QCOMPARE(user->Rows(UserView), after);
    QCOMPARE(user->ColouredRows(CameraView, Qt::red), cameraRed);
    QCOMPARE(user->ColouredRows(CameraView, Qt::yellow).size(), 6 - cameraRed.size());
    QStringList titles;
    if (button == "clearButton")
        titles.append("Clear User Defective Pixel List?");
    QCOMPARE(boxes.Titles(), titles);
    if (!titles.isEmpty()) {
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Are you sure you want to clear the user defective pixel list?"));
        QCOMPARE(boxes.seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
    }
    QVERIFY(!log.Contains("Generate1DNbEncodingFromDefectImage() failed"));
}

void tst_UserListWorkflows::load_data()
{
    QTest::addColumn<Coordinates>("before");
    QTest::addColumn<QString>("csv");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("fileDialog");
    QTest::addColumn<Coordinates>("after");

    const QString csv = QStringLiteral("Row,Column\n5, 5\n2048, 1\n");
    const Coordinates loaded{{5, 5}, {2048, 1}};
    const Coordinates kept{{1, 1}};
    const QString overwrite = QStringLiteral("Overwrite User Defective Pixel List?");
    QTest::newRow("into an empty list without asking") << Coordinates() << csv << Answers() << QStringList() << true
                                                       << loaded;
    QTest::newRow("overwrite answered Yes") << kept << csv << Answers{QMessageBox::Yes} << QStringList{overwrite}
                                            << true << loaded;
    QTest::newRow("overwrite answered No") << kept << csv << Answers{QMessageBox::No} << QStringList{overwrite}
                                           << false << kept;
    QTest::newRow("file dialog cancelled") << kept << QString() << Answers{QMessageBox::Yes}
                                           << QStringList{overwrite} << true << kept;
    QTest::newRow("not a list file") << Coordinates() << "5;5\n" << Answers() << QStringList{"Incorrect file format"}
                                     << true << Coordinates();
    QTest::newRow("header only") << Coordinates() << "Row,Column\n" << Answers() << QStringList{"Validation Error"}
                                 << true << Coordinates();
}

void tst_UserListWorkflows::load()
{
    QFETCH(Coordinates, before);
    QFETCH(QString, csv);
    QFETCH(Answers, answers);
    QFETCH(QStringList, titles);
    QFETCH(bool, fileDialog);
    QFETCH(Coordinates, after);
    QVERIFY(user->ConnectAndDownload(Mono));
    QVERIFY(AddAll(before));
    const QString fileName = files->filePath("list.csv");
    QVERIFY(WriteText(fileName, csv));
    MessageBoxes boxes(answers);
    FileDialogAnswer dialog(csv.isNull() ? QString() : fileName);

    QVERIFY(user->Click("loadButton"));

    QCOMPARE(boxes.Titles(), titles);
    QCOMPARE(dialog.Answered(), fileDialog);
    if (fileDialog) {
        QCOMPARE(dialog.caption, QStringLiteral("Open Custom Defective Pixel List"));
        QCOMPARE(dialog.directory, QStringLiteral("/"));
        QCOMPARE(dialog.filters, QStringList({"DP List Files (*.csv)"}));
        QVERIFY(!dialog.saving);
    }
    if (!titles.isEmpty() && titles.constFirst() == "Overwrite User Defective Pixel List?")
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Warning! User defect list not empty. Are you sure you want to overwrite list?"));
    if (titles == QStringList{"Incorrect file format"}) {
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Please refer to the help page for the correct defective pixel list file format."));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    }
    if (titles == QStringList{"Validation Error"})
        QCOMPARE(boxes.seen[0].text, ListEmpty);
    QCOMPARE(user->Rows(UserView), after);
    const bool loaded = after.size() == 2;
    QCOMPARE(user->ColouredRows(UserView, Qt::red), loaded ? QList<int>({1}) : QList<int>());
}

void tst_UserListWorkflows::save_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("written");

    QTest::newRow("cancelled") << "" << false;
    QTest::newRow("written") << "saved.csv" << true;
    QTest::newRow("folder missing") << "missing/saved.csv" << false;
}

void tst_UserListWorkflows::save()
{
    QFETCH(QString, chosen);
    QFETCH(bool, written);
    QVERIFY(user->ConnectAndDownload(Mono));
    QVERIFY(AddAll({{3, 7}, {2048, 1}}));
    MessageBoxes boxes;
    FileDialogAnswer dialog(chosen.isEmpty() ? QString() : files->filePath(chosen));

    QVERIFY(user->Click("saveButton"));

    QCOMPARE(dialog.caption, QStringLiteral("Save As..."));
    QCOMPARE(dialog.directory, QStringLiteral("/"));
    QCOMPARE(dialog.filters, QStringList({"DP List Files (*.csv)"}));
    QVERIFY(dialog.saving);
    QVERIFY(!dialog.waitCursor);
    const bool failed = !chosen.isEmpty() && !written;
    QCOMPARE(boxes.Titles(), failed ? QStringList({"Save Error"}) : QStringList());
    if (failed)
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Could not save user defective pixel list file."));
    Coordinates read;
    QCOMPARE(ListFileIO().ReadCsvFile(files->filePath(chosen), &read), written);
    QCOMPARE(read, written ? Coordinates({{3, 7}, {2048, 1}}) : Coordinates());
}

void tst_UserListWorkflows::upload_data()
{
    QTest::addColumn<Coordinates>("cameraList");
    QTest::addColumn<Coordinates>("userList");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<bool>("readBackDiffers");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<Coordinates>("uploaded");

    const Coordinates withRun = SimulatedCameras::MonoList();
    const Coordinates clean{{10, 100}, {10, 101}, {300, 7}};
    const QString proceed = QStringLiteral("Proceed With Upload?");
    QTest::newRow("user list empty") << clean << Coordinates() << Answers() << false << QStringList{"Upload Error"}
                                     << QStringList() << Coordinates();
    QTest::newRow("no findings, no question") << clean << Coordinates{{5, 5}} << Answers() << false << QStringList()
                                              << QStringList() << clean + Coordinates{{5, 5}};
    QTest::newRow("findings accepted, outside dropped")
        << withRun << Coordinates{{2048, 5}, {6, 6}} << Answers{QMessageBox::Yes} << false << QStringList{proceed}
        << QStringList() << withRun + Coordinates{{6, 6}};
    QTest::newRow("findings declined") << withRun << Coordinates{{2048, 5}} << Answers{QMessageBox::No} << false
                                       << QStringList{proceed}
                                       << QStringList{"ValidateDefectivePixelCoordinates() failed", PrepareFailed}
                                       << Coordinates();
    QTest::newRow("nothing left to write") << Coordinates() << Coordinates{{2048, 5}} << Answers{QMessageBox::Yes}
                                           << false << QStringList{proceed}
                                           << QStringList{"Formating Defect File data failed", PrepareFailed}
                                           << Coordinates();
    QTest::newRow("writing into the camera fails") << clean << Coordinates{{5, 5}} << Answers() << true
                                                   << QStringList{"Upload Error"} << QStringList() << Coordinates();
}

void tst_UserListWorkflows::upload()
{
    QFETCH(Coordinates, cameraList);
    QFETCH(Coordinates, userList);
    QFETCH(Answers, answers);
    QFETCH(bool, readBackDiffers);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, lines);
    QFETCH(Coordinates, uploaded);
    QVERIFY(SimulatedCameras::SetCustomFile("1001", SimulatedCameras::Encoded(2048, 2048, cameraList)));
    const auto before = SimulatedCameras::CustomFile("1001");
    QVERIFY(user->Connect(Mono));
    QVERIFY(user->Click("downloadButton"));
    QVERIFY(AddAll(userList));
    if (readBackDiffers)
        QVERIFY(SimulatedCameras::ReadBackDiffers("1001"));
    const Coordinates cameraTable = user->Rows(CameraView);
    MessageBoxes boxes(answers);
    DebugLines log;

    QVERIFY(user->Click("uploadButton"));

    QCOMPARE(boxes.Titles(), titles);
    for (const SeenBox &box : boxes.seen)
        QVERIFY(box.waitCursor);
    if (titles == QStringList{"Upload Error"}) {
        const QString text = userList.isEmpty()
            ? ListEmpty
            : QStringLiteral("Could not upload user defective pixel list to camera. Please try again.");
        QCOMPARE(boxes.seen[0].text, text);
        QCOMPARE(boxes.seen[0].icon, userList.isEmpty() ? QMessageBox::Warning : QMessageBox::Critical);
    }
    if (QTest::currentDataTag() == QByteArray("findings declined"))
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Warning! The following issue(s) have been detected in the user DP list:\n\n- Defective pixels outside of sensor range\n- More than four consecutive defective pixels\n\nWould you like to proceed with the upload process?"));
    QCOMPARE(log.From(lines.value(0)).mid(0, lines.size()), lines);
    if (!readBackDiffers)
        QCOMPARE(SimulatedCameras::CustomFile("1001") == before, uploaded.isEmpty());
    if (!uploaded.isEmpty())
        QCOMPARE(Sorted(SimulatedCameras::Decoded(SimulatedCameras::CustomFile("1001"))), Sorted(uploaded));
    QCOMPARE(Sorted(user->Rows(CameraView)), uploaded.isEmpty() ? Sorted(cameraTable) : Sorted(uploaded));
    QCOMPARE(user->Rows(UserView), userList);
}

void tst_UserListWorkflows::uploadWithoutCameraList()
{
    QVERIFY(user->ConnectAndDownload(Mono));
    QVERIFY(AddAll({{5, 5}}));
    QVERIFY(user->Click("disconnectButton"));
    QVERIFY(user->Connect(Mono));
    QVERIFY(SimulatedCameras::SetCustomFile("1001", {}));
    QVERIFY(SimulatedCameras::SetFactoryFile("1001", {}));
    MessageBoxes boxes;

    QVERIFY(user->Click("uploadButton"));

    QCOMPARE(boxes.Titles(), QStringList({"Download Error", "Upload Error"}));
    QCOMPARE(boxes.seen[1].text, ListEmpty);
    QVERIFY(boxes.seen[1].waitCursor);
    QVERIFY(SimulatedCameras::CustomFile("1001").empty());
}

QTEST_MAIN(tst_UserListWorkflows)
#include "tst_UserListWorkflows.moc"
