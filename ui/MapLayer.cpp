#include "MapLayer.h"

#include <numeric>

namespace {

// Warnings go over plain entries, and what cannot be corrected over everything.
int RankOf(const QColor &colour)
{
    if (colour == QColor(Qt::red))
        return 2;
    if (colour == QColor(Qt::yellow))
        return 1;
    return 0;
}

} // namespace

void MapLayer::Set(const QList<PixelCoords> &newCoords, const QList<QColor> &rowColours)
{
    coords = newCoords;
    colours = rowColours;
    groupColours.clear();
    groups.clear();
    for (int index = 0; index < coords.size(); ++index) {
        const quint64 key = quint64(PackedCoords(coords.at(index))) << 32 | quint32(index);
        groups[size_t(GroupOf(ColourAt(index)))].push_back(key);
    }
    for (std::vector<quint64> &group : groups)
        std::sort(group.begin(), group.end());
    OrderGroups();
}

// Lists hold a handful of colours: a scan, remembering the last one, beats a hash.
int MapLayer::GroupOf(const QColor &colour)
{
    if (lastGroup < groupColours.size() && groupColours.at(lastGroup) == colour)
        return lastGroup;
    lastGroup = groupColours.indexOf(colour);
    if (lastGroup < 0) {
        lastGroup = groupColours.size();
        groupColours.append(colour);
        groups.emplace_back();
    }
    return lastGroup;
}

void MapLayer::OrderGroups()
{
    std::vector<int> order(groups.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](int first, int second) {
        return RankOf(groupColours.at(first)) < RankOf(groupColours.at(second));
    });
    QVector<QColor> sortedColours;
    std::vector<std::vector<quint64>> sortedGroups;
    for (int group : order) {
        sortedColours.append(groupColours.at(group));
        sortedGroups.push_back(std::move(groups[size_t(group)]));
    }
    groupColours = sortedColours;
    groups = std::move(sortedGroups);
}
