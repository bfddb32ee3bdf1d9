#include "CoordinateSet.h"
#include "ListFileIO.h"
#include "ListManager.h"
#include "NeighborByteEncoding.h"
#include "RandomDefects.h"
#include "ReferenceCheck.h"
#include "ReferenceEncoding.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int SensorWidth = 4096;
constexpr int SensorHeight = 3072;

CameraDescription Sensor()
{
    CameraDescription description;
    description.sensorType = QStringLiteral("Mono");
    description.sensorWidth = SensorWidth;
    description.sensorHeight = SensorHeight;
    description.defectCapacity = 1000000;
    return description;
}

// range(1): 0 random over the sensor, 1 clustered in runs along few rows.
QList<PixelCoords> Defects(const benchmark::State &state)
{
    const int count = int(state.range(0));
    return state.range(1) ? ClusteredDefects(1, count, SensorWidth, qMax(1, count / 200))
                          : RandomDefects(1, count, SensorWidth, SensorHeight);
}

void Quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

std::vector<unsigned char> Encoded(const QList<PixelCoords> &list)
{
    NeighborByteEncoding encoding;
    encoding.SetData(Sensor(), list);
    encoding.Generate1DNbEncodingFromDefectImage();
    std::vector<unsigned char> out;
    encoding.FormatDefectFileData(&out);
    return out;
}

void EncodeAndCheck(benchmark::State &state)
{
    const QList<PixelCoords> list = Defects(state);
    const CameraDescription sensor = Sensor();
    for (auto _ : state) {
        NeighborByteEncoding encoding;
        encoding.SetData(sensor, list);
        encoding.Generate1DNbEncodingFromDefectImage();
        benchmark::DoNotOptimize(encoding.RemoveOutsideSensorRange(sensor));
        benchmark::DoNotOptimize(encoding.RemoveMoreThanEightConsecutive());
        benchmark::DoNotOptimize(encoding.FindMoreThanFourConsecutive());
        benchmark::DoNotOptimize(encoding.RemoveBeyondCapacity());
    }
}

void EncodeAndCheckReference(benchmark::State &state)
{
    const QList<PixelCoords> list = Defects(state);
    const CameraDescription sensor = Sensor();
    for (auto _ : state) {
        ReferenceEncoding encoding{sensor, list, {}};
        encoding.Generate();
        benchmark::DoNotOptimize(encoding.RemoveOutside(sensor));
        benchmark::DoNotOptimize(encoding.RemoveMoreThanEight());
        benchmark::DoNotOptimize(encoding.FindMoreThanFour());
        benchmark::DoNotOptimize(encoding.RemoveBeyondCapacity());
    }
}

void Format(benchmark::State &state)
{
    const QList<PixelCoords> list = Defects(state);
    NeighborByteEncoding encoding;
    encoding.SetData(Sensor(), list);
    encoding.Generate1DNbEncodingFromDefectImage();
    std::vector<unsigned char> out;
    for (auto _ : state)
        benchmark::DoNotOptimize(encoding.FormatDefectFileData(&out));
}

void Decode(benchmark::State &state)
{
    const std::vector<unsigned char> content = Encoded(Defects(state));
    for (auto _ : state) {
        QList<PixelCoords> decoded;
        DecodeDefectFile(content, &decoded);
        benchmark::DoNotOptimize(decoded);
    }
}

// Half of the merged defects in the camera list, the other half (with some
// repeats of camera entries) in the user list.
void FillLists(ListManager &manager, const QList<PixelCoords> &list)
{
    const int half = list.size() / 2;
    manager.LoadCameraList(list.mid(0, half), Sensor());
    const QList<PixelCoords> user = list.mid(half) + list.mid(0, half / 10);
    for (const PixelCoords &coords : user)
        manager.AddUserCoordinate(coords, -1);
}

void Merge(benchmark::State &state)
{
    ListManager manager;
    FillLists(manager, Defects(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            CoordinateSet::Merged(manager.GetCoordinateList(CameraList), manager.GetCoordinateList(UserList)));
}

void MergeReference(benchmark::State &state)
{
    ListManager manager;
    FillLists(manager, Defects(state));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ReferenceMerge(manager.GetCoordinateList(CameraList), manager.GetCoordinateList(UserList)));
    }
}

QString CsvFile(const QTemporaryDir &dir, const QList<PixelCoords> &list)
{
    const QString fileName = dir.filePath(QStringLiteral("list.csv"));
    ListFileIO().WriteCsvFile(fileName, list);
    return fileName;
}

