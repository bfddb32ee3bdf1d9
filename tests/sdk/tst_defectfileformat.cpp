// The stand-in's own defect file writer and reader, and the factory lists it writes.
#include "FactoryDefects.h"

#include <ZorvikSim/Simulator.h>

#include <QtTest>

using namespace ZorvikSim;

using Defects = std::vector<std::pair<uint16_t, uint16_t>>;
Q_DECLARE_METATYPE(Defects)

namespace {

uint32_t Word(const std::vector<uint8_t> &content, size_t at)
{
    return uint32_t(content[at]) | (uint32_t(content[at + 1]) << 8) | (uint32_t(content[at + 2]) << 16)
           | (uint32_t(content[at + 3]) << 24);
}

uint32_t Mask(const std::vector<uint8_t> &content, size_t entry)
{
    return Word(content, 4096 + 8 * entry + 4);
}

} // namespace

class DefectFileFormatTest : public QObject
{
    Q_OBJECT

private slots:
    void neighbourMasks_data()
    {
        QTest::addColumn<QString>("sensorType");
        QTest::addColumn<Defects>("defects");
        QTest::addColumn<QVector<uint32_t>>("masks");
        QTest::newRow("single mono defect") << "Mono" << Defects{{10, 50}} << QVector<uint32_t>{0x1EF};
        QTest::newRow("two adjacent mono defects") << "Mono" << Defects{{10, 50}, {10, 51}}
                                                   << QVector<uint32_t>{0x1E7, 0x1CF};
        QTest::newRow("single Bayer defect") << "Bayer" << Defects{{10, 50}} << QVector<uint32_t>{0x145};
        QTest::newRow("Bayer neighbour of the same colour") << "Bayer" << Defects{{10, 50}, {10, 52}}
                                                            << QVector<uint32_t>{0x141, 0x105};
        QTest::newRow("Bayer neighbour of another colour") << "Bayer" << Defects{{10, 50}, {10, 51}}
                                                           << QVector<uint32_t>{0x145, 0x145};
        QTest::newRow("left and right edges") << "Mono" << Defects{{0, 0}, {0, 99}} << QVector<uint32_t>{0x00F, 0x1E0};
        QTest::newRow("other rows do not count") << "Mono" << Defects{{3, 7}, {4, 8}}
                                                 << QVector<uint32_t>{0x1EF, 0x1EF};
        QTest::newRow("run of five, middle") << "Mono" << Defects{{5, 20}, {5, 21}, {5, 22}, {5, 23}, {5, 24}}
                                             << QVector<uint32_t>{0x1E0, 0x1C1, 0x183, 0x107, 0x00F};
    }

    void neighbourMasks()
    {
        QFETCH(QString, sensorType);
        QFETCH(Defects, defects);
        QFETCH(QVector<uint32_t>, masks);
        std::vector<uint8_t> content = EncodeDefectFile(100, 100, sensorType.toStdString(), defects);
        QCOMPARE(content.size(), 4096 + 8 * defects.size());
        for (int i = 0; i < masks.size(); ++i)
            QCOMPARE(Mask(content, size_t(i)), 0xF000 | masks[i]);
    }

    void entryAndHeaderBytes()
    {
        std::vector<uint8_t> single = EncodeDefectFile(100, 100, "Mono", {{10, 50}});
        std::vector<uint8_t> entry(single.begin() + 4096, single.end());
        QCOMPARE(entry, (std::vector<uint8_t>{0x32, 0x00, 0x0A, 0x00, 0xEF, 0xF1, 0x00, 0x00}));

        std::vector<uint8_t> three = EncodeDefectFile(2048, 1088, "Mono", {{1, 1}, {2, 2}, {3, 3}});
        const std::vector<uint8_t> header = {0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x10,
                                             0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00,
                                             0x00, 0x08, 0x00, 0x00, 0x40, 0x04, 0x00, 0x00};
        QCOMPARE(three.size(), size_t(4120));
        QCOMPARE(std::vector<uint8_t>(three.begin(), three.begin() + 28), header);
        QVERIFY(std::all_of(three.begin() + 28, three.begin() + 4096, [](uint8_t byte) { return byte == 0xFF; }));
    }

