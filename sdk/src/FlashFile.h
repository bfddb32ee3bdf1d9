#ifndef ZORVIKSIM_FLASHFILE_H
#define ZORVIKSIM_FLASHFILE_H

#include <ZorvikCPP/ZvkCommonTypes.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace ZorvikSim {

using Clock = std::chrono::steady_clock;

// One file of the camera's flash file system and its status machine:
// valid -> erasing -> erased -> receiving -> storing -> valid, or aborted on a bad packet.
class FlashFile
{
public:
    enum class State { Valid, Erased, Erasing, Receiving, Storing, Aborted };

    explicit FlashFile(uint32_t maxSize);

    State CurrentState() const { return state; }
    uint32_t Status() const;
    uint32_t MaxSize() const { return maxSize; }
    uint32_t Length() const;
    bool InProgress() const;
    const std::vector<uint8_t> &Content() const { return content; }

    // Moves timed states on; returns true when stored content changed (erased or stored).
    bool Advance(Clock::time_point now);

    CVN::ZvkAPI::ZvkErrorType StartErase(Clock::time_point done);
    CVN::ZvkAPI::ZvkErrorType StartUpload(uint32_t length);
    CVN::ZvkAPI::ZvkErrorType Receive(uint32_t offset, const uint8_t *data, size_t size);
    bool ReceivedAll() const { return received.size() == uploadLength; }
    void StartStoring(Clock::time_point done, bool alterOneByte);
    void ClearError();
    void Abort();
    CVN::ZvkAPI::ZvkErrorType Read(uint32_t offset, uint8_t *data, size_t size) const;

    // Replaces the content outright (tests, the folder, a factory reset); empty means erased.
    void Replace(const std::vector<uint8_t> &newContent);

private:
    State state;
    uint32_t maxSize;
    uint32_t uploadLength = 0;
    std::vector<uint8_t> content;
    std::vector<uint8_t> received;
    Clock::time_point deadline;
};

} // namespace ZorvikSim

#endif
