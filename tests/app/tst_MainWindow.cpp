#include "MainWindow.h"

#include "MouseEvents.h"
#include "WhenShown.h"

#include "AboutDialog.h"
#include "HelpDialog.h"
#include "ZorvikSim/Simulator.h"

#include <QGraphicsDropShadowEffect>
#include <QMessageBox>
#include <QtTest>

#include <memory>

// The real main window after start-up: its widgets, its buttons' states, the cameras it
// lists, its dialogs, dragging, and the exit question.
class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void slotTable();
    void frameAndLook();
    void layoutTree();
    void buttons_data();
    void buttons();
    void otherTexts_data();
    void otherTexts();
    void tableViews();
    void camerasAttachedAtStartAreListed();
    void refreshButtonRefills();
    void camerasComingAndGoingAreFollowed();
    void drag_data();
    void drag();
    void pressOnFrameDropsUserSelection();
    void helpOpens();
    void aboutShowsSdkVersion();
    void exitAnsweredNoKeepsRunning();
    void exitAnsweredYesQuits(); // last: after a quit no further event loop runs

private:
    int ClickExitInEventLoop();

    template <typename T>
    T *Find(const char *name) const
    {
        T *widget = window->findChild<T *>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }

    QTemporaryDir settingsDir;
    std::unique_ptr<MainWindow> window;
    QSize sizeAsBuilt;
};

void tst_MainWindow::initTestCase()
{
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    ZorvikSim::UseMemory();
    ZorvikSim::CameraSpec mono;
    mono.serialNumber = "1001";
    QVERIFY(ZorvikSim::Attach(mono));
    ZorvikSim::CameraSpec bayer;
    bayer.model = "HN2702-C";
    bayer.serialNumber = "1002";
    bayer.id = "CAM-7";
    bayer.sensorType = "Bayer";
    QVERIFY(ZorvikSim::Attach(bayer));
}

