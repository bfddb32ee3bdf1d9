// The stand-in's own defect file writer and reader, and the factory lists it writes.
#include "FactoryDefects.h"

#include <ZorvikSim/Simulator.h>

#include <QtTest>

using namespace ZorvikSim;

using Defects = std::vector<std::pair<uint16_t, uint16_t>>;
using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Defects)

class DefectFileFormatTest : public QObject
{
    Q_OBJECT

private slots:
    void neighbourMasks_data()
    {
        QTest::addColumn<QString>("sensorType");
        QTest::addColumn<Defects>("defects");
        QTest::addColumn<QList<uint32_t>>("masks");
        QTest::newRow("two adjacent mono defects") << "Mono" << Defects{{10, 50}, {10, 51}}
                                                   << QList<uint32_t>{0x1E7, 0x1CF};
        QTest::newRow("Bayer neighbour of the same colour") << "Bayer" << Defects{{10, 50}, {10, 52}}
                                                            << QList<uint32_t>{0x141, 0x105};
        QTest::newRow("Bayer neighbour of another colour") << "Bayer" << Defects{{10, 50}, {10, 51}}
                                                           << QList<uint32_t>{0x145, 0x145};
        QTest::newRow("left and right edges") << "Mono" << Defects{{0, 0}, {0, 99}} << QList<uint32_t>{0x00F, 0x1E0};
        QTest::newRow("other rows do not count") << "Mono" << Defects{{3, 7}, {4, 8}} << QList<uint32_t>{0x1EF, 0x1EF};
        QTest::newRow("run of five, middle") << "Mono" << Defects{{5, 20}, {5, 21}, {5, 22}, {5, 23}, {5, 24}}
                                             << QList<uint32_t>{0x1E0, 0x1C1, 0x183, 0x107, 0x00F};
    }

    // Each entry's third word: 0xF000 and the mask of neighbours usable for correction.
    void neighbourMasks()
    {
        QFETCH(QString, sensorType);
        QFETCH(Defects, defects);
        QFETCH(QList<uint32_t>, masks);
        Bytes content = EncodeDefectFile(100, 100, sensorType.toStdString(), defects);
        QCOMPARE(content.size(), 4096 + 8 * defects.size());
        QList<uint32_t> written;
        for (size_t at = 4096 + 4; at < content.size(); at += 8)
            written << (content[at] | content[at + 1] << 8 | content[at + 2] << 16 | uint32_t(content[at + 3]) << 24);
        for (uint32_t &mask : masks)
            mask |= 0xF000;
        QCOMPARE(written, masks);
    }

    void entryAndHeaderBytes()
    {
        Bytes single = EncodeDefectFile(100, 100, "Mono", {{10, 50}});
        QCOMPARE(Bytes(single.begin() + 4096, single.end()), Bytes({0x32, 0x00, 0x0A, 0x00, 0xEF, 0xF1, 0x00, 0x00}));

        Bytes three = EncodeDefectFile(2048, 1088, "Mono", {{1, 1}, {2, 2}, {3, 3}});
        const Bytes header = {0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x03, 0x00,
                              0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x40, 0x04, 0x00, 0x00};
        QCOMPARE(three.size(), size_t(4120));
        QCOMPARE(Bytes(three.begin(), three.begin() + 28), header);
        QVERIFY(std::all_of(three.begin() + 28, three.begin() + 4096, [](uint8_t byte) { return byte == 0xFF; }));
    }

    void decoding_data()
    {
        Bytes good = EncodeDefectFile(2048, 2048, "Mono", {{7, 300}, {2047, 0}});
        Bytes bigEndian(good.begin(), good.begin() + 4104);
        std::fill(bigEndian.begin(), bigEndian.begin() + 4, 0);
        std::swap(bigEndian[4096], bigEndian[4097]);
        std::swap(bigEndian[4098], bigEndian[4099]);
        QTest::addColumn<Bytes>("content");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<Defects>("defects");
        QTest::newRow("as written") << good << true << Defects{{7, 300}, {2047, 0}};
        QTest::newRow("empty") << Bytes() << true << Defects{};
        QTest::newRow("big-endian, more entries than bytes") << bigEndian << false << Defects{};
        bigEndian[12] = 1;
        QTest::newRow("big-endian, one entry") << bigEndian << true << Defects{{7, 300}};
        QTest::newRow("header cut short") << Bytes(good.begin(), good.begin() + 100) << false << Defects{};
        QTest::newRow("entries cut short") << Bytes(good.begin(), good.end() - 1) << false << Defects{};
    }

    void decoding()
    {
        QFETCH(Bytes, content);
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

    // Some tens of defects, the same for the same camera, sorted, inside the sensor, and
    // exactly one run of adjacent defects: five long.
    void factoryList()
    {
        QFETCH(QString, serial);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, sensorType);
        CameraSpec setup;
        setup.serialNumber = serial.toStdString();
        setup.sensorWidth = width;
        setup.sensorHeight = height;
        setup.sensorType = sensorType.toStdString();
        Defects defects = FactoryDefectList(setup);
        QVERIFY(defects.size() >= 20 && defects.size() < 100);
        QVERIFY(FactoryDefectList(setup) == defects);
        CameraSpec other = setup;
        other.serialNumber += "0";
        QVERIFY(FactoryDefectList(other) != defects);
        QVERIFY(std::is_sorted(defects.begin(), defects.end()));
        QVERIFY(std::all_of(defects.begin(), defects.end(),
                            [&](const auto &d) { return d.first < height && d.second < width; }));
        QList<size_t> adjacent;
        for (size_t i = 1; i < defects.size(); ++i)
            if (defects[i].first == defects[i - 1].first && defects[i].second == defects[i - 1].second + 1)
                adjacent << i;
        QCOMPARE(adjacent.size(), 4);
        QCOMPARE(adjacent.back() - adjacent.front(), size_t(3));

        Defects decoded;
        QVERIFY(DecodeDefectFile(FactoryDefectFile(setup), decoded));
        QCOMPARE(decoded, defects);
    }
};

QTEST_GUILESS_MAIN(DefectFileFormatTest)
#include "tst_defectfileformat.moc"
