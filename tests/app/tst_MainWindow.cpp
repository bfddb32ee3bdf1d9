#include "MessageBoxes.h"
#include "MouseEvents.h"
#include "SimulatedCameras.h"
#include "WhenShown.h"
#include "WorkflowWindow.h"

#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QList<PixelCoords>)

namespace {

// A layout item's object name; "spacer" for a spacer.
QString Name(QLayoutItem *item)
{
    return item->widget() ? item->widget()->objectName()
                          : item->layout() ? item->layout()->objectName() : QStringLiteral("spacer");
}

QStringList Names(const QLayout *layout)
{
    QStringList names;
    for (int index = 0; index < layout->count(); ++index)
        names.append(Name(layout->itemAt(index)));
    return names;
}

} // namespace

// The real main window after start-up: its widgets, the cameras it lists, its dialogs,
// dragging, where it opens, row colouring and the exit question.
class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WorkflowWindow::Prepare(); }
    void init() { user = std::make_unique<WorkflowWindow>(); }
    void cleanup() { user.reset(); }

    void widgetTree()
    {
        MainWindow *window = user->Window();
        QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(window->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(qobject_cast<QGraphicsDropShadowEffect *>(user->Find<QFrame>("mainFrame")->graphicsEffect()));
        QCOMPARE(window->windowTitle(), QStringLiteral("Talvern"));
        QCOMPARE(user->Find<QFrame>("mainFrame")->parentWidget(), window);
        auto *grid = user->Find<QGridLayout>("gridLayout");
        QStringList gridRows;
        for (int row = 0; row < grid->rowCount(); ++row)
            gridRows.append(Name(grid->itemAtPosition(row, 0)));
        QCOMPARE(gridRows, QStringList({"buttonsFrame", "tabWidget", "verticalLayout"}));
        QCOMPARE(Names(user->Find<QHBoxLayout>("horizontalLayout_2")),
                 QStringList({"CVNIcon", "CVNLogo", "spacer", "helpButton", "aboutButton", "exitButton"}));
        QCOMPARE(Names(user->Find<QHBoxLayout>("horizontalLayout")),
                 QStringList({"loadButton", "saveButton", "addButton", "removeButton", "clearButton", "uploadButton",
                              "spacer"}));
        auto *tabs = user->Find<QTabWidget>("tabWidget");
        QStringList pages;
        for (int index = 0; index < tabs->count(); ++index)
            pages.append(tabs->widget(index)->objectName() + ": " + tabs->tabText(index));
        QCOMPARE(pages, QStringList({"cameraConnectionTab: Camera Connection",
                                     "cameraDefectivePixelTab: Camera DP List",
                                     "userDefectivePixelTab: User DP List"}));
        QCOMPARE(tabs->currentIndex(), 0);
        // The logo label is given an empty text only, which leaves its image in place.
        QVERIFY(!user->Find<QLabel>("CVNIcon")->pixmap(Qt::ReturnByValue).isNull());
    }

    // Every button and text the user sees at start-up; a button's icon is its image of the bundle.
    void widgets_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<bool>("enabled");

        auto row = [](const char *name, const char *text, const char *toolTip, const char *icon, bool enabled) {
            QTest::newRow(name) << text << toolTip << icon << enabled;
        };
        row("helpButton", "Help", "Application help", "Help.png", true);
        row("aboutButton", "About", "About", "About.png", true);
        row("exitButton", "Exit", "Exit the application", "Close.png", true);
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
        row("uploadButton", "Upload", "Upload the user defective pixel list to the camera storage", "Upload.png",
            false);
        row("cameraLabel", "No Camera Connected...", "Camera currently connected", "", true);
        row("CVNIcon", "", "", "", true);
        row("CVNLogo", "Corvane", "", "", true);
        row("cameraList", "", "List of cameras currently available to the system", "", true);
        row("cameraDefectivePixelView", "", "Camera defective pixel list", "", true);
        row("userDefectivePixelView", "", "User defective pixel list", "", true);
    }

    void widgets()
    {
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        QFETCH(QString, icon);
        QFETCH(bool, enabled);
        auto *widget = user->Find<QWidget>(QTest::currentDataTag());
        auto *button = qobject_cast<QToolButton *>(widget);
        auto *label = qobject_cast<QLabel *>(widget);
        QCOMPARE(button ? button->text() : label ? label->text() : QString(), text);
        QCOMPARE(widget->toolTip(), toolTip);
        QCOMPARE(widget->isEnabled(), enabled);
        if (!button)
            return;
        const QImage shown = button->icon().pixmap(192, 192).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 QImage(":/MainWindow/" + icon).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }

    // The views show the list manager's models, their columns sharing the width.
    void tableViews()
    {
        QVERIFY(dynamic_cast<ClearSelectTableView *>(user->Find<QTableView>("userDefectivePixelView")));
        for (const char *name : {"cameraDefectivePixelView", "userDefectivePixelView"}) {
            auto *view = user->Find<QTableView>(name);
            QVERIFY(qobject_cast<QStandardItemModel *>(view->model()));
            QCOMPARE(view->horizontalHeader()->sectionResizeMode(1), QHeaderView::Stretch);
            QCOMPARE(view->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        }
    }

    void camerasListedAtStartAndOnRefresh()
    {
        using namespace SimulatedCameras;
        const QStringList attached = {Mono, Bayer, Unsupported, WithoutFlash, Grouped, TwiceGrouped, Climbing};
        auto *list = user->Find<QListWidget>("cameraList");
        QCOMPARE(user->Listed(), attached);
        QCOMPARE(list->currentRow(), -1);

        list->addItem("stale entry");
        QTest::mouseClick(user->Find<QToolButton>("refreshButton"), Qt::LeftButton);
        QCOMPARE(user->Listed(), attached);
    }

    // A press that starts a drag also drops the user table's selection and focus.
    void drag_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("moves");

        QTest::newRow("left on the frame") << "mainFrame" << int(Qt::LeftButton) << true;
        QTest::newRow("left on the status label") << "cameraLabel" << int(Qt::LeftButton) << true;
        QTest::newRow("left on the tab page") << "userDefectivePixelTab" << int(Qt::LeftButton) << true;
        QTest::newRow("right on the frame") << "mainFrame" << int(Qt::RightButton) << false;
        QTest::newRow("left on a button") << "uploadButton" << int(Qt::LeftButton) << false;
        QTest::newRow("left in the user table") << "userDefectivePixelView" << int(Qt::LeftButton) << false;
    }

    void drag()
    {
        QFETCH(QString, target);
        QFETCH(int, button);
        QFETCH(bool, moves);
        auto *view = user->Find<QTableView>("userDefectivePixelView");
        auto *model = qobject_cast<QStandardItemModel *>(view->model());
        model->appendRow({new QStandardItem("3"), new QStandardItem("7")});
        model->appendRow({new QStandardItem("4"), new QStandardItem("9")});
        user->Find<QTabWidget>("tabWidget")->setCurrentIndex(2);
        QApplication::setActiveWindow(user->Window());
        view->setFocus();
        view->selectRow(1);
        QTRY_VERIFY(view->hasFocus());
        QWidget *widget = user->Find<QWidget>(qPrintable(target));
        if (auto *area = qobject_cast<QAbstractScrollArea *>(widget))
            widget = area->viewport();
        const QPoint start = user->Window()->pos();

        MouseEvents::Drag(widget, QPoint(4, 4), QPoint(35, 20), Qt::MouseButton(button));

        QCOMPARE(user->Window()->pos(), moves ? start + QPoint(35, 20) : start);
        QCOMPARE(view->currentIndex().isValid(), !moves);
        QCOMPARE(view->selectionModel()->selectedRows().isEmpty(), moves);
        QCOMPARE(view->hasFocus(), !moves);
    }

    void dialogs_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("pattern");

        QTest::newRow("help") << "helpButton" << "documentationLabel" << "^<h3>Talvern</h3>";
        QTest::newRow("about with the SDK version")
            << "aboutButton" << "aboutApplicationLabel"
            << "^<p>Version: v1\\.90 <br>Zorvik API Version: \\d+\\.\\d+\\.\\d+</p>";
    }

    void dialogs()
    {
        QFETCH(QString, button);
        QFETCH(QString, label);
        QFETCH(QString, pattern);
        QString text;
        QWidget *parent = nullptr;
        WhenShown<QDialog> shown([&](QDialog *dialog) {
            auto *shownLabel = dialog->findChild<QLabel *>(label);
            text = shownLabel ? shownLabel->text() : QString();
            parent = dialog->parentWidget();
            dialog->findChild<QAbstractButton *>("okButton")->click();
        });

        QTest::mouseClick(user->Find<QToolButton>(qPrintable(button)), Qt::LeftButton);

        QVERIFY(shown.answered);
        QCOMPARE(parent, user->Window());
        QVERIFY2(QRegularExpression(pattern).match(text).hasMatch(), qPrintable(text));
    }

    // Where the last window was left is where the next one opens, unless no screen would show it.
    void position_data()
    {
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<bool>("used");

        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QTest::newRow("on the screen") << screen.topLeft() + QPoint(60, 70) << true;
        QTest::newRow("mostly left of the screen") << screen.topLeft() + QPoint(-350, -600) << true;
        QTest::newRow("just inside the bottom right corner") << screen.bottomRight() - QPoint(2, 2) << true;
        QTest::newRow("right of every screen") << screen.topRight() + QPoint(3000, 0) << false;
        QTest::newRow("above every screen") << screen.topLeft() - QPoint(0, 2000) << false;
    }

    void position()
    {
        QFETCH(QPoint, position);
        QFETCH(bool, used);
        user->Window()->move(position);
        user.reset();
        QCOMPARE(QSettings("Corvane", "Talvern").value("MainWindow/position").toPoint(), position);

        MainWindow next;

        QCOMPARE(next.pos() == position, used);
    }

    void highlight_data()
    {
        QTest::addColumn<QList<PixelCoords>>("request");
        QTest::addColumn<int>("listType");
        QTest::addColumn<QList<int>>("userRows");
        QTest::addColumn<QList<int>>("cameraRows");

        // User rows: (3,7) (5,5) (3,7) (7,3); camera rows: (5,5) (3,7).
        QTest::newRow("only the first of two equal user rows") << QList<PixelCoords>{{3, 7}} << int(UserList)
                                                               << QList<int>{0} << QList<int>{};
        QTest::newRow("row and column are not swapped") << QList<PixelCoords>{{7, 3}} << int(UserList) << QList<int>{3}
                                                        << QList<int>{};
        QTest::newRow("unknown coordinates skipped")
            << QList<PixelCoords>{{9, 9}, {5, 5}, {0, 0}} << int(UserList) << QList<int>{1} << QList<int>{};
        QTest::newRow("camera list only") << QList<PixelCoords>{{3, 7}, {5, 5}} << int(CameraList) << QList<int>{}
                                          << QList<int>{0, 1};
    }

    void highlight()
    {
        QFETCH(QList<PixelCoords>, request);
        QFETCH(int, listType);
        QFETCH(QList<int>, userRows);
        QFETCH(QList<int>, cameraRows);
        const std::pair<const char *, QList<PixelCoords>> tables[] = {
            {"userDefectivePixelView", {{3, 7}, {5, 5}, {3, 7}, {7, 3}}},
            {"cameraDefectivePixelView", {{5, 5}, {3, 7}}}};
        for (const auto &table : tables) {
            auto *model = qobject_cast<QStandardItemModel *>(user->Find<QTableView>(table.first)->model());
            for (const PixelCoords &coordinates : table.second)
                model->appendRow({new QStandardItem(QString::number(coordinates.row)),
                                  new QStandardItem(QString::number(coordinates.column))});
        }

        QVERIFY(QMetaObject::invokeMethod(user->Window(), "HighlightDefects", Qt::DirectConnection,
                                          Q_ARG(QList<PixelCoords>, request),
                                          Q_ARG(DefectiveListType, DefectiveListType(listType)),
                                          Q_ARG(QColor, Qt::yellow)));

        QCOMPARE(user->ColouredRows("userDefectivePixelView", Qt::yellow), userRows);
        QCOMPARE(user->ColouredRows("cameraDefectivePixelView", Qt::yellow), cameraRows);
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
        MessageBoxes boxes({QMessageBox::StandardButton(answer)});
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [this, &loop] {
            user->Find<QToolButton>("exitButton")->click();
            QTimer::singleShot(0, &loop, [&loop] { loop.exit(1); });
        });

        QCOMPARE(loop.exec(), loopResult);

        const QString question = Box(QMessageBox::Question, "Close Application?", "Are you sure you want to exit?");
        QCOMPARE(boxes.lines, QStringList({question}));
    }

private:
    std::unique_ptr<WorkflowWindow> user;
};

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