void tst_MainWindow::init()
{
    window = std::make_unique<MainWindow>();
    sizeAsBuilt = window->size(); // the layout may widen it for wide fonts once shown
    window->move(40, 30);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

void tst_MainWindow::cleanup()
{
    window.reset();
}

void tst_MainWindow::slotTable()
{
    const QMetaObject *meta = window->metaObject();
    QCOMPARE(meta->className(), "MainWindow");
    const QList<QByteArray> expectedSlots = {"on_exitButton_clicked()",       "on_connectButton_clicked()",
                                     "on_disconnectButton_clicked()", "on_downloadButton_clicked()",
                                     "on_restoreButton_clicked()",    "on_backupButton_clicked()",
                                     "on_revertButton_clicked()",     "on_loadButton_clicked()",
                                     "on_saveButton_clicked()",       "on_addButton_clicked()",
                                     "on_removeButton_clicked()",     "on_clearButton_clicked()",
                                     "on_uploadButton_clicked()",     "on_helpButton_clicked()",
                                     "on_aboutButton_clicked()",      "OnCameraListChanged(int)",
                                     "UpdateCameraListView()",
                                     "HighlightDefects(QList<PixelCoords>,DefectiveListType,QColor)"};
    QCOMPARE(meta->methodCount() - meta->methodOffset(), expectedSlots.size());
    for (int index = 0; index < expectedSlots.size(); ++index)
        QCOMPARE(meta->method(meta->methodOffset() + index).methodSignature(), expectedSlots.at(index));
}

void tst_MainWindow::frameAndLook()
{
    QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(window->testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(sizeAsBuilt, QSize(403, 657));
    QCOMPARE(window->styleSheet(),
             QStringLiteral("#mainFrame {\nborder:1px solid rgb(188, 188, 188);\nborder-radius: 20px;\nbackground: white;\n}"));
    QVERIFY(Find<QTabWidget>("tabWidget")->styleSheet().startsWith("#centralWidget {\n"));
    auto *shadow = qobject_cast<QGraphicsDropShadowEffect *>(Find<QFrame>("mainFrame")->graphicsEffect());
    QVERIFY(shadow);
    QCOMPARE(shadow->blurRadius(), 4.0);
}

void tst_MainWindow::layoutTree()
{
    auto *frame = Find<QFrame>("mainFrame");
    QCOMPARE(frame->parentWidget(), window.get());
    auto *grid = Find<QGridLayout>("gridLayout");
    QCOMPARE(grid->itemAtPosition(0, 0)->widget(), Find<QFrame>("buttonsFrame"));
    QCOMPARE(grid->itemAtPosition(1, 0)->widget(), Find<QTabWidget>("tabWidget"));
    QCOMPARE(grid->itemAtPosition(2, 0)->layout(), Find<QVBoxLayout>("verticalLayout"));
    QCOMPARE(grid->contentsMargins(), QMargins(11, 11, 11, 11));
    QCOMPARE(grid->spacing(), 6);

    auto *tabs = Find<QTabWidget>("tabWidget");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->widget(0), Find<QWidget>("cameraConnectionTab"));
    QCOMPARE(tabs->widget(1), Find<QWidget>("cameraDefectivePixelTab"));
    QCOMPARE(tabs->widget(2), Find<QWidget>("userDefectivePixelTab"));

    const QStringList topBar = {"CVNIcon", "CVNLogo", "", "helpButton", "aboutButton", "exitButton"};
    auto *bar = Find<QHBoxLayout>("horizontalLayout_2");
    QCOMPARE(bar->count(), topBar.size());
    for (int index = 0; index < topBar.size(); ++index) {
        QWidget *widget = bar->itemAt(index)->widget();
        QCOMPARE(widget ? widget->objectName() : QString(), topBar.at(index));
    }
    const QStringList userRow = {"loadButton", "saveButton", "addButton", "removeButton", "clearButton", "uploadButton"};
    auto *row = Find<QHBoxLayout>("horizontalLayout");
    QCOMPARE(row->count(), userRow.size() + 1);
    for (int index = 0; index < userRow.size(); ++index)
        QCOMPARE(row->itemAt(index)->widget()->objectName(), userRow.at(index));
    QVERIFY(row->itemAt(userRow.size())->spacerItem());
}

void tst_MainWindow::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("topBar");

    auto row = [](const char *name, const char *text, const char *toolTip, const char *icon, bool enabled,
                  bool topBar = false) {
        QTest::newRow(name) << name << text << toolTip << icon << enabled << topBar;
    };
    row("helpButton", "Help", "Application help", "Help.png", true, true);
    row("aboutButton", "About", "About", "About.png", true, true);
    row("exitButton", "Exit", "Exit the application", "Close.png", true, true);
    row("connectButton", "Connect", "Connect to the selected camera", "Camera.png", true);
    row("disconnectButton", "Disconnect", "Disconnect the currently connected camera", "Disconnect.png", false);
    row("refreshButton", "Refresh", "Refresh the list of available cameras", "Refresh.png", true);
    row("downloadButton", "Download", "Download the list of defective pixels from the connected camera",
        "Download.png", false);
    row("restoreButton", "Restore",
        "<html><head/><body><p>Restore a previously saved list of defective pixels to the connected camera</p></body></html>",
        "Restore.png", false);
    row("backupButton", "Backup",
        "<html><head/><body><p>Backup the current camera defective pixel list to a file</p></body></html>",
        "Backup.png", false);
    row("revertButton", "Revert",
        "<html><head/><body><p>Revert back to the default factory defective pixel list settings</p></body></html>",
        "Revert.png", false);
    row("loadButton", "Load", "Load user defective pixel list from a file", "File.png", false);
    row("saveButton", "Save", "Save current user defective pixel list to a file", "Disk.png", false);
    row("addButton", "Add", "Add a single defective pixel coordinate", "Add.png", false);
    row("removeButton", "Remove", "Remove the selected defective pixel coordinates", "Remove.png", false);
    row("clearButton", "Clear", "Clear the user defective pixel list", "Clear.png", false);
    row("uploadButton", "Upload", "Upload the user defective pixel list to the camera storage", "Upload.png", false);
}

void tst_MainWindow::buttons()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    QFETCH(QString, icon);
    QFETCH(bool, enabled);
    QFETCH(bool, topBar);
    auto *button = Find<QToolButton>(qPrintable(name));

    QCOMPARE(button->text(), text);
    QCOMPARE(button->toolTip(), toolTip);
    QCOMPARE(button->isEnabled(), enabled);
    QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QVERIFY(button->autoRaise());
    const QImage expected = QImage(":/MainWindow/" + icon).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(button->icon().pixmap(192, 192).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), expected);
    QCOMPARE(button->iconSize() == QSize(18, 18), topBar);
    QCOMPARE(button->minimumWidth(), topBar ? 50 : 0);
}

