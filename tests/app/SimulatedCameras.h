#ifndef SIMULATEDCAMERAS_H
#define SIMULATEDCAMERAS_H

#include "CameraInterface.h"
#include "PixelCoords.h"
#include "ZorvikSim/Simulator.h"

#include <QByteArray>
#include <QList>

#include <map>

// The in-memory cameras the window tests run against, and what they hold.
namespace SimulatedCameras {

// The cameras' list entries, as the window lists them.
const QString Mono = QStringLiteral("HN2702-M-1001"); // 2048 x 2048, 7648 defects fit
const QString Bayer = QStringLiteral("HN2703-C-1002(CAM-7)");
const QString Unsupported = QStringLiteral("VX1100-M-3001");
const QString WithoutFlash = QStringLiteral("HN2701-M-4001");
const QString Grouped = QStringLiteral("(a)-(b)-HN2702-M-6001"); // groups the display name leaves out
const QString Climbing = QStringLiteral("HN2702-M-../../x(EVIL)"); // a serial number leaving a backup's folder

const ZorvikSim::CameraSpec Cameras[] = {
    {"HN2702-M", "1001", "", 2048, 2048, "Mono", true, 65536},
    {"HN2703-C", "1002", "CAM-7", 1936, 1216, "Bayer", true, 65536},
    {"VX1100-M", "3001", "", 1280, 1024, "Mono", true, 65536},
    {"HN2701-M", "4001", "", 1600, 1200, "Mono", false, 65536},
    {"(a)-(b)-HN2702-M", "6001", "", 2048, 2048, "Mono", true, 65536},
    {"HN2702-M", "../../x", "EVIL", 2048, 2048, "Mono", true, 65536},
};

// The monochrome camera's list at the start of every test: a run of four in row 10
// (columns 100 to 103), a run of five in row 20 (columns 10 to 14) and three loose defects.
inline QList<PixelCoords> MonoList()
{
    return {{10, 100}, {10, 101}, {10, 102}, {10, 103}, {20, 10}, {20, 11},
            {20, 12},  {20, 13},  {20, 14},  {300, 7},  {1500, 2000}, {2047, 1000}};
}

inline QByteArray File(const QString &id, uint32_t fileId = ZorvikSim::CustomDefectFileId)
{
    std::vector<uint8_t> content;
    ZorvikSim::GetFile(id.toStdString(), fileId, content);
    return QByteArray(reinterpret_cast<const char *>(content.data()), int(content.size()));
}

inline bool SetFile(const QString &id, const QByteArray &content, uint32_t fileId = ZorvikSim::CustomDefectFileId)
{
    return ZorvikSim::SetFile(id.toStdString(), fileId, std::vector<uint8_t>(content.cbegin(), content.cend()));
}

// Neither defect file can be read any more.
inline bool LoseDefectFiles(const QString &id)
{
    return SetFile(id, {}) && SetFile(id, {}, ZorvikSim::FactoryDefectFileId);
}

// The coordinates a defect file holds, read with the stand-in's own reader.
inline QList<PixelCoords> Decoded(const QByteArray &content)
{
    std::vector<std::pair<uint16_t, uint16_t>> rowColumns;
    ZorvikSim::DecodeDefectFile(std::vector<uint8_t>(content.cbegin(), content.cend()), rowColumns);
    QList<PixelCoords> list;
    for (const auto &rowColumn : rowColumns)
        list.append({rowColumn.first, rowColumn.second});
    return list;
}

inline QByteArray Encoded(int width, int height, const QList<PixelCoords> &list)
{
    std::vector<std::pair<uint16_t, uint16_t>> rowColumns;
    for (const PixelCoords &coords : list)
        rowColumns.emplace_back(coords.row, coords.column);
    const std::vector<uint8_t> content = ZorvikSim::EncodeDefectFile(width, height, "Mono", rowColumns);
    return QByteArray(reinterpret_cast<const char *>(content.data()), int(content.size()));
}

// Every SDK call on the camera fails from the next one on, or what is written reads back
// different.
inline bool Fail(const QString &id, ZorvikSim::FaultKind kind)
{
    ZorvikSim::Fault fault;
    fault.kind = kind;
    return ZorvikSim::SetFault(id.toStdString(), fault);
}

inline std::string Id(const ZorvikSim::CameraSpec &camera)
{
    return camera.id.empty() ? camera.serialNumber : camera.id;
}

inline std::map<std::string, std::vector<uint8_t>> &FactoryFiles()
{
    static std::map<std::string, std::vector<uint8_t>> files;
    return files;
}

// In-memory cameras with short erase and store times; call once, before any window.
inline void Attach()
{
    ZorvikSim::UseMemory();
    ZorvikSim::SetDurations(0, 0);
    CameraInterface::SetPollPause(0);
    for (const ZorvikSim::CameraSpec &camera : Cameras) {
        ZorvikSim::Attach(camera);
        ZorvikSim::GetFile(Id(camera), ZorvikSim::FactoryDefectFileId, FactoryFiles()[Id(camera)]);
    }
}

// Back to the start: the monochrome camera holding MonoList(), every camera's factory file
// as it was, no faults, no calls recorded.
inline void Reset()
{
    for (const ZorvikSim::CameraSpec &camera : Cameras) {
        ZorvikSim::ResetToFactory(Id(camera));
        ZorvikSim::SetFile(Id(camera), ZorvikSim::FactoryDefectFileId, FactoryFiles()[Id(camera)]);
        ZorvikSim::ClearCalls(Id(camera));
    }
    SetFile("1001", Encoded(2048, 2048, MonoList()));
}

} // namespace SimulatedCameras

#endif
