#include "AboutDialog.h"

#include "WhenShown.h"

#include <QtTest>

// The about box: fixed versions, the SDK's version shown as given, links opened outside.
class tst_AboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void formAfterConstruction();
    void sdkVersionShownUnchanged_data();
    void sdkVersionShownUnchanged();
    void toolkitTexts();
    void okCloses();
};

void tst_AboutDialog::formAfterConstruction()
{
    AboutDialog dialog(QStringLiteral("2.4.1"));
    QCOMPARE(dialog.objectName(), QStringLiteral("AboutDialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("AboutDialog"));
    QCOMPARE(dialog.size(), QSize(520, 655));
    QCOMPARE(dialog.findChild<QPushButton *>("okButton")->text(), QStringLiteral("OK"));

    auto *cvnLogo = dialog.findChild<QLabel *>("cvnLogo");
    QVERIFY(!cvnLogo->pixmap(Qt::ReturnByValue).isNull());
    QVERIFY(cvnLogo->hasScaledContents());
    QCOMPARE(cvnLogo->maximumSize(), QSize(64, 64));
    auto *qtLogo = dialog.findChild<QLabel *>("qtLogo");
    QVERIFY(!qtLogo->pixmap(Qt::ReturnByValue).isNull());
    QCOMPARE(qtLogo->pixmap(Qt::ReturnByValue).size(), QSize(64, 64));
    QCOMPARE(qtLogo->maximumSize(), QSize(16777215, 64));

    auto *application = dialog.findChild<QLabel *>("aboutApplicationLabel");
    QVERIFY(application->openExternalLinks());
    QCOMPARE(application->font().pointSize(), 8);
    QCOMPARE(dialog.findChild<QLabel *>("applicationHeaderLabel")->text(), QStringLiteral("<h3>Corvane Talvern</h3>"));
}

void tst_AboutDialog::sdkVersionShownUnchanged_data()
{
    QTest::addColumn<QString>("sdkVersion");
    QTest::newRow("plain") << "2.4.1";
    QTest::newRow("empty") << "";
    QTest::newRow("placeholders") << "%1 %2 %4 100%";
    QTest::newRow("markup-like") << "3.0 <beta>";
}

void tst_AboutDialog::sdkVersionShownUnchanged()
{
    QFETCH(QString, sdkVersion);
    AboutDialog dialog(sdkVersion);
    const QString text = dialog.findChild<QLabel *>("aboutApplicationLabel")->text();

    QVERIFY2(text.startsWith("<p>Version: v1.90 <br>Zorvik API Version: " + sdkVersion + "</p>"), qPrintable(text));
    QVERIFY(text.contains(QChar(0x00A9)));
    QVERIFY(text.contains("<a href=\"http://www.corvane.example/\">www.corvane.example</a>"));
    QVERIFY(text.endsWith("<hr>"));
}

void tst_AboutDialog::toolkitTexts()
{
    AboutDialog dialog(QStringLiteral("1.0"));
    QCOMPARE(dialog.findChild<QLabel *>("qtHeaderLabel")->text(),
             QStringLiteral("<h3>About Qt</h3><p>This program uses Qt version 5.5.1.</p>"));
    auto *qtLabel = dialog.findChild<QLabel *>("qtLabel");
    QVERIFY(qtLabel->wordWrap());
    QVERIFY(qtLabel->openExternalLinks());
    QVERIFY(qtLabel->text().contains("Copyright (C) 2015 "));
    QVERIFY(qtLabel->text().contains("<a href=\"https://www.qt.io/licensing/\">"));
    QVERIFY(!qtLabel->text().contains('%'));
}

void tst_AboutDialog::okCloses()
{
    AboutDialog dialog(QStringLiteral("1.0"));
    QCOMPARE(ExecAndClick(dialog, "okButton"), int(QDialog::Accepted));
}

QTEST_MAIN(tst_AboutDialog)
#include "tst_AboutDialog.moc"
