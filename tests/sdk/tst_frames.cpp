// Frames of simulated cameras as a defect detector meets them: their size, levels, noise and
// formats, every defect of truth.csv visible in them by its strength, the same frames for the
// same serial number, and the errors of WriteFrames.
#include "FactoryDefects.h"
#include "FrameModel.h"

#include <ZorvikSim/Simulator.h>

#include <QImageReader>
#include <QtTest>

#include <algorithm>

using namespace ZorvikSim;

namespace {

using Frame = std::vector<quint16>;

struct Truth
{
    int row, column;
    QString kind;
    double strength;
};

// A camera's frames and truth.csv as written, and its normal pixels' dark level, spread over
// the darks and flat signal above the dark level by position in a 2 x 2 square.
struct Capture
{
    CameraSetup setup;
    std::vector<Frame> darks, flats;
    QByteArray truthCsv;
    QList<Truth> truth;
    QSet<size_t> defective; // by row * width + column
    double darkLevel = 0, spread = 0;
    QList<double> flatSignals;
};

// What a detector measures of a pixel, in truth.csv's units: the excess of its dark mean, the
// jump that gives its spread when it is up in half of the darks, its response to light against
// its channel's, and the value it reads in every frame (else -1).
struct Pixel
{
    double darkExcess, jump, response, value;
};
using Strength = double Pixel::*;
using Range = QPair<double, double>;

CameraSetup Setup(const char *serial, const char *id, const char *sensor)
{
    return {"HN2703-C", serial, id, 160, 120, sensor, true, 65536};
}

int Channel(const CameraSetup &setup, size_t at) // R, G, G, B on a Bayer sensor
{
    return int(at / setup.sensorWidth % 2 * 2 + at % setup.sensorWidth % 2);
}

std::pair<double, double> MeanAndSpread(const std::vector<Frame> &frames, size_t at)
{
    double sum = 0, squares = 0;
    for (const Frame &frame : frames) {
        sum += frame[at];
        squares += double(frame[at]) * frame[at];
    }
    return {sum / frames.size(), std::sqrt(std::max(0.0, squares - sum * sum / frames.size()) / (frames.size() - 1))};
}

Pixel Measure(const Capture &capture, size_t at)
{
    const auto [dark, spread] = MeanAndSpread(capture.darks, at);
    const auto [flat, flatSpread] = MeanAndSpread(capture.flats, at);
    const bool still = spread + flatSpread == 0 && capture.darks[0][at] == capture.flats[0][at];
    return {dark - capture.darkLevel, 2 * std::sqrt(std::max(0.0, spread * spread - capture.spread * capture.spread)),
            (flat - capture.darkLevel) / capture.flatSignals[Channel(capture.setup, at)],
            still ? capture.darks[0][at] : -1.0};
}

} // namespace

Q_DECLARE_METATYPE(Strength)
Q_DECLARE_METATYPE(FrameFormat)
Q_DECLARE_METATYPE(FrameRequest)

class tst_Frames : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    QMap<QString, Capture> captures;

    // The frames written as PGM and read back with the truth and the typical pixel; false when
    // any is missing.
    static bool Write(const CameraSetup &setup, const FrameRequest &request, Capture &capture)
    {
        std::string error;
        const QString out = QString::fromStdString(request.folder);
        const QByteArray header = QString("P5\n%1 %2\n65535\n").arg(setup.sensorWidth).arg(setup.sensorHeight).toUtf8();
        auto read = [&](const char *kind, int count, std::vector<Frame> &frames) { // false unless of its size
            for (int i = 0; i < count; ++i) {
                QFile file(QString("%1/%2-%3.pgm").arg(out, kind).arg(i, 3, 10, QChar('0')));
                Frame &frame = frames.emplace_back(size_t(setup.sensorWidth * setup.sensorHeight));
                if (!file.open(QIODevice::ReadOnly) || file.read(header.size()) != header
                    || file.bytesAvailable() != 2 * qint64(frame.size()))
                    return false;
                qFromBigEndian<quint16>(file.readAll().constData(), qsizetype(frame.size()), frame.data());
            }
            return true;
        };
        QFile truth(out + "/truth.csv");
        if (!WriteFrames(setup.id, request, error) || !read("dark", request.darkFrames, capture.darks)
            || !read("flat", request.flatFrames, capture.flats) || !truth.open(QIODevice::ReadOnly))
            return false;
        capture.setup = setup;
        capture.truthCsv = truth.readAll();
        const QList<QByteArray> lines = capture.truthCsv.split('\n');
        for (const QByteArray &line : lines.mid(lines.value(0) == "Row,Column,Kind,Strength" ? 1 : lines.size())) {
            const QList<QByteArray> fields = line.split(',');
            if (fields.size() == 4)
                capture.truth.append({fields[0].toInt(), fields[1].toInt(), fields[2], fields[3].toDouble()});
        }
        for (const Truth &defect : capture.truth)
            capture.defective.insert(size_t(defect.row * setup.sensorWidth + defect.column));
        double darks = 0, variances = 0, normal = 0, flats[4] = {}, counts[4] = {};
        for (size_t at = 0; at < capture.darks[0].size(); ++at) {
            if (capture.defective.contains(at))
                continue;
            const auto [dark, spread] = MeanAndSpread(capture.darks, at);
            darks += dark;
            variances += spread * spread;
            flats[Channel(setup, at)] += MeanAndSpread(capture.flats, at).first;
            ++counts[Channel(setup, at)];
            ++normal;
        }
        capture.darkLevel = darks / normal;
        capture.spread = std::sqrt(variances / normal);
        for (int channel = 0; channel < 4; ++channel)
            capture.flatSignals << flats[channel] / counts[channel] - capture.darkLevel;
        return !capture.truth.isEmpty();
    }

