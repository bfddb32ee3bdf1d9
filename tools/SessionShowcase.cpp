#include "MainWindow.h"

#include <QApplication>
#include <QListWidget>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <cstdio>

// Not a test: brings the real main window to a camera list downloaded from the monochrome
// camera, its runs coloured, and keeps it open for tools/screenshot.sh --session. Prints
// "ready" once the window shows that state.
int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    MainWindow window;
    window.show();

    auto *cameras = window.findChild<QListWidget *>("cameraList");
    cameras->setCurrentItem(cameras->findItems(QStringLiteral("HN2702-M"), Qt::MatchStartsWith).value(0));
    window.findChild<QToolButton *>("connectButton")->click();
    window.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    window.findChild<QToolButton *>("downloadButton")->click(); // does nothing unless connected
    auto *view = window.findChild<QTableView *>("cameraDefectivePixelView");
    const QAbstractItemModel *model = view->model();
    if (model->rowCount() == 0) {
        std::fprintf(stderr, "no camera list downloaded from a monochrome camera\n");
        return 1;
    }
    // The first coloured row near the top of the view, so that the colours are in the picture.
    for (int row = 0; row < model->rowCount(); ++row) {
        const QColor colour = model->index(row, 0).data(Qt::BackgroundRole).value<QColor>();
        if (colour.isValid() && colour != Qt::white) {
            view->scrollTo(model->index(qMax(0, row - 3), 0), QAbstractItemView::PositionAtTop);
            break;
        }
    }

    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}
