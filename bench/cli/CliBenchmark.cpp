#include "ZorvikSim/Simulator.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int SensorSize = 2048;
constexpr uint32_t FileSize = 65536;
constexpr int Capacity = (FileSize - 4352) / 8; // 7648 defects fill the camera's file
// What the simulated camera itself takes to erase and to store a file (its defaults).
constexpr int EraseMilliseconds = 1500;
constexpr int StoreMilliseconds = 800;

// A user list that fills the camera's file on its own: 40 defects a row, 50 columns apart.
bool WriteFullList(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream stream(&file);
    stream << "Row,Column\n";
    for (int index = 0; index < Capacity; ++index)
        stream << index / 40 << ',' << 20 + index % 40 * 50 << '\n';
    return true;
}

// A camera in a folder of its own, its list empty, as talvern-cli finds it.
bool AttachCamera(const QTemporaryDir &folder)
{
    ZorvikSim::UseFolder(folder.filePath("cameras").toStdString());
    ZorvikSim::CameraSetup setup;
    setup.serialNumber = "9001";
    setup.sensorWidth = SensorSize;
    setup.sensorHeight = SensorSize;
    setup.maxFileSize = FileSize;
    for (const ZorvikSim::CameraSetup &camera : ZorvikSim::Cameras())
        ZorvikSim::Detach(camera.id.empty() ? camera.serialNumber : camera.id);
    return ZorvikSim::Attach(setup)
        && ZorvikSim::SetFile("9001", ZorvikSim::CustomDefectFileId,
                              ZorvikSim::EncodeDefectFile(SensorSize, SensorSize, "Mono", {}));
}

void UploadFullList(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString list = folder.filePath("full.csv");
    if (!WriteFullList(list) || !AttachCamera(folder)) {
        state.SkipWithError("could not set up the camera");
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ZORVIK_SIM_HOME", folder.filePath("cameras"));
    environment.insert("XDG_DATA_HOME", folder.filePath("data"));
    for (auto _ : state) {
        QProcess cli;
        cli.setProcessEnvironment(environment);
        cli.start(TALVERN_CLI, {"upload", "9001", list, "--yes"});
        if (!cli.waitForFinished(60000) || cli.exitCode() != 0) {
            state.SkipWithError(qPrintable("talvern-cli failed: " + cli.readAllStandardError()));
            return;
        }
    }
    state.counters["defects"] = Capacity;
    state.counters["camera_erase_ms"] = EraseMilliseconds;
    state.counters["camera_store_ms"] = StoreMilliseconds;
}
BENCHMARK(UploadFullList)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
