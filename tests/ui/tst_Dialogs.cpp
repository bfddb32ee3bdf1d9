#include "AboutDialog.h"
#include "CoordinatesDialog.h"
#include "HelpDialog.h"
#include "HistoryDialog.h"

#include "MouseEvents.h"

#include <QGraphicsDropShadowEffect>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(PixelCoords)

// The about, coordinates, help and history dialogs: what they show and take, and the frameless look
// and dragging they share.
class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void drag_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("moves");
        const int left = Qt::LeftButton;
        QTest::newRow("About by its heading") << "about" << "applicationHeaderLabel" << left << true;
        QTest::newRow("About on OK") << "about" << "okButton" << left << false;
        QTest::newRow("Coordinates by its frame") << "coordinates" << "coordinatesFrame" << left << true;
        QTest::newRow("Help by its text") << "help" << "documentationLabel" << left << true;
        QTest::newRow("History by its frame") << "history" << "historyFrame" << left << true;
        QTest::newRow("Help with the middle button") << "help" << "documentationLabel" << int(Qt::MiddleButton)
                                                     << false;
    }

    void drag()
    {
        QFETCH(QString, kind);
        QFETCH(QString, target);
        QFETCH(int, button);
        QFETCH(bool, moves);
        std::unique_ptr<QDialog> dialog;
        if (kind == "about")
            dialog = std::make_unique<AboutDialog>(QStringLiteral("2.4.1"));
        else if (kind == "coordinates")
            dialog = std::make_unique<CoordinatesDialog>();
        else if (kind == "history")
            dialog = std::make_unique<HistoryDialog>(QList<HistoryDialog::Entry>(), QList<PixelCoords>());
        else
            dialog = std::make_unique<HelpDialog>();
        QVERIFY(dialog->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(qobject_cast<QGraphicsDropShadowEffect *>(dialog->findChild<QFrame *>(kind + "Frame")->graphicsEffect()));
        dialog->move(100, 80);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));

        MouseEvents::Drag(dialog->findChild<QWidget *>(target), QPoint(3, 3), QPoint(40, 25), Qt::MouseButton(button));

        QCOMPARE(dialog->pos(), moves ? QPoint(140, 105) : QPoint(100, 80));
    }

    // A move without the left button held does not drag, even after a left press.
    void moveWithoutLeftButton()
    {
        CoordinatesDialog dialog;
        dialog.move(100, 80);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *frame = dialog.findChild<QWidget *>("coordinatesFrame");
        MouseEvents::Send(frame, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
        MouseEvents::Send(frame, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton, Qt::RightButton, QPoint(30, 30));
        QCOMPARE(dialog.pos(), QPoint(100, 80));
    }

    // The SDK's version is shown as it comes, whatever it holds.
    void aboutShowsSdkVersionUnchanged()
    {
        AboutDialog dialog(QStringLiteral("%1 %2 <b>"));
        auto *application = dialog.findChild<QLabel *>("aboutApplicationLabel");
        QCOMPARE(application->text(),
                 QStringLiteral("<p>Version: v1.90 <br>Zorvik API Version: %1 %2 <b></p><p>Copyright ")
                     + QChar(0x00A9)
                     + " Corvane Imaging Systems. All rights reserved.<br><a href=\"http://www.corvane.example/\">"
                       "www.corvane.example</a></p><hr>");
        const QString toolkit = dialog.findChild<QLabel *>("qtLabel")->text();
        QVERIFY(toolkit.contains("Copyright (C) 2015 The Qt Company"));
        QVERIFY(toolkit.contains("See <a href=\"https://www.qt.io/\">https://www.qt.io/</a> for more"));
    }

    void coordinatesTyped_data()
    {
        QTest::addColumn<QString>("rowText");
        QTest::addColumn<QString>("columnText");
        QTest::addColumn<PixelCoords>("coordinates");
        QTest::newRow("nothing typed") << "" << "" << PixelCoords(0, 0);
        QTest::newRow("row and column differ") << "3" << "7" << PixelCoords(3, 7);
        QTest::newRow("largest values") << "65535" << "65535" << PixelCoords(65535, 65535);
        QTest::newRow("too large is refused") << "70000" << "65536" << PixelCoords(7000, 6553);
        QTest::newRow("minus sign is refused") << "-5" << "12" << PixelCoords(5, 12);
    }

    void coordinatesTyped()
    {
        QFETCH(QString, rowText);
        QFETCH(QString, columnText);
        QFETCH(PixelCoords, coordinates);
        CoordinatesDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (auto [name, text] : {std::pair{"yCoordinate", rowText}, std::pair{"xCoordinate", columnText}}) {
            auto *box = dialog.findChild<QSpinBox *>(name);
            box->selectAll();
            QTest::keyClicks(box, text);
            box->interpretText();
        }
        QCOMPARE(dialog.GetCoordinates(), coordinates);
    }
};

QTEST_MAIN(tst_Dialogs)
#include "tst_Dialogs.moc"
