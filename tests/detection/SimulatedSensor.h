#ifndef SIMULATEDSENSOR_H
#define SIMULATEDSENSOR_H

#include "Frame.h"
#include "FrameStatistics.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <cmath>
#include <random>

// A small sensor as the tests need it: offset, read noise, dark signal with a spread
// between pixels, flat response with 1% non-uniformity and shot noise, per-colour gains,
// and per-pixel defects set by the test.
struct SimulatedSensor
{
    static constexpr double Offset = 100;
    static constexpr double ReadNoise = 4;
    static constexpr double DarkSpread = 2;
    static constexpr double FlatLevel = 30000;
    static constexpr double PerSignal = 0.5; // variance of shot noise per digital number

    SimulatedSensor(int width, int height, const std::vector<double> &gains = {1})
        : width(width), height(height), dark(size_t(width * height)), response(dark.size()),
          extraNoise(dark.size(), 0.0), stuck(dark.size(), -1)
    {
        std::normal_distribution<double> normal;
        for (int i = 0; i < width * height; ++i) {
            const size_t channel = gains.size() == 4 ? size_t((i / width) % 2 * 2 + i % 2) : 0;
            dark[size_t(i)] = 10 + DarkSpread * normal(random);
            response[size_t(i)] = FlatLevel * gains[channel] * (1 + 0.01 * normal(random));
        }
    }

    // The spread of dark means over `frames` frames between normal pixels.
    static double DarkMeanSpread(int frames) { return std::sqrt(DarkSpread * DarkSpread + ReadNoise * ReadNoise / frames); }

    Frame Shot(bool flat)
    {
        Frame frame;
        frame.width = width;
        frame.height = height;
        frame.samples.resize(dark.size());
        std::normal_distribution<double> normal;
        for (size_t i = 0; i < dark.size(); ++i) {
            const double signal = dark[i] + (flat ? response[i] : 0.0);
            const double noise = std::sqrt(ReadNoise * ReadNoise + extraNoise[i] * extraNoise[i] + PerSignal * signal);
            const double value = stuck[i] >= 0 ? stuck[i] : std::round(Offset + signal + noise * normal(random));
            frame.samples[i] = quint16(qBound(0.0, value, 65535.0));
        }
        return frame;
    }

    SetSummary Summary(bool flat, int frames)
    {
        FrameStatistics statistics;
        for (int i = 0; i < frames; ++i)
            statistics.Add(Shot(flat));
        return statistics.Summary();
    }

    size_t Index(int row, int column) const { return size_t(row * width + column); }

    int width;
    int height;
    std::vector<double> dark;
    std::vector<double> response;
    std::vector<double> extraNoise;
    std::vector<int> stuck;
    std::mt19937 random{1288};
};

inline QByteArray Pgm(const Frame &frame, int maxval = 65535, const QByteArray &comment = QByteArray())
{
    QByteArray bytes = "P5\n" + comment + QByteArray::number(frame.width) + ' ' + QByteArray::number(frame.height)
                     + '\n' + QByteArray::number(maxval) + '\n';
    for (quint16 sample : frame.samples) {
        if (maxval > 255)
            bytes.append(char(sample >> 8));
        bytes.append(char(sample & 0xFF));
    }
    return bytes;
}

inline QByteArray Raw(const Frame &frame)
{
    QByteArray bytes(int(frame.samples.size() * 2), Qt::Uninitialized);
    for (size_t i = 0; i < frame.samples.size(); ++i)
        qToLittleEndian<quint16>(frame.samples[i], bytes.data() + 2 * i);
    return bytes;
}

// A little-endian, uncompressed, 16-bit greyscale TIFF with one page per frame.
inline QByteArray MultiPageTiff(const std::vector<Frame> &frames)
{
    QByteArray bytes("II*\0\0\0\0\0", 8);
    const auto word = [&bytes](int at, quint32 value) { qToLittleEndian<quint32>(value, bytes.data() + at); };
    int link = 4; // where the offset of the next page goes
    for (const Frame &frame : frames) {
        const QByteArray data = Raw(frame);
        const quint32 tags[][2] = {{256, quint32(frame.width)}, {257, quint32(frame.height)}, {258, 16}, {259, 1},
                                   {262, 1}, {273, 0}, {277, 1}, {278, quint32(frame.height)},
                                   {279, quint32(data.size())}};
        const int entries = int(sizeof(tags) / sizeof(tags[0]));
        word(link, quint32(bytes.size()));
        const int directory = bytes.size();
        bytes.append(QByteArray(2 + 12 * entries + 4, '\0'));
        qToLittleEndian<quint16>(quint16(entries), bytes.data() + directory);
        for (int i = 0; i < entries; ++i) {
            const int at = directory + 2 + 12 * i;
            qToLittleEndian<quint16>(quint16(tags[i][0]), bytes.data() + at);
            qToLittleEndian<quint16>(tags[i][0] == 258 || tags[i][0] == 259 || tags[i][0] == 262 || tags[i][0] == 277 ? 3 : 4,
                                     bytes.data() + at + 2);
            qToLittleEndian<quint32>(1, bytes.data() + at + 4);
            word(at + 8, tags[i][0] == 273 ? quint32(bytes.size()) : tags[i][1]);
        }
        link = directory + 2 + 12 * entries;
        bytes.append(data);
    }
    return bytes;
}

inline bool WriteFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

#endif
