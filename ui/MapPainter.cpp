#include "MapPainter.h"

#include <QVector>

#include <algorithm>
#include <cmath>

namespace {

const QColor Outside(64, 64, 64);
const QColor SensorArea(24, 24, 24);
const QColor GridLine(52, 52, 52);
const QColor Outline(160, 160, 160);
const QColor Selection(0, 200, 255);
// White in the tables means nothing was found: a quiet grey-blue says so on the dark sensor and
// leaves the strong colours to the findings.
const QColor Plain(190, 200, 215);
constexpr double GridScale = 8;
constexpr double NumbersScale = 32;
constexpr int NumbersBand = 16;
constexpr int RowNumbersWidth = 40;

QColor MarkColour(const QColor &rowColour)
{
    return rowColour == QColor(Qt::white) ? Plain : rowColour;
}

} // namespace

MapPainter::MapPainter(QImage &image, const MapView &view, const Scene &scene)
    : image(image)
    , view(view)
    , scene(scene)
    , pixels(reinterpret_cast<QRgb *>(image.bits()))
    , stride(image.bytesPerLine() / int(sizeof(QRgb)))
    , width(image.width())
    , height(image.height())
{
}

void MapPainter::Paint()
{
    image.fill(Outside);
    {
        QPainter painter(&image);
        PaintSensor(painter);
        PaintGrid(painter);
    }
    // Marks go over the outline: one at the sensor's edge must not lose pixels to it.
    for (int layer = 0; layer < LayerCount; ++layer) {
        if (scene.visible[size_t(layer)])
            StampLayer(layer);
    }
    QPainter painter(&image);
    PaintSelection(painter);
    PaintEdgeNumbers(painter);
}

int MapPainter::MarkSize(int layer, double scale)
{
    const int square = std::max(4, int(scale * 0.6));
    if (layer == Square)
        return square;
    // A ring keeps clear of the square inside it, where a user entry repeats a camera one.
    return std::max(layer == Ring ? square + 4 : 7, int(scale * 0.9));
}

