#include "SetupRules.h"

#include <algorithm>

namespace ZorvikSim {

namespace {

constexpr uint32_t MaxFlashFileSize = 16 * 1024 * 1024;

bool IsOneLine(const std::string &text)
{
    return !text.empty() && text.find_first_of("\r\n") == std::string::npos;
}

bool IsFileNameSafe(const std::string &id)
{
    auto safe = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-'
               || c == '.';
    };
    return !id.empty() && id.front() != '.' && id.size() <= 64 && std::all_of(id.begin(), id.end(), safe);
}

} // namespace

CameraSetup Completed(const CameraSetup &setup)
{
    CameraSetup result = setup;
    if (result.id.empty())
        result.id = result.serialNumber;
    return result;
}

bool IsValidSetup(const CameraSetup &setup)
{
    CameraSetup full = Completed(setup);
    return IsOneLine(full.model) && IsOneLine(full.serialNumber) && IsFileNameSafe(full.id)
           && full.sensorWidth >= 9 && full.sensorWidth <= 65535 && full.sensorHeight >= 1
           && full.sensorHeight <= 65535 && (full.sensorType == "Mono" || full.sensorType == "Bayer")
           && full.maxFileSize <= MaxFlashFileSize;
}

} // namespace ZorvikSim
