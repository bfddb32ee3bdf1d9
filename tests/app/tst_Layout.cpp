#include "AboutDialog.h"
#include "CoordinatesDialog.h"
#include "FindDefectsDialog.h"
#include "HelpDialog.h"
#include "HistoryDialog.h"
#include "MainWindow.h"
#include "SensorMap.h"
#include "TransferDialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

#include <functional>
#include <memory>

using Make = std::function<QWidget *()>;
Q_DECLARE_METATYPE(Make)

namespace {

// The buttons and labels of a window that show less than their whole text.
QStringList Cut(const QWidget *window)
{
    QStringList cut;
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->isVisible() && !button->text().isEmpty() && button->width() < button->sizeHint().width())
            cut << button->objectName();
    }
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->isVisible() || label->text().isEmpty())
            continue;
        if (label->wordWrap() ? label->height() < label->heightForWidth(label->width())
                              : label->width() < label->sizeHint().width())
            cut << label->objectName();
    }
    return cut;
}

} // namespace

// Under the system's own font, at the scale the test runs with: every tab header, button and
// label shows its whole text, and the help page fits the screen.
class tst_Layout : public QObject
{
    Q_OBJECT

private slots:
    void mainWindow()
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
            cut << Cut(&window);
        }
        cut.removeDuplicates();
        QCOMPARE(cut, QStringList());
    }

    // The help page on the screen, and its text whole, to be scrolled to its end.
    void helpOnTheScreen()
    {
        HelpDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.height() <= QGuiApplication::primaryScreen()->availableGeometry().height());
    }

    void dialogs_data()
    {
        QTest::addColumn<Make>("make");
        QTest::newRow("help") << Make([] { return new HelpDialog; });
        QTest::newRow("about") << Make([] { return new AboutDialog("2.4.1"); });
        QTest::newRow("coordinates") << Make([] { return new CoordinatesDialog; });
        QTest::newRow("history") << Make([] {
            HistoryDialog::Entry entry;
            entry.time = "2026-12-08 07:14:57";
            entry.done = "before restore (unfinished)";
            entry.defects = 7648;
            return new HistoryDialog({entry}, {});
        });
        QTest::newRow("find defects") << Make([] { return new FindDefectsDialog(QSize(2048, 2048), SensorLayout::Bayer, {}, {}); });
        QTest::newRow("sensor map") << Make([] { return new SensorMap; });
        QTest::newRow("transfer") << Make([] {
            auto *dialog = new TransferDialog;
            dialog->ShowStep("putting back", 0, 0);
            dialog->ShowStep("reading", 129, 130); // the longest step
            return dialog;
        });
    }

    void dialogs()
    {
        QFETCH(Make, make);
        const std::unique_ptr<QWidget> window(make());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY2(Cut(window.get()).isEmpty(), qPrintable(Cut(window.get()).join(", ")));
    }
};

QTEST_MAIN(tst_Layout)
#include "tst_Layout.moc"
