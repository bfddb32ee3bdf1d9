// Frames of simulated cameras as a defect detector meets them: their size, levels and formats,
// every defect of truth.csv visible in them, the same frames for the same serial number, and
// the errors of WriteFrames and of `zorvik-sim frames`.
#include "FactoryDefects.h"
#include "FrameModel.h"

#include <ZorvikSim/Simulator.h>

#include <QImageReader>
#include <QtTest>

#include <algorithm>
#include <functional>

using namespace ZorvikSim;

namespace {

constexpr int Darks = 32, Flats = 8; // enough darks that every flickering pixel shows both levels

using Frame = std::vector<quint16>;

struct Truth
{
    int row, column;
    QString kind;
    double strength;
};

// What a detector measures of one pixel. Excess and response are against the median pixel
// (of its Bayer channel), the spread is over the darks.
struct Pixel
{
    double darkExcess, darkSpread, spreadRatio, response;
    bool constant;
    quint16 value;
};
using Check = std::function<bool(const Pixel &, double strength)>;

// A camera's frames, truth and typical pixel (dark median, flat median by channel gain, spread over the darks).
struct Capture
{
    CameraSetup setup;
    std::vector<Frame> darks, flats;
    QByteArray truthCsv;
    QList<Truth> truth;
    double darkMedian = 0, typicalSpread = 0;
    QMap<double, double> flatMedians;
};

CameraSetup Setup(const char *serial, const char *id, const char *sensor)
{
    return {"HN2703-C", serial, id, 160, 120, sensor, true, 65536};
}

Frame ReadPgm(const QString &path, const CameraSetup &setup) // empty unless of the camera's size
{
    QFile file(path);
    const QByteArray header = QString("P5\n%1 %2\n65535\n").arg(setup.sensorWidth).arg(setup.sensorHeight).toLatin1();
    if (!file.open(QIODevice::ReadOnly) || file.read(header.size()) != header)
        return {};
    const QByteArray data = file.readAll();
    Frame frame;
    for (int i = 0; i + 1 < data.size(); i += 2)
        frame.push_back(quint16(uchar(data[i]) << 8 | uchar(data[i + 1])));
    return frame;
}

QList<Truth> ReadTruth(const QByteArray &csv)
{
    QList<QByteArray> lines = csv.split('\n');
    QList<Truth> truth;
    for (const QByteArray &line : lines.mid(lines.value(0) == "Row,Column,Kind,Strength" ? 1 : lines.size())) {
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() == 4)
            truth.append({fields[0].toInt(), fields[1].toInt(), fields[2], fields[3].toDouble()});
    }
    return truth;
}

double Median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double Mean(const std::vector<Frame> &frames, size_t at)
{
    double sum = 0;
    for (const Frame &frame : frames)
        sum += frame[at];
    return sum / frames.size();
}

double Spread(const std::vector<Frame> &frames, size_t at)
{
    const double mean = Mean(frames, at);
    double sum = 0;
    for (const Frame &frame : frames)
        sum += (frame[at] - mean) * (frame[at] - mean);
    return std::sqrt(sum / (frames.size() - 1));
}

// Median of each Bayer channel (one on a mono sensor), by its gain.
QMap<double, double> ChannelMedians(const CameraSetup &setup, const std::function<double(size_t)> &value)
{
    QMap<double, std::vector<double>> channels;
    for (size_t at = 0; at < size_t(setup.sensorWidth * setup.sensorHeight); ++at)
        channels[FrameModel::ChannelGain(setup, at / setup.sensorWidth, at % setup.sensorWidth)].push_back(value(at));
    QMap<double, double> medians;
    for (auto channel = channels.begin(); channel != channels.end(); ++channel)
        medians[channel.key()] = Median(channel.value());
    return medians;
}

} // namespace

Q_DECLARE_METATYPE(Check)
Q_DECLARE_METATYPE(FrameFormat)

