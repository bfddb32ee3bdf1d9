#include "AboutDialog.h"
#include "CoordinatesDialog.h"
#include "HelpDialog.h"

#include "MouseEvents.h"

#include <QGraphicsDropShadowEffect>
#include <QtTest>
#include <memory>

// The three dialogs share the frameless look and are dragged by their own surface.
class tst_FramelessDialogs : public QObject
{
    Q_OBJECT

private slots:
    void lookIsFramelessWithShadow_data();
    void lookIsFramelessWithShadow();
    void drag_data();
    void drag();
    void rightPressKeepsTheOffsetOfTheLastLeftPress();
    void moveWithoutButtonLeavesDialog();
};

namespace {

std::unique_ptr<QDialog> MakeDialog(const QString &kind)
{
    if (kind == "about")
        return std::make_unique<AboutDialog>(QStringLiteral("2.4.1"));
    if (kind == "coordinates")
        return std::make_unique<CoordinatesDialog>();
    return std::make_unique<HelpDialog>();
}

void AddDialogColumns()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("frame");
}

} // namespace

void tst_FramelessDialogs::lookIsFramelessWithShadow_data()
{
    AddDialogColumns();
    QTest::newRow("about") << "about" << "aboutFrame";
    QTest::newRow("coordinates") << "coordinates" << "coordinatesFrame";
    QTest::newRow("help") << "help" << "helpFrame";
}

void tst_FramelessDialogs::lookIsFramelessWithShadow()
{
    QFETCH(QString, kind);
    QFETCH(QString, frame);
    const auto dialog = MakeDialog(kind);

    QVERIFY(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(dialog->testAttribute(Qt::WA_TranslucentBackground));
    auto *frameWidget = dialog->findChild<QFrame *>(frame);
    QVERIFY(frameWidget);
    QCOMPARE(frameWidget->frameShape(), QFrame::StyledPanel);
    QCOMPARE(frameWidget->frameShadow(), QFrame::Raised);
    auto *shadow = qobject_cast<QGraphicsDropShadowEffect *>(frameWidget->graphicsEffect());
    QVERIFY(shadow);
    QCOMPARE(shadow->blurRadius(), 4.0);
    QCOMPARE(shadow->offset(), QPointF(8, 8));
    QVERIFY(dialog->styleSheet().startsWith("#" + frame + " {\nborder:1px solid rgb(188, 188, 188);\n"));
}

void tst_FramelessDialogs::drag_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("moves");

    QTest::newRow("about by its heading") << "about" << "applicationHeaderLabel" << int(Qt::LeftButton) << true;
    QTest::newRow("about by its logo") << "about" << "cvnLogo" << int(Qt::LeftButton) << true;
    QTest::newRow("about by its frame") << "about" << "aboutFrame" << int(Qt::LeftButton) << true;
    QTest::newRow("about on OK") << "about" << "okButton" << int(Qt::LeftButton) << false;
    QTest::newRow("about with the right button") << "about" << "qtLabel" << int(Qt::RightButton) << false;
    QTest::newRow("coordinates by a label") << "coordinates" << "yLabel" << int(Qt::LeftButton) << true;
    QTest::newRow("coordinates by its frame") << "coordinates" << "coordinatesFrame" << int(Qt::LeftButton) << true;
    QTest::newRow("coordinates on a spin box") << "coordinates" << "xCoordinate" << int(Qt::LeftButton) << false;
    QTest::newRow("coordinates on Cancel") << "coordinates" << "cancelButton" << int(Qt::LeftButton) << false;
    QTest::newRow("help by its text") << "help" << "documentationLabel" << int(Qt::LeftButton) << true;
    QTest::newRow("help on OK") << "help" << "okButton" << int(Qt::LeftButton) << false;
    QTest::newRow("help with the middle button") << "help" << "documentationLabel" << int(Qt::MiddleButton) << false;
}

void tst_FramelessDialogs::drag()
{
    QFETCH(QString, kind);
    QFETCH(QString, target);
    QFETCH(int, button);
    QFETCH(bool, moves);
    const auto dialog = MakeDialog(kind);
    dialog->move(100, 80);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto *widget = dialog->findChild<QWidget *>(target);
    QVERIFY(widget);
    const QPoint start = dialog->pos();

    MouseEvents::Drag(widget, QPoint(3, 3), QPoint(40, 25), Qt::MouseButton(button));

    QCOMPARE(dialog->pos(), moves ? start + QPoint(40, 25) : start);
}

void tst_FramelessDialogs::rightPressKeepsTheOffsetOfTheLastLeftPress()
{
    CoordinatesDialog dialog;
    dialog.move(50, 50);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *frame = dialog.findChild<QWidget *>("coordinatesFrame");

    MouseEvents::Press(frame, QPoint(5, 5), Qt::LeftButton);
    MouseEvents::Press(frame, QPoint(60, 30), Qt::RightButton);
    MouseEvents::Move(frame, QPoint(5, 5), QPoint(10, 10), Qt::LeftButton);

    QCOMPARE(dialog.pos(), QPoint(60, 60));
}

void tst_FramelessDialogs::moveWithoutButtonLeavesDialog()
{
    HelpDialog dialog;
    dialog.move(50, 50);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *label = dialog.findChild<QWidget *>("documentationLabel");

    MouseEvents::Press(label, QPoint(5, 5), Qt::LeftButton);
    MouseEvents::Move(label, QPoint(5, 5), QPoint(30, 30), Qt::NoButton);
    MouseEvents::Move(label, QPoint(5, 5), QPoint(30, 30), Qt::RightButton);

    QCOMPARE(dialog.pos(), QPoint(50, 50));
}

QTEST_MAIN(tst_FramelessDialogs)
#include "tst_FramelessDialogs.moc"
