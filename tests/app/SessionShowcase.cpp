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
namespace {

int Fail(const char *reason)
{
    std::fprintf(stderr, "%s\n", reason);
    return 1;
}

void Press(const MainWindow &window, const char *button)
{
    window.findChild<QToolButton *>(button)->click();
}

// The first coloured row near the top of the view, so that the colours are in the picture.
void ScrollToFirstColouredRow(QTableView *view)
{
    const QAbstractItemModel *model = view->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QColor colour = model->index(row, 0).data(Qt::BackgroundRole).value<QColor>();
        if (colour.isValid() && colour != Qt::white) {
            view->scrollTo(model->index(qMax(0, row - 3), 0), QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    MainWindow window;
    window.show();

    auto *cameras = window.findChild<QListWidget *>("cameraList");
    const QList<QListWidgetItem *> monochrome = cameras->findItems(QStringLiteral("HN2702-M"), Qt::MatchStartsWith);
    if (monochrome.isEmpty())
        return Fail("no monochrome camera listed");
    cameras->setCurrentItem(monochrome.constFirst());
    Press(window, "connectButton");
    if (!window.findChild<QToolButton *>("disconnectButton")->isEnabled())
        return Fail("could not connect to the monochrome camera");
    window.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
    Press(window, "downloadButton");
    auto *view = window.findChild<QTableView *>("cameraDefectivePixelView");
    if (view->model()->rowCount() == 0)
        return Fail("no camera list downloaded");
    ScrollToFirstColouredRow(view);

    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}
