#include "SensorMap.h"
#include "WhenShown.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "MouseEvents.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(PixelCoords)
Q_DECLARE_METATYPE(SensorMap::Layer)

namespace {

// A shown map of the given sensor, its drawing area at its default size.
std::unique_ptr<SensorMap> ShownMap(int width, int height)
{
    auto map = std::make_unique<SensorMap>();
    map->resize(640, 680);
    map->SetSensor(width, height);
    map->show();
    if (!QTest::qWaitForWindowExposed(map.get()))
        return nullptr;
    return map;
}

QWidget *Canvas(SensorMap &map)
{
    return map.findChild<QWidget *>("sensorCanvas");
}

QPoint On(const QPointF &point)
{
    return QPoint(int(point.x()), int(point.y()));
}

// The pixels of `colour` within `reach` of `centre`.
int CountAround(const QImage &image, QPoint centre, int reach, QColor colour)
{
    int count = 0;
    const QRect box = QRect(centre - QPoint(reach, reach), centre + QPoint(reach, reach)).intersected(image.rect());
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x)
            count += image.pixelColor(x, y) == colour;
    }
    return count;
}

void DoubleClick(QWidget *canvas, QPoint point)
{
    QTest::mouseClick(canvas, Qt::LeftButton, {}, point);
    QTest::mouseDClick(canvas, Qt::LeftButton, {}, point);
}

} // namespace

