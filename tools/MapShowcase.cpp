#include "MainWindow.h"
#include "SensorMap.h"
#include "WidgetImage.h"

#include <QApplication>
#include <QListWidget>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <cstdio>

// Not a test: the real main window connected to the monochrome camera, its list downloaded and a
// cluster added on the map, and the map written as it shows the whole sensor and as it shows
// the camera's run of five up close: <folder>/map-sensor.png and <folder>/map-run.png.
int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: map_showcase <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    MainWindow window;
    window.show();
    auto *cameras = window.findChild<QListWidget *>("cameraList");
    cameras->setCurrentItem(cameras->findItems(QStringLiteral("HN2702-M"), Qt::MatchStartsWith).value(0));
    window.findChild<QToolButton *>("connectButton")->click();
    window.findChild<QToolButton *>("downloadButton")->click();
    window.findChild<QToolButton *>("mapButton")->click();
    auto *map = window.findChild<SensorMap *>();
    if (!map) {
        std::fprintf(stderr, "no map: no monochrome camera could be connected\n");
        return 1;
    }
    map->resize(900, 760);
    for (quint16 row = 1500; row < 1503; ++row) {
        for (quint16 column = 600; column < 603; ++column)
            emit map->AddRequested(PixelCoords(row, column));
    }
    map->Fit();
    if (!SaveWidgetImage(map, folder + QStringLiteral("/map-sensor.png")))
        return 1;
    // The first camera entry in yellow: the start of the camera's run of five.
    auto *view = window.findChild<QTableView *>("cameraDefectivePixelView");
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        if (view->model()->index(row, 0).data(Qt::BackgroundRole).value<QColor>() != QColor(Qt::yellow))
            continue;
        const PixelCoords start(quint16(view->model()->index(row, 0).data().toInt()),
                                quint16(view->model()->index(row, 1).data().toInt()));
        const PixelCoords middle(start.row, quint16(start.column + 2));
        for (int zoom = 0; zoom < 40 && map->Scale() < 40; ++zoom)
            map->ZoomAt(map->ScreenPointOf(middle).toPoint(), 1.25);
        const QWidget *canvas = map->findChild<QWidget *>(QStringLiteral("sensorCanvas"));
        map->PanBy(canvas->rect().center() - map->ScreenPointOf(middle).toPoint());
        break;
    }
    return SaveWidgetImage(map, folder + QStringLiteral("/map-run.png")) ? 0 : 1;
}
