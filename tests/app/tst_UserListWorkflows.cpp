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
        QTest::addColumn<Coordinates>("after");
        QTest::addColumn<Indexes>("yellow");
        QTest::addColumn<Indexes>("red");

        const Coordinates four{{1, 1}, {2, 2}, {3, 3}, {4, 4}};
        QTest::newRow("appended without a current row") << four << -1 << PixelCoords(5, 5) << four + Coordinates{{5, 5}}
                                                        << Indexes() << Indexes();
        QTest::newRow("inserted below the current row")
            << four << 2 << PixelCoords(9, 9) << Coordinates{{1, 1}, {2, 2}, {3, 3}, {9, 9}, {4, 4}} << Indexes()
            << Indexes();
        QTest::newRow("already in the camera list") << Coordinates() << -1 << PixelCoords(10, 100)
                                                    << Coordinates{{10, 100}} << Indexes() << Indexes();
        QTest::newRow("run of five turns yellow") << Coordinates{{7, 7}} << -1 << PixelCoords(10, 104)
                                                  << Coordinates{{7, 7}, {10, 104}} << Indexes{1} << Indexes();
        QTest::newRow("outside the sensor turns red") << Coordinates() << -1 << PixelCoords(2048, 3)
                                                      << Coordinates{{2048, 3}} << Indexes() << Indexes{0};
    }

    void add()
    {
        QFETCH(Coordinates, before);
        QFETCH(int, currentRow);
        QFETCH(PixelCoords, added);
        QFETCH(Coordinates, after);
        QFETCH(Indexes, yellow);
        QFETCH(Indexes, red);
        QVERIFY(DownloadedWith(before));
        user->SetCurrentUserRow(currentRow);
        MessageBoxes boxes;

        QVERIFY(user->Add(added));

        QVERIFY(boxes.lines.isEmpty());
        QCOMPARE(user->Rows(UserView), after);
        QCOMPARE(user->ColouredRows(UserView, Qt::yellow), yellow);
        QCOMPARE(user->ColouredRows(UserView, Qt::red), red);

        // The same coordinate once more is refused, wherever the current row is.
        QVERIFY(user->Add(added));
        QCOMPARE(boxes.lines, QStringList({Box(QMessageBox::Warning, "Duplicate Coordinates Added",
                                               "Coordinates already exist in the user defective pixel list.\nPlease verify input and try again.")}));
        QCOMPARE(user->Rows(UserView), after);
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
        QTest::addColumn<Coordinates>("after");

        const QString uploadRefused = Waiting(Box(QMessageBox::Warning, "Upload Error", ListEmptyText));
        QTest::newRow("add") << "addButton" << QStringList{DownloadFailed, ListEmpty}
                             << Coordinates{{1, 1}, {2, 2}, {5, 5}};
        QTest::newRow("remove") << "removeButton" << QStringList{DownloadFailed, ListEmpty} << Coordinates{{1, 1}};
        QTest::newRow("load") << "loadButton" << QStringList{Overwrite, DownloadFailed, ListEmpty}
                              << Coordinates{{7, 7}};
        QTest::newRow("upload") << "uploadButton" << QStringList{DownloadFailed, uploadRefused}
                                << Coordinates{{1, 1}, {2, 2}};
    }

    void checkWithoutCameraList()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, boxes);
        QFETCH(Coordinates, after);
        QVERIFY(DownloadedWith({{1, 1}, {2, 2}}));
        QVERIFY(user->Click("disconnectButton")); // the camera list is gone, the user list stays
        QVERIFY(user->Connect(Mono));
        QVERIFY(SimulatedCameras::LoseDefectFiles("1001"));
        user->SetCurrentUserRow(1);
        MessageBoxes seen({QMessageBox::Yes});
        FileDialogAnswer dialog(user->WriteFile("list.csv", "Row,Column\n7, 7\n"));

        QVERIFY(button == "addButton" ? user->Add({5, 5}) : user->Click(qPrintable(button)));

        QCOMPARE(seen.lines, boxes);
        QCOMPARE(user->Rows(UserView), after);
        QVERIFY(user->Rows(CameraView).isEmpty());
        QVERIFY(SimulatedCameras::File("1001").isEmpty());
    }

    // Removing user rows or clearing the list gives the camera table back its own colours.
    void userRowsGo_data()
    {
        QTest::addColumn<Coordinates>("before");
        QTest::addColumn<int>("currentRow");
        QTest::addColumn<QString>("button");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<Coordinates>("after");
        QTest::addColumn<Indexes>("cameraRed");

        const Coordinates two{{30, 52}, {900, 900}};
        QTest::newRow("remove one of two, checked again") << two << 1 << "removeButton" << Answers()
                                                          << Coordinates{{30, 52}} << Indexes{3};
        QTest::newRow("remove the last") << Coordinates{{30, 52}} << 0 << "removeButton" << Answers() << Coordinates()
                                         << Indexes();
        QTest::newRow("remove without a current row") << two << -1 << "removeButton" << Answers() << two << Indexes{3};
        QTest::newRow("clear answered Yes") << two << 1 << "clearButton" << Answers{QMessageBox::Yes} << Coordinates()
                                            << Indexes();
        QTest::newRow("clear answered No") << two << 1 << "clearButton" << Answers{QMessageBox::No} << two
                                           << Indexes{3};
    }

    void userRowsGo()
    {
        QFETCH(Coordinates, before);
        QFETCH(int, currentRow);
        QFETCH(QString, button);
        QFETCH(Answers, answers);
        QFETCH(Coordinates, after);
        QFETCH(Indexes, cameraRed);
        QVERIFY(SimulatedCameras::SetFile("1001", SimulatedCameras::Encoded(2048, 2048, GapRow)));
        QVERIFY(user->ConnectAndDownload(Mono));
        QCOMPARE(user->ColouredRows(CameraView, Qt::yellow), Indexes({2, 3, 4, 5, 6, 7}));
        {
            // Closing the gap leaves the camera's defect at column 54 alone: the user is told.
            MessageBoxes verify;
            for (const PixelCoords &coordinates : before)
                QVERIFY(user->Add(coordinates));
            QCOMPARE(verify.titles.size(), before.size());
            QCOMPARE(verify.titles.count("Verify Last Input"), before.size());
        }
        QCOMPARE(user->ColouredRows(CameraView, Qt::red), Indexes({3}));
        user->SetCurrentUserRow(currentRow);
        MessageBoxes boxes(answers);
        DebugLines log;

        QVERIFY(user->Click(qPrintable(button)));

        QCOMPARE(user->Rows(UserView), after);
        QCOMPARE(user->ColouredRows(CameraView, Qt::red), cameraRed);
        QCOMPARE(user->ColouredRows(CameraView, Qt::yellow).size(), 6 - cameraRed.size());
        const QString clear = Box(QMessageBox::Question, "Clear User Defective Pixel List?",
                                  "Are you sure you want to clear the user defective pixel list?");
        QCOMPARE(boxes.lines, button == "clearButton" ? QStringList({clear}) : QStringList());
        QVERIFY(!log.Lines().contains("Generate1DNbEncodingFromDefectImage() failed"));
    }

    void load_data()
    {
        QTest::addColumn<Coordinates>("before");
        QTest::addColumn<QString>("csv");
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<Coordinates>("after");

        const QString csv = QStringLiteral("Row,Column\n5, 5\n2048, 1\n");
        const Coordinates loaded{{5, 5}, {2048, 1}};
        const Coordinates kept{{1, 1}};
        const Answers yes{QMessageBox::Yes};
        const QString format = Box(QMessageBox::Critical, "Incorrect file format",
                                   "Please refer to the help page for the correct defective pixel list file format.");
        QTest::newRow("into an empty list without asking") << Coordinates() << csv << Answers() << QStringList()
                                                           << loaded;
        QTest::newRow("overwrite answered Yes") << kept << csv << yes << QStringList{Overwrite} << loaded;
        QTest::newRow("overwrite answered No") << kept << csv << Answers{QMessageBox::No} << QStringList{Overwrite}
                                               << kept;
        QTest::newRow("file dialog cancelled") << kept << QString() << yes << QStringList{Overwrite} << kept;
        QTest::newRow("not a list file") << Coordinates() << "5;5\n" << Answers() << QStringList{format}
                                         << Coordinates();
        QTest::newRow("header only") << Coordinates() << "Row,Column\n" << Answers() << QStringList{ListEmpty}
                                     << Coordinates();
    }

    void load()
    {
        QFETCH(Coordinates, before);
        QFETCH(QString, csv);
        QFETCH(Answers, answers);
        QFETCH(QStringList, boxes);
        QFETCH(Coordinates, after);
        QVERIFY(DownloadedWith(before));
        const QString fileName = user->WriteFile("list.csv", csv.toUtf8());
        MessageBoxes seen(answers);
        FileDialogAnswer dialog(csv.isNull() ? QString() : fileName);

        QVERIFY(user->Click("loadButton"));

        QCOMPARE(seen.lines, boxes);
        const QStringList offered{"Open Custom Defective Pixel List", "/", CsvFilter, "open", "arrow"};
        QCOMPARE(dialog.offered, answers == Answers{QMessageBox::No} ? QStringList() : offered);
        QCOMPARE(user->Rows(UserView), after);
        QCOMPARE(user->ColouredRows(UserView, Qt::red), after.size() == 2 ? Indexes({1}) : Indexes());
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
        QTest::addColumn<bool>("readBackDiffers");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Coordinates>("uploaded");

        const Coordinates withRun = SimulatedCameras::MonoList();
        const Coordinates clean{{10, 100}, {10, 101}, {300, 7}};
        const Answers yes{QMessageBox::Yes};
        const QString warning = QStringLiteral("Warning! The following issue(s) have been detected in the user DP list:\n\n- Defective pixels outside of sensor range\n");
        const QString question = QStringLiteral("\nWould you like to proceed with the upload process?");
        const QStringList both{Waiting(Box(QMessageBox::Warning, "Proceed With Upload?",
                                           warning + "- More than four consecutive defective pixels\n" + question))};
        const QStringList outside{Waiting(Box(QMessageBox::Warning, "Proceed With Upload?", warning + question))};
        const QStringList empty{Waiting(Box(QMessageBox::Warning, "Upload Error", ListEmptyText))};
        const QStringList failed{Waiting(Box(QMessageBox::Critical, "Upload Error",
                                             "Could not upload user defective pixel list to camera. Please try again."))};
        QTest::newRow("user list empty") << clean << Coordinates() << Answers() << false << empty << QStringList()
                                         << Coordinates();
        QTest::newRow("no findings, no question")
            << clean << Coordinates{{5, 5}} << Answers() << false << QStringList() << QStringList()
            << clean + Coordinates{{5, 5}};
        QTest::newRow("findings accepted, outside dropped")
            << withRun << Coordinates{{2048, 5}, {6, 6}} << yes << false << both << QStringList()
            << withRun + Coordinates{{6, 6}};
        QTest::newRow("findings declined") << withRun << Coordinates{{2048, 5}} << Answers{QMessageBox::No} << false
                                           << both
                                           << QStringList{"ValidateDefectivePixelCoordinates() failed", PrepareFailed}
                                           << Coordinates();
        QTest::newRow("nothing left to write") << Coordinates() << Coordinates{{2048, 5}} << yes << false << outside
                                               << QStringList{"Formating Defect File data failed", PrepareFailed}
                                               << Coordinates();
        QTest::newRow("writing into the camera fails")
            << clean << Coordinates{{5, 5}} << Answers() << true << failed << QStringList() << Coordinates();
    }

    void upload()
    {
        QFETCH(Coordinates, cameraList);
        QFETCH(Coordinates, userList);
        QFETCH(Answers, answers);
        QFETCH(bool, readBackDiffers);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, lines);
        QFETCH(Coordinates, uploaded);
        QVERIFY(SimulatedCameras::SetFile("1001", SimulatedCameras::Encoded(2048, 2048, cameraList)));
        const QByteArray before = SimulatedCameras::File("1001");
        QVERIFY(user->Connect(Mono));
        QVERIFY(user->Click("downloadButton"));
        QVERIFY(Added(userList));
        if (readBackDiffers)
            QVERIFY(SimulatedCameras::Fail("1001", ZorvikSim::FaultKind::ReadBackDiffers));
        const Coordinates cameraTable = user->Rows(CameraView);
        MessageBoxes seen(answers);
        DebugLines log;

        QVERIFY(user->Click("uploadButton"));

        QCOMPARE(seen.lines, boxes);
        QVERIFY2(log.Lines().join('\n').contains(lines.join('\n')), qPrintable(log.Lines().join('\n')));
        if (!readBackDiffers)
            QCOMPARE(SimulatedCameras::File("1001") == before, uploaded.isEmpty());
        if (!uploaded.isEmpty())
            QCOMPARE(Sorted(SimulatedCameras::Decoded(SimulatedCameras::File("1001"))), Sorted(uploaded));
        QCOMPARE(Sorted(user->Rows(CameraView)), uploaded.isEmpty() ? Sorted(cameraTable) : Sorted(uploaded));
        QCOMPARE(user->Rows(UserView), userList);
    }

private:
    // Adds the coordinates in turn, with no box shown.
    bool Added(const Coordinates &list)
    {
        MessageBoxes boxes;
        for (const PixelCoords &coordinates : list) {
            if (!user->Add(coordinates))
                return false;
        }
        return boxes.lines.isEmpty();
    }

    // The monochrome camera connected, its list downloaded, and the user list added.
    bool DownloadedWith(const Coordinates &userList)
    {
        return user->ConnectAndDownload(Mono) && Added(userList);
    }

    std::unique_ptr<WorkflowWindow> user;
};

QTEST_MAIN(tst_UserListWorkflows)
#include "tst_UserListWorkflows.moc"