    void decoding_data()
    {
        std::vector<uint8_t> good = EncodeDefectFile(2048, 2048, "Mono", {{7, 300}, {2047, 0}});
        std::vector<uint8_t> bigEndian = good;
        std::fill(bigEndian.begin(), bigEndian.begin() + 4, 0);
        std::swap(bigEndian[4096], bigEndian[4097]);
        std::swap(bigEndian[4098], bigEndian[4099]);
        QTest::addColumn<std::vector<uint8_t>>("content");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<Defects>("defects");
        QTest::newRow("as written") << good << true << Defects{{7, 300}, {2047, 0}};
        QTest::newRow("empty") << std::vector<uint8_t>() << true << Defects{};
        QTest::newRow("big-endian entries") << std::vector<uint8_t>(bigEndian.begin(), bigEndian.begin() + 4104)
                                            << false << Defects{};
        bigEndian[12] = 1;
        QTest::newRow("big-endian, one entry") << std::vector<uint8_t>(bigEndian.begin(), bigEndian.begin() + 4104)
                                               << true << Defects{{7, 300}};
        QTest::newRow("header cut short") << std::vector<uint8_t>(good.begin(), good.begin() + 100) << false
                                          << Defects{};
        QTest::newRow("entries cut short") << std::vector<uint8_t>(good.begin(), good.end() - 1) << false << Defects{};
    }

    void decoding()
    {
        QFETCH(std::vector<uint8_t>, content);
        QFETCH(bool, accepted);
        QFETCH(Defects, defects);
        Defects decoded = {{1, 1}};
        QCOMPARE(DecodeDefectFile(content, decoded), accepted);
        QCOMPARE(decoded, defects);
    }

    void factoryList_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("sensorType");
        QTest::newRow("large mono") << "40211001" << 2048 << 2048 << "Mono";
        QTest::newRow("Bayer") << "40311002" << 1936 << 1216 << "Bayer";
        QTest::newRow("narrow sensor") << "7" << 9 << 600 << "Mono";
    }

    void factoryList()
    {
        QFETCH(QString, serial);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, sensorType);
        CameraSpec spec;
        spec.serialNumber = serial.toStdString();
        spec.sensorWidth = width;
        spec.sensorHeight = height;
        spec.sensorType = sensorType.toStdString();
        Defects defects = FactoryDefectList(spec);
        QVERIFY(defects.size() >= 20 && defects.size() < 100);
        QVERIFY(FactoryDefectList(spec) == defects);
        CameraSpec other = spec;
        other.serialNumber += "0";
        QVERIFY(FactoryDefectList(other) != defects);

        // Sorted, inside the sensor, and exactly one run of adjacent defects: five long.
        QVERIFY(std::is_sorted(defects.begin(), defects.end()));
        QVERIFY(std::all_of(defects.begin(), defects.end(),
                            [&](const auto &d) { return d.first < height && d.second < width; }));
        QVector<int> runs;
        int run = 1;
        for (size_t i = 1; i <= defects.size(); ++i) {
            bool adjacent = i < defects.size() && defects[i].first == defects[i - 1].first
                            && defects[i].second == defects[i - 1].second + 1;
            if (adjacent)
                ++run;
            else if (run > 1)
                runs << run;
            run = adjacent ? run : 1;
        }
        QCOMPARE(runs, QVector<int>{5});

        Defects decoded;
        QVERIFY(DecodeDefectFile(FactoryDefectFile(spec), decoded));
        QCOMPARE(decoded, defects);
    }
};

QTEST_GUILESS_MAIN(DefectFileFormatTest)
#include "tst_defectfileformat.moc"
