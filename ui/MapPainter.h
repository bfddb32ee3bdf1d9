#ifndef MAPPAINTER_H
#define MAPPAINTER_H

#include "MapLayer.h"
#include "MapView.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <array>
#include <vector>

// Draws the sensor map into an image of the screen's size. Marks are stamped straight into
// the image's lines, so that a hundred thousand of them cost a few milliseconds; each keeps a
// few screen pixels at any zoom, so that no defect is lost by scaling.
class MapPainter
{
public:
    // Each layer's mark, in drawing order: the camera's, the user's, the candidates'.
    enum Mark { Square, Ring, Cross, LayerCount };

    // What the map shows, apart from where: the layers in drawing order, which are shown, and
    // the selected entry.
    struct Scene
    {
        QSize sensor;
        std::array<const MapLayer *, LayerCount> layers{};
        std::array<bool, LayerCount> visible{};
        int selectedLayer = -1;
        int selectedIndex = -1;
    };

    MapPainter(QImage &image, const MapView &view, const Scene &scene);

    void Paint();

    // The size of a layer's mark at a zoom: how near a click must come to pick it.
    static int MarkSize(int layer, double scale);

private:
    struct Span
    {
        int dy;
        int left;
        int right;
    };

    void PaintSensor(QPainter &painter) const;
    void PaintGrid(QPainter &painter) const;
    void StampLayer(int layer);
    void Stamp(const std::vector<Span> &mark, int size, QPointF centre, QRgb colour);
    void PaintSelection(QPainter &painter) const;
    void PaintEdgeNumbers(QPainter &painter) const;
    static std::vector<Span> MarkSpans(int layer, int size);

    QImage &image;
    const MapView view;
    const Scene &scene;
    // The image's lines, taken once: the stamping loop asks for nothing else.
    QRgb *const pixels;
    const int stride;
    const int width;
    const int height;
};

#endif
