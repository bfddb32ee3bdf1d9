#include "HelpDialog.h"
#include "MainWindow.h"

#include <QLabel>
#include <QScreen>

#include <QAbstractButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

// Under the system's own font, at the scale the test runs with: every tab header and every
// button shows its whole text.
class tst_Layout : public QObject
{
    Q_OBJECT

private slots:
    void textsFit()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *tabs = window.findChild<QTabWidget *>("tabWidget");
        QStringList cut;
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QApplication::processEvents();
            // Every header in view whichever tab is shown: none scrolled away, none elided.
            const QTabBar *bar = tabs->tabBar();
            for (int header = 0; header < tabs->count(); ++header) {
                if (!bar->rect().contains(bar->tabRect(header))
                    || bar->tabRect(header).width() < bar->fontMetrics().horizontalAdvance(tabs->tabText(header)))
                    cut << "tab " + tabs->tabText(header);
            }
            for (QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
                if (button->isVisible() && !button->text().isEmpty() && button->width() < button->sizeHint().width())
                    cut << button->objectName();
            }
        }
        cut.removeDuplicates();
        QCOMPARE(cut, QStringList());
    }

    // The help page on the screen, and its text whole, to be scrolled to its end.
    void helpReadsToItsEnd()
    {
        HelpDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const auto *label = dialog.findChild<QLabel *>("documentationLabel");
        QVERIFY(dialog.height() <= QGuiApplication::primaryScreen()->availableGeometry().height());
        QVERIFY(label->height() >= label->heightForWidth(label->width()));
        QVERIFY(label->visibleRegion().boundingRect().height() > 0);
    }
};

QTEST_MAIN(tst_Layout)
#include "tst_Layout.moc"
