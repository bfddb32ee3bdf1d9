// The stand-in's own writer and reader of the camera's defect file: a 4096-byte header
// and one 8-byte entry (column, row, 0xF000 | neighbour mask) per defect, little-endian.
#include <ZorvikSim/Simulator.h>

#include <set>

namespace ZorvikSim {

namespace {

constexpr size_t HeaderSize = 4096;
constexpr size_t EntrySize = 8;

void PutLittleEndian(std::vector<uint8_t> &out, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + i] = uint8_t(value >> (8 * i));
}

uint32_t GetWord(const std::vector<uint8_t> &in, size_t at)
{
    return uint32_t(in[at]) | (uint32_t(in[at + 1]) << 8) | (uint32_t(in[at + 2]) << 16) | (uint32_t(in[at + 3]) << 24);
}

uint16_t GetHalf(const std::vector<uint8_t> &in, size_t at, bool littleEndian)
{
    return littleEndian ? uint16_t(in[at] | (in[at + 1] << 8)) : uint16_t((in[at] << 8) | in[at + 1]);
}

// Bit (4 - d) stands for the pixel d columns to the right; a set bit is usable for correction.
uint32_t NeighbourMask(uint16_t row, uint16_t column, int64_t width, bool bayer,
                       const std::set<std::pair<uint16_t, uint16_t>> &defects)
{
    uint32_t unusable = 0;
    for (int d = -4; d <= 4; ++d) {
        int64_t neighbour = int64_t(column) + d;
        bool otherChannel = bayer && (d % 2 != 0);
        bool outside = neighbour < 0 || neighbour >= width;
        bool defective = !outside && defects.count({row, uint16_t(neighbour)}) != 0;
        if (d == 0 || otherChannel || outside || defective)
            unusable |= 1u << (4 - d);
    }
    return ~unusable & 0x1FF;
}

} // namespace

std::vector<uint8_t> EncodeDefectFile(int64_t sensorWidth, int64_t sensorHeight, const std::string &sensorType,
                                      const std::vector<std::pair<uint16_t, uint16_t>> &rowColumns)
{
    std::vector<uint8_t> out(HeaderSize + EntrySize * rowColumns.size(), 0xFF);
    const uint32_t header[] = {0xFFFFFFFF, 1, HeaderSize, uint32_t(rowColumns.size()), EntrySize,
                               uint32_t(sensorWidth), uint32_t(sensorHeight)};
    for (size_t i = 0; i < 7; ++i)
        PutLittleEndian(out, 4 * i, header[i], 4);
    std::set<std::pair<uint16_t, uint16_t>> defects(rowColumns.begin(), rowColumns.end());
    bool bayer = sensorType == "Bayer";
    size_t at = HeaderSize;
    for (const auto &defect : rowColumns) {
        PutLittleEndian(out, at, defect.second, 2);
        PutLittleEndian(out, at + 2, defect.first, 2);
        PutLittleEndian(out, at + 4, 0xF000 | NeighbourMask(defect.first, defect.second, sensorWidth, bayer, defects), 4);
        at += EntrySize;
    }
    return out;
}

bool DecodeDefectFile(const std::vector<uint8_t> &content, std::vector<std::pair<uint16_t, uint16_t>> &rowColumns)
{
    rowColumns.clear();
    if (content.empty())
        return true;
    if (content.size() < HeaderSize)
        return false;
    uint64_t count = GetWord(content, 12);
    if (content.size() < HeaderSize + EntrySize * count)
        return false;
    bool littleEndian = GetWord(content, 0) == 0xFFFFFFFF;
    for (size_t at = HeaderSize; at < HeaderSize + EntrySize * count; at += EntrySize)
        rowColumns.push_back({GetHalf(content, at + 2, littleEndian), GetHalf(content, at, littleEndian)});
    return true;
}

} // namespace ZorvikSim
