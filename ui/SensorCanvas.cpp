#include "SensorCanvas.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace {

constexpr double ZoomStep = 1.25;
constexpr int PanStep = 48;

} // namespace

SensorCanvas::SensorCanvas(QWidget *parent)
    : QWidget(parent)
{
    for (size_t layer = 0; layer < layers.size(); ++layer) {
        scene.layers[layer] = &layers[layer];
        scene.visible[layer] = true;
    }
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 200);
}

SensorCanvas::~SensorCanvas() = default;

void SensorCanvas::SetSensor(QSize size)
{
    scene.sensor = size;
    Fit();
}

void SensorCanvas::SetLayer(int layer, const QList<PixelCoords> &coords, const QList<QColor> &rowColours)
{
    layers[size_t(layer)].Set(coords, rowColours);
    Redraw();
}

void SensorCanvas::SetLayerVisible(int layer, bool visible)
{
    scene.visible[size_t(layer)] = visible;
    Redraw();
}

void SensorCanvas::SetSelection(int layer, int index)
{
    scene.selectedLayer = index < 0 ? -1 : layer;
    scene.selectedIndex = index;
    Redraw();
}

void SensorCanvas::Fit()
{
    fitted = true;
    SetView(MapView::Fitted(scene.sensor, size()));
}

void SensorCanvas::ZoomAt(QPointF anchor, double factor)
{
    fitted = false;
    SetView(view.ZoomedAt(anchor, factor, FitScale()).PannedBy(QPointF(), scene.sensor, size()));
}

void SensorCanvas::PanBy(QPointF delta)
{
    fitted = false;
    SetView(view.PannedBy(delta, scene.sensor, size()));
}

int SensorCanvas::EntryAt(int layer, QPoint point) const
{
    if (!scene.visible[size_t(layer)])
        return -1;
    const MapLayer &entries = layers[size_t(layer)];
    const double reach = MapPainter::MarkSize(layer, view.Scale()) / 2.0 + 0.5;
    const QPointF pointer = QPointF(point) + QPointF(0.5, 0.5);
    const QRect cells = view.CellsNear(QRect(point, QSize(1, 1)), int(std::ceil(reach)));
    int nearest = -1;
    double nearestDistance = reach;
    for (int group = 0; group < entries.GroupColours().size(); ++group) {
        entries.ForEachIn(group, cells, [&](int index, PixelCoords coords) {
            const QPointF offset = view.CentreOf(QPoint(coords.column, coords.row)) - pointer;
            const double distance = std::max(std::abs(offset.x()), std::abs(offset.y()));
            if (distance <= nearestDistance) {
                nearest = index;
                nearestDistance = distance;
            }
        });
    }
    return nearest;
}

QImage SensorCanvas::Rendered(const MapView &shownView, QSize size) const
{
    QImage image(size, QImage::Format_RGB32);
    if (!image.isNull())
        MapPainter(image, shownView, scene).Paint();
    return image;
}

void SensorCanvas::paintEvent(QPaintEvent *)
{
    if (frameStale || frame.size() != size()) {
        if (frame.size() != size())
            frame = QImage(size(), QImage::Format_RGB32);
        MapPainter(frame, view, scene).Paint();
        frameStale = false;
    }
    QPainter(this).drawImage(0, 0, frame);
}

void SensorCanvas::resizeEvent(QResizeEvent *)
{
    if (fitted)
        Fit();
    else
        PanBy(QPointF());
}

void SensorCanvas::wheelEvent(QWheelEvent *event)
{
    ZoomAt(event->position(), std::pow(ZoomStep, event->angleDelta().y() / 120.0));
    // Something else now lies under the pointer that has not moved.
    emit Hovered(event->position().toPoint());
}

void SensorCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressed = true;
    dragging = false;
    dragPosition = event->pos();
}

void SensorCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (pressed && event->buttons() & Qt::LeftButton)
        Drag(event->pos());
    emit Hovered(event->pos());
}

// A press becomes a drag once it moves farther than a shaky click would.
void SensorCanvas::Drag(QPoint position)
{
    if (!dragging && (position - dragPosition).manhattanLength() < QApplication::startDragDistance())
        return;
    dragging = true;
    PanBy(position - dragPosition);
    dragPosition = position;
}

void SensorCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !pressed)
        return;
    pressed = false;
    if (!dragging)
        emit Clicked(event->pos());
}

void SensorCanvas::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit DoubleClicked(event->pos());
}

void SensorCanvas::keyPressEvent(QKeyEvent *event)
{
    const QPointF centre = QRectF(rect()).center();
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return ZoomAt(centre, ZoomStep);
    case Qt::Key_Minus:
        return ZoomAt(centre, 1 / ZoomStep);
    case Qt::Key_0:
        return Fit();
    // An arrow shows more of the sensor on its side: the sensor moves the other way.
    case Qt::Key_Left:
        return PanBy(QPointF(PanStep, 0));
    case Qt::Key_Right:
        return PanBy(QPointF(-PanStep, 0));
    case Qt::Key_Up:
        return PanBy(QPointF(0, PanStep));
    case Qt::Key_Down:
        return PanBy(QPointF(0, -PanStep));
    default:
        QWidget::keyPressEvent(event);
    }
}

void SensorCanvas::leaveEvent(QEvent *)
{
    emit PointerLeft();
}

void SensorCanvas::SetView(const MapView &newView)
{
    view = newView;
    Redraw();
}

void SensorCanvas::Redraw()
{
    frameStale = true;
    update();
}

double SensorCanvas::FitScale() const
{
    return MapView::Fitted(scene.sensor, size()).Scale();
}
