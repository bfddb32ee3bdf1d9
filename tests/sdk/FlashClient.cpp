#include "FlashClient.h"

#include "FirmwareRegisters.h"

#include <ZorvikSim/Simulator.h>

#include <algorithm>

using namespace CVN::ZvkAPI;
using namespace ZorvikSim;

std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> content(size);
    for (size_t i = 0; i < size; ++i)
        content[i] = uint8_t(i * 7 + i / 251 + 3);
    return content;
}

FlashClient::FlashClient(CameraPtr camera)
    : camera(std::move(camera))
{
}

ZvkErrorType FlashClient::Write(uint64_t address, uint64_t value)
{
    return camera->WriteRegisters({address}, {value});
}

ZvkErrorType FlashClient::Read(uint64_t address, uint64_t &value)
{
    Uint64Vector values(1);
    ZvkErrorType result = camera->ReadRegisters({address}, values);
    value = values[0];
    return result;
}

uint64_t FlashClient::Status()
{
    uint64_t status = 0;
    return Read(FlashFileStatus, status) == ZvkErrorSuccess ? status : 1;
}

ZvkErrorType FlashClient::Select(uint32_t fileId)
{
    return Write(FlashFileSelect, fileId);
}

ZvkErrorType FlashClient::StartErase(uint32_t fileId)
{
    ZvkErrorType result = Select(fileId);
    if (result == ZvkErrorSuccess)
        result = Write(FlashFileCommand, DefectFilePrivilegeLevel);
    if (result == ZvkErrorSuccess)
        result = Write(FlashFileCommand, EraseCommand);
    return result;
}

ZvkErrorType FlashClient::StartUpload(uint32_t length)
{
    ZvkErrorType result = Write(FlashFileCommand, DefectFilePrivilegeLevel);
    if (result == ZvkErrorSuccess)
        result = Write(FlashFileUploadLength, length);
    if (result == ZvkErrorSuccess)
        result = Write(FlashFileCommand, UploadCommand);
    return result;
}

ZvkErrorType FlashClient::SendPacket(uint32_t offset, const uint8_t *data, size_t size)
{
    UcharVector packet(size + 4);
    packet[0] = uint8_t(offset >> 24);
    packet[1] = uint8_t(offset >> 16);
    packet[2] = uint8_t(offset >> 8);
    packet[3] = uint8_t(offset);
    std::copy(data, data + size, packet.begin() + 4);
    uint32_t written = 0;
    return camera->WriteMemory(FileUploadTransferBuffer, packet, written);
}

ZvkErrorType FlashClient::SendPackets(const std::vector<uint8_t> &content, int &packets)
{
    packets = 0;
    for (size_t offset = 0; offset < content.size(); offset += MaxPacketData) {
        size_t size = std::min<size_t>(MaxPacketData, content.size() - offset);
        ZvkErrorType result = SendPacket(uint32_t(offset), content.data() + offset, size);
        if (result != ZvkErrorSuccess)
            return result;
        ++packets;
    }
    return ZvkErrorSuccess;
}

ZvkErrorType FlashClient::Download(uint32_t fileId, std::vector<uint8_t> &content, int &packets,
                                   bool &headerMismatch)
{
    packets = 0;
    headerMismatch = false;
    uint64_t length = 0;
    ZvkErrorType result = Select(fileId);
    if (result == ZvkErrorSuccess)
        result = Read(FlashFileLength, length);
    if (result == ZvkErrorSuccess)
        result = Write(FlashFileDownloadOffset, 0);
    content.assign(length, 0);
    for (size_t offset = 0; result == ZvkErrorSuccess && offset < length; offset += MaxPacketData) {
        size_t size = std::min<size_t>(MaxPacketData, length - offset);
        UcharVector packet(size + PacketHeaderSize, 0);
        result = camera->ReadMemory(FileDownloadTransferBuffer, packet);
        uint32_t header = (uint32_t(packet[0]) << 24) | (packet[1] << 16) | (packet[2] << 8) | packet[3];
        headerMismatch = headerMismatch || header != offset;
        std::copy(packet.begin() + PacketHeaderSize, packet.end(), content.begin() + offset);
        packets += result == ZvkErrorSuccess ? 1 : 0;
    }
    return result;
}
