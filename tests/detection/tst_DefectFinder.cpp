#include "DefectFinder.h"
#include "SimulatedSensor.h"

#include <QtTest>

namespace {

constexpr int Frames = 16;
const DetectionSettings Defaults;

struct Found
{
    std::vector<Candidate> candidates;
    QString KindAt(int row, int column) const
    {
        for (const Candidate &candidate : candidates) {
            if (candidate.row == row && candidate.column == column)
                return DefectKindName(candidate.kind);
        }
        return QString();
    }
};

Found Find(SimulatedSensor &sensor, SensorLayout layout = SensorLayout::Mono, bool darks = true, bool flats = true)
{
    const SetSummary dark = sensor.Summary(false, Frames);
    const SetSummary flat = sensor.Summary(true, Frames);
    Found found;
    DefectFinder(Defaults, layout).Find(darks ? &dark : nullptr, flats ? &flat : nullptr, &found.candidates);
    return found;
}

// A defect of a kind, `times` its threshold.
void Inject(SimulatedSensor &sensor, size_t p, const QString &kind, double times)
{
    if (kind == "hot")
        sensor.dark[p] += times * Defaults.hotSpreads * SimulatedSensor::DarkMeanSpread(Frames);
    if (kind == "flickering")
        sensor.extraNoise[p] = std::sqrt(std::pow(times * Defaults.flickerFactor * SimulatedSensor::ReadNoise, 2) - 16);
    if (kind == "dead")
        sensor.response[p] *= Defaults.deadFraction / times;
    if (kind == "weak")
        sensor.response[p] *= 1 - times * Defaults.responseDeviation;
    if (kind == "bright")
        sensor.response[p] *= 1 + times * Defaults.responseDeviation;
}

} // namespace

class tst_DefectFinder : public QObject
{
    Q_OBJECT

private slots:
    void findsAboveThreshold_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("times");
        QTest::addColumn<QString>("found");
        for (const char *kind : {"hot", "flickering", "weak", "bright"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1 at 1.5 x its threshold").arg(kind))) << kind << 1.5 << kind;
            QTest::newRow(qPrintable(QStringLiteral("%1 at 0.5 x its threshold").arg(kind))) << kind << 0.5 << "";
        }
        QTest::newRow("dead at 1.5 x its threshold") << "dead" << 1.5 << "dead";
        QTest::newRow("dead at 0.5 x its threshold is weak") << "dead" << 0.5 << "weak";
    }

    void findsAboveThreshold()
    {
        QFETCH(QString, kind);
        QFETCH(double, times);
        QFETCH(QString, found);
        SimulatedSensor sensor(48, 40);
        Inject(sensor, sensor.Index(20, 17), kind, times);
        const Found result = Find(sensor);
        QCOMPARE(result.KindAt(20, 17), found);
        QCOMPARE(result.candidates.size(), size_t(found.isEmpty() ? 0 : 1));
    }