// The sensor map as its user meets it: marks where the defects are, in their rows' colours,
// clicks and double-clicks that name entries and pixels, switches and the saved image.
class tst_SensorMap : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<PixelCoords>();
        qRegisterMetaType<SensorMap::Layer>();
    }

    void markShowsWhereAndInColour_data()
    {
        QTest::addColumn<int>("layer");
        QTest::addColumn<int>("sensorSide");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<PixelCoords>("coords");
        QTest::addColumn<QColor>("rowColour");
        QTest::addColumn<int>("reach");
        const QColor yellow(Qt::yellow), red(Qt::red), white(Qt::white);
        QTest::newRow("yellow camera square, 4096 sensor fitted") << 0 << 4096 << 1.0 << PixelCoords(1000, 3000) << yellow << 3;
        QTest::newRow("red user ring, 4096 sensor fitted") << 1 << 4096 << 1.0 << PixelCoords(4095, 0) << red << 5;
        QTest::newRow("plain camera square in the far corner") << 0 << 4096 << 1.0 << PixelCoords(4095, 4095) << white << 3;
        QTest::newRow("plain candidate cross, fitted") << 2 << 4096 << 1.0 << PixelCoords(17, 2048) << white << 5;
        QTest::newRow("red camera square at pixel zoom") << 0 << 512 << 1e6 << PixelCoords(300, 20) << red << 32;
        QTest::newRow("plain user ring at pixel zoom") << 1 << 512 << 1e6 << PixelCoords(200, 311) << white << 32;
    }

    void markShowsWhereAndInColour()
    {
        QFETCH(int, layer);
        QFETCH(int, sensorSide);
        QFETCH(double, zoom);
        QFETCH(PixelCoords, coords);
        QFETCH(QColor, rowColour);
        QFETCH(int, reach);
        auto map = ShownMap(sensorSide, sensorSide);
        QVERIFY(map);
        map->ZoomAt(On(map->ScreenPointOf(coords)), zoom);
        const QImage before = Canvas(*map)->grab().toImage();
        map->SetLayer(SensorMap::Layer(layer), {coords}, {rowColour});
        const QImage after = Canvas(*map)->grab().toImage();

        const QRect mark(On(map->ScreenPointOf(coords)) - QPoint(reach, reach), QSize(2 * reach + 1, 2 * reach + 1));
        QSet<QRgb> colours;
        int changed = 0;
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
                if (before.pixel(x, y) == after.pixel(x, y))
                    continue;
                QVERIFY2(mark.contains(x, y), "nothing is drawn away from the defect's pixel");
                colours.insert(after.pixel(x, y));
                ++changed;
            }
        }
        if (zoom > 1)
            QVERIFY2(map->Scale() >= 32, "pixel zoom shows a sensor pixel as a large square");
        QVERIFY2(changed >= 12, "the mark is a few screen pixels large at least");
        QCOMPARE(colours.size(), 1);
        const QColor drawn = QColor(*colours.begin());
        QCOMPARE(drawn == rowColour, rowColour != QColor(Qt::white));
    }

    void rowsGoDownColumnsAcross()
    {
        auto map = ShownMap(300, 200);
        QVERIFY(map);
        const QPointF topRight = map->ScreenPointOf(PixelCoords(0, 299));
        const QPointF bottomLeft = map->ScreenPointOf(PixelCoords(199, 0));
        QVERIFY(topRight.x() > bottomLeft.x() + Canvas(*map)->width() / 2);
        QVERIFY(topRight.y() < bottomLeft.y() - Canvas(*map)->height() / 4);
    }

    void doubleClickAddsThePixel_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QPoint>("pan");
        QTest::addColumn<PixelCoords>("coords");
        QTest::newRow("fitted") << 1.0 << QPoint() << PixelCoords(123, 400);
        QTest::newRow("zoomed in four times") << 4.0 << QPoint() << PixelCoords(511, 0);
        QTest::newRow("pixel zoom") << 1e6 << QPoint() << PixelCoords(256, 256);
        QTest::newRow("pixel zoom after a pan") << 1e6 << QPoint(-100, 60) << PixelCoords(255, 258);
        QTest::newRow("zoomed in and panned") << 8.0 << QPoint(150, -90) << PixelCoords(190, 220);
    }

    // Each screen pixel stands for one sensor pixel here, so that every pixel can be hit.
    void doubleClickAddsThePixel()
    {
        QFETCH(double, zoom);
        QFETCH(QPoint, pan);
        QFETCH(PixelCoords, coords);
        auto map = ShownMap(512, 512);
        QVERIFY(map);
        const QPoint anchor = On(map->ScreenPointOf(coords));
        map->ZoomAt(anchor, zoom);
        MouseEvents::Drag(Canvas(*map), anchor, pan, Qt::LeftButton);
        QSignalSpy added(map.get(), &SensorMap::AddRequested);

        const QPoint point = On(map->ScreenPointOf(coords));
        QVERIFY(Canvas(*map)->rect().contains(point));
        DoubleClick(Canvas(*map), point);

        QVERIFY(map->Scale() >= 1);
        QCOMPARE(added.count(), 1);
        QCOMPARE(added.at(0).at(0).value<PixelCoords>(), coords);
    }

    void gestureKeepsItsPixel_data()
    {
        QTest::addColumn<int>("wheelSteps");
        QTest::addColumn<QPoint>("drag");
        QTest::newRow("wheel in") << 3 << QPoint();
        QTest::newRow("wheel in, then out") << -1 << QPoint();
        QTest::newRow("left drag") << 0 << QPoint(57, -33);
    }

    // What lies under the pointer stays under it: the wheel zooms around it, a drag carries it.
    void gestureKeepsItsPixel()
    {
        QFETCH(int, wheelSteps);
        QFETCH(QPoint, drag);
        auto map = ShownMap(4096, 4096);
        QVERIFY(map);
        const QPoint pointer(150, 400);
        map->ZoomAt(pointer, 20);
        const std::optional<PixelCoords> before = map->SensorPixelAt(pointer);
        const double scaleBefore = map->Scale();
        QWheelEvent wheel(pointer, Canvas(*map)->mapToGlobal(pointer), QPoint(), QPoint(0, 120 * wheelSteps),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Canvas(*map), &wheel);
        MouseEvents::Drag(Canvas(*map), pointer, drag, Qt::LeftButton);

        QVERIFY(before);
        QCOMPARE(map->SensorPixelAt(pointer + drag), before);
        QCOMPARE(map->Scale() > scaleBefore, wheelSteps > 0);
    }

    // + zooms in until the corners leave the window, an arrow shows more on its side, 0 fits.
    void keysZoomPanAndFit()
    {
        auto map = ShownMap(4096, 2048);
        QVERIFY(map);
        QWidget *canvas = Canvas(*map);
        const PixelCoords corners[] = {PixelCoords(0, 0), PixelCoords(2047, 4095)};
        QTest::keyClick(canvas, Qt::Key_Plus);
        QTest::keyClick(canvas, Qt::Key_Plus);
        QVERIFY(!canvas->rect().contains(On(map->ScreenPointOf(corners[0]))));
        const std::optional<PixelCoords> middle = map->SensorPixelAt(canvas->rect().center());
        QTest::keyClick(canvas, Qt::Key_Right);
        QTest::keyClick(canvas, Qt::Key_Down);
        QVERIFY(map->SensorPixelAt(canvas->rect().center())->column > middle->column);
        QVERIFY(map->SensorPixelAt(canvas->rect().center())->row > middle->row);
        QTest::keyClick(canvas, Qt::Key_0);
        for (const PixelCoords &corner : corners)
            QVERIFY(canvas->rect().contains(On(map->ScreenPointOf(corner))));
    }

    void clickPicksTheEntry_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<PixelCoords>("coords");
        QTest::addColumn<int>("layer");
        QTest::addColumn<int>("index");
        QTest::newRow("camera entry, fitted") << 1.0 << PixelCoords(900, 100) << 0 << 2;
        QTest::newRow("user entry, fitted") << 1.0 << PixelCoords(3000, 3000) << 1 << 1;
        QTest::newRow("user ring over a camera square") << 1.0 << PixelCoords(10, 20) << 1 << 0;
        QTest::newRow("camera entry at pixel zoom") << 1e6 << PixelCoords(10, 21) << 0 << 1;
        QTest::newRow("user entry at pixel zoom") << 1e6 << PixelCoords(10, 20) << 1 << 0;
    }

    void clickPicksTheEntry()
    {
        QFETCH(double, zoom);
        QFETCH(PixelCoords, coords);
        QFETCH(int, layer);
        QFETCH(int, index);
        auto map = ShownMap(4096, 4096);
        QVERIFY(map);
        const QColor white(Qt::white);
        map->SetLayer(SensorMap::CameraLayer, {PixelCoords(10, 20), PixelCoords(10, 21), PixelCoords(900, 100)}, {});
        map->SetLayer(SensorMap::UserLayer, {PixelCoords(10, 20), PixelCoords(3000, 3000)}, {white, white});
        map->ZoomAt(On(map->ScreenPointOf(coords)), zoom);
        QSignalSpy clicked(map.get(), &SensorMap::EntryClicked);
        QSignalSpy added(map.get(), &SensorMap::AddRequested);
        QSignalSpy removed(map.get(), &SensorMap::RemoveRequested);
        auto *remove = map->findChild<QPushButton *>("removeButton");

        DoubleClick(Canvas(*map), On(map->ScreenPointOf(coords)));
        QTest::keyClick(Canvas(*map), Qt::Key_Delete);

        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).value<SensorMap::Layer>(), SensorMap::Layer(layer));
        QCOMPARE(clicked.at(0).at(1).toInt(), index);
        QCOMPARE(added.count(), 0);
        QCOMPARE(remove->isEnabled(), layer == SensorMap::UserLayer);
        QCOMPARE(removed.count(), layer == SensorMap::UserLayer ? 1 : 0);
        QTest::mouseClick(Canvas(*map), Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(!remove->isEnabled());
    }

    void pointerShowsWhatLiesThere_data()
    {
        QTest::addColumn<PixelCoords>("coords");
        QTest::addColumn<QString>("status");
        QTest::newRow("a yellow camera entry") << PixelCoords(40, 41) << "Row 40, column 41; camera: run of more than four";
        QTest::newRow("a red user entry over a plain camera one") << PixelCoords(7, 9) << "Row 7, column 9; camera; user: cannot be corrected";
        QTest::newRow("an empty pixel") << PixelCoords(90, 3) << "Row 90, column 3";
    }

    void pointerShowsWhatLiesThere()
    {
        QFETCH(PixelCoords, coords);
        QFETCH(QString, status);
        auto map = ShownMap(128, 128);
        QVERIFY(map);
        map->SetLayer(SensorMap::CameraLayer, {PixelCoords(7, 9), PixelCoords(40, 41)}, {Qt::white, Qt::yellow});
        map->SetLayer(SensorMap::UserLayer, {PixelCoords(7, 9)}, {Qt::red});
        const QPoint point = On(map->ScreenPointOf(coords));
        MouseEvents::Send(Canvas(*map), QEvent::MouseMove, point, Qt::NoButton, Qt::NoButton);
        QCOMPARE(map->findChild<QLabel *>("statusLabel")->text(), status);
    }

    void hiddenLayerLeavesNoMark_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("hidden");
        QTest::newRow("camera switched off") << "cameraLayerBox" << 0;
        QTest::newRow("user switched off") << "userLayerBox" << 1;
    }

    void hiddenLayerLeavesNoMark()
    {
        QFETCH(QString, box);
        QFETCH(int, hidden);
        auto map = ShownMap(1024, 1024);
        QVERIFY(map);
        const PixelCoords places[] = {PixelCoords(100, 100), PixelCoords(900, 900)};
        map->SetLayer(SensorMap::CameraLayer, {places[0]}, {Qt::red});
        map->SetLayer(SensorMap::UserLayer, {places[1]}, {Qt::red});
        QSignalSpy clicked(map.get(), &SensorMap::EntryClicked);

        QTest::mouseClick(map->findChild<QCheckBox *>(box), Qt::LeftButton);
        const QImage shown = Canvas(*map)->grab().toImage();
        QTest::mouseClick(Canvas(*map), Qt::LeftButton, {}, On(map->ScreenPointOf(places[hidden])));

        QCOMPARE(CountAround(shown, On(map->ScreenPointOf(places[hidden])), 5, Qt::red), 0);
        QVERIFY(CountAround(shown, On(map->ScreenPointOf(places[1 - hidden])), 5, Qt::red) > 6);
        QCOMPARE(clicked.count(), 0);
    }

    void savedImageShowsTheDefect_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("the view as shown") << 0.0;
        QTest::newRow("the whole sensor at three screen pixels a pixel") << 3.0;
    }

    void savedImageShowsTheDefect()
    {
        QFETCH(double, scale);
        auto map = ShownMap(600, 400);
        QVERIFY(map);
        const PixelCoords coords(250, 480);
        map->SetLayer(SensorMap::CameraLayer, {coords}, {Qt::yellow});
        QTemporaryDir folder;
        const QString fileName = folder.filePath("map.png");

        QVERIFY(map->SaveImage(fileName, scale));

        const QImage saved(fileName, "PNG");
        const QPoint where = scale > 0 ? QPoint(int((480 + 0.5) * scale), int((250 + 0.5) * scale))
                                       : On(map->ScreenPointOf(coords));
        QCOMPARE(saved.size(), scale > 0 ? QSize(600, 400) * scale : Canvas(*map)->size());
        QCOMPARE(saved.pixelColor(where), QColor(Qt::yellow));
        QVERIFY(!map->SaveImage(folder.filePath("map.png/inside.png"), scale));
    }

    // Save Image... asks what to save and where; a name without a suffix gets ".png", and a file
    // that cannot be written is told.
    void saveImageButton()
    {
        auto map = ShownMap(600, 400);
        QVERIFY(map);
        QTemporaryDir folder;
        QString told;
        for (const QString &name : {QString("shot"), QString("shot.png/inside")}) {
            WhenShown<QInputDialog> what([](QInputDialog *dialog) {
                dialog->setTextValue("The whole sensor, 2 pixels per sensor pixel");
                dialog->accept();
            });
            WhenShown<QFileDialog> where([&](QFileDialog *dialog) {
                dialog->selectFile(folder.filePath(name));
                QMetaObject::invokeMethod(dialog, "accept");
            });
            WhenShown<QMessageBox> box([&told](QMessageBox *shown) {
                told = shown->text();
                shown->accept();
            });
            map->findChild<QPushButton *>("saveImageButton")->click();
            QVERIFY(what.answered && where.answered);
        }
        QCOMPARE(QImage(folder.filePath("shot.png"), "PNG").size(), QSize(1200, 800));
        QCOMPARE(told, "The image could not be written to " + folder.filePath("shot.png/inside.png") + ".");
    }
};

QTEST_MAIN(tst_SensorMap)
#include "tst_SensorMap.moc"
