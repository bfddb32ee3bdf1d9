#include "DefectDetection.h"
#include "DefectFinder.h"
#include "DetectionSettings.h"

#include <QtTest>

#include <cmath>
#include <random>
#include <tuple>

static bool operator==(const Frame &a, const Frame &b)
{
    return std::tie(a.width, a.height, a.bitDepth, a.samples) == std::tie(b.width, b.height, b.bitDepth, b.samples);
}

Q_DECLARE_METATYPE(SensorLayout)
using Frames = std::vector<Frame>;
using Files = QMap<QString, QByteArray>;
Q_DECLARE_METATYPE(Frames)

namespace {

// A small sensor: offset 100, read noise 4, dark signal with a spread of 2 between pixels, flat
// response with 1% non-uniformity and shot noise, and per-pixel defects set by the test. On a
// Bayer sensor red and blue respond 0.5 and 0.6 times as much as green.
struct SimulatedSensor
{
    SimulatedSensor(int width, int height, SensorLayout layout = SensorLayout::Mono)
        : width(width), dark(size_t(width * height)), response(dark.size()), extraNoise(dark.size()), fixedDark(dark.size(), -1)
    {
        const double gains[] = {0.5, 1, 1, 0.6};
        std::normal_distribution<double> normal;
        for (int i = 0; i < width * height; ++i) {
            dark[size_t(i)] = 10 + 2 * normal(random);
            const double gain = layout == SensorLayout::Bayer ? gains[i / width % 2 * 2 + i % width % 2] : 1;
            response[size_t(i)] = 30000 * gain * (1 + 0.01 * normal(random));
        }
    }

    // A pixel with a fixed dark value (not -1) shows it without noise, plus its response in flats.
    Frame Shot(bool flat)
    {
        Frame frame{width, int(dark.size()) / width, 16, std::vector<quint16>(dark.size())};
        std::normal_distribution<double> normal;
        for (size_t i = 0; i < dark.size(); ++i) {
            const double signal = dark[i] + (flat ? response[i] : 0.0);
            const double noise = std::sqrt(16 + extraNoise[i] * extraNoise[i] + 0.5 * signal);
            const double value = fixedDark[i] >= 0 ? std::round(fixedDark[i] + signal - dark[i])
                                                   : std::round(100 + signal + noise * normal(random));
            frame.samples[i] = quint16(qBound(0.0, value, 65535.0));
        }
        return frame;
    }

    std::vector<Frame> Shots(bool flat, int count)
    {
        std::vector<Frame> frames;
        while (int(frames.size()) < count)
            frames.push_back(Shot(flat));
        return frames;
    }

    size_t Index(int row, int column) const { return size_t(row * width + column); }

