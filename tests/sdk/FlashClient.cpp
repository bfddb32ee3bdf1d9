#include "FlashClient.h"

#include "FirmwareRegisters.h"

#include <ZorvikSim/Simulator.h>

#include <QTest>

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

ZvkErrorType FlashClient::WriteInTurn(const std::vector<std::pair<uint64_t, uint64_t>> &writes)
{
    for (const auto &[address, value] : writes) {
        ZvkErrorType result = Write(address, value);
        if (result != ZvkErrorSuccess)
            return result;
    }
    return ZvkErrorSuccess;
}

ZvkErrorType FlashClient::Select(uint32_t fileId)
{
    return Write(FlashFileSelect, fileId);
}

ZvkErrorType FlashClient::StartErase(uint32_t fileId)
{
    return WriteInTurn({{FlashFileSelect, fileId}, {FlashFileCommand, DefectFilePrivilegeLevel},
                        {FlashFileCommand, EraseCommand}});
}

bool FlashClient::EraseAndWait(uint32_t fileId)
{
    return StartErase(fileId) == ZvkErrorSuccess && QTest::qWaitFor([this] { return Status() == StatusErased; });
}

ZvkErrorType FlashClient::StartUpload(uint32_t length)
{
    return WriteInTurn({{FlashFileCommand, DefectFilePrivilegeLevel}, {FlashFileUploadLength, length},
                        {FlashFileCommand, UploadCommand}});
}

ZvkErrorType FlashClient::SendPacket(uint32_t offset, const uint8_t *data, size_t size)
{
    UcharVector packet = {uint8_t(offset >> 24), uint8_t(offset >> 16), uint8_t(offset >> 8), uint8_t(offset)};
    packet.insert(packet.end(), data, data + size);
    uint32_t written = 0;
    return camera->WriteMemory(FileUploadTransferBuffer, packet, written);
}

ZvkErrorType FlashClient::SendPackets(const std::vector<uint8_t> &content, int &packets)
{
    packets = 0;
    for (size_t offset = 0; offset < content.size(); offset += MaxPacketData, ++packets) {
        size_t size = std::min<size_t>(MaxPacketData, content.size() - offset);
        ZvkErrorType result = SendPacket(uint32_t(offset), content.data() + offset, size);
        if (result != ZvkErrorSuccess)
            return result;
    }
    return ZvkErrorSuccess;
}

Downloaded FlashClient::Download(uint32_t fileId)
{
    Downloaded read;
    uint64_t length = 0;
    read.result = Select(fileId);
    if (read.result == ZvkErrorSuccess)
        read.result = Read(FlashFileLength, length);
    if (read.result == ZvkErrorSuccess)
        read.result = Write(FlashFileDownloadOffset, 0);
    for (size_t offset = 0; read.result == ZvkErrorSuccess && offset < length; offset += MaxPacketData) {
        UcharVector packet(std::min<size_t>(MaxPacketData, length - offset) + PacketHeaderSize, 0);
        read.result = camera->ReadMemory(FileDownloadTransferBuffer, packet);
        read.headerMismatch = read.headerMismatch || PacketHeader(packet) != offset;
        read.content.insert(read.content.end(), packet.begin() + PacketHeaderSize, packet.end());
        read.packets += read.result == ZvkErrorSuccess ? 1 : 0;
    }
    return read;
}