class tst_Frames : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    QMap<QString, Capture> captures;
    QString output;

    // The frames written as PGM and read back with the truth; false when any is missing.
    static bool Write(const CameraSetup &setup, const FrameRequest &request, Capture &capture)
    {
        std::string error;
        if (!WriteFrames(setup.id, request, error))
            return false;
        capture.setup = setup;
        const QString name = QString(request.folder.c_str()) + "/%1-%2.pgm";
        for (int i = 0; i < request.darkFrames; ++i)
            capture.darks.push_back(ReadPgm(name.arg("dark").arg(i, 3, 10, QChar('0')), setup));
        for (int i = 0; i < request.flatFrames; ++i)
            capture.flats.push_back(ReadPgm(name.arg("flat").arg(i, 3, 10, QChar('0')), setup));
        QFile truth(QString(request.folder.c_str()) + "/truth.csv");
        capture.truthCsv = truth.open(QIODevice::ReadOnly) ? truth.readAll() : QByteArray();
        capture.truth = ReadTruth(capture.truthCsv);
        auto missing = [](const Frame &frame) { return frame.empty(); };
        if (capture.truth.isEmpty() || std::any_of(capture.darks.begin(), capture.darks.end(), missing)
            || std::any_of(capture.flats.begin(), capture.flats.end(), missing))
            return false;
        capture.darkMedian = Median(std::vector<double>(capture.darks[0].begin(), capture.darks[0].end()));
        capture.flatMedians = ChannelMedians(setup, [&](size_t i) { return Mean(capture.flats, i); });
        std::vector<double> spreads;
        for (size_t i = 0; request.darkFrames > 1 && i < capture.darks[0].size(); i += 7) // a sample is enough
            spreads.push_back(Spread(capture.darks, i));
        capture.typicalSpread = Median(spreads);
        return true;
    }

    static Pixel Measure(const Capture &capture, const Truth &defect)
    {
        const size_t at = size_t(defect.row * capture.setup.sensorWidth + defect.column);
        const double gain = FrameModel::ChannelGain(capture.setup, defect.row, defect.column);
        const double flatMedian = capture.flatMedians[gain];
        auto same = [&](const Frame &frame) { return frame[at] == capture.darks[0][at]; };
        const double spread = Spread(capture.darks, at);
        return {Mean(capture.darks, at) - capture.darkMedian, spread, spread / capture.typicalSpread,
                (Mean(capture.flats, at) - capture.darkMedian) / (flatMedian - capture.darkMedian),
                std::all_of(capture.darks.begin(), capture.darks.end(), same)
                    && std::all_of(capture.flats.begin(), capture.flats.end(), same),
                capture.darks[0][at]};
    }

    int RunTool(const QStringList &arguments)
    {
        QProcess tool;
        tool.setProcessChannelMode(QProcess::MergedChannels);
        tool.start(ZORVIK_SIM_TOOL, arguments);
        const bool finished = tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit;
        output = QString::fromUtf8(tool.readAll());
        return finished ? tool.exitCode() : -1;
    }