    int width;
    std::vector<double> dark, response, extraNoise, fixedDark;
    std::mt19937 random{1288};
};

// A frame with every sample different, so that a byte read out of place shows; 8-bit up to 255.
Frame Ramp(int width, int height, int largest)
{
    Frame frame{width, height, largest > 255 ? 16 : 8, {}};
    for (int i = 0; i < width * height; ++i)
        frame.samples.push_back(quint16(i * 7919 % (largest + 1)));
    return frame;
}

// Frames as files: binary PGM (bytes up to maxval 255), raw little-endian samples, greyscale PNG
// of the frame's depth, and uncompressed 16-bit TIFF with one page per frame.
QByteArray Pgm(const Frame &frame, int maxval = 65535, const QByteArray &comment = QByteArray())
{
    QByteArray bytes = "P5\n" + comment + QByteArray::number(frame.width) + ' ' + QByteArray::number(frame.height)
                     + '\n' + QByteArray::number(maxval) + '\n';
    QDataStream out(&bytes, QIODevice::Append);
    for (quint16 sample : frame.samples)
        maxval > 255 ? out << sample : out << quint8(sample);
    return bytes;
}

QByteArray Raw(const Frame &frame)
{
    QByteArray bytes(int(2 * frame.samples.size()), Qt::Uninitialized);
    qToLittleEndian<quint16>(frame.samples.data(), qsizetype(frame.samples.size()), bytes.data());
    return bytes;
}

QByteArray Png(const Frame &frame)
{
    const bool wide = frame.bitDepth == 16;
    const std::vector<uchar> narrow(frame.samples.begin(), frame.samples.end());
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    QImage(wide ? reinterpret_cast<const uchar *>(frame.samples.data()) : narrow.data(), frame.width, frame.height,
           frame.width * (wide ? 2 : 1), wide ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8).save(&png, "PNG");
    return png.data();
}

// Each page: its samples, then its directory of nine entries, SHORT but the strip's offset and length.
QByteArray Tiff(const std::vector<Frame> &pages)
{
    const quint32 width = quint32(pages[0].width), height = quint32(pages[0].height), data = 2 * width * height;
    QByteArray bytes("II*\0", 4);
    QDataStream out(&bytes, QIODevice::Append);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(8 + data);
    for (quint32 page = 0; page < pages.size(); ++page) {
        out.writeRawData(Raw(pages[page]).constData(), int(data));
        const quint32 tags[][2] = {{256, width}, {257, height}, {258, 16}, {259, 1}, {262, 1},
                                   {273, 8 + page * (data + 114)}, {277, 1}, {278, height}, {279, data}};
        out << quint16(9);
        for (const auto &tag : tags)
            out << quint16(tag[0]) << quint16(tag[0] == 273 || tag[0] == 279 ? 4 : 3) << quint32(1) << tag[1];
        out << quint32(page + 1 < pages.size() ? 8 + (page + 1) * (data + 114) + data : 0);
    }
    return bytes;
}

bool WriteFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

constexpr int SetSize = 16; // frames in a set
const DetectionSettings Defaults;

// A defect of a kind, `times` its threshold. Stuck from 1 x: one value in both sets; below it, a
// noiseless pixel that responds to light, so constant in each set but not at one value.
void Inject(SimulatedSensor &sensor, size_t p, const QString &kind, double times)
{
    if (kind == "hot") // 2.24 is the spread of dark means between normal pixels
        sensor.dark[p] += times * Defaults.hotSpreads * std::sqrt(4 + 16.0 / SetSize);
    if (kind == "flickering") // read noise 4
        sensor.extraNoise[p] = 4 * std::sqrt(std::pow(times * Defaults.flickerFactor, 2) - 1);
    if (kind == "dead")
        sensor.response[p] *= Defaults.deadFraction / times;
    if (kind == "weak" || kind == "bright")
        sensor.response[p] *= 1 + (kind == "weak" ? -times : times) * Defaults.responseDeviation;
    if (kind == "stuck") {
        sensor.fixedDark[p] = 110;
        sensor.response[p] = times < 1 ? sensor.response[p] : 0;
    }
}

SetSummary Summary(const std::vector<Frame> &frames)
{
    FrameStatistics statistics;
    for (const Frame &frame : frames)
        statistics.Add(frame);
    return statistics.Summary();
}

} // namespace