// The sensor's area to scale, framed just outside it.
void MapPainter::PaintSensor(QPainter &painter) const
{
    const QRectF sensorRect = view.SensorRect(scene.sensor);
    painter.fillRect(sensorRect.intersected(QRectF(image.rect())), SensorArea);
    painter.setPen(Outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(sensorRect.adjusted(-1, -1, 0, 0));
}

// Lines between the cells once a cell is large enough to be told apart.
void MapPainter::PaintGrid(QPainter &painter) const
{
    if (view.Scale() < GridScale)
        return;
    const QRect cells = view.CellsNear(image.rect(), 0).intersected(QRect(QPoint(0, 0), scene.sensor));
    const QRectF area = view.SensorRect(scene.sensor).intersected(QRectF(image.rect()));
    QVector<QLineF> lines;
    for (int column = cells.left(); column <= cells.right() + 1; ++column) {
        const double x = view.Origin().x() + column * view.Scale();
        lines.append(QLineF(x, area.top(), x, area.bottom()));
    }
    for (int row = cells.top(); row <= cells.bottom() + 1; ++row) {
        const double y = view.Origin().y() + row * view.Scale();
        lines.append(QLineF(area.left(), y, area.right(), y));
    }
    painter.setPen(GridLine);
    painter.drawLines(lines);
}

void MapPainter::StampLayer(int layer)
{
    const MapLayer &entries = *scene.layers[size_t(layer)];
    const int size = MarkSize(layer, view.Scale());
    const std::vector<Span> mark = MarkSpans(layer, size);
    const QRect cells = view.CellsNear(image.rect(), size / 2 + 1);
    for (int group = 0; group < entries.GroupColours().size(); ++group) {
        const QRgb colour = MarkColour(entries.GroupColours().at(group)).rgb();
        entries.ForEachIn(group, cells, [&](int, PixelCoords coords) {
            Stamp(mark, size, view.CentreOf(QPoint(coords.column, coords.row)), colour);
        });
    }
}

void MapPainter::Stamp(const std::vector<Span> &mark, int size, QPointF centre, QRgb colour)
{
    const int left = int(std::floor(centre.x() - size / 2.0 + 0.5));
    const int top = int(std::floor(centre.y() - size / 2.0 + 0.5));
    for (const Span &span : mark) {
        const int y = top + span.dy;
        if (y < 0 || y >= height)
            continue;
        const int from = std::max(0, left + span.left);
        const int to = std::min(width, left + span.right);
        QRgb *line = pixels + qsizetype(y) * stride;
        for (int x = from; x < to; ++x)
            line[x] = colour;
    }
}

// The mark drawn once by QPainter, without smoothing, and kept as runs of its pixels.
std::vector<MapPainter::Span> MapPainter::MarkSpans(int layer, int size)
{
    QImage shape(size, size, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    {
        QPainter painter(&shape);
        const int pen = std::max(2, size / 10);
        const QRectF box = QRectF(0, 0, size, size).adjusted(pen / 2.0, pen / 2.0, -pen / 2.0, -pen / 2.0);
        painter.setPen(QPen(Qt::white, pen, Qt::SolidLine, Qt::SquareCap));
        if (layer == Square)
            painter.fillRect(shape.rect(), Qt::white);
        else if (layer == Ring)
            painter.drawEllipse(box);
        else
            painter.drawLines(QVector<QLineF>{QLineF(box.topLeft(), box.bottomRight()), QLineF(box.topRight(), box.bottomLeft())});
    }
    std::vector<Span> spans;
    for (int y = 0; y < size; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(shape.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            if (spans.empty() || spans.back().dy != y || spans.back().right != x)
                spans.push_back({y, x, x + 1});
            else
                spans.back().right = x + 1;
        }
    }
    return spans;
}

void MapPainter::PaintSelection(QPainter &painter) const
{
    const int layer = scene.selectedLayer;
    if (layer < 0 || !scene.visible[size_t(layer)])
        return;
    const PixelCoords coords = scene.layers[size_t(layer)]->CoordsAt(scene.selectedIndex);
    const double half = MarkSize(layer, view.Scale()) / 2.0 + 3;
    painter.setPen(QPen(Selection, 2));
    painter.drawRect(QRectF(view.CentreOf(QPoint(coords.column, coords.row)) - QPointF(half, half), QSizeF(2 * half, 2 * half)));
}

// Row numbers down the left edge and column numbers along the top, once each fits its cell.
void MapPainter::PaintEdgeNumbers(QPainter &painter) const
{
    if (view.Scale() < NumbersScale)
        return;
    const QRect cells = view.CellsNear(image.rect(), 0).intersected(QRect(QPoint(0, 0), scene.sensor));
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    painter.fillRect(QRect(0, 0, image.width(), NumbersBand), QColor(0, 0, 0, 170));
    painter.fillRect(QRect(0, NumbersBand, RowNumbersWidth, image.height()), QColor(0, 0, 0, 170));
    painter.setPen(Qt::white);
    painter.setClipRect(QRect(RowNumbersWidth, 0, image.width(), NumbersBand));
    for (int column = cells.left(); column <= cells.right(); ++column) {
        const double x = view.CentreOf(QPoint(column, 0)).x();
        painter.drawText(QRectF(x - view.Scale() / 2, 0, view.Scale(), NumbersBand), Qt::AlignCenter, QString::number(column));
    }
    painter.setClipRect(QRect(0, NumbersBand, RowNumbersWidth, image.height()));
    for (int row = cells.top(); row <= cells.bottom(); ++row) {
        const double y = view.CentreOf(QPoint(0, row)).y();
        painter.drawText(QRectF(0, y - view.Scale() / 2, RowNumbersWidth, view.Scale()), Qt::AlignCenter, QString::number(row));
    }
}
