#include "FrameEncoding.h"

#include <algorithm>
#include <array>
#include <string>

namespace ZorvikSim {

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t MaxStoredBlock = 65535; // a deflate stored block's length field has 16 bits
constexpr size_t MaxChunkData = 1 << 20; // IDAT chunks of at most 1 MiB
constexpr size_t TiffStripBytes = 65536;

void PutBigEndian32(Bytes &bytes, uint32_t value)
{
    bytes.insert(bytes.end(), {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)});
}

void PutLittleEndian16(Bytes &bytes, uint32_t value)
{
    bytes.insert(bytes.end(), {uint8_t(value), uint8_t(value >> 8)});
}

void PutLittleEndian32(Bytes &bytes, uint32_t value)
{
    bytes.insert(bytes.end(), {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
}

// Appends the samples at once: inserting them one by one takes longer than drawing the frame.
void AppendSamples(Bytes &bytes, std::vector<uint16_t>::const_iterator begin, std::vector<uint16_t>::const_iterator end,
                   bool bigEndian)
{
    size_t at = bytes.size();
    bytes.resize(at + 2 * size_t(end - begin));
    for (auto it = begin; it != end; ++it, at += 2) {
        bytes[at + (bigEndian ? 0 : 1)] = uint8_t(*it >> 8);
        bytes[at + (bigEndian ? 1 : 0)] = uint8_t(*it);
    }
}

Bytes EncodePgm(const std::vector<uint16_t> &pixels, uint32_t width, uint32_t height)
{
    const std::string header = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n65535\n";
    Bytes bytes(header.begin(), header.end());
    AppendSamples(bytes, pixels.begin(), pixels.end(), true);
    return bytes;
}

uint32_t Crc32(Bytes::const_iterator begin, Bytes::const_iterator end) // as PNG defines it
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> entries{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (auto it = begin; it != end; ++it)
        crc = table[(crc ^ *it) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const Bytes &data)
{
    constexpr size_t Run = 5552; // the most bytes before the sums can overflow 32 bits, as zlib takes them
    uint32_t a = 1, b = 0;
    for (size_t at = 0; at < data.size(); at += Run) {
        for (size_t i = at; i < std::min(data.size(), at + Run); ++i) {
            a += data[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    return (b << 16) | a;
}

void PutChunk(Bytes &png, const char *type, Bytes::const_iterator begin, Bytes::const_iterator end)
{
    PutBigEndian32(png, uint32_t(end - begin));
    const size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), begin, end);
    PutBigEndian32(png, Crc32(png.begin() + typeAt, png.end()));
}

// Each row behind filter type 0 (none), samples big-endian.
Bytes PngScanlines(const std::vector<uint16_t> &pixels, uint32_t width)
{
    Bytes raw;
    raw.reserve(pixels.size() * 2 + pixels.size() / width);
    for (auto row = pixels.begin(); row != pixels.end(); row += width) {
        raw.push_back(0);
        AppendSamples(raw, row, row + width, true);
    }
    return raw;
}

// A zlib stream of stored (uncompressed) deflate blocks.
Bytes ZlibStored(const Bytes &raw)
{
    Bytes stream = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0; at += MaxStoredBlock) {
        const size_t length = std::min(MaxStoredBlock, raw.size() - at);
        stream.push_back(at + length == raw.size() ? 1 : 0); // BFINAL on the last, BTYPE 00
        PutLittleEndian16(stream, uint32_t(length));
        PutLittleEndian16(stream, uint32_t(~length & 0xFFFF));
        stream.insert(stream.end(), raw.begin() + at, raw.begin() + at + length);
    }
    PutBigEndian32(stream, Adler32(raw));
    return stream;
}

Bytes EncodePng(const std::vector<uint16_t> &pixels, uint32_t width, uint32_t height)
{
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBigEndian32(header, width);
    PutBigEndian32(header, height);
    header.insert(header.end(), {16, 0, 0, 0, 0}); // bit depth, greyscale, deflate, filter set 0, no interlace
    PutChunk(png, "IHDR", header.begin(), header.end());
    const Bytes stream = ZlibStored(PngScanlines(pixels, width));
    for (size_t at = 0; at < stream.size(); at += MaxChunkData)
        PutChunk(png, "IDAT", stream.begin() + at, stream.begin() + std::min(stream.size(), at + MaxChunkData));
    PutChunk(png, "IEND", png.end(), png.end());
    return png;
}

enum TiffType : uint32_t { Short = 3, Long = 4, Rational = 5 };

void PutTiffEntry(Bytes &tiff, uint32_t tag, TiffType type, uint32_t count, uint32_t valueOrOffset)
{
    PutLittleEndian16(tiff, tag);
    PutLittleEndian16(tiff, type);
    PutLittleEndian32(tiff, count);
    PutLittleEndian32(tiff, valueOrOffset); // a short value in the first two bytes, as little-endian puts it
}

// Header, the strips one after another, the directory, then the values too long for it.
Bytes EncodeTiff(const std::vector<uint16_t> &pixels, uint32_t width, uint32_t height)
{
    const uint32_t rowsPerStrip = std::max<uint32_t>(1, uint32_t(TiffStripBytes / (2 * width)));
    const uint32_t strips = (height + rowsPerStrip - 1) / rowsPerStrip, entries = 12;
    const uint32_t directory = 8 + uint32_t(2 * pixels.size());
    const uint32_t offsets = directory + 2 + 12 * entries + 4, counts = offsets + 4 * strips;
    const uint32_t resolution = counts + 4 * strips;
    Bytes tiff = {'I', 'I', 42, 0};
    PutLittleEndian32(tiff, directory);
    AppendSamples(tiff, pixels.begin(), pixels.end(), false);
    PutLittleEndian16(tiff, entries);
    PutTiffEntry(tiff, 256, Long, 1, width);
    PutTiffEntry(tiff, 257, Long, 1, height);
    PutTiffEntry(tiff, 258, Short, 1, 16);        // bits per sample
    PutTiffEntry(tiff, 259, Short, 1, 1);         // no compression
    PutTiffEntry(tiff, 262, Short, 1, 1);         // black is zero
    PutTiffEntry(tiff, 273, Long, strips, strips == 1 ? 8 : offsets);
    PutTiffEntry(tiff, 277, Short, 1, 1);         // samples per pixel
    PutTiffEntry(tiff, 278, Long, 1, rowsPerStrip);
    PutTiffEntry(tiff, 279, Long, strips, strips == 1 ? uint32_t(2 * pixels.size()) : counts);
    PutTiffEntry(tiff, 282, Rational, 1, resolution);
    PutTiffEntry(tiff, 283, Rational, 1, resolution);
    PutTiffEntry(tiff, 296, Short, 1, 1);         // no absolute resolution unit
    PutLittleEndian32(tiff, 0);                   // no further directory
    for (uint32_t strip = 0; strip < strips; ++strip)
        PutLittleEndian32(tiff, 8 + strip * rowsPerStrip * 2 * width);
    for (uint32_t strip = 0; strip < strips; ++strip)
        PutLittleEndian32(tiff, std::min(rowsPerStrip, height - strip * rowsPerStrip) * 2 * width);
    PutLittleEndian32(tiff, 1);
    PutLittleEndian32(tiff, 1);
    return tiff;
}

} // namespace

std::vector<uint8_t> EncodeFrame(const std::vector<uint16_t> &pixels, uint32_t width, uint32_t height,
                                 FrameFormat format)
{
    switch (format) {
    case FrameFormat::Pgm: return EncodePgm(pixels, width, height);
    case FrameFormat::Png: return EncodePng(pixels, width, height);
    case FrameFormat::Tiff: return EncodeTiff(pixels, width, height);
    }
    return {};
}

bool FormatHolds(FrameFormat format, uint32_t width, uint32_t height)
{
    return format != FrameFormat::Tiff || 2ull * width * height < 0xFFF00000ull; // room for the directory
}

} // namespace ZorvikSim
