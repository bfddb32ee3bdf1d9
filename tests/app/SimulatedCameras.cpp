#include "SimulatedCameras.h"

#include "CameraInterface.h"
#include "ZorvikSim/Simulator.h"

#include <map>

namespace SimulatedCameras {

namespace {

const ZorvikSim::CameraSpec Cameras[] = {
    {"HN2702-M", "1001", "", 2048, 2048, "Mono", true, 65536},
    {"HN2703-C", "1002", "CAM-7", 1936, 1216, "Bayer", true, 65536},
    {"VX1100-M", "3001", "", 1280, 1024, "Mono", true, 65536},
    {"HN2701-M", "4001", "", 1600, 1200, "Mono", false, 65536},
    {"(X1)-HN2702-M", "5001", "", 2048, 2048, "Mono", true, 65536},
    {"(a)-(b)-HN2702-M", "6001", "", 2048, 2048, "Mono", true, 65536},
    {"HN2702-M", "../../x", "EVIL", 2048, 2048, "Mono", true, 65536},
};

std::map<std::string, std::vector<uint8_t>> &FactoryFiles()
{
    static std::map<std::string, std::vector<uint8_t>> files;
    return files;
}

std::string Id(const ZorvikSim::CameraSpec &camera)
{
    return camera.id.empty() ? camera.serialNumber : camera.id;
}

std::vector<uint8_t> File(const QString &id, uint32_t fileId)
{
    std::vector<uint8_t> content;
    ZorvikSim::GetFile(id.toStdString(), fileId, content);
    return content;
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
    for (const ZorvikSim::CameraSpec &camera : Cameras) {
        ZorvikSim::Attach(camera);
        ZorvikSim::GetFile(Id(camera), ZorvikSim::FactoryDefectFileId, FactoryFiles()[Id(camera)]);
    }
}

void Reset()
{
    for (const ZorvikSim::CameraSpec &camera : Cameras) {
        ZorvikSim::ResetToFactory(Id(camera));
        ZorvikSim::SetFile(Id(camera), ZorvikSim::FactoryDefectFileId, FactoryFiles()[Id(camera)]);
        ZorvikSim::ClearCalls(Id(camera));
    }
    SetCustomFile("1001", Encoded(2048, 2048, MonoList()));
}

std::vector<uint8_t> CustomFile(const QString &id)
{
    return File(id, ZorvikSim::CustomDefectFileId);
}

std::vector<uint8_t> FactoryFile(const QString &id)
{
    return File(id, ZorvikSim::FactoryDefectFileId);
}

bool SetCustomFile(const QString &id, const std::vector<uint8_t> &content)
{
    return ZorvikSim::SetFile(id.toStdString(), ZorvikSim::CustomDefectFileId, content);
}

bool SetFactoryFile(const QString &id, const std::vector<uint8_t> &content)
{
    return ZorvikSim::SetFile(id.toStdString(), ZorvikSim::FactoryDefectFileId, content);
}

bool LoseDefectFiles(const QString &id)
{
    return SetCustomFile(id, {}) && SetFactoryFile(id, {});
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
