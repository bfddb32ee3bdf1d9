#include "HelpDialog.h"

#include <QTextDocument>
#include <QtTest>

// The help page, shown as rich text in a word-wrapped label.
class tst_HelpDialog : public QObject
{
    Q_OBJECT

private slots:
    void pageRendersAsRichText()
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

QTEST_MAIN(tst_HelpDialog)
#include "tst_HelpDialog.moc"
