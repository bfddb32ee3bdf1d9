#include "CameraInterface.h"
#include "CoordinatesDialog.h"
#include "MainWindow.h"
#include "WhenShown.h"

#include "ZorvikSim/Simulator.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

constexpr int SensorSize = 2048;
constexpr uint32_t FileSize = 65536;
constexpr int Capacity = (FileSize - 4352) / 8; // 7648 defects fill the camera's file

// A full camera list, all inside the sensor: 40 defects a row from column 20 on, 50 columns
// apart; every tenth row starts with a run of four at columns 10 to 13 instead.
std::vector<std::pair<uint16_t, uint16_t>> FullList()
{
    std::vector<std::pair<uint16_t, uint16_t>> list;
    for (int index = 0; index < Capacity; ++index) {
        const int row = index / 40;
        const int slot = index % 40;
        const bool run = row % 10 == 0 && slot < 4;
        list.emplace_back(uint16_t(row), uint16_t(run ? 10 + slot : 20 + slot * 50));
    }
    return list;
}

// The camera's debug lines and the offscreen platform's warnings would drown the figures.
void Quiet(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}

// The window connected to a camera whose list is full, downloaded once.
class FullCamera
{
public:
    FullCamera()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        ZorvikSim::UseMemory();
        ZorvikSim::SetDurations(0, 0);
        CameraInterface::SetPollPause(0);
        ZorvikSim::CameraSetup setup;
        setup.serialNumber = "9001";
        setup.maxFileSize = FileSize;
        ZorvikSim::Attach(setup);
        ZorvikSim::SetFile("9001", ZorvikSim::CustomDefectFileId,
                           ZorvikSim::EncodeDefectFile(SensorSize, SensorSize, "Mono", FullList()));
        window = std::make_unique<MainWindow>();
        window->show();
        auto *cameras = window->findChild<QListWidget *>("cameraList");
        cameras->setCurrentRow(0);
        Button("connectButton")->click();
        Button("downloadButton")->click();
    }

    QToolButton *Button(const char *name) const { return window->findChild<QToolButton *>(name); }
    int CameraRows() const { return View("cameraDefectivePixelView")->model()->rowCount(); }
    QAbstractItemModel *UserModel() const { return View("userDefectivePixelView")->model(); }

private:
    QTableView *View(const char *name) const { return window->findChild<QTableView *>(name); }

    QTemporaryDir settingsDir;
    std::unique_ptr<MainWindow> window;
};

// Add pressed and (0, 14) typed, which makes row 0's run of four a run of five and is one
// defect beyond the capacity: timed from the dialog's OK to the end of the handler, that is
// the duplicate test, the validation and the re-colouring of both tables.
FullCamera *fullCamera = nullptr;

void BM_AddCoordinateAtFullCapacity(benchmark::State &state)
{
    FullCamera &camera = *fullCamera;
    if (camera.CameraRows() != Capacity) {
        state.SkipWithError("the camera list was not downloaded in full");
        return;
    }
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        Clock::time_point accepted;
        WhenShown<CoordinatesDialog> typed([&accepted](CoordinatesDialog *dialog) {
            dialog->findChild<QSpinBox *>("yCoordinate")->setValue(0);
            dialog->findChild<QSpinBox *>("xCoordinate")->setValue(14);
            accepted = Clock::now();
            dialog->findChild<QPushButton *>("okButton")->click();
        });
        camera.Button("addButton")->click();
        const Clock::time_point done = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(done - accepted).count());
        const QVariant colour = camera.UserModel()->index(0, 0).data(Qt::BackgroundRole);
        camera.UserModel()->removeRows(0, camera.UserModel()->rowCount());
        // One beyond the capacity: the new row was checked and coloured red.
        if (colour != QVariant(QColor(Qt::red))) {
            state.SkipWithError("the coordinate was not added and coloured");
            return;
        }
    }
    state.counters["cameraDefects"] = Capacity;
}
BENCHMARK(BM_AddCoordinateAtFullCapacity)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(Quiet);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    FullCamera camera; // the window goes before the application object
    fullCamera = &camera;
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
