#include <ZorvikSim/Simulator.h>

#include "CameraHub.h"
#include "FrameFiles.h"

#include <cstdlib>

namespace ZorvikSim {

namespace {

CameraHub &Hub()
{
    return CameraHub::Instance();
}

const std::pair<FaultKind, const char *> FaultNames[] = {
    {FaultKind::FailCall, "fail-call"},
    {FaultKind::FailFromCall, "fail-from-call"},
    {FaultKind::CorruptPacketOffset, "corrupt-offset"},
    {FaultKind::StuckInProgress, "stuck"},
    {FaultKind::HardwareError, "hardware-error"},
    {FaultKind::ReadBackDiffers, "read-back-differs"},
    {FaultKind::UnplugMidTransfer, "unplug-mid-transfer"},
    {FaultKind::StatusZero, "status-zero"},
};

const std::pair<FrameFormat, const char *> FrameFormatNames[] = {
    {FrameFormat::Pgm, "pgm"},
    {FrameFormat::Png, "png"},
    {FrameFormat::Tiff, "tiff"},
};

CameraSetup MakeSetup(const char *model, const char *serialNumber, const char *id, int64_t width, int64_t height,
                    const char *sensorType, bool flashFileSystem, uint32_t maxFileSize)
{
    CameraSetup setup;
    setup.model = model;
    setup.serialNumber = serialNumber;
    setup.id = id;
    setup.sensorWidth = width;
    setup.sensorHeight = height;
    setup.sensorType = sensorType;
    setup.flashFileSystem = flashFileSystem;
    setup.maxFileSize = maxFileSize;
    return setup;
}

} // namespace

void UseMemory()
{
    Hub().UseMemory();
}

void UseFolder(const std::string &path)
{
    Hub().UseFolder(path);
}

std::string DefaultFolder()
{
    const char *home = std::getenv("ZORVIK_SIM_HOME");
    if (home && *home)
        return home;
    const char *user = std::getenv("HOME");
    return std::string(user && *user ? user : ".") + "/.local/share/zorvik-sim";
}

std::vector<CameraSetup> DefaultCameras()
{
    return {
        MakeSetup("HN2702-M", "40211001", "", 2048, 2048, "Mono", true, 65536),
        MakeSetup("HN2703-C", "40311002", "Line2-Color", 1936, 1216, "Bayer", true, 32768),
        MakeSetup("VX1100-M", "51100003", "", 1280, 1024, "Mono", true, 16384),
        MakeSetup("HN2701-M", "40111004", "", 1600, 1200, "Mono", false, 16384),
    };
}

bool Attach(const CameraSetup &setup)
{
    return Hub().Attach(setup);
}

bool Detach(const std::string &id)
{
    return Hub().Detach(id);
}

std::vector<CameraSetup> Cameras()
{
    return Hub().Cameras();
}

bool GetFile(const std::string &id, uint32_t fileId, std::vector<uint8_t> &content)
{
    return Hub().GetFile(id, fileId, content);
}

bool SetFile(const std::string &id, uint32_t fileId, const std::vector<uint8_t> &content)
{
    return Hub().SetFile(id, fileId, content);
}

bool ResetToFactory(const std::string &id)
{
    return Hub().ResetToFactory(id);
}

bool SetFault(const std::string &id, const Fault &fault)
{
    return Hub().SetFault(id, fault);
}

bool ClearFaults(const std::string &id)
{
    return Hub().ClearFaults(id);
}

std::vector<Fault> Faults(const std::string &id)
{
    return Hub().Faults(id);
}

std::string FaultKindName(FaultKind kind)
{
    for (const auto &entry : FaultNames) {
        if (entry.first == kind)
            return entry.second;
    }
    return std::string();
}

bool FaultKindFromName(const std::string &name, FaultKind &kind)
{
    for (const auto &entry : FaultNames) {
        if (name == entry.second) {
            kind = entry.first;
            return true;
        }
    }
    return false;
}

std::vector<Call> Calls(const std::string &id)
{
    return Hub().Calls(id);
}

void ClearCalls(const std::string &id)
{
    Hub().ClearCalls(id);
}

void SetDurations(int eraseMilliseconds, int uploadMilliseconds)
{
    Hub().SetDurations(eraseMilliseconds, uploadMilliseconds);
}

bool WriteFrames(const std::string &id, const FrameRequest &request, std::string &error)
{
    for (const CameraSetup &setup : Cameras()) {
        if (setup.id == id)
            return WriteCameraFrames(setup, request, error);
    }
    error = "no camera with ID '" + id + "'";
    return false;
}

std::string FrameFormatName(FrameFormat format)
{
    for (const auto &entry : FrameFormatNames) {
        if (entry.first == format)
            return entry.second;
    }
    return std::string();
}

bool FrameFormatFromName(const std::string &name, FrameFormat &format)
{
    for (const auto &entry : FrameFormatNames) {
        if (name == entry.second) {
            format = entry.first;
            return true;
        }
    }
    return false;
}

} // namespace ZorvikSim
