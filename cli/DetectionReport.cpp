#include "DetectionReport.h"

#include "CoordinateSet.h"

namespace {

QString Number(double value)
{
    return QString::number(value, 'f', 1);
}

} // namespace

DetectionReport::DetectionReport(const std::vector<Candidate> &candidates, const QList<PixelCoords> *cameraList)
    : candidates(candidates), withCamera(cameraList != nullptr)
{
    const CoordinateSet held(cameraList ? *cameraList : QList<PixelCoords>());
    for (const Candidate &candidate : candidates)
        known.push_back(held.Contains(candidate.Coords()));
}

QList<PixelCoords> DetectionReport::NewDefects() const
{
    QList<PixelCoords> found;
    for (std::size_t index = 0; index < candidates.size(); ++index) {
        if (!known[index])
            found.append(candidates[index].Coords());
    }
    return found;
}

CameraReport DetectionReport::Report() const
{
    CameraReport report;
    QList<QStringList> rows{{QStringLiteral("ROW"), QStringLiteral("COLUMN"), QStringLiteral("KIND"),
                             QStringLiteral("DN"), QStringLiteral("SPREADS"), QStringLiteral("LIST")}};
    QJsonArray array;
    for (std::size_t index = 0; index < candidates.size(); ++index) {
        const Candidate &candidate = candidates[index];
        const QString list = !withCamera ? QStringLiteral("-") : known[index] ? QStringLiteral("known") : QStringLiteral("new");
        rows.append({QString::number(candidate.row), QString::number(candidate.column), DefectKindName(candidate.kind),
                     Number(candidate.strengthDn), Number(candidate.strengthSpread), list});
        QJsonObject object{{QStringLiteral("row"), candidate.row},
                           {QStringLiteral("column"), candidate.column},
                           {QStringLiteral("kind"), DefectKindName(candidate.kind)},
                           {QStringLiteral("strengthDn"), candidate.strengthDn},
                           {QStringLiteral("strengthSpread"), candidate.strengthSpread}};
        if (withCamera)
            object.insert(QStringLiteral("known"), bool(known[index]));
        array.append(object);
    }
    if (!candidates.empty())
        report.lines = CameraReport::Table(rows);
    const int fresh = NewDefects().size();
    report.summary = QStringLiteral("%1 candidates").arg(candidates.size())
        + (withCamera ? QStringLiteral(", %1 not in the camera list").arg(fresh) : QString());
    report.json.insert(QStringLiteral("candidates"), array);
    return report;
}

QStringList DetectionReport::TakeFrameLists(const QStringList &arguments, QStringList *darks, QStringList *flats)
{
    QStringList rest;
    QStringList *taking = nullptr;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--dark") || argument == QLatin1String("--flat")) {
            taking = argument == QLatin1String("--dark") ? darks : flats;
            continue;
        }
        if (argument.startsWith(QLatin1Char('-')))
            taking = nullptr;
        if (taking)
            taking->append(argument);
        else
            rest.append(argument);
    }
    return rest;
}
