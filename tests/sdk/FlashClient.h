#ifndef FLASHCLIENT_H
#define FLASHCLIENT_H

#include "FirmwareRegisters.h"

#include <ZorvikCPP.h>
#include <ZorvikSim/Simulator.h>

#include <QTest>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace Zvk = CVN::ZvkAPI;

// Test content whose bytes differ from their neighbours, so that a shifted or lost
// packet shows.
inline std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> content(size);
    for (size_t i = 0; i < size; ++i)
        content[i] = uint8_t(i * 7 + i / 251 + 3);
    return content;
}

struct Downloaded
{
    Zvk::ZvkErrorType result = Zvk::ZvkErrorSuccess;
    std::vector<uint8_t> content;
    int packets = 0;
    bool headerMismatch = false; // a packet's offset header was not the offset expected
};

// Drives a camera's flash file system the way a client program does, one register or
// packet at a time, so that tests can check the camera's side of each step.
class FlashClient
{
public:
    using Code = Zvk::ZvkErrorType;

    explicit FlashClient(Zvk::CameraPtr camera) : camera(std::move(camera)) {}

    Code Write(uint64_t address, uint64_t value) { return camera->WriteRegisters({address}, {value}); }

    Code Read(uint64_t address, uint64_t &value)
    {
        Zvk::Uint64Vector values(1);
        Code result = camera->ReadRegisters({address}, values);
        value = values[0];
        return result;
    }

    uint64_t Status() // 1 when the status cannot be read
    {
        uint64_t status = 0;
        return Read(ZorvikSim::FlashFileStatus, status) == Zvk::ZvkErrorSuccess ? status : 1;
    }

    Code Select(uint32_t fileId) { return Write(ZorvikSim::FlashFileSelect, fileId); }

    // Select, privilege level, erase command.
    Code StartErase(uint32_t fileId)
    {
        return WriteInTurn({{ZorvikSim::FlashFileSelect, fileId},
                            {ZorvikSim::FlashFileCommand, ZorvikSim::DefectFilePrivilegeLevel},
                            {ZorvikSim::FlashFileCommand, ZorvikSim::EraseCommand}});
    }

    // StartErase, then waits until the file reads erased; false when it never does.
    bool EraseAndWait(uint32_t fileId)
    {
        return StartErase(fileId) == Zvk::ZvkErrorSuccess
               && QTest::qWaitFor([this] { return Status() == ZorvikSim::StatusErased; });
    }

    // Privilege level, upload length, upload command (the file already selected and erased).
    Code StartUpload(uint32_t length)
    {
        return WriteInTurn({{ZorvikSim::FlashFileCommand, ZorvikSim::DefectFilePrivilegeLevel},
                            {ZorvikSim::FlashFileUploadLength, length},
                            {ZorvikSim::FlashFileCommand, ZorvikSim::UploadCommand}});
    }

    Code SendPacket(uint32_t offset, const uint8_t *data, size_t size)
    {
        Zvk::UcharVector packet(size + 4);
        packet[0] = uint8_t(offset >> 24);
        packet[1] = uint8_t(offset >> 16);
        packet[2] = uint8_t(offset >> 8);
        packet[3] = uint8_t(offset);
        std::copy(data, data + size, packet.begin() + 4);
        uint32_t written = 0;
        return camera->WriteMemory(ZorvikSim::FileUploadTransferBuffer, packet, written);
    }

    // Sends content in packets of at most 500 bytes; packets counts those sent.
    Code SendPackets(const std::vector<uint8_t> &content, int &packets)
    {
        packets = 0;
        for (size_t offset = 0; offset < content.size(); offset += ZorvikSim::MaxPacketData, ++packets) {
            size_t size = std::min<size_t>(ZorvikSim::MaxPacketData, content.size() - offset);
            Code result = SendPacket(uint32_t(offset), content.data() + offset, size);
            if (result != Zvk::ZvkErrorSuccess)
                return result;
        }
        return Zvk::ZvkErrorSuccess;
    }

    // Erase, wait, start the upload and send every packet: the first failing code.
    Code Upload(uint32_t fileId, const std::vector<uint8_t> &content)
    {
        int packets = 0;
        if (!EraseAndWait(fileId))
            return Zvk::ZvkErrorOther;
        Code result = StartUpload(uint32_t(content.size()));
        return result == Zvk::ZvkErrorSuccess ? SendPackets(content, packets) : result;
    }

    // Select, length, offset 0, then packets until the whole file is read.
    Downloaded Download(uint32_t fileId)
    {
        Downloaded read;
        uint64_t length = 0;
        read.result = Select(fileId);
        if (read.result == Zvk::ZvkErrorSuccess)
            read.result = Read(ZorvikSim::FlashFileLength, length);
        if (read.result == Zvk::ZvkErrorSuccess)
            read.result = Write(ZorvikSim::FlashFileDownloadOffset, 0);
        for (size_t offset = 0; read.result == Zvk::ZvkErrorSuccess && offset < length; offset += 500) {
            Zvk::UcharVector packet(std::min<size_t>(ZorvikSim::MaxPacketData, length - offset) + 4, 0);
            read.result = camera->ReadMemory(ZorvikSim::FileDownloadTransferBuffer, packet);
            read.headerMismatch = read.headerMismatch || ZorvikSim::PacketHeader(packet) != offset;
            read.content.insert(read.content.end(), packet.begin() + ZorvikSim::PacketHeaderSize, packet.end());
            read.packets += read.result == Zvk::ZvkErrorSuccess ? 1 : 0;
        }
        return read;
    }

private:
    Code WriteInTurn(const std::vector<std::pair<uint64_t, uint64_t>> &writes)
    {
        for (const auto &[address, value] : writes) {
            Code result = Write(address, value);
            if (result != Zvk::ZvkErrorSuccess)
                return result;
        }
        return Zvk::ZvkErrorSuccess;
    }

    Zvk::CameraPtr camera;
};

#endif
