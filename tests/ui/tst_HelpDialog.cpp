#include "HelpDialog.h"

#include "WhenShown.h"

#include <QTextDocument>
#include <QtTest>

// The help page, shown as rich text in a word-wrapped label.
class tst_HelpDialog : public QObject
{
    Q_OBJECT

private slots:
    void formAfterConstruction();
    void pageRendersAsRichText();
    void okCloses();
};

void tst_HelpDialog::formAfterConstruction()
{
    HelpDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("HelpDialog"));
    QCOMPARE(dialog.size(), QSize(520, 830));
    QCOMPARE(dialog.findChild<QPushButton *>("okButton")->text(), QStringLiteral("OK"));
    QVERIFY(dialog.findChild<QLabel *>("documentationLabel")->wordWrap());
}

void tst_HelpDialog::pageRendersAsRichText()
{
    HelpDialog dialog;
    const QString page = dialog.findChild<QLabel *>("documentationLabel")->text();
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

void tst_HelpDialog::okCloses()
{
    HelpDialog dialog;
    QCOMPARE(ExecAndClick(dialog, "okButton"), int(QDialog::Accepted));
}

QTEST_MAIN(tst_HelpDialog)
#include "tst_HelpDialog.moc"
