#include "FileDialogAnswer.h"
#include "MessageBoxes.h"
#include "WorkflowWindow.h"

#include <QtTest>

#include <memory>

// One session as a user runs it: connect, download, add, load, upload, back up, revert and
// restore, with the camera holding exactly the backed-up bytes at the end.
class tst_Session : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WorkflowWindow::Prepare(); }

    void wholeSession()
    {
        user = std::make_unique<WorkflowWindow>();
        const char *camera = "cameraDefectivePixelView";
        const char *users = "userDefectivePixelView";
        const QList<PixelCoords> userList{{10, 104}, {2048, 9}, {400, 400}};
        const QList<PixelCoords> merged = SimulatedCameras::MonoList() + QList<PixelCoords>({{10, 104}, {400, 400}});

        QVERIFY(user->ConnectAndDownload(SimulatedCameras::Mono));
        QCOMPARE(user->Rows(camera), SimulatedCameras::MonoList());
        QCOMPARE(user->ColouredRows(camera, Qt::yellow), QList<int>({4, 5, 6, 7, 8}));

        {
            MessageBoxes none;
            QVERIFY(user->Add({10, 104})); // with the camera's 100 to 103, a run of five
            QVERIFY(none.lines.isEmpty());
        }
        QCOMPARE(user->ColouredRows(users, Qt::yellow), QList<int>({0}));

        const QString csv = user->WriteFile("list.csv", "Row,Column\n10, 104\n2048, 9\n400, 400\n");
        QCOMPARE(Press("loadButton", {QMessageBox::Yes}, csv), QStringList({"Overwrite User Defective Pixel List?"}));
        QCOMPARE(user->Rows(users), userList);
        QCOMPARE(user->ColouredRows(users, Qt::yellow), QList<int>({0}));
        QCOMPARE(user->ColouredRows(users, Qt::red), QList<int>({1}));

        QCOMPARE(Press("uploadButton", {QMessageBox::Yes}), QStringList({"Proceed With Upload?"}));
        QCOMPARE(Sorted(user->Rows(camera)), Sorted(merged));
        const QByteArray uploaded = SimulatedCameras::File("1001");
        QCOMPARE(Sorted(SimulatedCameras::Decoded(uploaded)), Sorted(merged));

        QCOMPARE(Press("backupButton", {}, user->File("session.bin")), QStringList());
        QCOMPARE(user->ReadFile("1001_session.bin"), uploaded);

        QCOMPARE(Press("revertButton", {QMessageBox::Yes}), QStringList({"Revert Defective Pixel List?"}));
        const QByteArray factory = SimulatedCameras::File("1001", ZorvikSim::FactoryDefectFileId);
        QCOMPARE(SimulatedCameras::File("1001"), factory);
        QCOMPARE(user->Rows(camera), SimulatedCameras::Decoded(factory));

        QCOMPARE(Press("restoreButton", {}, user->File("1001_session.bin")), QStringList());
        QCOMPARE(SimulatedCameras::File("1001"), uploaded);
        QCOMPARE(Sorted(user->Rows(camera)), Sorted(merged));
        QCOMPARE(user->Rows(users), userList);
    }

private:
    // Presses the button, answering its boxes in turn and its file dialog with `fileName`: the
    // titles of the boxes shown.
    QStringList Press(const char *button, QList<QMessageBox::StandardButton> answers = {}, const QString &fileName = {})
    {
        MessageBoxes boxes(answers);
        FileDialogAnswer dialog(fileName);
        return user->Click(button) ? boxes.titles : QStringList({"not pressed, or the cursor left changed"});
    }

    std::unique_ptr<WorkflowWindow> user;
};

QTEST_MAIN(tst_Session)
#include "tst_Session.moc"
