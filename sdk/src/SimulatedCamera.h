#ifndef ZORVIKSIM_SIMULATEDCAMERA_H
#define ZORVIKSIM_SIMULATEDCAMERA_H

#include "FaultInjector.h"
#include "FlashFile.h"

#include <ZorvikCPP/ZvkCommonTypes.h>
#include <ZorvikSim/Simulator.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

namespace ZorvikSim {

struct Durations
{
    std::chrono::milliseconds erase{1500};
    std::chrono::milliseconds store{800};
};

// The firmware of one simulated camera: identity, registers, the two defect files behind
// the flash file registers, the transfer windows, its faults and the calls it received.
// Not thread-safe: the owner serialises every access.
class SimulatedCamera
{
public:
    SimulatedCamera(const CameraSetup &setup, const std::vector<uint8_t> &factoryContent);

    const CameraSetup &Setup() const { return setup; }
    const std::string &Id() const { return setup.id; }
    bool Attached() const { return attached; }
    void MarkDetached() { attached = false; }
    void SetDurations(const Durations &value) { durations = value; }

    FaultInjector &Faults() { return faults; }
    FlashFile *File(uint32_t fileId);
    const std::vector<Call> &Calls() const { return calls; }
    void Record(const Call &call) { calls.push_back(call); }
    void ClearCalls() { calls.clear(); }

    CVN::ZvkAPI::ZvkErrorType ReadRegister(uint64_t address, uint64_t &value);
    CVN::ZvkAPI::ZvkErrorType WriteRegister(uint64_t address, uint64_t value);
    // header receives the offset header of the packet returned.
    CVN::ZvkAPI::ZvkErrorType ReadMemory(uint64_t address, std::vector<uint8_t> &buffer, uint32_t &header);
    CVN::ZvkAPI::ZvkErrorType WriteMemory(uint64_t address, const std::vector<uint8_t> &buffer);

    // Lets erase and store times pass (unless stuck); files whose content changed are
    // remembered until TakeChangedFiles.
    void Advance();
    void ReplaceFile(uint32_t fileId, const std::vector<uint8_t> &content);
    std::set<uint32_t> TakeChangedFiles();

private:
    CVN::ZvkAPI::ZvkErrorType ReadFlashRegister(uint64_t address, uint64_t &value);
    CVN::ZvkAPI::ZvkErrorType Select(uint64_t fileId);
    CVN::ZvkAPI::ZvkErrorType Command(uint64_t command);
    CVN::ZvkAPI::ZvkErrorType ReadPacket(std::vector<uint8_t> &buffer, uint32_t &header);
    CVN::ZvkAPI::ZvkErrorType WritePacket(const std::vector<uint8_t> &buffer);
    FlashFile &Selected();

    CameraSetup setup;
    bool attached = true;
    Durations durations;
    FlashFile customFile;
    FlashFile factoryFile;
    uint32_t selectedFileId = CustomDefectFileId;
    bool privileged = false;
    uint32_t downloadWindow = 0;
    uint32_t uploadLength = 0;
    FaultInjector faults;
    std::vector<Call> calls;
    std::set<uint32_t> changedFiles;
};

} // namespace ZorvikSim

#endif
