#include "MessageBoxes.h"
#include "MouseEvents.h"
#include "WorkflowWindow.h"

#include <QGraphicsDropShadowEffect>
#include <QScreen>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QList<PixelCoords>)

// The real main window after start-up: the cameras it lists, its dialogs, dragging, where
// it opens, row colouring and the exit question.
class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WorkflowWindow::Prepare(); }
    void init() { user = std::make_unique<WorkflowWindow>(); }
    void cleanup() { user.reset(); }

    void startUp()
    {
        using namespace SimulatedCameras;
        MainWindow *window = user->Window();
        QVERIFY(window->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(qobject_cast<QGraphicsDropShadowEffect *>(user->Find<QFrame>("mainFrame")->graphicsEffect()));
        // Every image the form names is in the bundle.
        for (const QToolButton *button : window->findChildren<QToolButton *>()) {
            if (!qobject_cast<QTabBar *>(button->parent()))
                QVERIFY2(!button->icon().pixmap(16).isNull(), qPrintable(button->objectName()));
        }
        QVERIFY(!user->Find<QLabel>("CVNIcon")->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(dynamic_cast<ClearSelectTableView *>(user->Find<QTableView>("userDefectivePixelView")));
        QCOMPARE(user->Find<QTableView>("cameraDefectivePixelView")->horizontalHeader()->sectionResizeMode(1),
                 QHeaderView::Stretch);
        const QStringList attached = {Mono, Bayer, Unsupported, WithoutFlash, Grouped, Climbing};
        QCOMPARE(user->Listed(), attached);

        user->Find<QListWidget>("cameraList")->addItem("stale entry");
        QVERIFY(user->Click("refreshButton"));
        QCOMPARE(user->Listed(), attached);
    }

    // A press that starts a drag also drops the user table's selection and focus.
    void drag_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("moves");

        QTest::newRow("left on the frame") << "mainFrame" << int(Qt::LeftButton) << true;
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

        QVERIFY(user->Click(qPrintable(button)));

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
        QTest::newRow("just inside the bottom right corner") << screen.bottomRight() - QPoint(2, 2) << true;
        QTest::newRow("right of every screen") << screen.topRight() + QPoint(3000, 0) << false;
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

    // The window colours the first row of each coordinate it is given, in the list it is told.
    void highlight_data()
    {
        QTest::addColumn<QList<PixelCoords>>("request");
        QTest::addColumn<int>("listType");
        QTest::addColumn<QStringList>("userTable");
        QTest::addColumn<QStringList>("cameraTable");

        QTest::newRow("first of two equal rows, row and column not swapped, unknown skipped")
            << QList<PixelCoords>{{3, 7}, {9, 9}} << int(UserList) << QStringList{"3,7 yellow", "7,3", "3,7"}
            << QStringList{"7,3", "3,7"};
        QTest::newRow("camera list only") << QList<PixelCoords>{{3, 7}} << int(CameraList)
                                          << QStringList{"3,7", "7,3", "3,7"} << QStringList{"7,3", "3,7 yellow"};
    }

    void highlight()
    {
        QFETCH(QList<PixelCoords>, request);
        QFETCH(int, listType);
        QFETCH(QStringList, userTable);
        QFETCH(QStringList, cameraTable);
        const std::pair<const char *, QList<PixelCoords>> tables[] = {
            {"userDefectivePixelView", {{3, 7}, {7, 3}, {3, 7}}}, {"cameraDefectivePixelView", {{7, 3}, {3, 7}}}};
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

        QCOMPARE(user->Table("userDefectivePixelView"), userTable);
        QCOMPARE(user->Table("cameraDefectivePixelView"), cameraTable);
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
