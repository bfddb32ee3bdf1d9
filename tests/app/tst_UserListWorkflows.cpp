#include "DebugLines.h"
#include "FileDialogAnswer.h"
#include "ListFileIO.h"
#include "MessageBoxes.h"
#include "WorkflowWindow.h"

#include <QtTest>

#include <memory>

using Coordinates = QList<PixelCoords>;
using Answers = QList<QMessageBox::StandardButton>;
using Indexes = QList<int>;
Q_DECLARE_METATYPE(Coordinates)
Q_DECLARE_METATYPE(Answers)
Q_DECLARE_METATYPE(PixelCoords)

namespace {

const QString Mono = SimulatedCameras::Mono;
const QString ListEmptyText = QStringLiteral("User defective pixel list empty. Please verify contents and try again.");
const QString ListEmpty = Box(QMessageBox::Warning, "Validation Error", ListEmptyText);
const QString DownloadFailed = Waiting(Box(QMessageBox::Critical, "Download Error",
                                           "Could not download defective pixel list from camera. Please contact support."));
const QString Overwrite = Box(QMessageBox::Question, "Overwrite User Defective Pixel List?",
                              "Warning! User defect list not empty. Are you sure you want to overwrite list?");
const QString CsvFilter = QStringLiteral("DP List Files (*.csv)");
const QString PrepareFailed = QStringLiteral("Error! Prepare binary defect file failed.");
const char *const UserView = "userDefectivePixelView";
const char *const CameraView = "cameraDefectivePixelView";

// Row 30 of the camera: eight defects around a gap at column 52. Closing the gap leaves the
// camera's defect at column 54 without a usable neighbour; alone, 53 to 58 are a run of six.
const Coordinates GapRow = {{30, 50}, {30, 51}, {30, 53}, {30, 54}, {30, 55}, {30, 56}, {30, 57}, {30, 58}};

} // namespace

