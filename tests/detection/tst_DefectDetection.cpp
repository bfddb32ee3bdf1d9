#include "DefectDetection.h"
#include "SimulatedSensor.h"

#include <QtTest>

Q_DECLARE_METATYPE(DetectionInput)

// Whole runs from files: the frames' checks, a stack against single files, progress, cancel.
class tst_DefectDetection : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    SimulatedSensor sensor{32, 24};

    // Numbered files (the number for %1), each holding `bytes` of a new frame.
    QStringList Files(const QString &pattern, int count, bool flat, const std::function<QByteArray(const Frame &)> &bytes)
    {
        QStringList files;
        for (int i = 0; i < count; ++i) {
            files << dir.filePath(pattern.arg(i));
            if (!WriteFile(files.last(), bytes(sensor.Shot(flat))))
                return {};
        }
        return files;
    }

private slots:
    void initTestCase()
    {
        sensor.dark[sensor.Index(3, 30)] += 300;
        sensor.response[sensor.Index(20, 2)] *= 0.5;
    }

    void refusesFramesThatDoNotFit_data()
    {
        QTest::addColumn<DetectionInput>("input");
        QTest::addColumn<QString>("message");
        const auto pgm = [](const Frame &frame) { return Pgm(frame); };
        const QStringList darks = Files("dark%1.pgm", 2, false, pgm);
        DetectionInput sensorSize;
        sensorSize.darkFiles = darks;
        sensorSize.sensorSize = QSize(64, 48);
        QTest::newRow("not the sensor's size") << sensorSize << darks[0] + ": the frame is 32 x 24, expected 64 x 48 as the sensor.";
        SimulatedSensor small(16, 24);
        DetectionInput sizes;
        sizes.darkFiles = darks;
        sizes.flatFiles = QStringList{dir.filePath("small.pgm")};
        WriteFile(sizes.flatFiles[0], Pgm(small.Shot(true)));
        QTest::newRow("flats of another size") << sizes << sizes.flatFiles[0] + ": the frame is 16 x 24, expected 32 x 24 as the frames before it.";
        DetectionInput depth;
        depth.darkFiles = darks;
        depth.darkFiles << dir.filePath("narrow.pgm");
        WriteFile(depth.darkFiles.last(), Pgm(Frame{32, 24, 8, std::vector<quint16>(32 * 24, 9)}, 255));
        QTest::newRow("8 bits among 16") << depth << depth.darkFiles.last() + ": a 8-bit frame in a dark set of 16-bit frames.";
        QTest::newRow("no frames") << DetectionInput() << "No frames given: expected dark frames, flat frames or both.";
        DetectionInput raw;
        raw.flatFiles = Files("flat%1.pgm", 1, true, pgm) + Files("flat%1.raw", 1, true, Raw);
        raw.rawSize = QSize(24, 32);
        QTest::newRow("raw of another size") << raw << raw.flatFiles[1] + ": the frame is 24 x 32, expected 32 x 24 as the frames before it.";
    }

    void refusesFramesThatDoNotFit()
    {
        QFETCH(const DetectionInput, input);
        QFETCH(QString, message);
        DefectDetection detection;
        std::vector<Candidate> candidates;
        QVERIFY(!detection.Run(input, DetectionSettings(), &candidates));
        QCOMPARE(detection.ErrorString(), message);
    }

    // The same frames as one multi-page TIFF per set and as single PGM files.
    void stackMatchesSingleFiles()
    {
        std::vector<Frame> darks, flats;
        for (int i = 0; i < 6; ++i) {
            darks.push_back(sensor.Shot(false));
            flats.push_back(sensor.Shot(true));
        }
        DetectionInput stacks, singles;
        stacks.darkFiles << dir.filePath("darks.tif");
        stacks.flatFiles << dir.filePath("flats.tif");
        QVERIFY(WriteFile(stacks.darkFiles[0], MultiPageTiff(darks)) && WriteFile(stacks.flatFiles[0], MultiPageTiff(flats)));
        for (size_t i = 0; i < darks.size(); ++i) {
            singles.darkFiles << dir.filePath(QStringLiteral("d%1.pgm").arg(i));
            singles.flatFiles << dir.filePath(QStringLiteral("f%1.pgm").arg(i));
            QVERIFY(WriteFile(singles.darkFiles.last(), Pgm(darks[i])) && WriteFile(singles.flatFiles.last(), Pgm(flats[i])));
        }
        std::vector<Candidate> fromStacks, fromSingles;
        QVERIFY(DefectDetection().Run(stacks, DetectionSettings(), &fromStacks));
        QVERIFY(DefectDetection().Run(singles, DetectionSettings(), &fromSingles));
        QCOMPARE(fromStacks.size(), size_t(2));
        QCOMPARE(fromSingles.size(), fromStacks.size());
        for (size_t i = 0; i < fromStacks.size(); ++i) {
            QCOMPARE(fromSingles[i].Coords(), fromStacks[i].Coords());
            QCOMPARE(fromSingles[i].kind, fromStacks[i].kind);
            QCOMPARE(fromSingles[i].strengthDn, fromStacks[i].strengthDn);
        }
    }

    void reportsProgressAndStops_data()
    {
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<QList<int>>("steps");
        QTest::newRow("to the end") << 0 << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("cancelled after the second file") << 2 << QList<int>{1, 2};
    }

    void reportsProgressAndStops()
    {
        QFETCH(int, cancelAt);
        QFETCH(QList<int>, steps);
        DetectionInput input;
        input.darkFiles = Files("p%1.pgm", 2, false, [](const Frame &frame) { return Pgm(frame); });
        input.flatFiles = Files("q%1.pgm", 2, true, [](const Frame &frame) { return Pgm(frame); });
        std::atomic_bool cancel{false};
        QList<int> seen;
        DefectDetection detection;
        detection.SetCancelFlag(&cancel);
        detection.SetProgress([&](int done, int total) {
            seen << done;
            cancel = done == cancelAt;
            QCOMPARE(total, 5);
        });
        std::vector<Candidate> candidates;
        QCOMPARE(detection.Run(input, DetectionSettings(), &candidates), cancelAt == 0);
        QCOMPARE(seen, steps);
        QCOMPARE(detection.ErrorString(), cancelAt ? QStringLiteral("Cancelled.") : QString());
    }
};

QTEST_GUILESS_MAIN(tst_DefectDetection)
#include "tst_DefectDetection.moc"
