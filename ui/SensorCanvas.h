#ifndef SENSORCANVAS_H
#define SENSORCANVAS_H

#include "MapLayer.h"
#include "MapPainter.h"
#include "MapView.h"

#include <QImage>
#include <QWidget>

#include <array>

// The drawing area of the sensor map: the layers seen through a view that the wheel and the
// keys zoom and a left drag pans. It paints from one image of its own size, redrawn only when
// something shown changes. Layers are numbered in drawing order: camera, user, candidates.
class SensorCanvas : public QWidget
{
    Q_OBJECT

public:
    explicit SensorCanvas(QWidget *parent = nullptr);
    ~SensorCanvas() override;

    void SetSensor(QSize size);
    QSize Sensor() const { return scene.sensor; }
    void SetLayer(int layer, const QList<PixelCoords> &coords, const QList<QColor> &rowColours);
    const MapLayer &LayerAt(int layer) const { return layers[size_t(layer)]; }
    void SetLayerVisible(int layer, bool visible);
    // Index -1 selects nothing.
    void SetSelection(int layer, int index);

    const MapView &View() const { return view; }
    void Fit();
    void ZoomAt(QPointF anchor, double factor);
    void PanBy(QPointF delta);

    // The entry of a shown layer whose mark covers `point`, the nearest one; -1 when none does.
    int EntryAt(int layer, QPoint point) const;
    // The map as `view` shows it on a screen of `size`.
    QImage Rendered(const MapView &shownView, QSize size) const;

signals:
    void Clicked(QPoint point);
    void DoubleClicked(QPoint point);
    void Hovered(QPoint point);
    void PointerLeft();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void SetView(const MapView &newView);
    void Redraw();
    double FitScale() const;
    void Drag(QPoint position);

    std::array<MapLayer, MapPainter::LayerCount> layers;
    MapPainter::Scene scene;
    MapView view;
    bool fitted = true;
    QImage frame;
    bool frameStale = true;
    bool pressed = false;
    bool dragging = false;
    QPoint dragPosition;
};

#endif
