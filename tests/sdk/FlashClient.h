#ifndef FLASHCLIENT_H
#define FLASHCLIENT_H

#include <ZorvikCPP.h>

#include <cstdint>
#include <vector>

// Test content whose bytes differ from their neighbours, so that a shifted or lost
// packet shows.
std::vector<uint8_t> Pattern(size_t size);

// Drives a camera's flash file system the way a client program does, one register or
// packet at a time, so that tests can check the camera's side of each step.
class FlashClient
{
public:
    explicit FlashClient(CVN::ZvkAPI::CameraPtr camera);

    CVN::ZvkAPI::ZvkErrorType Write(uint64_t address, uint64_t value);
    CVN::ZvkAPI::ZvkErrorType Read(uint64_t address, uint64_t &value);
    uint64_t Status(); // 1 when the status cannot be read

    CVN::ZvkAPI::ZvkErrorType Select(uint32_t fileId);
    // Select, privilege level, erase command.
    CVN::ZvkAPI::ZvkErrorType StartErase(uint32_t fileId);
    // Privilege level, upload length, upload command (the file already selected and erased).
    CVN::ZvkAPI::ZvkErrorType StartUpload(uint32_t length);
    // Sends content in packets of at most 500 bytes; packets counts those sent.
    CVN::ZvkAPI::ZvkErrorType SendPackets(const std::vector<uint8_t> &content, int &packets);
    CVN::ZvkAPI::ZvkErrorType SendPacket(uint32_t offset, const uint8_t *data, size_t size);
    // Select, length, offset 0, then packets; headerMismatch tells of a packet whose
    // offset header was not the offset expected.
    CVN::ZvkAPI::ZvkErrorType Download(uint32_t fileId, std::vector<uint8_t> &content, int &packets,
                                       bool &headerMismatch);

private:
    CVN::ZvkAPI::CameraPtr camera;
};

#endif
