#include "CoordinateSet.h"
#include "SensorMap.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int SensorSide = 4096;
constexpr int CameraDefects = 90000;
constexpr int UserDefects = 10000;
constexpr int CanvasSide = 800;

// Distinct defects spread over the sensor; every fiftieth yellow and every two hundredth red,
// as after a validation.
struct ColouredList
{
    QList<PixelCoords> coords;
    QList<QColor> colours;
};

ColouredList RandomList(quint32 seed, int count)
{
    QRandomGenerator random(seed);
    CoordinateSet seen(count);
    ColouredList list;
    while (list.coords.size() < count) {
        const PixelCoords coords(quint16(random.bounded(SensorSide)), quint16(random.bounded(SensorSide)));
        if (!seen.Insert(coords))
            continue;
        const int index = list.coords.size();
        list.coords.append(coords);
        list.colours.append(index % 200 == 0 ? Qt::red : index % 50 == 0 ? Qt::yellow : Qt::white);
    }
    return list;
}

// The offscreen platform's warnings would drown the figures.
void Quiet(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}

const ColouredList &CameraList()
{
    static const ColouredList list = RandomList(1, CameraDefects);
    return list;
}

const ColouredList &UserList()
{
    static const ColouredList list = RandomList(2, UserDefects);
    return list;
}

// A shown map whose drawing area is CanvasSide square, holding both lists.
std::unique_ptr<SensorMap> FilledMap()
{
    auto map = std::make_unique<SensorMap>();
    map->SetSensor(SensorSide, SensorSide);
    map->SetLayer(SensorMap::CameraLayer, CameraList().coords, CameraList().colours);
    map->SetLayer(SensorMap::UserLayer, UserList().coords, UserList().colours);
    map->show();
    QWidget *canvas = map->findChild<QWidget *>("sensorCanvas");
    map->resize(map->size() + QSize(CanvasSide, CanvasSide) - canvas->size());
    return map;
}

QWidget *Canvas(SensorMap &map)
{
    return map.findChild<QWidget *>("sensorCanvas");
}

// The drawing area painted into an image, as the window system would have it painted.
void Paint(SensorMap &map, QImage &image)
{
    Canvas(map)->render(&image);
    benchmark::DoNotOptimize(image.constBits());
}

// Construction, both lists, showing and the first paint.
void BM_FillAndShow(benchmark::State &state)
{
    CameraList();
    UserList();
    QImage image(CanvasSide, CanvasSide, QImage::Format_RGB32);
    for (auto _ : state) {
        auto map = FilledMap();
        Paint(*map, image);
    }
    state.counters["defects"] = CameraDefects + UserDefects;
}
BENCHMARK(BM_FillAndShow)->Unit(benchmark::kMillisecond);

// A repaint after a one-pixel pan, which redraws everything in view: fitted (every defect in
// view), zoomed three and eight times (a ninth and a sixty-fourth of the sensor in view), and at
// pixel zoom.
void BM_RepaintAfterPan(benchmark::State &state)
{
    auto map = FilledMap();
    const QPoint middle = Canvas(*map)->rect().center();
    map->ZoomAt(middle, double(state.range(0)));
    state.SetLabel(QStringLiteral("%1 screen px a sensor px").arg(map->Scale(), 0, 'f', 2).toStdString());
    QImage image(Canvas(*map)->size(), QImage::Format_RGB32);
    int step = 1;
    for (auto _ : state) {
        map->PanBy(QPoint(step, 0));
        step = -step;
        Paint(*map, image);
    }
}
BENCHMARK(BM_RepaintAfterPan)->Arg(1)->Arg(3)->Arg(8)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A repaint with nothing changed, as when another window uncovers the map.
void BM_RepaintUnchanged(benchmark::State &state)
{
    auto map = FilledMap();
    QImage image(Canvas(*map)->size(), QImage::Format_RGB32);
    for (auto _ : state)
        Paint(*map, image);
}
BENCHMARK(BM_RepaintUnchanged)->Unit(benchmark::kMillisecond);

// The window adds one user entry and hands the map the longer list; the fitted map repaints.
void BM_AddOneEntry(benchmark::State &state)
{
    auto map = FilledMap();
    QImage image(Canvas(*map)->size(), QImage::Format_RGB32);
    ColouredList longer = UserList();
    longer.coords.append(PixelCoords(17, 4000));
    longer.colours.append(Qt::white);
    bool added = false;
    for (auto _ : state) {
        added = !added;
        const ColouredList &list = added ? longer : UserList();
        map->SetLayer(SensorMap::UserLayer, list.coords, list.colours);
        Paint(*map, image);
    }
}
BENCHMARK(BM_AddOneEntry)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(Quiet);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
