#ifndef MAPVIEW_H
#define MAPVIEW_H

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

// Where the sensor lies on the screen: screen pixels per sensor pixel and the screen position
// of the sensor's top-left corner. Sensor cells are QPoint(column, row).
class MapView
{
public:
    static constexpr double MaxScale = 64;

    MapView() = default;
    MapView(double scale, QPointF origin) : scale(scale), origin(origin) {}
    // The whole sensor, centred, with a margin for its outline.
    static MapView Fitted(QSize sensor, QSize screen);

    double Scale() const { return scale; }
    QPointF Origin() const { return origin; }

    // The cell under a screen pixel, inside the sensor or not.
    QPoint CellAt(QPoint screen) const;
    QPointF CentreOf(QPoint cell) const;
    QRectF SensorRect(QSize sensor) const;
    // The cells, on the sensor or beyond it, whose marks reaching `reach` screen pixels from
    // their centres touch `screen`.
    QRect CellsNear(const QRect &screen, int reach) const;

    // `anchor` stays over the same sensor point; the scale stays within minScale and MaxScale.
    MapView ZoomedAt(QPointF anchor, double factor, double minScale) const;
    // Moved by `delta`, keeping some of the sensor on a screen of size `screen`.
    MapView PannedBy(QPointF delta, QSize sensor, QSize screen) const;

private:
    double scale = 1;
    QPointF origin;
};

#endif
