#include "MapView.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int FitMargin = 8;
// Panning stops while this much of the sensor is still on the screen.
constexpr double KeptInView = 32;

} // namespace

MapView MapView::Fitted(QSize sensor, QSize screen)
{
    if (sensor.isEmpty())
        return MapView();
    const double fit = std::min(double(screen.width() - 2 * FitMargin) / sensor.width(),
                                double(screen.height() - 2 * FitMargin) / sensor.height());
    const double scale = std::clamp(fit, 1e-3, MaxScale);
    const QPointF origin((screen.width() - sensor.width() * scale) / 2,
                         (screen.height() - sensor.height() * scale) / 2);
    return MapView(scale, origin);
}

QPoint MapView::CellAt(QPoint screen) const
{
    // A screen pixel stands for its centre.
    return QPoint(int(std::floor((screen.x() + 0.5 - origin.x()) / scale)),
                  int(std::floor((screen.y() + 0.5 - origin.y()) / scale)));
}

QPointF MapView::CentreOf(QPoint cell) const
{
    return origin + QPointF((cell.x() + 0.5) * scale, (cell.y() + 0.5) * scale);
}

QRectF MapView::SensorRect(QSize sensor) const
{
    return QRectF(origin, QSizeF(sensor) * scale);
}

QRect MapView::CellsNear(const QRect &screen, int reach) const
{
    const QRect widened = screen.adjusted(-reach, -reach, reach, reach);
    const QRect cells(CellAt(widened.topLeft()), CellAt(widened.bottomRight()));
    return cells.intersected(QRect(0, 0, 0x10000, 0x10000));
}

MapView MapView::ZoomedAt(QPointF anchor, double factor, double minScale) const
{
    const double zoomed = std::clamp(scale * factor, std::min(minScale, MaxScale), MaxScale);
    return MapView(zoomed, anchor - (anchor - origin) * (zoomed / scale));
}

MapView MapView::PannedBy(QPointF delta, QSize sensor, QSize screen) const
{
    const QRectF sensorRect = SensorRect(sensor);
    const double keptX = std::min(KeptInView, sensorRect.width());
    const double keptY = std::min(KeptInView, sensorRect.height());
    const double x = std::clamp(origin.x() + delta.x(), keptX - sensorRect.width(), screen.width() - keptX);
    const double y = std::clamp(origin.y() + delta.y(), keptY - sensorRect.height(), screen.height() - keptY);
    return MapView(scale, QPointF(x, y));
}
