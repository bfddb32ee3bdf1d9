#include "DebugLines.h"
#include "MessageBoxes.h"
#include "SimulatedCameras.h"
#include "WorkflowWindow.h"

#include "ZorvikSim/Simulator.h"

#include <QListWidget>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

const QString NoCamera = QStringLiteral("No Camera Connected...");
const QStringList DisconnectedButtons = {"aboutButton", "connectButton", "exitButton", "helpButton", "refreshButton"};
const QStringList ConnectedButtons = {"aboutButton",  "backupButton",     "clearButton",   "disconnectButton",
                                      "downloadButton", "exitButton",     "helpButton",    "loadButton",
                                      "refreshButton", "removeButton",    "restoreButton", "revertButton",
                                      "saveButton",   "uploadButton",     "addButton"};

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

bool HasCall(const std::string &id, const std::string &operation)
{
    const std::vector<ZorvikSim::Call> calls = ZorvikSim::Calls(id);
    return std::any_of(calls.cbegin(), calls.cend(),
                       [&operation](const ZorvikSim::Call &call) { return call.operation == operation; });
}

// What the window showed at the moment it wrote the line about a camera that went away.
struct AtUnplugLine
{
    bool written = false;
    QString label;
    int cameraRows = -1;
    bool stillListed = false;
};

WorkflowWindow *watched = nullptr;
QString unpluggedEntry;
AtUnplugLine atUnplugLine;
QtMessageHandler previousHandler = nullptr;

void RecordUnplugLine(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message == QLatin1String("Camera list changed. A camera was disconnected from the system.") && watched) {
        atUnplugLine.written = true;
        atUnplugLine.label = watched->CameraLabel();
        atUnplugLine.cameraRows = watched->Rows("cameraDefectivePixelView").size();
        atUnplugLine.stillListed =
            !watched->Find<QListWidget>("cameraList")->findItems(unpluggedEntry, Qt::MatchExactly).isEmpty();
    }
    if (type != QtDebugMsg)
        previousHandler(type, context, message);
}

} // namespace

// Connecting to the camera the user picked, the refusals, disconnecting, and cameras that
// are plugged in and unplugged while the window runs.
class tst_ConnectionWorkflow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void refusals_data();
    void refusals();
    void connects_data();
    void connects();
    void disconnectKeepsUserList();
    void hotPlug();
    void otherReasonsChangeNothing();

private:
    QStringList Listed() const;

    QTemporaryDir settingsDir;
    std::unique_ptr<WorkflowWindow> user;
};

void tst_ConnectionWorkflow::initTestCase()
{
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    SimulatedCameras::Attach();
    // Models whose parenthesised groups the display name leaves out.
    const std::pair<const char *, const char *> grouped[] = {{"(X1)-HN2702-M", "5001"}, {"(a)-(b)-HN2702-M", "6001"}};
    for (const auto &modelAndSerial : grouped) {
        ZorvikSim::CameraSpec spec;
        spec.model = modelAndSerial.first;
        spec.serialNumber = modelAndSerial.second;
        QVERIFY(ZorvikSim::Attach(spec));
    }
}

void tst_ConnectionWorkflow::init()
{
    SimulatedCameras::Reset();
    user = std::make_unique<WorkflowWindow>();
    for (const ZorvikSim::CameraSpec &camera : ZorvikSim::Cameras())
        ZorvikSim::ClearCalls(camera.id);
}

void tst_ConnectionWorkflow::cleanup()
{
    user.reset();
}

QStringList tst_ConnectionWorkflow::Listed() const
{
    QStringList entries;
    auto *list = user->Find<QListWidget>("cameraList");
    for (int row = 0; row < list->count(); ++row)
        entries.append(list->item(row)->text());
    return entries;
}

void tst_ConnectionWorkflow::refusals_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("refreshFirst");
    QTest::addColumn<bool>("failingCamera");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("leftOpen");

    const QString model = QStringLiteral("Talvern does not support this camera model.");
    QTest::newRow("no row selected") << QString() << false << false << QString() << false;
    QTest::newRow("selection dropped by a refresh") << SimulatedCameras::Mono << true << false << QString() << false;
    QTest::newRow("unsupported model, never opened") << SimulatedCameras::Unsupported << false << false << model
                                                     << false;
    QTest::newRow("camera that cannot be opened") << SimulatedCameras::Mono << false << true
                                                  << "Could not connect to the selected camera." << false;
    QTest::newRow("no flash file system, left open") << SimulatedCameras::WithoutFlash << false << false << model
                                                     << true;
}

void tst_ConnectionWorkflow::refusals()
{
    QFETCH(QString, entry);
    QFETCH(bool, refreshFirst);
    QFETCH(bool, failingCamera);
    QFETCH(QString, text);
    QFETCH(bool, leftOpen);
    const std::string id = entry.section('-', 2, 2).toStdString();
    if (failingCamera)
        QVERIFY(SimulatedCameras::FailEveryCall(QString::fromStdString(id)));
    auto *list = user->Find<QListWidget>("cameraList");
    list->setCurrentItem(entry.isEmpty() ? nullptr : list->findItems(entry, Qt::MatchExactly).value(0));
    if (refreshFirst)
        QVERIFY(user->Click("refreshButton"));

    MessageBoxes boxes;
    QVERIFY(user->Click("connectButton"));

    QCOMPARE(boxes.seen.size(), text.isEmpty() ? 0 : 1);
    if (!text.isEmpty()) {
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Connection Error"));
        QCOMPARE(boxes.seen[0].text, text);
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(boxes.seen[0].buttons, QMessageBox::Ok);
        QCOMPARE(boxes.seen[0].parent, user->Window());
    }
    QCOMPARE(user->CameraLabel(), NoCamera);
    QCOMPARE(user->EnabledButtons(), DisconnectedButtons);
    if (!id.empty() && !failingCamera) {
        QCOMPARE(HasCall(id, "Open"), leftOpen);
        QVERIFY(!HasCall(id, "Close"));
    }
}

