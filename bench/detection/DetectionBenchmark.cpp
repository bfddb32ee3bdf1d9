#include "DefectDetection.h"
#include "DefectFinder.h"
#include "FrameReader.h"
#include "FrameStatistics.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <random>

namespace {

constexpr int Side = 2048;
constexpr int SetFrames = 16;

QString FrameName(bool flat, int index)
{
    return QStringLiteral("%1%2.pgm").arg(flat ? "flat" : "dark").arg(index);
}

void GenerateFrames(const QTemporaryDir &folder);

// The frames, generated on first use.
const QTemporaryDir &Folder()
{
    static const QTemporaryDir folder;
    static const bool generated = (GenerateFrames(folder), true);
    Q_UNUSED(generated);
    return folder;
}

QString FrameFile(bool flat, int index)
{
    return Folder().filePath(FrameName(flat, index));
}

// The defects of the scene: every kind, one pixel in 2000, at 1.5 to 6 times the
// default threshold of their kind. Small, so that the benchmark keeps them to count hits.
struct Defect
{
    qint64 pixel;
    int kind;
    float times;
};

const std::vector<Defect> &Defects()
{
    static const std::vector<Defect> defects = [] {
        std::mt19937 random(99);
        std::uniform_int_distribution<qint64> pixel(0, qint64(Side) * Side - 1);
        std::uniform_real_distribution<float> strength(1.5f, 6.0f);
        std::vector<Defect> list;
        for (int i = 0; i < 2000; ++i)
            list.push_back(Defect{pixel(random), i % 6, strength(random)});
        return list;
    }();
    return defects;
}

// Offset 100, read noise 5, dark signal 10 +- 2, flats at 30000 with 1% non-uniformity,
// shot noise of 0.5 DN^2 per DN.
struct Scene
{
    std::vector<float> dark, response, flicker;
    std::vector<int> stuck;

    Scene() : dark(size_t(Side) * Side), response(dark.size()), flicker(dark.size(), 0), stuck(dark.size(), -1)
    {
        std::mt19937 random(1288);
        std::normal_distribution<float> normal;
        for (size_t i = 0; i < dark.size(); ++i) {
            dark[i] = 10 + 2 * normal(random);
            response[i] = 30000 * (1 + 0.01f * normal(random));
        }
        for (const Defect &defect : Defects()) {
            const size_t p = size_t(defect.pixel);
            switch (defect.kind) {
            case 0: dark[p] += defect.times * 6 * std::sqrt(4 + 25.0f / SetFrames); break;
            case 1: flicker[p] = std::sqrt(std::pow(defect.times * 5 * 5, 2.0f) - 25); break;
            case 2: response[p] *= 0.2f / defect.times; break;
            case 3: response[p] *= 1 - 0.15f * defect.times; break;
            case 4: response[p] *= 1 + 0.15f * defect.times; break;
            default: stuck[p] = int(random() % 65536); break;
            }
        }
    }

    QByteArray Pgm(bool flat, std::mt19937 &random) const
    {
        QByteArray bytes = QByteArray("P5\n") + QByteArray::number(Side) + ' ' + QByteArray::number(Side) + "\n65535\n";
        const int header = bytes.size();
        bytes.resize(header + 2 * Side * Side);
        std::normal_distribution<float> normal;
        for (size_t i = 0; i < dark.size(); ++i) {
            const float signal = dark[i] + (flat ? response[i] : 0.0f);
            const float noise = std::sqrt(25 + flicker[i] * flicker[i] + 0.5f * signal);
            const float value = stuck[i] >= 0 ? float(stuck[i]) : std::round(100 + signal + noise * normal(random));
            const quint16 sample = quint16(qBound(0.0f, value, 65535.0f));
            bytes[int(header + 2 * i)] = char(sample >> 8);
            bytes[int(header + 2 * i + 1)] = char(sample & 0xFF);
        }
        return bytes;
    }
};


// In a child process, so that its memory does not count in the runs' peak.
void GenerateFrames(const QTemporaryDir &folder)
{
    if (fork() == 0) {
        const Scene scene;
        std::mt19937 random(7);
        for (int i = 0; i < 2 * SetFrames; ++i) {
            QFile file(folder.filePath(FrameName(i >= SetFrames, i % SetFrames)));
            if (!file.open(QIODevice::WriteOnly) || file.write(scene.Pgm(i >= SetFrames, random)) < 0)
                _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    wait(&status);
}

DetectionInput Input(int frames)
{
    DetectionInput input;
    for (int i = 0; i < frames; ++i) {
        input.darkFiles << FrameFile(false, i);
        input.flatFiles << FrameFile(true, i);
    }
    return input;
}

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

SetSummary ReadSet(bool flat, int frames)
{
    FrameReader reader;
    FrameStatistics statistics;
    for (int i = 0; i < frames; ++i)
        reader.ReadFile(FrameFile(flat, i), [&statistics](const Frame &frame) { return statistics.Add(frame), true; });
    return statistics.Summary();
}

void ReadOnly(benchmark::State &state)
{
    Folder();
    for (auto _ : state) {
        FrameReader reader;
        for (int i = 0; i < int(state.range(0)); ++i) {
            reader.ReadFile(FrameFile(false, i), [](const Frame &frame) { return benchmark::DoNotOptimize(frame.samples.data()), true; });
            reader.ReadFile(FrameFile(true, i), [](const Frame &frame) { return benchmark::DoNotOptimize(frame.samples.data()), true; });
        }
    }
}

void ReadAndAccumulate(benchmark::State &state)
{
    Folder();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadSet(false, int(state.range(0))).mean.data());
        benchmark::DoNotOptimize(ReadSet(true, int(state.range(0))).mean.data());
    }
}

void Analysis(benchmark::State &state)
{
    const SetSummary darks = ReadSet(false, SetFrames);
    const SetSummary flats = ReadSet(true, SetFrames);
    std::vector<Candidate> candidates;
    for (auto _ : state)
        DefectFinder(DetectionSettings(), SensorLayout::Mono).Find(&darks, &flats, &candidates);
    state.counters["candidates"] = double(candidates.size());
}

// The whole run, and what its candidates hit of the scene's defects.
void WholeRun(benchmark::State &state)
{
    const DetectionInput input = Input(int(state.range(0)));
    std::vector<Candidate> candidates;
    for (auto _ : state) {
        DefectDetection detection;
        if (!detection.Run(input, DetectionSettings(), &candidates))
            state.SkipWithError(qPrintable(detection.ErrorString()));
    }
    QSet<qint64> defects;
    for (const Defect &defect : Defects())
        defects.insert(defect.pixel);
    int hits = 0;
    for (const Candidate &candidate : candidates)
        hits += defects.contains(qint64(candidate.row) * Side + candidate.column);
    state.counters["candidates"] = double(candidates.size());
    state.counters["false"] = double(int(candidates.size()) - hits);
    state.counters["found_of_defects"] = double(hits) / defects.size();
    state.counters["peak_MB"] = PeakMegabytes();
}

} // namespace

BENCHMARK(WholeRun)->Arg(4)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(ReadOnly)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(ReadAndAccumulate)->Arg(16)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(Analysis)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
