#include "AboutDialog.h"
#include "CoordinatesDialog.h"
#include "HelpDialog.h"

#include "MouseEvents.h"
#include "WhenShown.h"

#include <QGraphicsDropShadowEffect>
#include <QtTest>
#include <memory>

namespace {

// "About", "Coordinates" or "Help", shown at (100, 80) when `show` is set.
std::unique_ptr<QDialog> MakeDialog(const QString &kind, bool show = false)
{
    std::unique_ptr<QDialog> dialog;
    if (kind == "About")
        dialog = std::make_unique<AboutDialog>(QStringLiteral("2.4.1"));
    else if (kind == "Coordinates")
        dialog = std::make_unique<CoordinatesDialog>();
    else
        dialog = std::make_unique<HelpDialog>();
    dialog->move(100, 80);
    if (show)
        dialog->show();
    return dialog;
}

} // namespace

// The three dialogs share the frameless look, are dragged by their own surface and close with OK.
class tst_FramelessDialogs : public QObject
{
    Q_OBJECT

private slots:
    void look_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QSize>("size");
        QTest::newRow("About") << "About" << QSize(520, 655);
        QTest::newRow("Coordinates") << "Coordinates" << QSize(267, 138);
        QTest::newRow("Help") << "Help" << QSize(520, 830);
    }

    void look()
    {
        QFETCH(QString, kind);
        QFETCH(QSize, size);
        const auto dialog = MakeDialog(kind);
        QCOMPARE(dialog->windowTitle(), kind + "Dialog");
        QCOMPARE(dialog->size(), size);
        QVERIFY(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(dialog->testAttribute(Qt::WA_TranslucentBackground));
        const QString frameName = kind.toLower() + "Frame";
        auto *frame = dialog->findChild<QFrame *>(frameName);
        QVERIFY(frame);
        QCOMPARE(frame->frameShape(), QFrame::StyledPanel);
        QCOMPARE(frame->frameShadow(), QFrame::Raised);
        auto *shadow = qobject_cast<QGraphicsDropShadowEffect *>(frame->graphicsEffect());
        QVERIFY(shadow);
        QCOMPARE(shadow->blurRadius(), 4.0);
        QCOMPARE(shadow->offset(), QPointF(8, 8));
        QVERIFY(dialog->styleSheet().startsWith("#" + frameName + " {\nborder:1px solid rgb(188, 188, 188);\n"));
        QCOMPARE(dialog->findChild<QPushButton *>("okButton")->text(), QStringLiteral("OK"));
        QCOMPARE(ExecAndClick(*dialog, "okButton"), int(QDialog::Accepted));
    }

    void drag_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("moves");
        const int left = Qt::LeftButton;
        QTest::newRow("About by its heading") << "About" << "applicationHeaderLabel" << left << true;
        QTest::newRow("About by its logo") << "About" << "cvnLogo" << left << true;
        QTest::newRow("About by its frame") << "About" << "aboutFrame" << left << true;
        QTest::newRow("About on OK") << "About" << "okButton" << left << false;
        QTest::newRow("About with the right button") << "About" << "qtLabel" << int(Qt::RightButton) << false;
        QTest::newRow("Coordinates by a label") << "Coordinates" << "yLabel" << left << true;
        QTest::newRow("Coordinates by its frame") << "Coordinates" << "coordinatesFrame" << left << true;
        QTest::newRow("Coordinates on a spin box") << "Coordinates" << "xCoordinate" << left << false;
        QTest::newRow("Coordinates on Cancel") << "Coordinates" << "cancelButton" << left << false;
        QTest::newRow("Help by its text") << "Help" << "documentationLabel" << left << true;
        QTest::newRow("Help on OK") << "Help" << "okButton" << left << false;
        QTest::newRow("Help with the middle button") << "Help" << "documentationLabel" << int(Qt::MiddleButton) << false;
    }

    void drag()
    {
        QFETCH(QString, kind);
        QFETCH(QString, target);
        QFETCH(int, button);
        QFETCH(bool, moves);
        const auto dialog = MakeDialog(kind, true);
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        MouseEvents::Drag(dialog->findChild<QWidget *>(target), QPoint(3, 3), QPoint(40, 25), Qt::MouseButton(button));
        QCOMPARE(dialog->pos(), moves ? QPoint(140, 105) : QPoint(100, 80));
    }

    // Only a left press sets where the pointer holds the dialog; only a left-held move drags.
    void otherButtonsNeitherGrabNorDrag()
    {
        const auto dialog = MakeDialog("Coordinates", true);
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        auto *frame = dialog->findChild<QWidget *>("coordinatesFrame");
        MouseEvents::Press(frame, QPoint(5, 5), Qt::LeftButton);
        MouseEvents::Press(frame, QPoint(60, 30), Qt::RightButton);
        MouseEvents::Move(frame, QPoint(5, 5), QPoint(30, 30), Qt::NoButton);
        MouseEvents::Move(frame, QPoint(5, 5), QPoint(30, 30), Qt::RightButton);
        QCOMPARE(dialog->pos(), QPoint(100, 80));
        MouseEvents::Move(frame, QPoint(5, 5), QPoint(10, 10), Qt::LeftButton);
        QCOMPARE(dialog->pos(), QPoint(110, 90));
    }
};

QTEST_MAIN(tst_FramelessDialogs)
#include "tst_FramelessDialogs.moc"
