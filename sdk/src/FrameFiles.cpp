#include "FrameFiles.h"

#include "FrameEncoding.h"
#include "FrameModel.h"
#include "SensorDefects.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <locale>
#include <new>
#include <sstream>
#include <system_error>
#include <thread>

namespace ZorvikSim {

namespace {

constexpr int MaxFramesPerKind = 1000; // file names number them with three digits

std::string RequestError(const CameraSetup &setup, const FrameRequest &request)
{
    if (request.darkFrames < 0 || request.flatFrames < 0)
        return "the number of frames cannot be negative";
    if (request.darkFrames > MaxFramesPerKind || request.flatFrames > MaxFramesPerKind)
        return "at most " + std::to_string(MaxFramesPerKind) + " frames of each kind";
    if (request.darkFrames == 0 && request.flatFrames == 0)
        return "no frames asked for: at least one dark or flat frame";
    if (request.folder.empty())
        return "no output folder given";
    if (!FormatHolds(request.format, uint32_t(setup.sensorWidth), uint32_t(setup.sensorHeight)))
        return "a " + std::to_string(setup.sensorWidth) + "x" + std::to_string(setup.sensorHeight)
               + " frame is too large for TIFF";
    return std::string();
}

bool CreateFolder(const std::string &folder, std::string &error)
{
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (!failure)
        return true;
    error = "cannot create folder '" + folder + "': " + failure.message();
    return false;
}

bool WriteFile(const std::filesystem::path &path, const char *data, size_t size, std::string &error)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(data, std::streamsize(size));
    file.close();
    if (file)
        return true;
    error = "cannot write '" + path.string() + "': " + std::error_code(errno, std::generic_category()).message();
    return false;
}

std::string FileName(FrameKind kind, int index, FrameFormat format)
{
    std::string number = std::to_string(index);
    number.insert(0, number.size() < 3 ? 3 - number.size() : 0, '0');
    return (kind == FrameKind::Dark ? "dark-" : "flat-") + number + "." + FrameFormatName(format);
}

// DN with one decimal, fractions of the normal response with three, stuck values whole.
std::string TruthCsv(const std::vector<SensorDefect> &defects)
{
    std::ostringstream csv;
    csv.imbue(std::locale::classic());
    csv << "Row,Column,Kind,Strength\n" << std::fixed;
    for (const SensorDefect &defect : defects) {
        const bool fraction = defect.kind == DefectKind::Dead || defect.kind == DefectKind::Weak
                              || defect.kind == DefectKind::Bright;
        csv.precision(fraction ? 3 : defect.kind == DefectKind::Stuck ? 0 : 1);
        csv << defect.row << "," << defect.column << "," << DefectKindName(defect.kind) << "," << defect.strength
            << "\n";
    }
    return csv.str();
}

bool WriteFrame(const FrameModel &model, const CameraSetup &setup, const FrameRequest &request, FrameKind kind,
                int index, std::string &error)
{
    const std::vector<uint8_t> bytes = EncodeFrame(model.Frame(kind, uint64_t(index)), uint32_t(setup.sensorWidth),
                                                   uint32_t(setup.sensorHeight), request.format);
    const std::filesystem::path path = std::filesystem::path(request.folder) / FileName(kind, index, request.format);
    return WriteFile(path, reinterpret_cast<const char *>(bytes.data()), bytes.size(), error);
}

// Frames are independent of each other: one thread per core, each taking every n-th frame.
// The first failure in the frames' order is the one reported.
bool WriteSet(const FrameModel &model, const CameraSetup &setup, const FrameRequest &request, FrameKind kind,
              std::string &error)
{
    const int count = kind == FrameKind::Dark ? request.darkFrames : request.flatFrames;
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, std::max(count, 1));
    std::vector<std::string> errors(static_cast<size_t>(count));
    std::vector<std::thread> workers;
    for (int first = 0; first < threads; ++first) {
        workers.emplace_back([&, first] {
            for (int index = first; index < count; index += threads) {
                if (!WriteFrame(model, setup, request, kind, index, errors[size_t(index)]))
                    return;
            }
        });
    }
    for (std::thread &worker : workers)
        worker.join();
    const auto failed = std::find_if(errors.begin(), errors.end(), [](const std::string &e) { return !e.empty(); });
    if (failed == errors.end())
        return true;
    error = *failed;
    return false;
}

} // namespace

bool WriteCameraFrames(const CameraSetup &setup, const FrameRequest &request, std::string &error)
{
    error = RequestError(setup, request);
    if (!error.empty() || !CreateFolder(request.folder, error))
        return false;
    try {
        const SensorDefects defects(setup);
        const FrameModel model(setup, defects.List(), request.readNoise);
        const std::string truth = TruthCsv(defects.List());
        return WriteSet(model, setup, request, FrameKind::Dark, error)
               && WriteSet(model, setup, request, FrameKind::Flat, error)
               && WriteFile(std::filesystem::path(request.folder) / "truth.csv", truth.data(), truth.size(), error);
    } catch (const std::bad_alloc &) {
        error = "not enough memory for " + std::to_string(setup.sensorWidth) + "x"
                + std::to_string(setup.sensorHeight) + " frames";
        return false;
    }
}

} // namespace ZorvikSim