// Add, remove, clear, load, save and upload of the user list, with the checks after each
// change and what the camera holds after an upload.
class tst_UserListWorkflows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WorkflowWindow::Prepare(); }
    void init() { user = std::make_unique<WorkflowWindow>(); }
    void cleanup() { user.reset(); }

    void add_data()
    {
        QTest::addColumn<Coordinates>("before");
        QTest::addColumn<int>("currentRow");
        QTest::addColumn<PixelCoords>("added");
        QTest::addColumn<QStringList>("table");

        const Coordinates three{{1, 1}, {2, 2}, {3, 3}};
        QTest::newRow("appended without a current row") << three << -1 << PixelCoords(5, 5)
                                                        << QStringList{"1,1", "2,2", "3,3", "5,5"};
        QTest::newRow("inserted below the current row") << three << 1 << PixelCoords(9, 9)
                                                        << QStringList{"1,1", "2,2", "9,9", "3,3"};
        QTest::newRow("already in the camera list") << Coordinates() << -1 << PixelCoords(10, 100)
                                                    << QStringList{"10,100"};
        QTest::newRow("run of five turns yellow") << Coordinates{{7, 7}} << -1 << PixelCoords(10, 104)
                                                  << QStringList{"7,7", "10,104 yellow"};
        QTest::newRow("outside the sensor turns red") << Coordinates() << -1 << PixelCoords(2048, 3)
                                                      << QStringList{"2048,3 red"};
    }

    void add()
    {
        QFETCH(Coordinates, before);
        QFETCH(int, currentRow);
        QFETCH(PixelCoords, added);
        QFETCH(QStringList, table);
        QVERIFY(DownloadedWith(before));
        user->SetCurrentUserRow(currentRow);
        MessageBoxes boxes;

        QVERIFY(user->Add(added));

        QVERIFY(boxes.lines.isEmpty());
        QCOMPARE(user->Table(UserView), table);

        // The same coordinate once more is refused, wherever the current row is.
        QVERIFY(user->Add(added));
        QCOMPARE(boxes.lines, QStringList({Box(QMessageBox::Warning, "Duplicate Coordinates Added",
                                               "Coordinates already exist in the user defective pixel list.\nPlease verify input and try again.")}));
        QCOMPARE(user->Table(UserView), table);
    }

    void addCancelled()
    {
        MessageBoxes boxes;
        QVERIFY(user->Connect(Mono));
        WhenShown<CoordinatesDialog> cancel(
            [](CoordinatesDialog *dialog) { dialog->findChild<QAbstractButton *>("cancelButton")->click(); });

        QVERIFY(user->Click("addButton"));

        QVERIFY(cancel.answered);
        QVERIFY(boxes.lines.isEmpty());
        QVERIFY(user->Rows(UserView).isEmpty());
        QVERIFY(user->Rows(CameraView).isEmpty()); // nothing checked, so nothing downloaded
    }

    // Add, remove, load and upload need the camera list; without one they say so.
    void checkWithoutCameraList_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("table");

        const QString uploadRefused = Waiting(Box(QMessageBox::Warning, "Upload Error", ListEmptyText));
        QTest::newRow("add") << "addButton" << QStringList{DownloadFailed, ListEmpty}
                             << QStringList{"1,1", "2,2", "5,5"};
        QTest::newRow("remove") << "removeButton" << QStringList{DownloadFailed, ListEmpty} << QStringList{"1,1"};
        QTest::newRow("load") << "loadButton" << QStringList{Overwrite, DownloadFailed, ListEmpty}
                              << QStringList{"7,7"};
        QTest::newRow("upload") << "uploadButton" << QStringList{DownloadFailed, uploadRefused}
                                << QStringList{"1,1", "2,2"};
    }

    void checkWithoutCameraList()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, table);
        QVERIFY(DownloadedWith({{1, 1}, {2, 2}}));
        QVERIFY(user->Click("disconnectButton")); // the camera list is gone, the user list stays
        QVERIFY(user->Connect(Mono));
        QVERIFY(SimulatedCameras::LoseDefectFiles("1001"));
        user->SetCurrentUserRow(1);
        MessageBoxes seen({QMessageBox::Yes});
        FileDialogAnswer dialog(user->WriteFile("list.csv", "Row,Column\n7, 7\n"));

        QVERIFY(button == "addButton" ? user->Add({5, 5}) : user->Click(qPrintable(button)));

        QCOMPARE(seen.lines, boxes);
        QCOMPARE(user->Table(UserView), table);
        QVERIFY(user->Rows(CameraView).isEmpty());
        QVERIFY(SimulatedCameras::File("1001").isEmpty());
    }

    // Removing user rows gives the camera table back its own colours.
    void remove_data()
    {
        QTest::addColumn<Coordinates>("before");
        QTest::addColumn<int>("currentRow");
        QTest::addColumn<Coordinates>("after");
        QTest::addColumn<Indexes>("cameraRed");

        const Coordinates two{{30, 52}, {900, 900}};
        QTest::newRow("one of two, checked again") << two << 1 << Coordinates{{30, 52}} << Indexes{3};
        QTest::newRow("the last") << Coordinates{{30, 52}} << 0 << Coordinates() << Indexes();
        QTest::newRow("without a current row") << two << -1 << two << Indexes{3};
    }

    void remove()
    {
        QFETCH(Coordinates, before);
        QFETCH(int, currentRow);
        QFETCH(Coordinates, after);
        QFETCH(Indexes, cameraRed);
        QVERIFY(GapClosedBy(before));
        user->SetCurrentUserRow(currentRow);
        MessageBoxes boxes;

        QVERIFY(user->Click("removeButton"));

        QVERIFY(boxes.lines.isEmpty());
        QCOMPARE(user->Rows(UserView), after);
        QCOMPARE(user->ColouredRows(CameraView, Qt::red), cameraRed);
        QCOMPARE(user->ColouredRows(CameraView, Qt::yellow).size(), 6 - cameraRed.size());
    }

    void clear_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("cleared");

        QTest::newRow("answered Yes") << int(QMessageBox::Yes) << true;
        QTest::newRow("answered No") << int(QMessageBox::No) << false;
    }

    void clear()
    {
        QFETCH(int, answer);
        QFETCH(bool, cleared);
        QVERIFY(GapClosedBy({{30, 52}}));
        MessageBoxes boxes({QMessageBox::StandardButton(answer)});

        QVERIFY(user->Click("clearButton"));

        QCOMPARE(boxes.lines, QStringList({Box(QMessageBox::Question, "Clear User Defective Pixel List?",
                                               "Are you sure you want to clear the user defective pixel list?")}));
        QCOMPARE(user->Rows(UserView).isEmpty(), cleared);
        QCOMPARE(user->ColouredRows(CameraView, Qt::red), cleared ? Indexes() : Indexes({3}));
    }

    void load_data()
    {
        QTest::addColumn<Coordinates>("before");
        QTest::addColumn<QString>("csv");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("table");

        const QString csv = QStringLiteral("Row,Column\n5, 5\n2048, 1\n");
        const QStringList loaded{"5,5", "2048,1 red"};
        const Coordinates kept{{1, 1}};
        const Answers yes{QMessageBox::Yes};
        const QString format = Box(QMessageBox::Critical, "Incorrect file format",
                                   "Please refer to the help page for the correct defective pixel list file format.");
        QTest::newRow("into an empty list without asking") << Coordinates() << csv << Answers() << QStringList()
                                                           << loaded;
        QTest::newRow("overwrite answered Yes") << kept << csv << yes << QStringList{Overwrite} << loaded;
        QTest::newRow("overwrite answered No") << kept << csv << Answers{QMessageBox::No} << QStringList{Overwrite}
                                               << QStringList{"1,1"};
        QTest::newRow("file dialog cancelled") << kept << QString() << yes << QStringList{Overwrite}
                                               << QStringList{"1,1"};
        QTest::newRow("not a list file") << Coordinates() << "5;5\n" << Answers() << QStringList{format}
                                         << QStringList();
        QTest::newRow("header only") << Coordinates() << "Row,Column\n" << Answers() << QStringList{ListEmpty}
                                     << QStringList();
    }

    void load()
    {
        QFETCH(Coordinates, before);
        QFETCH(QString, csv);
        QFETCH(Answers, answers);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, table);
        QVERIFY(DownloadedWith(before));
        const QString fileName = user->WriteFile("list.csv", csv.toUtf8());
        MessageBoxes seen(answers);
        FileDialogAnswer dialog(csv.isNull() ? QString() : fileName);

        QVERIFY(user->Click("loadButton"));

        QCOMPARE(seen.lines, boxes);
        const QStringList offered{"Open Custom Defective Pixel List", "/", CsvFilter, "open", "arrow"};
        QCOMPARE(dialog.offered, answers == Answers{QMessageBox::No} ? QStringList() : offered);
        QCOMPARE(user->Table(UserView), table);
    }

    void save_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("written");

        QTest::newRow("cancelled") << "" << false;
        QTest::newRow("written") << "saved.csv" << true;
        QTest::newRow("folder missing") << "missing/saved.csv" << false;
    }

    void save()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, written);
        QVERIFY(DownloadedWith({{3, 7}, {2048, 1}}));
        MessageBoxes boxes;
        FileDialogAnswer dialog(chosen.isEmpty() ? QString() : user->File(chosen));

        QVERIFY(user->Click("saveButton"));

        QCOMPARE(dialog.offered, QStringList({"Save As...", "/", CsvFilter, "save", "arrow"}));
        const QString failed =
            Box(QMessageBox::Critical, "Save Error", "Could not save user defective pixel list file.");
        QCOMPARE(boxes.lines, !chosen.isEmpty() && !written ? QStringList({failed}) : QStringList());
        Coordinates read;
        QCOMPARE(ListFileIO().ReadCsvFile(user->File(chosen), &read), written);
        QCOMPARE(read, written ? Coordinates({{3, 7}, {2048, 1}}) : Coordinates());
    }

    void upload_data()
    {
        QTest::addColumn<Coordinates>("cameraList");
        QTest::addColumn<Coordinates>("userList");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("line");
        QTest::addColumn<Coordinates>("uploaded");

        const Coordinates withRun = SimulatedCameras::MonoList();
        const Coordinates clean{{10, 100}, {10, 101}, {300, 7}};
        const Answers yes{QMessageBox::Yes};
        const QString warning = QStringLiteral("Warning! The following issue(s) have been detected in the user DP list:\n\n- Defective pixels outside of sensor range\n");
        const QString question = QStringLiteral("\nWould you like to proceed with the upload process?");
        const QStringList both{Waiting(Box(QMessageBox::Warning, "Proceed With Upload?",
                                           warning + "- More than four consecutive defective pixels\n" + question))};
        const QStringList outside{Waiting(Box(QMessageBox::Warning, "Proceed With Upload?", warning + question))};
        QTest::newRow("user list empty") << clean << Coordinates() << Answers()
                                         << QStringList{Waiting(Box(QMessageBox::Warning, "Upload Error", ListEmptyText))}
                                         << "" << Coordinates();
        QTest::newRow("no findings, no question") << clean << Coordinates{{5, 5}} << Answers() << QStringList() << ""
                                                  << clean + Coordinates{{5, 5}};
        QTest::newRow("findings accepted, outside dropped") << withRun << Coordinates{{2048, 5}, {6, 6}} << yes << both
                                                            << "" << withRun + Coordinates{{6, 6}};
        QTest::newRow("findings declined") << withRun << Coordinates{{2048, 5}} << Answers{QMessageBox::No} << both
                                           << "ValidateDefectivePixelCoordinates() failed\n" + PrepareFailed
                                           << Coordinates();
        QTest::newRow("nothing left to write") << Coordinates() << Coordinates{{2048, 5}} << yes << outside
                                               << "Formating Defect File data failed\n" + PrepareFailed << Coordinates();
    }

    void upload()
    {
        QFETCH(Coordinates, cameraList);
        QFETCH(Coordinates, userList);
        QFETCH(Answers, answers);
        QFETCH(QStringList, boxes);
        QFETCH(QString, line);
        QFETCH(Coordinates, uploaded);
        QVERIFY(SimulatedCameras::SetFile("1001", SimulatedCameras::Encoded(2048, 2048, cameraList)));
        const QByteArray before = SimulatedCameras::File("1001");
        QVERIFY(user->Connect(Mono) && user->Click("downloadButton")); // the camera's list may be empty
        QVERIFY(Added(userList));
        const Coordinates cameraTable = user->Rows(CameraView);
        MessageBoxes seen(answers);
        DebugLines log;

        QVERIFY(user->Click("uploadButton"));

        QCOMPARE(seen.lines, boxes);
        QVERIFY2(log.Lines().join('\n').contains(line), qPrintable(log.Lines().join('\n')));
        QCOMPARE(SimulatedCameras::File("1001") == before, uploaded.isEmpty());
        if (!uploaded.isEmpty())
            QCOMPARE(Sorted(SimulatedCameras::Decoded(SimulatedCameras::File("1001"))), Sorted(uploaded));
        QCOMPARE(Sorted(user->Rows(CameraView)), uploaded.isEmpty() ? Sorted(cameraTable) : Sorted(uploaded));
        QCOMPARE(user->Rows(UserView), userList);
    }

    // What reads back from the camera differs from what was written: the user is told, and
    // the tables stay as they were.
    void uploadNotVerified()
    {
        QVERIFY(SimulatedCameras::SetFile("1001", SimulatedCameras::Encoded(2048, 2048, {{300, 7}})));
        QVERIFY(DownloadedWith({{5, 5}}));
        QVERIFY(SimulatedCameras::Fail("1001", ZorvikSim::FaultKind::ReadBackDiffers));
        MessageBoxes seen;

        QVERIFY(user->Click("uploadButton"));

        QCOMPARE(seen.lines, QStringList({Waiting(Box(QMessageBox::Critical, "Upload Error",
                                                      "Could not upload user defective pixel list to camera. Please try again."))}));
        QCOMPARE(user->Rows(CameraView), Coordinates({{300, 7}}));
        QCOMPARE(user->Table(UserView), QStringList({"5,5"}));
    }

