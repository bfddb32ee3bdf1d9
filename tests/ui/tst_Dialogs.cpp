#include "AboutDialog.h"
#include "CoordinatesDialog.h"
#include "HelpDialog.h"

#include "MouseEvents.h"
#include "WhenShown.h"

#include <QGraphicsDropShadowEffect>
#include <QTextDocument>
#include <QtTest>
#include <memory>

namespace {

// "About", "Coordinates" or "Help", placed at (100, 80).
std::unique_ptr<QDialog> MakeDialog(const QString &kind)
{
    std::unique_ptr<QDialog> dialog;
    if (kind == "About")
        dialog = std::make_unique<AboutDialog>(QStringLiteral("2.4.1"));
    else if (kind == "Coordinates")
        dialog = std::make_unique<CoordinatesDialog>();
    else
        dialog = std::make_unique<HelpDialog>();
    dialog->move(100, 80);
    return dialog;
}

} // namespace

Q_DECLARE_METATYPE(PixelCoords)

// The about, coordinates and help dialogs: their texts, and the frameless look and dragging
// they share.
class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void framelessLook_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QSize>("size");
        QTest::newRow("About") << "About" << QSize(520, 655);
        QTest::newRow("Coordinates") << "Coordinates" << QSize(267, 138);
        QTest::newRow("Help") << "Help" << QSize(520, 830);
    }

    void framelessLook()
    {
        QFETCH(QString, kind);
        QFETCH(QSize, size);
        const auto dialog = MakeDialog(kind);
        QCOMPARE(dialog->windowTitle(), kind + "Dialog");
        QCOMPARE(dialog->size(), size);
        QVERIFY(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(dialog->testAttribute(Qt::WA_TranslucentBackground));
        auto *frame = dialog->findChild<QFrame *>(kind.toLower() + "Frame");
        QVERIFY(qobject_cast<QGraphicsDropShadowEffect *>(frame->graphicsEffect()));
        const QString border = " {\nborder:1px solid rgb(188, 188, 188);";
        QVERIFY(dialog->styleSheet().startsWith("#" + frame->objectName() + border));
        QCOMPARE(dialog->findChild<QPushButton *>("okButton")->text(), QStringLiteral("OK"));
    }

    void closing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("About with OK") << "About" << "okButton" << int(QDialog::Accepted);
        QTest::newRow("Help with OK") << "Help" << "okButton" << int(QDialog::Accepted);
        QTest::newRow("Coordinates with OK") << "Coordinates" << "okButton" << int(QDialog::Accepted);
        QTest::newRow("Coordinates with Cancel") << "Coordinates" << "cancelButton" << int(QDialog::Rejected);
        QTest::newRow("Coordinates with Escape") << "Coordinates" << "" << int(QDialog::Rejected);
    }

    void closing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, how);
        QFETCH(int, result);
        const auto dialog = MakeDialog(kind);
        WhenShown<QDialog> answer([&how](QDialog *shown) {
            if (how.isEmpty())
                QTest::keyClick(shown, Qt::Key_Escape);
            else
                shown->findChild<QPushButton *>(how)->click();
        });
        QCOMPARE(dialog->exec(), result);
    }

    void drag_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("moves");
        const int left = Qt::LeftButton;
        QTest::newRow("About by its heading") << "About" << "applicationHeaderLabel" << left << true;
        QTest::newRow("About on OK") << "About" << "okButton" << left << false;
        QTest::newRow("About with the right button") << "About" << "qtLabel" << int(Qt::RightButton) << false;
        QTest::newRow("Coordinates by its frame") << "Coordinates" << "coordinatesFrame" << left << true;
        QTest::newRow("Coordinates on a spin box") << "Coordinates" << "xCoordinate" << left << false;
        QTest::newRow("Help by its text") << "Help" << "documentationLabel" << left << true;
        QTest::newRow("Help with the middle button")
            << "Help" << "documentationLabel" << int(Qt::MiddleButton) << false;
    }

    void drag()
    {
        QFETCH(QString, kind);
        QFETCH(QString, target);
        QFETCH(int, button);
        QFETCH(bool, moves);
        const auto dialog = MakeDialog(kind);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        MouseEvents::Drag(dialog->findChild<QWidget *>(target), QPoint(3, 3), QPoint(40, 25), Qt::MouseButton(button));
        QCOMPARE(dialog->pos(), moves ? QPoint(140, 105) : QPoint(100, 80));
    }

    // Only a left press sets where the pointer holds the dialog; only a left-held move drags.
    void otherButtonsNeitherGrabNorDrag()
    {
        const auto dialog = MakeDialog("Coordinates");
        dialog->show();
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

    void aboutShowsSdkVersionUnchanged_data()
    {
        QTest::addColumn<QString>("sdkVersion");
        QTest::newRow("plain") << "2.4.1";
        QTest::newRow("empty") << "";
        QTest::newRow("placeholders") << "%1 %2 %4 100%";
        QTest::newRow("markup-like") << "3.0 <beta>";
    }

    void aboutShowsSdkVersionUnchanged()
    {
        QFETCH(QString, sdkVersion);
        AboutDialog dialog(sdkVersion);
        auto *application = dialog.findChild<QLabel *>("aboutApplicationLabel");
        const QString text = application->text();
        QVERIFY2(text.startsWith("<p>Version: v1.90 <br>Zorvik API Version: " + sdkVersion + "</p>"), qPrintable(text));
        QVERIFY(text.contains(QChar(0x00A9)));
        QVERIFY(text.contains("<a href=\"http://www.corvane.example/\">www.corvane.example</a>"));
        QVERIFY(text.endsWith("<hr>"));
        QVERIFY(application->openExternalLinks());
    }

    void aboutHeadersLogosAndToolkit()
    {
        AboutDialog dialog(QStringLiteral("1.0"));
        QCOMPARE(dialog.findChild<QLabel *>("applicationHeaderLabel")->text(),
                 QStringLiteral("<h3>Corvane Talvern</h3>"));
        QVERIFY(!dialog.findChild<QLabel *>("cvnLogo")->pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(dialog.findChild<QLabel *>("qtLogo")->pixmap(Qt::ReturnByValue).size(), QSize(64, 64));
        QCOMPARE(dialog.findChild<QLabel *>("qtHeaderLabel")->text(),
                 QStringLiteral("<h3>About Qt</h3><p>This program uses Qt version 5.5.1.</p>"));
        auto *qtLabel = dialog.findChild<QLabel *>("qtLabel");
        QVERIFY(qtLabel->wordWrap() && qtLabel->openExternalLinks());
        QVERIFY(qtLabel->text().contains("Copyright (C) 2015 "));
        QVERIFY(qtLabel->text().contains("<a href=\"https://www.qt.io/licensing/\">"));
        QVERIFY(!qtLabel->text().contains('%'));
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
        const QStringList labels = {dialog.findChild<QLabel *>("yLabel")->text(),
                                    dialog.findChild<QLabel *>("xLabel")->text(),
                                    dialog.findChild<QPushButton *>("cancelButton")->text()};
        QCOMPARE(labels, QStringList({"Row", "Column", "Cancel"}));
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

    void helpPageRendersAsRichText()
    {
        HelpDialog dialog;
        auto *label = dialog.findChild<QLabel *>("documentationLabel");
        QVERIFY(label->wordWrap());
        const QString page = label->text();
        QVERIFY(page.startsWith("<h3>Talvern</h3><p>This tool is designed"));
        QVERIFY(page.endsWith("defective pixel list backup.</p>"));
        QVERIFY(!page.contains('\n'));
        QVERIFY(page.contains("the header \"Row, Column\". Coordinate values"));
        QVERIFY(Qt::mightBeRichText(page));
        QTextDocument document;
        document.setHtml(page);
        const QString shown = document.toPlainText();
        QVERIFY(!shown.contains('<'));
        QVERIFY(shown.contains("Camera DP List Tab"));
        QVERIFY(shown.contains("using the Add/Remove buttons."));
    }
};

QTEST_MAIN(tst_Dialogs)
#include "tst_Dialogs.moc"
