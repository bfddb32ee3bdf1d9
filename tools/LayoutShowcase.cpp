#include "HelpDialog.h"
#include "MainWindow.h"
#include "TransferDialog.h"
#include "WidgetImage.h"

#include <QApplication>
#include <QPainter>
#include <QTabWidget>

#include <cstdio>

namespace {

// An upload's progress dialog in the middle of the window, halfway through its packets.
bool SaveTransferImage(QWidget *window, const QString &fileName)
{
    TransferDialog dialog(window);
    dialog.ShowStep(QStringLiteral("writing"), 65, 129);
    dialog.show();
    QApplication::processEvents();
    QPixmap image = window->grab();
    const QPixmap shown = dialog.grab();
    const QSizeF room = QSizeF(image.size() - shown.size()) / (2 * image.devicePixelRatio());
    QPainter(&image).drawPixmap(QPointF(room.width(), room.height()), shown);
    if (image.save(fileName))
        return true;
    std::fprintf(stderr, "could not write %s\n", qPrintable(fileName));
    return false;
}

} // namespace

// Not a test: the main window's three tabs and the help page as they show at the scale it runs
// with (QT_SCALE_FACTOR), written as <folder>/<prefix>-tab1.png ..., <prefix>-help.png and
// <prefix>-transfer.png.
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
    if (!SaveWidgetImage(&help, stem + QStringLiteral("-help.png")))
        return 1;
    help.hide();
    return SaveTransferImage(&window, stem + QStringLiteral("-transfer.png")) ? 0 : 1;
}
