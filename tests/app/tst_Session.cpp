#include "FileDialogAnswer.h"
#include "MessageBoxes.h"
#include "WorkflowWindow.h"

#include <QtTest>

// One session as a user runs it: connect, download, add, load, upload, back up, revert and
// restore, with the camera holding exactly the backed-up bytes at the end.
class tst_Session : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WorkflowWindow::Prepare(); }
    void wholeSession()
    {
        WorkflowWindow user;
        const char *camera = "cameraDefectivePixelView";
        const char *users = "userDefectivePixelView";

        QVERIFY(user.ConnectAndDownload(SimulatedCameras::Mono));
        QCOMPARE(user.Rows(camera), SimulatedCameras::MonoList());
        QCOMPARE(user.ColouredRows(camera, Qt::yellow), QList<int>({4, 5, 6, 7, 8}));

        {
            MessageBoxes none;
            QVERIFY(user.Add({10, 104})); // with the camera's 100 to 103, a run of five
            QCOMPARE(user.ColouredRows(users, Qt::yellow), QList<int>({0}));
            QVERIFY(none.lines.isEmpty());
        }

        const QString csv = user.WriteFile("list.csv", "Row,Column\n10, 104\n2048, 9\n400, 400\n");
        {
            MessageBoxes overwrite({QMessageBox::Yes});
            FileDialogAnswer dialog(csv);
            QVERIFY(user.Click("loadButton"));
            QCOMPARE(overwrite.titles, QStringList({"Overwrite User Defective Pixel List?"}));
            QCOMPARE(user.Rows(users), QList<PixelCoords>({{10, 104}, {2048, 9}, {400, 400}}));
            QCOMPARE(user.ColouredRows(users, Qt::yellow), QList<int>({0}));
            QCOMPARE(user.ColouredRows(users, Qt::red), QList<int>({1}));
        }

        const QList<PixelCoords> expected = SimulatedCameras::MonoList() + QList<PixelCoords>({{10, 104}, {400, 400}});
        {
            MessageBoxes proceed({QMessageBox::Yes});
            QVERIFY(user.Click("uploadButton"));
            QCOMPARE(proceed.titles, QStringList({"Proceed With Upload?"}));
        }
        QCOMPARE(Sorted(user.Rows(camera)), Sorted(expected));
        QCOMPARE(Sorted(SimulatedCameras::Decoded(SimulatedCameras::File("1001"))), Sorted(expected));

        const auto uploaded = SimulatedCameras::File("1001");
        {
            FileDialogAnswer dialog(user.File("session.bin"));
            QVERIFY(user.Click("backupButton"));
        }
        QCOMPARE(user.ReadFile("1001_session.bin"), uploaded);

        {
            MessageBoxes revert({QMessageBox::Yes});
            QVERIFY(user.Click("revertButton"));
            QCOMPARE(revert.titles, QStringList({"Revert Defective Pixel List?"}));
        }
        const auto factory = SimulatedCameras::File("1001", ZorvikSim::FactoryDefectFileId);
        QCOMPARE(SimulatedCameras::File("1001"), factory);
        QCOMPARE(user.Rows(camera), SimulatedCameras::Decoded(factory));

        {
            MessageBoxes none;
            FileDialogAnswer dialog(user.File("1001_session.bin"));
            QVERIFY(user.Click("restoreButton"));
            QVERIFY(none.lines.isEmpty());
        }
        QCOMPARE(SimulatedCameras::File("1001"), uploaded);
        QCOMPARE(Sorted(user.Rows(camera)), Sorted(expected));
        QCOMPARE(user.Rows(users), QList<PixelCoords>({{10, 104}, {2048, 9}, {400, 400}}));
    }
};

QTEST_MAIN(tst_Session)
#include "tst_Session.moc"