private:
    // The camera's row 30 with its gap closed by the user list: its defect at column 54 red.
    bool GapClosedBy(const Coordinates &userList)
    {
        SimulatedCameras::SetFile("1001", SimulatedCameras::Encoded(2048, 2048, GapRow));
        if (!user->ConnectAndDownload(Mono) || user->ColouredRows(CameraView, Qt::yellow) != Indexes({2, 3, 4, 5, 6, 7}))
            return false;
        MessageBoxes verify; // each add is checked, and the lone camera defect is told
        for (const PixelCoords &coordinates : userList) {
            if (!user->Add(coordinates))
                return false;
        }
        return verify.titles.size() == userList.size() && verify.titles.count("Verify Last Input") == userList.size()
            && user->ColouredRows(CameraView, Qt::red) == Indexes({3});
    }

    // The monochrome camera connected, its list downloaded, and the user list added.
    bool DownloadedWith(const Coordinates &userList) { return user->ConnectAndDownload(Mono) && Added(userList); }

    // Adds the coordinates in turn, with no box shown.
    bool Added(const Coordinates &userList)
    {
        MessageBoxes boxes;
        for (const PixelCoords &coordinates : userList) {
            if (!user->Add(coordinates))
                return false;
        }
        return boxes.lines.isEmpty();
    }

    std::unique_ptr<WorkflowWindow> user;
};

QTEST_MAIN(tst_UserListWorkflows)
#include "tst_UserListWorkflows.moc"
