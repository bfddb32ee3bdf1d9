#include "AboutDialog.h"

#include <QtTest>

// The about box: fixed versions, the SDK's version shown as given, links opened outside.
class tst_AboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void sdkVersionShownUnchanged_data()
    {
        QTest::addColumn<QString>("sdkVersion");
        QTest::newRow("plain") << "2.4.1";
        QTest::newRow("empty") << "";
        QTest::newRow("placeholders") << "%1 %2 %4 100%";
        QTest::newRow("markup-like") << "3.0 <beta>";
    }

    void sdkVersionShownUnchanged()
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

    void headersLogosAndToolkitTexts()
    {
        AboutDialog dialog(QStringLiteral("1.0"));
        QCOMPARE(dialog.findChild<QLabel *>("applicationHeaderLabel")->text(), QStringLiteral("<h3>Corvane Talvern</h3>"));
        QVERIFY(!dialog.findChild<QLabel *>("cvnLogo")->pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(dialog.findChild<QLabel *>("qtLogo")->pixmap(Qt::ReturnByValue).size(), QSize(64, 64));
        QCOMPARE(dialog.findChild<QLabel *>("qtHeaderLabel")->text(),
                 QStringLiteral("<h3>About Qt</h3><p>This program uses Qt version 5.5.1.</p>"));
        auto *qtLabel = dialog.findChild<QLabel *>("qtLabel");
        QVERIFY(qtLabel->wordWrap());
        QVERIFY(qtLabel->openExternalLinks());
        QVERIFY(qtLabel->text().contains("Copyright (C) 2015 "));
        QVERIFY(qtLabel->text().contains("<a href=\"https://www.qt.io/licensing/\">"));
        QVERIFY(!qtLabel->text().contains('%'));
    }
};

QTEST_MAIN(tst_AboutDialog)
#include "tst_AboutDialog.moc"
