#include "DebugLines.h"
#include "MessageBoxes.h"
#include "WorkflowWindow.h"

#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

const QString NoCamera = QStringLiteral("No Camera Connected...");
const QString Unplugged = QStringLiteral("Camera list changed. A camera was disconnected from the system.");
const QString Discovered = QStringLiteral("Camera list changed. A new camera was discovered by Zorvik.");
const QStringList DisconnectedButtons = {"aboutButton", "connectButton", "exitButton", "helpButton", "refreshButton"};
const QStringList ConnectedButtons = {"aboutButton", "addButton", "backupButton", "clearButton", "disconnectButton",
                                      "downloadButton", "exitButton", "helpButton", "loadButton", "refreshButton",
                                      "removeButton", "restoreButton", "revertButton", "saveButton", "uploadButton"};

bool HasCall(const QString &id, const std::string &operation)
{
    const std::vector<ZorvikSim::Call> calls = ZorvikSim::Calls(id.toStdString());
    return std::any_of(calls.cbegin(), calls.cend(),
                       [&operation](const ZorvikSim::Call &call) { return call.operation == operation; });
}

} // namespace

// Connecting to the camera the user picked, the refusals, disconnecting, and cameras that
// are plugged in and unplugged while the window runs.
class tst_ConnectionWorkflow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WorkflowWindow::Prepare(); }
    void init() { user = std::make_unique<WorkflowWindow>(); }
    void cleanup() { user.reset(); }

    void connecting_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("failing");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("label");

        using namespace SimulatedCameras;
        const QString title = QStringLiteral("Connection Error");
        const QString model = Box(QMessageBox::Critical, title, "Talvern does not support this camera model.");
        const QString cannotOpen = Box(QMessageBox::Critical, title, "Could not connect to the selected camera.");
        QTest::newRow("no row selected") << QString() << "" << false << "" << false << NoCamera;
        QTest::newRow("unsupported model, never opened") << Unsupported << "3001" << false << model << false << NoCamera;
        QTest::newRow("camera that cannot be opened") << Mono << "1001" << true << cannotOpen << true << NoCamera;
        QTest::newRow("no flash file system, left open") << WithoutFlash << "4001" << false << model << true << NoCamera;
        QTest::newRow("monochrome") << Mono << "1001" << false << "" << true << Mono;
        QTest::newRow("ID in parentheses kept") << Bayer << "CAM-7" << false << "" << true << Bayer;
        QTest::newRow("groups before a hyphen dropped") << Grouped << "6001" << false << "" << true << "HN2702-M-6001";
    }

    void connecting()
    {
        QFETCH(QString, entry);
        QFETCH(QString, id);
        QFETCH(bool, failing);
        QFETCH(QString, box);
        QFETCH(bool, opened);
        QFETCH(QString, label);
        if (failing)
            QVERIFY(SimulatedCameras::Fail(id, ZorvikSim::FaultKind::FailFromCall));
        MessageBoxes boxes;

        QVERIFY(user->Connect(entry));

        QCOMPARE(boxes.lines, box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(user->CameraLabel(), label);
        QCOMPARE(user->EnabledButtons(), label == NoCamera ? DisconnectedButtons : ConnectedButtons);
        QVERIFY(user->Rows("cameraDefectivePixelView").isEmpty());
        QCOMPARE(HasCall(id, "Open"), opened);
        QVERIFY(!HasCall(id, "Close"));
    }

    // Connecting again downloads the camera list afresh before the user list is checked: see the
    // user list tests without a camera list.
    void disconnectKeepsUserList()
    {
        QVERIFY(user->ConnectAndDownload(SimulatedCameras::Mono));
        QVERIFY(user->Add({5, 5}));

        QVERIFY(user->Click("disconnectButton"));

        QVERIFY(user->Rows("cameraDefectivePixelView").isEmpty());
        QCOMPARE(user->Rows("userDefectivePixelView"), QList<PixelCoords>({{5, 5}}));
        QCOMPARE(user->CameraLabel(), NoCamera);
        QCOMPARE(user->EnabledButtons(), DisconnectedButtons);
        QVERIFY(HasCall("1001", "Close"));
    }

    void hotPlug()
    {
        MessageBoxes boxes;
        QTest::ignoreMessage(QtDebugMsg, qPrintable(Discovered));
        QTest::ignoreMessage(QtDebugMsg, qPrintable(Discovered));
        QVERIFY(ZorvikSim::Attach({"HN2702-M", "8001", "", 2048, 2048, "Mono", true, 65536}));
        QVERIFY(ZorvikSim::Attach({"HN2702-M", "8002", "", 2048, 2048, "Mono", true, 65536}));
        QTRY_VERIFY(user->Listed().contains("HN2702-M-8001") && user->Listed().contains("HN2702-M-8002"));
        QVERIFY(user->ConnectAndDownload("HN2702-M-8001"));

        QVERIFY(ZorvikSim::Detach("8002"));
        QTRY_VERIFY(!user->Listed().contains("HN2702-M-8002"));
        QCOMPARE(user->CameraLabel(), QStringLiteral("HN2702-M-8001"));
        QVERIFY(!user->Rows("cameraDefectivePixelView").isEmpty());

        // What the window shows when it writes the line about the connected camera going away:
        // already disconnected, the list not yet refreshed.
        QStringList atUnplugLine;
        {
            DebugLines log([this, &atUnplugLine](const QString &line) {
                if (line != Unplugged)
                    return;
                const int cameraRows = user->Rows("cameraDefectivePixelView").size();
                const bool listed = user->Listed().contains("HN2702-M-8001");
                atUnplugLine =
                    QStringList{user->CameraLabel(), QString::number(cameraRows), listed ? "listed" : "gone"};
            });
            QVERIFY(ZorvikSim::Detach("8001"));
            QTRY_VERIFY(!user->Listed().contains("HN2702-M-8001"));
        }
        QCOMPARE(atUnplugLine, QStringList({NoCamera, "0", "listed"}));
        QCOMPARE(user->EnabledButtons(), DisconnectedButtons);
        QVERIFY(user->Listed().contains(SimulatedCameras::Mono));
        QVERIFY(boxes.lines.isEmpty());
    }

    void otherReasonsChangeNothing()
    {
        user->Find<QListWidget>("cameraList")->addItem("stale entry");
        const QStringList before = user->Listed();
        DebugLines log;

        QVERIFY(QMetaObject::invokeMethod(user->Window(), "OnCameraListChanged", Q_ARG(int, 2)));
        QVERIFY(QMetaObject::invokeMethod(user->Window(), "OnCameraListChanged", Q_ARG(int, -1)));

        QCOMPARE(log.Lines(), QStringList());
        QCOMPARE(user->Listed(), before);
    }

private:
    std::unique_ptr<WorkflowWindow> user;
};

QTEST_MAIN(tst_ConnectionWorkflow)
#include "tst_ConnectionWorkflow.moc"
