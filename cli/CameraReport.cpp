#include "CameraReport.h"

#include <algorithm>

CameraReport CameraReport::Failure(Status status, const QString &error)
{
    CameraReport report;
    report.status = status;
    report.error = error;
    return report;
}

QJsonObject CameraReport::Document(const QString &entry) const
{
    QJsonObject document = json;
    if (!entry.isEmpty())
        document.insert(QStringLiteral("camera"), entry);
    document.insert(QStringLiteral("status"), status);
    if (!error.isEmpty())
        document.insert(QStringLiteral("error"), error);
    return document;
}

QJsonArray CameraReport::Json(const QList<PixelCoords> &coordinates)
{
    QJsonArray array;
    for (const PixelCoords &coords : coordinates)
        array.append(QJsonObject{{QStringLiteral("row"), coords.row}, {QStringLiteral("column"), coords.column}});
    return array;
}

QJsonObject CameraReport::Json(const CameraDescription &description)
{
    return {{QStringLiteral("model"), description.model},
            {QStringLiteral("serialNumber"), description.serialNumber},
            {QStringLiteral("sensor"), QJsonObject{{QStringLiteral("width"), description.sensorWidth},
                                                   {QStringLiteral("height"), description.sensorHeight},
                                                   {QStringLiteral("type"), description.sensorType}}},
            {QStringLiteral("defectCapacity"), description.defectCapacity}};
}

QString CameraReport::Text(const QList<PixelCoords> &coordinates)
{
    QStringList pairs;
    for (const PixelCoords &coords : coordinates)
        pairs.append(QStringLiteral("%1,%2").arg(coords.row).arg(coords.column));
    return pairs.join(QLatin1Char(' '));
}

QStringList CameraReport::Table(const QList<QStringList> &rows)
{
    QList<int> widths;
    for (const QStringList &row : rows) {
        for (int column = 0; column < row.size(); ++column) {
            if (column == widths.size())
                widths.append(0);
            widths[column] = std::max(widths[column], int(row[column].size()));
        }
    }
    QStringList lines;
    for (const QStringList &row : rows) {
        QStringList cells;
        for (int column = 0; column < row.size(); ++column)
            cells.append(row[column].leftJustified(widths[column]));
        lines.append(cells.join(QStringLiteral("  ")).trimmed());
    }
    return lines;
}

QString CameraReport::SensorText(const CameraDescription &description)
{
    return QStringLiteral("%1 x %2 %3").arg(description.sensorWidth).arg(description.sensorHeight).arg(description.sensorType);
}