// Defects put on a simulated sensor and found as what they are, whole and nothing else; the set
// summaries taken frame by frame; every frame format read exactly; and runs from files, a bad
// input refused with a message naming the file and the fault, never a crash.
class tst_DefectDetection : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void findsDefects_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("times"); // its threshold
        QTest::addColumn<QRect>("pixels");
        QTest::addColumn<SensorLayout>("layout");
        QTest::addColumn<QString>("found");
        const auto mono = SensorLayout::Mono, bayer = SensorLayout::Bayer;
        for (const QString kind : {"hot", "flickering", "dead", "weak", "bright", "stuck"}) {
            QTest::newRow(qPrintable(kind + " above its threshold")) << kind << 1.5 << QRect(17, 20, 1, 1) << mono << kind;
            QTest::newRow(qPrintable(kind + " below its threshold")) << kind << 0.5 << QRect(17, 20, 1, 1) << mono
                                                                     << (kind == "dead" ? "weak" : "");
        }
        for (const QString kind : {"hot", "weak", "dead"}) {
            QTest::newRow(qPrintable(kind + " in the top left corner")) << kind << 2.0 << QRect(0, 0, 1, 1) << mono << kind;
            QTest::newRow(qPrintable(kind + " in the bottom right corner")) << kind << 2.0 << QRect(47, 39, 1, 1) << mono << kind;
            QTest::newRow(qPrintable(kind + " on the right edge, Bayer")) << kind << 2.0 << QRect(46, 17, 1, 1) << bayer << kind;
            QTest::newRow(qPrintable(kind + " on the top edge, Bayer")) << kind << 2.0 << QRect(25, 1, 1, 1) << bayer << kind;
        }
        QTest::newRow("weak inside, Bayer") << "weak" << 2.0 << QRect(20, 20, 1, 1) << bayer << "weak";
        QTest::newRow("3 x 3 dead") << "dead" << 2.0 << QRect(18, 20, 3, 3) << mono << "dead";
        QTest::newRow("3 x 3 bright") << "bright" << 2.0 << QRect(18, 20, 3, 3) << mono << "bright";
        QTest::newRow("run of eight weak") << "weak" << 2.0 << QRect(18, 20, 8, 1) << mono << "weak";
    }

    void findsDefects()
    {
        QFETCH(QString, kind);
        QFETCH(double, times);
        QFETCH(QRect, pixels);
        QFETCH(SensorLayout, layout);
        QFETCH(QString, found);
        SimulatedSensor sensor(48, 40, layout);
        for (int row = pixels.top(); row <= pixels.bottom(); ++row) {
            for (int column = pixels.left(); column <= pixels.right(); ++column)
                Inject(sensor, sensor.Index(row, column), kind, times);
        }
        const SetSummary darks = Summary(sensor.Shots(false, SetSize)), flats = Summary(sensor.Shots(true, SetSize));
        std::vector<Candidate> candidates;
        QVERIFY(DefectFinder(Defaults, layout).Find(&darks, &flats, &candidates));
        QCOMPARE(candidates.size(), size_t(found.isEmpty() ? 0 : pixels.width() * pixels.height()));
        for (const Candidate &candidate : candidates) {
            QVERIFY(pixels.contains(candidate.column, candidate.row));
            QCOMPARE(DefectKindName(candidate.kind), found);
        }
    }

    // Frames taken one at a time against the two-pass mean and variance of the whole stack.
    void summaryMatchesWholeStack_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<bool>("flat");
        QTest::newRow("two darks") << 2 << false;
        QTest::newRow("seventeen flats") << 17 << true;
        QTest::newRow("one flat") << 1 << true;
    }

    void summaryMatchesWholeStack()
    {
        QFETCH(int, frames);
        QFETCH(bool, flat);
        SimulatedSensor sensor(12, 9);
        sensor.fixedDark[sensor.Index(3, 4)] = 65535;
        const std::vector<Frame> stack = sensor.Shots(flat, frames);
        const SetSummary summary = Summary(stack);
        QCOMPARE(summary.frameCount, frames);
        for (size_t p = 0; p < stack[0].samples.size(); ++p) {
            double mean = 0, squares = 0;
            for (const Frame &frame : stack)
                mean += frame.samples[p] / double(frames);
            for (const Frame &frame : stack)
                squares += (frame.samples[p] - mean) * (frame.samples[p] - mean);
            QVERIFY(qAbs(summary.mean[p] - mean) <= 1e-6 * mean);
            QVERIFY(qAbs(summary.variance[p] - squares / qMax(1, frames - 1)) <= 1e-5 * (1 + squares));
            QCOMPARE(bool(summary.constant[p]), squares == 0);
            QCOMPARE(summary.firstValue[p], stack[0].samples[p]);
        }
    }

    // A file read as its frames, or refused with a message naming it and the fault.
    void readsOrRefuses_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Frames>("frames");
        QTest::addColumn<QString>("message"); // its start
        const Frame wide = Ramp(4, 3, 65535), narrow = Ramp(4, 3, 255), twelve = Ramp(4, 3, 4095), ten = Ramp(4, 3, 1000);
        const QByteArray pgm = Pgm(wide), png = Png(wide);
        QTest::newRow("16-bit PGM") << "a.pgm" << pgm << Frames{wide} << "";
        QTest::newRow("PGM of maxval 4095 with comments") << "b.pgm" << Pgm(twelve, 4095, "# camera 7\n#\n") << Frames{twelve} << "";
        QTest::newRow("8-bit PGM") << "c.pgm" << Pgm(narrow, 255) << Frames{narrow} << "";
        QTest::newRow("raw") << "d.raw" << Raw(wide) << Frames{wide} << "";
        QTest::newRow("16-bit PNG") << "e.png" << png << Frames{wide} << "";
        QTest::newRow("8-bit PNG") << "f.png" << Png(narrow) << Frames{narrow} << "";
        QTest::newRow("multi-page TIFF as a stack") << "g.tif" << Tiff({wide, twelve, ten}) << Frames{wide, twelve, ten} << "";
        QTest::newRow("ASCII PGM") << "h.pgm" << QByteArray("P2\n4 3\n255\n") << Frames() << "h.pgm: not a binary PGM: expected \"P5\" at the start.";
        QTest::newRow("maxval above 65535") << "i.pgm" << QByteArray("P5 4 3 65536\n") << Frames() << "i.pgm: corrupt PGM header: maxval 65536 is not 1 to 65535.";
        QTest::newRow("no blank after maxval") << "j.pgm" << QByteArray("P5 4 3 255") << Frames() << "j.pgm: corrupt PGM header: expected one blank after the maxval.";
        QTest::newRow("sample above maxval") << "k.pgm" << QByteArray("P5 2 1 200\n\x10\xFF", 13) << Frames() << "k.pgm: corrupt PGM: a sample of 255 above the maxval 200.";
        QTest::newRow("truncated PGM") << "l.pgm" << pgm.left(pgm.size() - 1) << Frames()
                                       << "l.pgm: truncated: 4 x 3 samples of 2 bytes need 24 bytes of data, 23 follow the header.";
        QTest::newRow("truncated PNG") << "m.png" << png.left(png.size() / 2) << Frames() << "m.png: page 1 cannot be read";
        QTest::newRow("raw of another length") << "n.raw" << QByteArray(26, '\0') << Frames()
                                               << "n.raw: a raw 4 x 3 frame of 16-bit samples is 24 bytes long, the file holds 26.";
    }

    void readsOrRefuses()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(Frames, frames);
        QFETCH(QString, message);
        QVERIFY(WriteFile(dir.filePath(file), bytes));
        FrameReader reader;
        reader.SetRawSize(QSize(4, 3));
        Frames read;
        const auto sink = [&read](const Frame &frame) { read.push_back(frame); return true; };
        QCOMPARE(reader.ReadFile(dir.filePath(file), sink), message.isEmpty());
        QVERIFY(read == frames);
        QCOMPARE(reader.ErrorString().remove(dir.path() + '/').left(message.size()), message);
    }

    // Dark frames that do not fit together, or a file that cannot be read, stop a run.
    void refusesRun_data()
    {
        QTest::addColumn<Files>("files"); // taken in the order of their names
        QTest::addColumn<QSize>("sensor");
        QTest::addColumn<QString>("message"); // its start, after the folder
        const QByteArray pgm = Pgm(Ramp(4, 3, 65535));
        QTest::newRow("no frames") << Files() << QSize() << "No frames given: expected dark frames, flat frames or both.";
        QTest::newRow("not the sensor's size") << Files{{"a.pgm", pgm}} << QSize(4, 4) << "a.pgm: the frame is 4 x 3, expected 4 x 4 as the sensor.";
        QTest::newRow("frames of two sizes") << Files{{"a.raw", Raw(Ramp(4, 3, 65535))}, {"b.pgm", Pgm(Ramp(3, 4, 65535))}} << QSize()
                                             << "b.pgm: the frame is 3 x 4, expected 4 x 3 as the frames before it.";
        QTest::newRow("8 bits among 16") << Files{{"a.pgm", pgm}, {"b.pgm", Pgm(Ramp(4, 3, 255), 255)}} << QSize()
                                         << "b.pgm: a 8-bit frame in a dark set of 16-bit frames.";
        QTest::newRow("not an image") << Files{{"a.pgm", pgm}, {"b.txt", "hello"}} << QSize() << "b.txt: not a PGM, PNG or TIFF frame";
    }

    void refusesRun()
    {
        QFETCH(Files, files);
        QFETCH(QSize, sensor);
        QFETCH(QString, message);
        QTemporaryDir dir;
        DetectionInput input;
        for (auto file = files.cbegin(); file != files.cend(); ++file) {
            input.darkFiles << dir.filePath(file.key());
            QVERIFY(WriteFile(input.darkFiles.last(), file.value()));
        }
        input.sensorSize = sensor;
        input.rawSize = QSize(4, 3);
        DefectDetection detection;
        std::vector<Candidate> candidates;
        QVERIFY(!detection.Run(input, DetectionSettings(), &candidates));
        QCOMPARE(detection.ErrorString().remove(dir.path() + '/').left(message.size()), message);
    }

    // A run from one set, its frames in one multi-page TIFF: progress after the file and after
    // the analysis; darks alone find hot and flickering pixels, flats alone weak ones.
    void findsFromOneSet_data()
    {
        QTest::addColumn<bool>("flats");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("darks alone") << false << QStringList{"hot at 9, 30", "flickering at 30, 9"};
        QTest::newRow("flats alone") << true << QStringList{"weak at 20, 20"};
    }

    void findsFromOneSet()
    {
        QFETCH(bool, flats);
        QFETCH(QStringList, found);
        SimulatedSensor sensor(40, 40);
        Inject(sensor, sensor.Index(9, 30), "hot", 3);
        Inject(sensor, sensor.Index(30, 9), "flickering", 3);
        Inject(sensor, sensor.Index(20, 20), "weak", 3);
        DetectionInput input;
        (flats ? input.flatFiles : input.darkFiles) << dir.filePath("set.tif");
        QVERIFY(WriteFile(dir.filePath("set.tif"), Tiff(sensor.Shots(flats, SetSize))));
        QList<int> progress;
        DefectDetection detection;
        detection.SetProgress([&progress](int done, int total) { progress << done << total; });
        std::vector<Candidate> candidates;
        QVERIFY2(detection.Run(input, Defaults, &candidates), qPrintable(detection.ErrorString()));
        QCOMPARE(progress, (QList<int>{1, 2, 2, 2}));
        QStringList kinds;
        for (const Candidate &candidate : candidates)
            kinds << QStringLiteral("%1 at %2, %3").arg(DefectKindName(candidate.kind)).arg(candidate.row).arg(candidate.column);
        QCOMPARE(kinds, found);
    }

    // What the settings are said to mean: an even neighbourhood is the odd one the search uses.
    void describedSettings()
    {
        DetectionSettings settings;
        settings.neighbourhood = 6;
        settings.deadFraction = 0.25;
        const QStringList lines = DescribeSettings(settings);
        QCOMPARE(lines.filter("neighbourhood: 7 x 7 pixels").size(), 1);
        QCOMPARE(lines.filter("below 25% of its neighbourhood").size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_DefectDetection)
#include "tst_DefectDetection.moc"
