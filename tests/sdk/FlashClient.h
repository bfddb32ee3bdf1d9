#ifndef FLASHCLIENT_H
#define FLASHCLIENT_H

#include <ZorvikCPP.h>

#include <cstdint>
#include <vector>

// Test content whose bytes differ from their neighbours, so that a shifted or lost
// packet shows.
std::vector<uint8_t> Pattern(size_t size);

struct Downloaded
{
    CVN::ZvkAPI::ZvkErrorType result = CVN::ZvkAPI::ZvkErrorSuccess;
    std::vector<uint8_t> content;
    int packets = 0;
    bool headerMismatch = false; // a packet's offset header was not the offset expected
};

// Drives a camera's flash file system the way a client program does, one register or
// packet at a time, so that tests can check the camera's side of each step.
class FlashClient
{
public:
    explicit FlashClient(CVN::ZvkAPI::CameraPtr camera) : camera(std::move(camera)) {}

    CVN::ZvkAPI::ZvkErrorType Write(uint64_t address, uint64_t value);
    CVN::ZvkAPI::ZvkErrorType Read(uint64_t address, uint64_t &value);
    uint64_t Status(); // 1 when the status cannot be read

    CVN::ZvkAPI::ZvkErrorType Select(uint32_t fileId);
    // Select, privilege level, erase command.
    CVN::ZvkAPI::ZvkErrorType StartErase(uint32_t fileId);
    // StartErase, then waits until the file reads erased; false when it never does.
    bool EraseAndWait(uint32_t fileId);
    // Privilege level, upload length, upload command (the file already selected and erased).
    CVN::ZvkAPI::ZvkErrorType StartUpload(uint32_t length);
    // Sends content in packets of at most 500 bytes; packets counts those sent.
    CVN::ZvkAPI::ZvkErrorType SendPackets(const std::vector<uint8_t> &content, int &packets);
    CVN::ZvkAPI::ZvkErrorType SendPacket(uint32_t offset, const uint8_t *data, size_t size);
    // Select, length, offset 0, then packets until the whole file is read.
    Downloaded Download(uint32_t fileId);

private:
    CVN::ZvkAPI::ZvkErrorType WriteInTurn(const std::vector<std::pair<uint64_t, uint64_t>> &writes);

    CVN::ZvkAPI::CameraPtr camera;
};

#endif