private slots:
    // A mono and a Bayer camera in memory, their frames written as PGM once (enough darks that
    // every flickering pixel shows both levels); folders that cannot be written for the errors.
    void initTestCase()
    {
        UseMemory();
        for (const CameraSetup &setup : {Setup("40211077", "M1", "Mono"), Setup("40311078", "C1", "Bayer")}) {
            const std::string out = folder.filePath(setup.id.c_str()).toStdString();
            QVERIFY(Attach(setup) && Write(setup, {32, 8, out}, captures[setup.id.c_str()]));
        }
        const CameraSetup wide{"HN2702-M", "40211080", "W1", 1024, 640, "Mono", true, 65536}; // frames over 1 MiB
        QVERIFY(Attach(wide) && Write(wide, {1, 1, folder.filePath("W1").toStdString()}, captures["W1"]));
        QFile file(folder.filePath("a-file"));
        QVERIFY(file.open(QIODevice::WriteOnly) && QDir(folder.path()).mkpath("blocked/dark-000.pgm"));
    }

    void levels_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QList<double>>("flatSignals");
        QTest::newRow("mono") << "M1" << QList<double>{30000, 30000, 30000, 30000};
        QTest::newRow("Bayer RGGB") << "C1" << QList<double>{18000, 30000, 30000, 24000};
    }

    // Darks at the offset of 100 and the dark current of 4; flats at the flat level times the
    // colour filter's gain. No pixel outside the truth shows any of its kinds as strongly as its
    // weakest defects: 2 spreads of dark excess, a jump of 3, a response 5 % off, one value.
    void levels()
    {
        QFETCH(QString, id);
        QFETCH(QList<double>, flatSignals);
        const Capture &capture = captures[id];
        QVERIFY2(qAbs(capture.darkLevel - 104) < 0.1, qPrintable(QString::number(capture.darkLevel)));
        for (int channel = 0; channel < 4; ++channel)
            QVERIFY2(qAbs(capture.flatSignals[channel] - flatSignals[channel]) < 0.002 * flatSignals[channel],
                     qPrintable(QString::number(capture.flatSignals[channel])));
        for (size_t at = 0; at < capture.darks[0].size(); ++at) {
            const Pixel pixel = Measure(capture, at);
            const bool normal = qAbs(pixel.darkExcess) < 5 && pixel.jump < 8 && qAbs(pixel.response - 1) < 0.05;
            QVERIFY2(capture.defective.contains(at) || (normal && pixel.value < 0), qPrintable(QString::number(at)));
        }
    }

    void defects_data() // named by the kind: what shows its strength, the strengths it has, how close
    {
        QTest::addColumn<Strength>("strength");
        QTest::addColumn<Range>("strengths");
        QTest::addColumn<double>("tolerance");
        const double unit = FrameModel::DarkSpread();
        QTest::newRow("hot") << &Pixel::darkExcess << Range(2 * unit, 50 * unit) << 5.0;
        QTest::newRow("flickering") << &Pixel::jump << Range(3 * unit, 50 * unit) << 6.0;
        QTest::newRow("dead") << &Pixel::response << Range(0, 0.1) << 0.03;
        QTest::newRow("weak") << &Pixel::response << Range(0.4, 0.95) << 0.03;
        QTest::newRow("bright") << &Pixel::response << Range(1.05, 1.6) << 0.03;
        QTest::newRow("stuck") << &Pixel::value << Range(0, 65535) << 0.0;
    }

    // Each defect of the truth, weak ones too, shows in the frames as its kind says, by its strength.
    void defects()
    {
        QFETCH(Strength, strength);
        QFETCH(Range, strengths);
        QFETCH(double, tolerance);
        const Capture &capture = captures["C1"];
        int found = 0;
        for (const Truth &defect : capture.truth) {
            if (defect.kind != QTest::currentDataTag())
                continue;
            ++found;
            const double shown = Measure(capture, defect.row * capture.setup.sensorWidth + defect.column).*strength;
            QVERIFY2(defect.strength >= strengths.first && defect.strength <= strengths.second
                         && qAbs(shown - defect.strength) <= tolerance,
                     qPrintable(QString("%1, %2 of strength %3 shows %4").arg(defect.row).arg(defect.column)
                                    .arg(defect.strength).arg(shown)));
        }
        QVERIFY(found >= 6);
    }

    // The factory list's pixels are in the truth; the others too are on the sensor, sorted, one
    // defect a pixel, some in clusters (vertical neighbours of the same kind and strength).
    void truth()
    {
        const Capture &capture = captures["C1"];
        QHash<QPair<int, int>, QString> defects; // kind and strength by position
        for (const Truth &defect : capture.truth) {
            QVERIFY(defect.row < capture.setup.sensorHeight && defect.column < capture.setup.sensorWidth);
            defects[{defect.row, defect.column}] = defect.kind + QString::number(defect.strength);
        }
        QVERIFY(std::adjacent_find(capture.truth.begin(), capture.truth.end(), [](const Truth &a, const Truth &b) {
                    return qMakePair(a.row, a.column) >= qMakePair(b.row, b.column);
                }) == capture.truth.end());
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
        auto image = [](const Frame &frame) { // of the wide camera
            return QImage(reinterpret_cast<const uchar *>(frame.data()), 1024, 640, 2048, QImage::Format_Grayscale16);
        };
        std::string error;
        QVERIFY(WriteFrames("W1", {1, 1, out.toStdString(), format}, error));
        QCOMPARE(QImage(out + "/dark-000." + name), image(captures["W1"].darks[0]));
        QCOMPARE(QImage(out + "/flat-000." + name), image(captures["W1"].flats[0]));
    }

    void seeded_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<double>("readNoise");
        QTest::addColumn<bool>("sameFrames");
        QTest::addColumn<bool>("sameTruth");
        QTest::newRow("same serial, another ID") << "40311078" << 2.5 << true << true;
        QTest::newRow("less read noise, the same defects") << "40311078" << 1.0 << false << true;
        QTest::newRow("another serial") << "40311079" << 2.5 << false << false;
    }

    // The frames as C1's or not; their spread over the darks the read noise beside the shot noise
    // of the dark current (a variance of 0.5 DN per electron times 4 DN).
    void seeded()
    {
        QFETCH(QString, serial);
        QFETCH(double, readNoise);
        QFETCH(bool, sameFrames);
        QFETCH(bool, sameTruth);
        const QString id = "C-" + serial + "-" + QString::number(readNoise);
        const CameraSetup setup = Setup(qPrintable(serial), qPrintable(id), "Bayer");
        Capture capture;
        const FrameRequest request{4, 2, folder.filePath(id).toStdString(), FrameFormat::Pgm, readNoise};
        QVERIFY(Attach(setup) && Write(setup, request, capture));
        QVERIFY2(qAbs(capture.spread - std::sqrt(readNoise * readNoise + 2)) < 0.05,
                 qPrintable(QString::number(capture.spread)));
        const Capture &c1 = captures["C1"];
        QCOMPARE(capture.darks[1] == c1.darks[1] && capture.flats[1] == c1.flats[1], sameFrames);
        QCOMPARE(capture.truthCsv == c1.truthCsv, sameTruth);
    }

    void badRequests_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<FrameRequest>("request"); // in the test's folder
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown camera") << "nobody" << FrameRequest{1, 1, "x"} << "no camera with ID 'nobody'";
        QTest::newRow("no frames") << "M1" << FrameRequest{0, 0, "x"} << "no frames asked for";
        QTest::newRow("negative") << "M1" << FrameRequest{-1, 2, "x"} << "the number of frames cannot be negative";
        QTest::newRow("folder is a file") << "M1" << FrameRequest{1, 0, "a-file/out"} << "cannot create folder '";
        QTest::newRow("frame file is a folder") << "M1" << FrameRequest{1, 0, "blocked"} << "blocked/dark-000.pgm': ";
    }

    void badRequests()
    {
        QFETCH(QString, id);
        QFETCH(FrameRequest, request);
        QFETCH(QString, message);
        std::string error;
        request.folder = folder.filePath(request.folder.c_str()).toStdString();
        QVERIFY(!WriteFrames(id.toStdString(), request, error));
        QVERIFY2(QString(error.c_str()).contains(message), error.c_str());
    }
};

QTEST_GUILESS_MAIN(tst_Frames)
#include "tst_frames.moc"