private slots:
    // A mono and a Bayer camera in memory, their frames written as PGM once; folders that
    // cannot be written for the error cases.
    void initTestCase()
    {
        UseMemory();
        qputenv("ZORVIK_SIM_HOME", folder.filePath("home").toUtf8());
        for (const CameraSetup &setup : {Setup("40211077", "M1", "Mono"), Setup("40311078", "C1", "Bayer")}) {
            const std::string out = folder.filePath(setup.id.c_str()).toStdString();
            QVERIFY(Attach(setup) && Write(setup, {Darks, Flats, out}, captures[setup.id.c_str()]));
        }
        const CameraSetup wide{"HN2702-M", "40211080", "W1", 1024, 640, "Mono", true, 65536}; // frames over 1 MiB
        QVERIFY(Attach(wide) && Write(wide, {1, 1, folder.filePath("W1").toStdString()}, captures["W1"]));
        QFile file(folder.filePath("a-file"));
        QVERIFY(file.open(QIODevice::WriteOnly) && QDir(folder.path()).mkpath("blocked/dark-000.pgm"));
    }

    void levels_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("channels");
        QTest::newRow("mono") << "M1" << 1;
        QTest::newRow("Bayer RGGB") << "C1" << 3;
    }

    // Darks at the offset and the mean dark current; flats at the flat level times each channel's gain.
    void levels()
    {
        QFETCH(QString, id);
        QFETCH(int, channels);
        const Capture &capture = captures[id];
        QCOMPARE(capture.flats[7].size(), size_t(capture.setup.sensorWidth * capture.setup.sensorHeight));
        const double darkLevel = FrameModel::Offset + FrameModel::DarkCurrent;
        const auto darkMedians = ChannelMedians(capture.setup, [&](size_t i) { return capture.darks[5][i]; });
        QVERIFY(qAbs(darkMedians.first() - darkLevel) < 1.5);
        const auto flatMedians = ChannelMedians(capture.setup, [&](size_t i) { return capture.flats[3][i]; });
        QCOMPARE(flatMedians.size(), channels);
        for (auto channel = flatMedians.begin(); channel != flatMedians.end(); ++channel) {
            const double expected = darkLevel + FrameModel::FlatLevel * channel.key();
            QVERIFY2(qAbs(channel.value() - expected) < 0.01 * expected, qPrintable(QString::number(channel.value())));
        }
    }

    void defects_data() // named by the kind
    {
        QTest::addColumn<Check>("standsOut");
        QTest::newRow("hot") << Check([](const Pixel &p, double s) { return p.darkExcess > s / 2; });
        QTest::newRow("flickering")
            << Check([](const Pixel &p, double s) { return p.darkSpread > 0.3 * s && p.spreadRatio > 1.2; });
        QTest::newRow("dead") << Check([](const Pixel &p, double s) { return qAbs(p.response - s) < 0.05; });
        QTest::newRow("weak")
            << Check([](const Pixel &p, double s) { return p.response < 1 && qAbs(p.response - s) < 0.05; });
        QTest::newRow("bright")
            << Check([](const Pixel &p, double s) { return p.response > 1 && qAbs(p.response - s) < 0.05; });
        QTest::newRow("stuck") << Check([](const Pixel &p, double s) { return p.constant && p.value == s; });
    }

    // Each defect of the truth, weak ones too, shows in the frames as its kind says, by its strength.
    void defects()
    {
        QFETCH(Check, standsOut);
        const QString kind = QTest::currentDataTag();
        const Capture &capture = captures["C1"];
        int found = 0;
        for (const Truth &defect : capture.truth) {
            if (defect.kind != kind)
                continue;
            ++found;
            const Pixel pixel = Measure(capture, defect);
            QVERIFY2(standsOut(pixel, defect.strength),
                     qPrintable(QString("%1, %2 of strength %3: excess %4, spread %5, response %6")
                                    .arg(defect.row).arg(defect.column).arg(defect.strength).arg(pixel.darkExcess)
                                    .arg(pixel.darkSpread).arg(pixel.response)));
        }
        QVERIFY(found >= 6);
    }

    // The factory list's pixels are in the truth; the others too are on the sensor, one defect a
    // pixel, some in clusters (vertical neighbours of the same kind and strength).
    void truth()
    {
        const Capture &capture = captures["C1"];
        QHash<QPair<int, int>, QString> defects; // kind and strength by position
        for (const Truth &defect : capture.truth) {
            QVERIFY(defect.row < capture.setup.sensorHeight && defect.column < capture.setup.sensorWidth);
            defects[{defect.row, defect.column}] = defect.kind + QString::number(defect.strength);
        }
        QCOMPARE(defects.size(), capture.truth.size());
        QVERIFY(std::any_of(capture.truth.begin(), capture.truth.end(), [&](const Truth &defect) {
            return defects.value({defect.row + 1, defect.column}) == defects[{defect.row, defect.column}];
        }));
        for (const auto &rowColumn : FactoryDefectList(capture.setup))
            QVERIFY(defects.contains({rowColumn.first, rowColumn.second}));
    }

    void formats_data()
    {
        QTest::addColumn<FrameFormat>("format");
        QTest::newRow("PNG") << FrameFormat::Png;
        QTest::newRow("TIFF") << FrameFormat::Tiff;
    }

    // Read by Qt as 16-bit greyscale, the same pixels as the PGM frames of the same camera; large
    // enough for several deflate blocks, IDAT chunks and TIFF strips.
    void formats()
    {
        QFETCH(FrameFormat, format);
        const QString name = FrameFormatName(format).c_str(), out = folder.filePath(name);
        if (!QImageReader::supportedImageFormats().contains(name.toLatin1()))
            QSKIP(qPrintable("Qt reads no " + name + " here: install qt5-image-formats-plugins"));
        const Capture &capture = captures["W1"];
        const int width = int(capture.setup.sensorWidth), height = int(capture.setup.sensorHeight);
        auto image = [&](const Frame &frame) {
            return QImage(reinterpret_cast<const uchar *>(frame.data()), width, height, 2 * width,
                          QImage::Format_Grayscale16);
        };
        std::string error;
        QVERIFY(WriteFrames("W1", {1, 1, out.toStdString(), format}, error));
        QCOMPARE(QImage(out + "/dark-000." + name), image(capture.darks[0]));
        QCOMPARE(QImage(out + "/flat-000." + name), image(capture.flats[0]));
    }

    void seeded_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<bool>("same");
        QTest::newRow("same serial, another ID") << "40311078" << true;
        QTest::newRow("another serial") << "40311079" << false;
    }

    void seeded()
    {
        QFETCH(QString, serial);
        QFETCH(bool, same);
        const CameraSetup setup = Setup(qPrintable(serial), qPrintable("C-" + serial), "Bayer");
        Capture capture;
        QVERIFY(Attach(setup) && Write(setup, {2, 2, folder.filePath(setup.id.c_str()).toStdString()}, capture));
        QCOMPARE(capture.darks[1] == captures["C1"].darks[1], same);
        QCOMPARE(capture.flats[1] == captures["C1"].flats[1], same);
        QCOMPARE(capture.truthCsv == captures["C1"].truthCsv, same);
    }

    void badRequests_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("darks");
        QTest::addColumn<int>("flats");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown camera") << "nobody" << 1 << 1 << "x" << "no camera with ID 'nobody'";
        QTest::newRow("no frames") << "M1" << 0 << 0 << "x" << "no frames asked for";
        QTest::newRow("negative") << "M1" << -1 << 2 << "x" << "the number of frames cannot be negative";
        QTest::newRow("folder is a file") << "M1" << 1 << 0 << "a-file/out" << "cannot create folder '";
        QTest::newRow("frame file is a folder") << "M1" << 1 << 0 << "blocked" << "blocked/dark-000.pgm': ";
    }

    void badRequests()
    {
        QFETCH(QString, id);
        QFETCH(int, darks);
        QFETCH(int, flats);
        QFETCH(QString, out);
        QFETCH(QString, message);
        std::string error;
        QVERIFY(!WriteFrames(id.toStdString(), {darks, flats, folder.filePath(out).toStdString()}, error));
        QVERIFY2(QString(error.c_str()).contains(message), error.c_str());
    }

    void tool_data()
    {
        using Args = QStringList;
        QTest::addColumn<Args>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString out = folder.filePath("tool"), id = "51100003";
        QTest::newRow("written") << Args{id, "--flat", "1", "-o", out} << 0
                                 << "Wrote 0 dark and 1 flat frames of 51100003 and truth.csv to " + out + "\n";
        QTest::newRow("no -o") << Args{id, "--dark", "1"} << 2 << ": frames needs -o and an output folder\n";
        QTest::newRow("not a number") << Args{id, "--dark", "x", "-o", out} << 2 << ": invalid value for --dark: 'x'";
        QTest::newRow("both zero") << Args{id, "--dark", "0", "-o", out} << 2 << ": frames needs --dark or --flat";
        QTest::newRow("unknown format") << Args{id, "--format", "bmp", "-o", out} << 2 << ": unknown format 'bmp'";
        QTest::newRow("read noise out of range") << Args{id, "--dark", "1", "--read-noise", "-1", "-o", out} << 2 << ": invalid value for --read-noise: '-1'";
        QTest::newRow("unknown camera") << Args{"nobody", "--dark", "1", "-o", out} << 1 << ": no camera with ID 'nob";
    }

    void tool()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QCOMPARE(RunTool(QStringList{"frames"} + arguments), exitCode);
        QVERIFY2(output.contains(message), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(tst_Frames)
#include "tst_frames.moc"
