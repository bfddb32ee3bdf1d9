#include "HelpDialog.h"
#include "MainWindow.h"
#include "WidgetImage.h"

#include <QApplication>
#include <QTabWidget>

#include <cstdio>

// Not a test: the main window's three tabs and the help page as they show at the scale it runs
// with (QT_SCALE_FACTOR), written as <folder>/<prefix>-tab1.png ... and <prefix>-help.png.
int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: layout_showcase <folder> <prefix>\n");
        return 2;
    }
    const QString stem = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/') + QString::fromLocal8Bit(argv[2]);
    MainWindow window;
    window.show();
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        if (!SaveWidgetImage(&window, stem + QStringLiteral("-tab%1.png").arg(tab + 1)))
            return 1;
    }
    HelpDialog help(&window);
    help.show();
    return SaveWidgetImage(&help, stem + QStringLiteral("-help.png")) ? 0 : 1;
}