    void needsTheSetOfItsKind_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("darks");
        QTest::addColumn<bool>("flats");
        QTest::addColumn<QString>("found");
        QTest::newRow("hot from darks alone") << "hot" << true << false << "hot";
        QTest::newRow("hot not from flats alone") << "hot" << false << true << "";
        QTest::newRow("flickering from darks alone") << "flickering" << true << false << "flickering";
        QTest::newRow("weak from flats alone") << "weak" << false << true << "weak";
        QTest::newRow("dead not from darks alone") << "dead" << true << false << "";
    }

    void needsTheSetOfItsKind()
    {
        QFETCH(QString, kind);
        QFETCH(bool, darks);
        QFETCH(bool, flats);
        QFETCH(QString, found);
        SimulatedSensor sensor(40, 40);
        Inject(sensor, sensor.Index(9, 30), kind, 3);
        QCOMPARE(Find(sensor, SensorLayout::Mono, darks, flats).KindAt(9, 30), found);
    }

    void findsStuck_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("inFlats");
        QTest::addColumn<QString>("found");
        QTest::newRow("at the dark level in both sets") << 110 << true << "stuck";
        QTest::newRow("at full scale in both sets") << 65535 << true << "stuck";
        QTest::newRow("constant in the darks only") << 110 << false << "";
    }

    void findsStuck()
    {
        QFETCH(int, value);
        QFETCH(bool, inFlats);
        QFETCH(QString, found);
        SimulatedSensor sensor(40, 40);
        sensor.stuck[sensor.Index(5, 6)] = value;
        const SetSummary dark = sensor.Summary(false, Frames);
        sensor.stuck[sensor.Index(5, 6)] = inFlats ? value : -1;
        const SetSummary flat = sensor.Summary(true, Frames);
        Found result;
        QVERIFY(DefectFinder(Defaults, SensorLayout::Mono).Find(&dark, &flat, &result.candidates));
        QCOMPARE(result.KindAt(5, 6), found);
    }

    // Red and blue respond half as much as green: normal for their colour, weak beside green.
    void comparesBayerPerColour()
    {
        SimulatedSensor sensor(48, 48, {0.5, 1, 1, 0.6});
        Inject(sensor, sensor.Index(20, 20), "weak", 2);
        QVERIFY(Find(sensor, SensorLayout::Mono).candidates.size() > 100);
        const Found result = Find(sensor, SensorLayout::Bayer);
        QCOMPARE(result.KindAt(20, 20), QStringLiteral("weak"));
        QCOMPARE(result.candidates.size(), size_t(1));
    }

    void findsClusterWhole_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::newRow("3 x 3 dead") << "dead" << 3 << 3;
        QTest::newRow("3 x 3 bright") << "bright" << 3 << 3;
        QTest::newRow("run of eight weak") << "weak" << 1 << 8;
        QTest::newRow("2 x 4 hot") << "hot" << 2 << 4;
    }

    void findsClusterWhole()
    {
        QFETCH(QString, kind);
        QFETCH(int, rows);
        QFETCH(int, columns);
        SimulatedSensor sensor(48, 48);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c)
                Inject(sensor, sensor.Index(20 + r, 18 + c), kind, 2);
        }
        const Found result = Find(sensor);
        QCOMPARE(result.candidates.size(), size_t(rows * columns));
        for (const Candidate &candidate : result.candidates)
            QCOMPARE(DefectKindName(candidate.kind), kind);
    }

    void findsAtCornersAndEdges_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("layout");
        for (const char *kind : {"hot", "weak", "dead"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1 top left corner").arg(kind))) << kind << 0 << 0 << int(SensorLayout::Mono);
            QTest::newRow(qPrintable(QStringLiteral("%1 bottom right corner").arg(kind))) << kind << 39 << 47 << int(SensorLayout::Mono);
            QTest::newRow(qPrintable(QStringLiteral("%1 right edge, Bayer").arg(kind))) << kind << 17 << 46 << int(SensorLayout::Bayer);
            QTest::newRow(qPrintable(QStringLiteral("%1 top edge, Bayer").arg(kind))) << kind << 1 << 25 << int(SensorLayout::Bayer);
        }
    }

    void findsAtCornersAndEdges()
    {
        QFETCH(QString, kind);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, layout);
        SimulatedSensor sensor(48, 40);
        Inject(sensor, sensor.Index(row, column), kind, 2);
        const Found result = Find(sensor, SensorLayout(layout));
        QCOMPARE(result.KindAt(row, column), kind);
        QCOMPARE(result.candidates.size(), size_t(1));
    }

    void stopsWhenCancelled()
    {
        SimulatedSensor sensor(16, 16);
        const SetSummary flat = sensor.Summary(true, 2);
        const std::atomic_bool cancel{true};
        DefectFinder finder(Defaults, SensorLayout::Mono);
        finder.SetCancelFlag(&cancel);
        std::vector<Candidate> candidates;
        QVERIFY(!finder.Find(nullptr, &flat, &candidates));
    }
};

QTEST_GUILESS_MAIN(tst_DefectFinder)
#include "tst_DefectFinder.moc"