void tst_MainWindow::otherTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("cameraLabel") << "cameraLabel" << "No Camera Connected..." << "Camera currently connected";
    QTest::newRow("cameraSpacerLabel") << "cameraSpacerLabel" << "" << "";
    QTest::newRow("CVNIcon") << "CVNIcon" << "" << "";
    QTest::newRow("CVNLogo") << "CVNLogo" << "Corvane" << "";
    QTest::newRow("cameraList") << "cameraList" << "" << "List of cameras currently available to the system";
    QTest::newRow("cameraDefectivePixelView") << "cameraDefectivePixelView" << "" << "Camera defective pixel list";
    QTest::newRow("userDefectivePixelView") << "userDefectivePixelView" << "" << "User defective pixel list";
}

void tst_MainWindow::otherTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    auto *widget = Find<QWidget>(qPrintable(name));
    QCOMPARE(widget->toolTip(), toolTip);
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), text);

    QCOMPARE(window->windowTitle(), QStringLiteral("Talvern"));
    auto *tabs = Find<QTabWidget>("tabWidget");
    QCOMPARE(tabs->tabText(0), QStringLiteral("Camera Connection"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Camera DP List"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("User DP List"));

    // The logo label is given an empty text only, which leaves its image in place.
    auto *icon = Find<QLabel>("CVNIcon");
    QVERIFY(!icon->pixmap(Qt::ReturnByValue).isNull());
    QCOMPARE(icon->maximumSize(), QSize(41, 36));
    auto *logo = Find<QLabel>("CVNLogo");
    QCOMPARE(logo->font().family(), QStringLiteral("Calibri"));
    QCOMPARE(logo->font().pointSize(), 12);
}

void tst_MainWindow::tableViews()
{
    auto *camera = Find<QTableView>("cameraDefectivePixelView");
    auto *user = Find<ClearSelectTableView>("userDefectivePixelView");
    QCOMPARE(camera->metaObject()->className(), "QTableView");

    QCOMPARE(camera->focusPolicy(), Qt::NoFocus);
    QCOMPARE(camera->selectionMode(), QAbstractItemView::NoSelection);
    QCOMPARE(user->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(user->selectionBehavior(), QAbstractItemView::SelectRows);
    for (QTableView *view : {camera, static_cast<QTableView *>(user)}) {
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!view->alternatingRowColors());
        QVERIFY(view->model());
        QCOMPARE(view->model()->columnCount(), 2);
        QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Row"));
        QCOMPARE(view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Column"));
        QCOMPARE(view->horizontalHeader()->sectionResizeMode(0), QHeaderView::Stretch);
        QCOMPARE(view->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    }
}

void tst_MainWindow::camerasAttachedAtStartAreListed()
{
    auto *list = Find<QListWidget>("cameraList");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("HN2702-M-1001"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("HN2702-C-1002(CAM-7)"));
    QCOMPARE(list->currentRow(), -1);
}

void tst_MainWindow::refreshButtonRefills()
{
    auto *list = Find<QListWidget>("cameraList");
    list->clear();
    list->addItem("stale entry");
    QTest::mouseClick(Find<QToolButton>("refreshButton"), Qt::LeftButton);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("HN2702-M-1001"));
}

void tst_MainWindow::camerasComingAndGoingAreFollowed()
{
    auto *list = Find<QListWidget>("cameraList");
    ZorvikSim::CameraSpec plugged;
    plugged.serialNumber = "2001";

    QTest::ignoreMessage(QtDebugMsg, "Camera list changed. A new camera was discovered by Zorvik.");
    QVERIFY(ZorvikSim::Attach(plugged));
    QTRY_COMPARE(list->count(), 3);
    QCOMPARE(list->item(2)->text(), QStringLiteral("HN2702-M-2001"));

    QTest::ignoreMessage(QtDebugMsg, "Camera list changed. A camera was disconnected from the system.");
    QVERIFY(ZorvikSim::Detach("2001"));
    QTRY_COMPARE(list->count(), 2);
    QVERIFY(list->findItems("HN2702-M-2001", Qt::MatchExactly).isEmpty());
}

void tst_MainWindow::drag_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("moves");

    QTest::newRow("left on the frame") << "mainFrame" << int(Qt::LeftButton) << true;
    QTest::newRow("left on the status label") << "cameraLabel" << int(Qt::LeftButton) << true;
    QTest::newRow("left on the tab page") << "cameraConnectionTab" << int(Qt::LeftButton) << true;
    QTest::newRow("right on the frame") << "mainFrame" << int(Qt::RightButton) << false;
    QTest::newRow("left on a button") << "connectButton" << int(Qt::LeftButton) << false;
    QTest::newRow("left in the camera list") << "cameraList" << int(Qt::LeftButton) << false;
}

void tst_MainWindow::drag()
{
    QFETCH(QString, target);
    QFETCH(int, button);
    QFETCH(bool, moves);
    QWidget *widget = Find<QWidget>(qPrintable(target));
    if (auto *list = qobject_cast<QListWidget *>(widget))
        widget = list->viewport();
    const QPoint start = window->pos();

    MouseEvents::Drag(widget, QPoint(4, 4), QPoint(35, 20), Qt::MouseButton(button));

    QCOMPARE(window->pos(), moves ? start + QPoint(35, 20) : start);
}

void tst_MainWindow::pressOnFrameDropsUserSelection()
{
    auto *user = Find<ClearSelectTableView>("userDefectivePixelView");
    auto *model = qobject_cast<QStandardItemModel *>(user->model());
    QVERIFY(model);
    model->appendRow({new QStandardItem("3"), new QStandardItem("7")});
    model->appendRow({new QStandardItem("4"), new QStandardItem("9")});
    Find<QTabWidget>("tabWidget")->setCurrentIndex(2);
    QApplication::setActiveWindow(window.get());
    user->setFocus();
    user->selectRow(1);
    QTRY_VERIFY(user->hasFocus());

    MouseEvents::Press(Find<QWidget>("mainFrame"), QPoint(5, 5), Qt::RightButton);
    QCOMPARE(user->currentIndex().row(), 1);

    MouseEvents::Press(Find<QWidget>("mainFrame"), QPoint(5, 5), Qt::LeftButton);
    QVERIFY(!user->currentIndex().isValid());
    QVERIFY(user->selectionModel()->selectedRows().isEmpty());
    QVERIFY(!user->hasFocus());
}

void tst_MainWindow::helpOpens()
{
    QString page;
    WhenShown<HelpDialog> help([&page](HelpDialog *dialog) {
        page = dialog->findChild<QLabel *>("documentationLabel")->text();
        dialog->findChild<QPushButton *>("okButton")->click();
    });
    QTest::mouseClick(Find<QToolButton>("helpButton"), Qt::LeftButton);
    QVERIFY(help.answered);
    QVERIFY(page.startsWith("<h3>Talvern</h3>"));
}

void tst_MainWindow::aboutShowsSdkVersion()
{
    QString text;
    QWidget *parent = nullptr;
    WhenShown<AboutDialog> about([&](AboutDialog *dialog) {
        text = dialog->findChild<QLabel *>("aboutApplicationLabel")->text();
        parent = dialog->parentWidget();
        dialog->findChild<QPushButton *>("okButton")->click();
    });
    QTest::mouseClick(Find<QToolButton>("aboutButton"), Qt::LeftButton);
    QVERIFY(about.answered);
    QCOMPARE(parent, window.get());
    QVERIFY2(QRegularExpression("^<p>Version: v1\\.90 <br>Zorvik API Version: \\d+\\.\\d+\\.\\d+</p>").match(text).hasMatch(),
             qPrintable(text));
}

// Clicks Exit inside a running event loop: the result is 0 when the click quit the
// application, 1 when the loop was still meant to run afterwards.
int tst_MainWindow::ClickExitInEventLoop()
{
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [this, &loop] {
        Find<QToolButton>("exitButton")->click();
        QTimer::singleShot(0, &loop, [&loop] { loop.exit(1); });
    });
    return loop.exec();
}

void tst_MainWindow::exitAnsweredNoKeepsRunning()
{
    QString title;
    QString text;
    WhenShown<QMessageBox> box([&](QMessageBox *question) {
        title = question->windowTitle();
        text = question->text();
        QCOMPARE(question->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        question->button(QMessageBox::No)->click();
    });
    QCOMPARE(ClickExitInEventLoop(), 1);
    QVERIFY(box.answered);
    QCOMPARE(title, QStringLiteral("Close Application?"));
    QCOMPARE(text, QStringLiteral("Are you sure you want to exit?"));
    QVERIFY(window->isVisible());
}

void tst_MainWindow::exitAnsweredYesQuits()
{
    WhenShown<QMessageBox> box([](QMessageBox *question) { question->button(QMessageBox::Yes)->click(); });
    QCOMPARE(ClickExitInEventLoop(), 0);
    QVERIFY(box.answered);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
