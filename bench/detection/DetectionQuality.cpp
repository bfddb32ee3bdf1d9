#include "DefectDetection.h"

#include <ZorvikSim/Simulator.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <vector>

// Not a test: how many of a simulated camera's defects the detection finds in its frames, by
// kind and by strength relative to the kind's threshold, and how many candidates are real.
namespace {

struct Truth
{
    PixelCoords coords;
    QString kind;
    double strength = 0;
};

std::vector<Truth> ReadTruth(const QString &fileName)
{
    std::vector<Truth> truth;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return truth;
    file.readLine();
    while (!file.atEnd()) {
        const QList<QByteArray> cells = file.readLine().trimmed().split(',');
        if (cells.size() == 4)
            truth.push_back({PixelCoords(quint16(cells[0].toInt()), quint16(cells[1].toInt())), cells[2], cells[3].toDouble()});
    }
    return truth;
}

// The median of strengthDn / strengthSpread over the candidates of a kind: the spread the
// detection measured against.
double MeasuredSpread(const std::vector<Candidate> &candidates, DefectKind kind)
{
    std::vector<double> ratios;
    for (const Candidate &candidate : candidates) {
        if (candidate.kind == kind && candidate.strengthSpread > 0)
            ratios.push_back(candidate.strengthDn / candidate.strengthSpread);
    }
    if (ratios.empty())
        return 1;
    std::nth_element(ratios.begin(), ratios.begin() + long(ratios.size() / 2), ratios.end());
    return ratios[ratios.size() / 2];
}

// The truth's strength as a multiple of the threshold of its kind.
double RelativeStrength(const Truth &truth, const DetectionSettings &settings, double darkSpread, double temporalSpread)
{
    if (truth.kind == QLatin1String("hot"))
        return truth.strength / darkSpread / settings.hotSpreads;
    if (truth.kind == QLatin1String("flickering")) // a jump between two levels, each about half the time
        return truth.strength / 2 / temporalSpread / settings.flickerFactor;
    if (truth.kind == QLatin1String("dead"))
        return settings.deadFraction / std::max(truth.strength, 1e-3);
    if (truth.kind == QLatin1String("weak"))
        return (1 - truth.strength) / settings.responseDeviation;
    if (truth.kind == QLatin1String("bright"))
        return (truth.strength - 1) / settings.responseDeviation;
    return std::numeric_limits<double>::infinity(); // stuck
}

int Evaluate(const ZorvikSim::CameraSetup &setup, double readNoise)
{
    QTemporaryDir folder;
    std::string error;
    ZorvikSim::FrameRequest request{16, 16, folder.path().toStdString()};
    request.readNoise = readNoise;
    ZorvikSim::Detach(setup.serialNumber);
    if (!ZorvikSim::Attach(setup) || !ZorvikSim::WriteFrames(setup.serialNumber, request, error)) {
        std::fprintf(stderr, "no frames: %s\n", error.c_str());
        return 1;
    }
    DetectionInput input;
    const QDir dir(folder.path());
    for (const QString &name : dir.entryList({"dark-*.pgm"}, QDir::Files, QDir::Name))
        input.darkFiles << dir.filePath(name);
    for (const QString &name : dir.entryList({"flat-*.pgm"}, QDir::Files, QDir::Name))
        input.flatFiles << dir.filePath(name);
    input.layout = setup.sensorType == "Bayer" ? SensorLayout::Bayer : SensorLayout::Mono;
    const DetectionSettings settings;
    std::vector<Candidate> candidates;
    DefectDetection detection;
    if (!detection.Run(input, settings, &candidates)) {
        std::fprintf(stderr, "%s\n", qPrintable(detection.ErrorString()));
        return 1;
    }
    QHash<quint32, DefectKind> found;
    for (const Candidate &candidate : candidates)
        found.insert(PackedCoords(candidate.Coords()), candidate.kind);
    const double darkSpread = MeasuredSpread(candidates, DefectKind::Hot);
    // A normal pixel's temporal spread in the darks: read noise and the shot noise of the dark
    // current (4 DN at 0.5 DN per electron), as the stand-in makes its frames.
    const double temporalSpread = std::sqrt(readNoise * readNoise + 0.5 * 4);
    const std::vector<Truth> truth = ReadTruth(dir.filePath("truth.csv"));
    // kind -> strength band (below the threshold, up to 1.5 times, beyond) -> found, all
    std::map<QString, std::map<int, std::pair<int, int>>> table;
    QSet<quint32> real;
    for (const Truth &defect : truth) {
        real.insert(PackedCoords(defect.coords));
        const double relative = RelativeStrength(defect, settings, darkSpread, temporalSpread);
        const int band = relative < 1 ? 0 : relative < 1.5 ? 1 : 2;
        std::pair<int, int> &cell = table[defect.kind][band];
        cell.first += found.contains(PackedCoords(defect.coords));
        ++cell.second;
    }
    int falseCandidates = 0;
    for (const Candidate &candidate : candidates)
        falseCandidates += !real.contains(PackedCoords(candidate.Coords()));
    std::printf("%s %lldx%lld %s, read noise %.1f DN, 16 darks and 16 flats: %zu defects, %zu candidates, %d not real (precision %.2f%%)\n",
                setup.serialNumber.c_str(), static_cast<long long>(setup.sensorWidth), static_cast<long long>(setup.sensorHeight),
                setup.sensorType.c_str(), readNoise, truth.size(), candidates.size(), falseCandidates,
                candidates.empty() ? 100.0 : 100.0 * double(candidates.size() - size_t(falseCandidates)) / double(candidates.size()));
    std::printf("  %-11s %-22s %-22s %-22s\n", "kind", "below threshold", "1 to 1.5 x threshold", "1.5 x threshold and up");
    for (const auto &[kind, bands] : table) {
        std::printf("  %-11s", qPrintable(kind));
        for (int band = 0; band < 3; ++band) {
            const auto cell = bands.count(band) ? bands.at(band) : std::pair<int, int>(0, 0);
            const QString text = cell.second ? QStringLiteral("%1 of %2 found").arg(cell.first).arg(cell.second) : QStringLiteral("-");
            std::printf(" %-22s", qPrintable(text));
        }
        std::printf("\n");
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    ZorvikSim::UseMemory();
    int status = 0;
    for (const ZorvikSim::CameraSetup &setup : {ZorvikSim::CameraSetup{"HN2702-M", "90001", "", 2048, 2048, "Mono"},
                                                 ZorvikSim::CameraSetup{"HN2703-C", "90002", "", 2048, 2048, "Bayer"}})
        for (const double readNoise : {2.5, 8.0})
            status |= Evaluate(setup, readNoise);
    return status;
}
