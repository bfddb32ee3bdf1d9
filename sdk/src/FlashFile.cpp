#include "FlashFile.h"

#include "FirmwareRegisters.h"

#include <algorithm>

using namespace CVN::ZvkAPI;

namespace ZorvikSim {

FlashFile::FlashFile(uint32_t maxSize)
    : state(State::Erased), maxSize(maxSize)
{
}

uint32_t FlashFile::Status() const
{
    switch (state) {
    case State::Valid:
        return StatusValid;
    case State::Erased:
        return StatusErased;
    case State::Erasing:
        return StatusEraseInProgress;
    case State::Receiving:
        return StatusReceiving;
    case State::Storing:
        return StatusStoring;
    case State::Aborted:
        break;
    }
    return StatusUploadAborted;
}

uint32_t FlashFile::Length() const
{
    return state == State::Valid ? static_cast<uint32_t>(content.size()) : 0;
}

bool FlashFile::InProgress() const
{
    return state == State::Erasing || state == State::Receiving || state == State::Storing;
}

bool FlashFile::Advance(Clock::time_point now)
{
    if (now < deadline)
        return false;
    if (state == State::Erasing) {
        content.clear();
        state = State::Erased;
        return true;
    }
    if (state == State::Storing) {
        content.swap(received);
        received.clear();
        state = State::Valid;
        return true;
    }
    return false;
}

ZvkErrorType FlashFile::StartErase(Clock::time_point done)
{
    if (InProgress())
        return ZvkErrorInvalidCall;
    state = State::Erasing;
    deadline = done;
    return ZvkErrorSuccess;
}

ZvkErrorType FlashFile::StartUpload(uint32_t length)
{
    if (state != State::Erased)
        return ZvkErrorInvalidCall;
    if (length == 0 || length > maxSize)
        return ZvkErrorInvalidValue;
    uploadLength = length;
    received.clear();
    state = State::Receiving;
    return ZvkErrorSuccess;
}

ZvkErrorType FlashFile::Receive(uint32_t offset, const uint8_t *data, size_t size)
{
    if (state != State::Receiving)
        return ZvkErrorInvalidCall;
    // A packet out of sequence or past the announced length spoils the whole upload.
    if (offset != received.size() || received.size() + size > uploadLength) {
        Abort();
        return ZvkErrorInvalidValue;
    }
    received.insert(received.end(), data, data + size);
    return ZvkErrorSuccess;
}

void FlashFile::StartStoring(Clock::time_point done, bool alterOneByte)
{
    if (alterOneByte && !received.empty())
        received[received.size() / 2] ^= 0x01;
    state = State::Storing;
    deadline = done;
}

void FlashFile::ClearError()
{
    if (state == State::Aborted)
        state = State::Erased;
}

void FlashFile::Abort()
{
    received.clear();
    state = State::Aborted;
}

ZvkErrorType FlashFile::Read(uint32_t offset, uint8_t *data, size_t size) const
{
    if (state != State::Valid)
        return ZvkErrorInvalidCall;
    if (static_cast<uint64_t>(offset) + size > content.size())
        return ZvkErrorInvalidValue;
    std::copy(content.begin() + offset, content.begin() + offset + size, data);
    return ZvkErrorSuccess;
}

void FlashFile::Replace(const std::vector<uint8_t> &newContent)
{
    content = newContent;
    received.clear();
    state = content.empty() ? State::Erased : State::Valid;
}

} // namespace ZorvikSim
