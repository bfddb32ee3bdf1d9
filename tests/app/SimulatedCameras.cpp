#include "SimulatedCameras.h"

#include "CameraInterface.h"
#include "ZorvikSim/Simulator.h"

#include <map>

namespace SimulatedCameras {

namespace {

const char *const CameraIds[] = {"1001", "CAM-7", "3001", "4001"};

std::map<std::string, std::vector<uint8_t>> &FactoryFiles()
{
    static std::map<std::string, std::vector<uint8_t>> files;
    return files;
}

ZorvikSim::CameraSpec Spec(const char *model, const char *serial, const char *id, int width, int height,
                           const char *type, bool flash)
{
    ZorvikSim::CameraSpec spec;
    spec.model = model;
    spec.serialNumber = serial;
    spec.id = id;
    spec.sensorWidth = width;
    spec.sensorHeight = height;
    spec.sensorType = type;
    spec.flashFileSystem = flash;
    return spec;
}

bool Fail(const QString &id, ZorvikSim::FaultKind kind)
{
    ZorvikSim::Fault fault;
    fault.kind = kind;
    return ZorvikSim::SetFault(id.toStdString(), fault);
}

} // namespace

QList<PixelCoords> MonoList()
{
    return {{10, 100}, {10, 101}, {10, 102}, {10, 103}, {20, 10}, {20, 11},
            {20, 12},  {20, 13},  {20, 14},  {300, 7},  {1500, 2000}, {2047, 1000}};
}

void Attach()
{
    ZorvikSim::UseMemory();
    ZorvikSim::SetDurations(0, 0);
    CameraInterface::SetPollPause(0);
    ZorvikSim::Attach(Spec("HN2702-M", "1001", "", 2048, 2048, "Mono", true));
    ZorvikSim::Attach(Spec("HN2703-C", "1002", "CAM-7", 1936, 1216, "Bayer", true));
    ZorvikSim::Attach(Spec("VX1100-M", "3001", "", 1280, 1024, "Mono", true));
    ZorvikSim::Attach(Spec("HN2701-M", "4001", "", 1600, 1200, "Mono", false));
    for (const char *id : CameraIds)
        ZorvikSim::GetFile(id, ZorvikSim::FactoryDefectFileId, FactoryFiles()[id]);
}

void Reset()
{
    for (const char *id : CameraIds) {
        ZorvikSim::ResetToFactory(id);
        ZorvikSim::SetFile(id, ZorvikSim::FactoryDefectFileId, FactoryFiles()[id]);
    }
    SetCustomFile("1001", Encoded(2048, 2048, MonoList()));
}

std::vector<uint8_t> CustomFile(const QString &id)
{
    std::vector<uint8_t> content;
    ZorvikSim::GetFile(id.toStdString(), ZorvikSim::CustomDefectFileId, content);
    return content;
}

std::vector<uint8_t> FactoryFile(const QString &id)
{
    std::vector<uint8_t> content;
    ZorvikSim::GetFile(id.toStdString(), ZorvikSim::FactoryDefectFileId, content);
    return content;
}

bool SetCustomFile(const QString &id, const std::vector<uint8_t> &content)
{
    return ZorvikSim::SetFile(id.toStdString(), ZorvikSim::CustomDefectFileId, content);
}

bool SetFactoryFile(const QString &id, const std::vector<uint8_t> &content)
{
    return ZorvikSim::SetFile(id.toStdString(), ZorvikSim::FactoryDefectFileId, content);
}

QList<PixelCoords> Decoded(const std::vector<uint8_t> &content)
{
    std::vector<std::pair<uint16_t, uint16_t>> rowColumns;
    ZorvikSim::DecodeDefectFile(content, rowColumns);
    QList<PixelCoords> list;
    for (const auto &rowColumn : rowColumns)
        list.append({rowColumn.first, rowColumn.second});
    return list;
}

std::vector<uint8_t> Encoded(int width, int height, const QList<PixelCoords> &list)
{
    std::vector<std::pair<uint16_t, uint16_t>> rowColumns;
    for (const PixelCoords &coords : list)
        rowColumns.emplace_back(coords.row, coords.column);
    return ZorvikSim::EncodeDefectFile(width, height, "Mono", rowColumns);
}

bool FailEveryCall(const QString &id)
{
    return Fail(id, ZorvikSim::FaultKind::FailFromCall);
}

bool ReadBackDiffers(const QString &id)
{
    return Fail(id, ZorvikSim::FaultKind::ReadBackDiffers);
}

} // namespace SimulatedCameras