void CsvRead(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString fileName = CsvFile(dir, Defects(state));
    for (auto _ : state) {
        QList<PixelCoords> list;
        benchmark::DoNotOptimize(ListFileIO().ReadCsvFile(fileName, &list));
    }
}

// The reader as first described: each line searched for in everything read so far.
void CsvReadReference(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString fileName = CsvFile(dir, Defects(state));
    const ListFileIO io;
    for (auto _ : state) {
        QFile file(fileName);
        file.open(QIODevice::ReadOnly | QIODevice::Text);
        QTextStream stream(&file);
        stream.readLine();
        QList<PixelCoords> list;
        while (!stream.atEnd()) {
            PixelCoords coords;
            io.ParseCsvRow(stream.readLine(), &coords);
            if (!list.contains(coords))
                list.append(coords);
        }
        benchmark::DoNotOptimize(list);
    }
}

void CsvWrite(benchmark::State &state)
{
    QTemporaryDir dir;
    const QList<PixelCoords> list = Defects(state);
    const QString fileName = dir.filePath(QStringLiteral("list.csv"));
    for (auto _ : state)
        benchmark::DoNotOptimize(ListFileIO().WriteCsvFile(fileName, list));
}

void Sizes(benchmark::internal::Benchmark *benchmark, int largest)
{
    for (int clustered : {0, 1}) {
        for (int count : {1000, 10000, 100000}) {
            if (count <= largest)
                benchmark->Args({count, clustered});
        }
    }
    benchmark->Unit(benchmark::kMillisecond);
}

void AllSizes(benchmark::internal::Benchmark *benchmark) { Sizes(benchmark, 100000); }
void ReferenceSizes(benchmark::internal::Benchmark *benchmark) { Sizes(benchmark, 10000); }

BENCHMARK(EncodeAndCheck)->Apply(AllSizes);
BENCHMARK(EncodeAndCheckReference)->Apply(ReferenceSizes);
BENCHMARK(Format)->Apply(AllSizes);
BENCHMARK(Decode)->Apply(AllSizes);
BENCHMARK(Merge)->Apply(AllSizes);
BENCHMARK(MergeReference)->Apply(ReferenceSizes);
BENCHMARK(CsvRead)->Apply(AllSizes);
BENCHMARK(CsvReadReference)->Apply(ReferenceSizes);
BENCHMARK(CsvWrite)->Apply(AllSizes);

// Keeps each run's time per iteration, so the summary can set fast path and
// reference side by side and show the growth from 10,000 to 100,000.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintSummary() const
    {
        std::printf("\n%-16s %-10s %8s %14s %14s %10s\n", "operation", "layout", "defects", "fast (ms)",
                    "reference (ms)", "speed-up");
        for (const char *name : {"EncodeAndCheck", "Merge", "CsvRead"}) {
            for (int clustered : {0, 1}) {
                for (int count : {1000, 10000}) {
                    const std::string args = "/" + std::to_string(count) + "/" + std::to_string(clustered);
                    const double fast = Time(std::string(name) + args);
                    const double reference = Time(std::string(name) + "Reference" + args);
                    std::printf("%-16s %-10s %8d %14.3f %14.3f %9.1fx\n", name, clustered ? "clustered" : "random",
                                count, fast, reference, fast > 0 ? reference / fast : 0.0);
                }
            }
        }
        std::printf("\n%-16s %-10s %16s\n", "operation", "layout", "10k -> 100k");
        for (const char *name : {"EncodeAndCheck", "Format", "Decode", "Merge", "CsvRead", "CsvWrite"}) {
            for (int clustered : {0, 1}) {
                const std::string suffix = "/" + std::to_string(clustered);
                const double small = Time(std::string(name) + "/10000" + suffix);
                const double large = Time(std::string(name) + "/100000" + suffix);
                std::printf("%-16s %-10s %15.1fx\n", name, clustered ? "clustered" : "random",
                            small > 0 ? large / small : 0.0);
            }
        }
    }

private:
    double Time(const std::string &name) const
    {
        const auto it = times.find(name + "/real_time");
        const auto plain = times.find(name);
        return it != times.end() ? it->second : plain != times.end() ? plain->second : 0.0;
    }

    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    qInstallMessageHandler(Quiet);
    // Timings of wrong results mean nothing: the fast paths must first agree with the reference.
    if (!MatchesReference())
        return 1;
    std::fprintf(stderr, "Reference check passed: the fast paths give the reference's results.\n");
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    return 0;
}