void tst_ConnectionWorkflow::connects_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("label");

    QTest::newRow("monochrome") << SimulatedCameras::Mono << SimulatedCameras::Mono;
    QTest::newRow("ID in parentheses kept") << SimulatedCameras::Bayer << SimulatedCameras::Bayer;
    QTest::newRow("group before a hyphen dropped") << "(X1)-HN2702-M-5001" << "HN2702-M-5001";
    QTest::newRow("every such group dropped") << "(a)-(b)-HN2702-M-6001" << "HN2702-M-6001";
}

void tst_ConnectionWorkflow::connects()
{
    QFETCH(QString, entry);
    QFETCH(QString, label);
    MessageBoxes boxes;

    QVERIFY(user->Connect(entry));

    QVERIFY(boxes.seen.isEmpty());
    QCOMPARE(user->CameraLabel(), label);
    QCOMPARE(user->EnabledButtons(), Sorted(ConnectedButtons));
    QVERIFY(user->Rows("cameraDefectivePixelView").isEmpty());
}

void tst_ConnectionWorkflow::disconnectKeepsUserList()
{
    MessageBoxes boxes;
    QVERIFY(user->ConnectAndDownload(SimulatedCameras::Mono));
    QVERIFY(user->Add({5, 5}));
    user->Find<QTabWidget>("tabWidget")->setCurrentIndex(2);

    QVERIFY(user->Click("disconnectButton"));

    QVERIFY(user->Rows("cameraDefectivePixelView").isEmpty());
    QCOMPARE(user->Rows("userDefectivePixelView"), QList<PixelCoords>({{5, 5}}));
    QCOMPARE(user->CameraLabel(), NoCamera);
    QCOMPARE(user->EnabledButtons(), DisconnectedButtons);
    QCOMPARE(user->Find<QTabWidget>("tabWidget")->currentIndex(), 2);
    QVERIFY(HasCall("1001", "Close"));

    // Connected again, the camera list is downloaded afresh before the user list is checked.
    QVERIFY(user->Connect(SimulatedCameras::Mono));
    QVERIFY(user->Add({6, 6}));
    QCOMPARE(user->Rows("cameraDefectivePixelView"), SimulatedCameras::MonoList());
    QVERIFY(boxes.seen.isEmpty());
}

void tst_ConnectionWorkflow::hotPlug()
{
    MessageBoxes boxes;
    ZorvikSim::CameraSpec first;
    first.serialNumber = "8001";
    ZorvikSim::CameraSpec second;
    second.serialNumber = "8002";
    QTest::ignoreMessage(QtDebugMsg, "Camera list changed. A new camera was discovered by Zorvik.");
    QTest::ignoreMessage(QtDebugMsg, "Camera list changed. A new camera was discovered by Zorvik.");
    QVERIFY(ZorvikSim::Attach(first));
    QVERIFY(ZorvikSim::Attach(second));
    QTRY_VERIFY(Listed().contains("HN2702-M-8001") && Listed().contains("HN2702-M-8002"));
    QVERIFY(user->ConnectAndDownload("HN2702-M-8001"));

    QVERIFY(ZorvikSim::Detach("8002"));
    QTRY_VERIFY(!Listed().contains("HN2702-M-8002"));
    QCOMPARE(user->CameraLabel(), QStringLiteral("HN2702-M-8001"));
    QVERIFY(!user->Rows("cameraDefectivePixelView").isEmpty());

    watched = user.get();
    unpluggedEntry = QStringLiteral("HN2702-M-8001");
    previousHandler = qInstallMessageHandler(RecordUnplugLine);
    QVERIFY(ZorvikSim::Detach("8001"));
    QTRY_VERIFY(!Listed().contains("HN2702-M-8001"));
    qInstallMessageHandler(previousHandler);
    watched = nullptr;

    // The window had already disconnected when the line was written and the list refreshed.
    QVERIFY(atUnplugLine.written);
    QCOMPARE(atUnplugLine.label, NoCamera);
    QCOMPARE(atUnplugLine.cameraRows, 0);
    QVERIFY(atUnplugLine.stillListed);
    QCOMPARE(user->EnabledButtons(), DisconnectedButtons);
    QVERIFY(Listed().contains(SimulatedCameras::Mono));
    QVERIFY(boxes.seen.isEmpty());
}

void tst_ConnectionWorkflow::otherReasonsChangeNothing()
{
    auto *list = user->Find<QListWidget>("cameraList");
    list->addItem("stale entry");
    const QStringList before = Listed();
    DebugLines log;

    QVERIFY(QMetaObject::invokeMethod(user->Window(), "OnCameraListChanged", Q_ARG(int, 2)));
    QVERIFY(QMetaObject::invokeMethod(user->Window(), "OnCameraListChanged", Q_ARG(int, -1)));

    QCOMPARE(log.Lines(), QStringList());
    QCOMPARE(Listed(), before);
}

QTEST_MAIN(tst_ConnectionWorkflow)
#include "tst_ConnectionWorkflow.moc"
