#include "FrameStatistics.h"
#include "SimulatedSensor.h"

#include <QtTest>

// Frames taken one at a time against the two-pass mean and variance of the whole stack.
class tst_FrameStatistics : public QObject
{
    Q_OBJECT

private slots:
    void matchesWholeStack_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<bool>("flat");
        QTest::newRow("two darks") << 2 << false;
        QTest::newRow("seventeen flats") << 17 << true;
        QTest::newRow("one flat") << 1 << true;
    }

    void matchesWholeStack()
    {
        QFETCH(int, frames);
        QFETCH(bool, flat);
        SimulatedSensor sensor(12, 9);
        sensor.stuck[sensor.Index(3, 4)] = 65535;
        std::vector<Frame> stack;
        FrameStatistics statistics;
        for (int i = 0; i < frames; ++i) {
            stack.push_back(sensor.Shot(flat));
            statistics.Add(stack.back());
        }
        const SetSummary summary = statistics.Summary();
        QCOMPARE(summary.frameCount, frames);
        for (size_t p = 0; p < stack[0].samples.size(); ++p) {
            double mean = 0, squares = 0;
            for (const Frame &frame : stack)
                mean += frame.samples[p] / double(frames);
            for (const Frame &frame : stack)
                squares += (frame.samples[p] - mean) * (frame.samples[p] - mean);
            QVERIFY(qAbs(summary.mean[p] - mean) <= 1e-6 * mean);
            QVERIFY(qAbs(summary.variance[p] - (frames > 1 ? squares / (frames - 1) : 0.0)) <= 1e-5 * (1 + squares));
            QCOMPARE(bool(summary.constant[p]), squares == 0);
        }
        QVERIFY(summary.constant[sensor.Index(3, 4)]);
        QCOMPARE(summary.firstValue[sensor.Index(3, 4)], quint16(65535));
    }
};

QTEST_GUILESS_MAIN(tst_FrameStatistics)
#include "tst_FrameStatistics.moc"
