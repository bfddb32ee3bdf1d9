#ifndef ZORVIKSIM_FIRMWAREREGISTERS_H
#define ZORVIKSIM_FIRMWAREREGISTERS_H

#include <cstdint>
#include <vector>

// The register map, memory windows and status values of the simulated camera firmware.
namespace ZorvikSim {

constexpr uint64_t ControlsInquiry1 = 0x14000;
constexpr uint64_t FlashFileMaxSize = 0x1A0A0;
constexpr uint64_t FlashFileLength = 0x1A0A4;
constexpr uint64_t FlashFileDownloadOffset = 0x1A0A8;
constexpr uint64_t FlashFileUploadLength = 0x1A0AC;
constexpr uint64_t FlashFileStatus = 0x1A0B0;
constexpr uint64_t FlashFileCommand = 0x1A0B4;
constexpr uint64_t FlashFileSelect = 0x1A0BC;

// Capability bits: bit 22 is the flash file system, the others are the usual camera controls.
constexpr uint64_t FlashFileSystemBit = 0x400000;
constexpr uint64_t BasicControlBits = 0x80000003;

constexpr uint64_t FileUploadTransferBuffer = 0x1A100;
constexpr uint64_t FileDownloadTransferBuffer = 0x1AA00;
constexpr uint32_t PacketHeaderSize = 4;
constexpr uint32_t MaxPacketData = 500;

// The big-endian file offset at the start of a transfer packet (0 for a runt).
inline uint32_t PacketHeader(const std::vector<uint8_t> &packet)
{
    if (packet.size() < PacketHeaderSize)
        return 0;
    return (uint32_t(packet[0]) << 24) | (uint32_t(packet[1]) << 16) | (uint32_t(packet[2]) << 8) | packet[3];
}

constexpr uint64_t UploadCommand = 2;
constexpr uint64_t EraseCommand = 5;
constexpr uint64_t ClearErrorCommand = 6;

constexpr uint32_t StatusNoFileSystem = 0;
constexpr uint32_t StatusValid = 0xFFFFF800;
constexpr uint32_t StatusErased = 0xFFFFFFFE;
constexpr uint32_t StatusEraseInProgress = 0xFE000000;
constexpr uint32_t StatusReceiving = 0xFFFFFFC0;
constexpr uint32_t StatusStoring = 0xFFFFFE00;
constexpr uint32_t StatusHardwareError = 0xFFFFF000;
constexpr uint32_t StatusUploadAborted = 0xFFFFFF00;

} // namespace ZorvikSim

#endif
