#ifndef MAPLAYER_H
#define MAPLAYER_H

#include "PixelCoords.h"

#include <QColor>
#include <QList>
#include <QRect>
#include <QVector>

#include <algorithm>
#include <vector>

// One list drawn on the sensor map. Its entries are kept in one group per colour, each sorted
// by row then column, so that the rows in view are found by binary search and a red or yellow
// entry is drawn over the plain ones around it.
class MapLayer
{
public:
    void Set(const QList<PixelCoords> &coords, const QList<QColor> &rowColours);

    int Size() const { return coords.size(); }
    PixelCoords CoordsAt(int index) const { return coords.at(index); }
    QColor ColourAt(int index) const { return index < colours.size() ? colours.at(index) : QColor(Qt::white); }
    // The group colours, the plain ones first and red last: the order they are drawn in.
    const QVector<QColor> &GroupColours() const { return groupColours; }

    // Calls visit(index, coords) for the entries of one group inside `cells` (x = column, y = row).
    template <typename Visit>
    void ForEachIn(int group, const QRect &cells, Visit visit) const
    {
        const std::vector<quint64> &sorted = groups[size_t(group)];
        auto entry = std::lower_bound(sorted.begin(), sorted.end(), KeyOf(cells.top(), cells.left()));
        const auto end = std::upper_bound(entry, sorted.end(), KeyOf(cells.bottom(), cells.right()) | 0xFFFFFFFFu);
        for (; entry != end; ++entry) {
            const int column = int((*entry >> 32) & 0xFFFF);
            if (column >= cells.left() && column <= cells.right())
                visit(int(*entry & 0xFFFFFFFFu), PixelCoords(quint16(*entry >> 48), quint16(column)));
        }
    }

private:
    static quint64 KeyOf(int row, int column) { return quint64(PackedCoords(PixelCoords(quint16(row), quint16(column)))) << 32; }
    int GroupOf(const QColor &colour);
    void OrderGroups();

    QList<PixelCoords> coords;
    QList<QColor> colours;
    QVector<QColor> groupColours;
    std::vector<std::vector<quint64>> groups; // packed coordinates above, list index below
    int lastGroup = 0;
};

#endif
