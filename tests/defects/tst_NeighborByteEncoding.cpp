#include "MessageLog.h"
#include "NeighborByteEncoding.h"
#include "RandomDefects.h"
#include "ReferenceEncoding.h"
#include "TestData.h"

#include <QtTest>

#include <algorithm>

using Bytes = std::vector<unsigned char>;
Q_DECLARE_METATYPE(CameraDescription)

static bool operator==(const NbEntry &a, const NbEntry &b)
{
    return a.row == b.row && a.column == b.column && a.neighbourMask == b.neighbourMask;
}

namespace {

// The defect file content of the list, empty when it cannot be encoded.
Bytes Formatted(const CameraDescription &sensor, const QList<PixelCoords> &list)
{
    NeighborByteEncoding encoding;
    encoding.SetData(sensor, list);
    Bytes out;
    if (encoding.Generate1DNbEncodingFromDefectImage())
        encoding.FormatDefectFileData(&out);
    return out;
}

Bytes FileWithEntries(quint32 marker, quint32 count, const Bytes &entries)
{
    Bytes content(4096 + entries.size(), 0xFF);
    qToLittleEndian<quint32>(marker, content.data());
    qToLittleEndian<quint32>(count, content.data() + 12);
    std::copy(entries.begin(), entries.end(), content.begin() + 4096);
    return content;
}

} // namespace

class TestNeighborByteEncoding : public QObject
{
    Q_OBJECT

private slots:
    void masks_data();
    void masks();
    void defectFileBytes();
    void decode_data();
    void decode();
    void matchesReference_data();
    void matchesReference();
};

void TestNeighborByteEncoding::masks_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<PixelCoords>>("list");
    QTest::addColumn<QList<quint32>>("expected");
    QTest::addColumn<QStringList>("lines");

    auto row = [](const char *name, const char *type, int width, QList<PixelCoords> list, QList<quint32> masks,
                  QStringList lines = {}) { QTest::newRow(name) << type << width << list << masks << lines; };
    row("mono single", "Mono", 100, {{10, 50}}, {0x1EF});
    row("mono pair", "Mono", 100, {{10, 50}, {10, 51}}, {0x1E7, 0x1CF});
    row("mono run of five", "Mono", 100, Run(7, 20, 24), {0x1E0, 0x1C1, 0x183, 0x107, 0x00F});
    row("mono run of nine", "Mono", 100, Run(7, 20, 28), {0x1E0, 0x1C0, 0x180, 0x100, 0, 1, 3, 7, 0xF});
    row("bayer single", "Bayer", 100, {{10, 50}}, {0x145});
    row("bayer odd neighbour ignored", "Bayer", 100, {{10, 50}, {10, 51}}, {0x145, 0x145});
    row("bayer even neighbour", "Bayer", 100, {{10, 50}, {10, 52}}, {0x141, 0x105});
    row("mono column 0", "Mono", 100, {{1, 0}}, {0x00F});
    row("mono column 2", "Mono", 100, {{1, 2}}, {0x06F});
    row("mono last column", "Mono", 100, {{1, 99}}, {0x1E0});
    row("mono column width-3", "Mono", 100, {{1, 97}}, {0x1EC});
    row("mono column at width", "Mono", 100, {{1, 100}}, {0x1E0});
    row("mono column far past width", "Mono", 100, {{1, 200}}, {0});
    row("bayer column 0", "Bayer", 100, {{1, 0}}, {0x005});
    row("bayer last column", "Bayer", 100, {{1, 99}}, {0x140});
    row("different rows", "Mono", 100, {{3, 7}, {4, 8}}, {0x1EF, 0x1EF});
    row("repeated coordinate", "Mono", 100, {{10, 50}, {10, 50}}, {0x1EF, 0x1EF});
    row("width 9, middle", "Mono", 9, {{0, 4}}, {0x1EF});
    row("last column of widest sensor", "Mono", 65536, {{0, 65535}}, {0x1E0});
    row("empty list, refused", "Mono", 100, {}, {});
    row("sensor width 8, refused", "Mono", 8, {{1, 1}}, {});
    row("unknown type, colour rule", "Unknown", 100, Run(10, 50, 52), {0x141, 0x145, 0x105},
        {"Unknown sensor type Unknown, encoding with the Bayer neighbour rule."});
    row("type compared case-sensitively", "mono", 100, Run(10, 50, 51), {0x145, 0x145},
        {"Unknown sensor type mono, encoding with the Bayer neighbour rule."});
}

void TestNeighborByteEncoding::masks()
{
    QFETCH(QString, type);
    QFETCH(int, width);
    QFETCH(QList<PixelCoords>, list);
    QFETCH(QList<quint32>, expected);
    QFETCH(QStringList, lines);

    MessageLog log;
    NeighborByteEncoding encoding;
    encoding.SetData(TestSensor(width, 100, 1000, type), list);
    QCOMPARE(encoding.Generate1DNbEncodingFromDefectImage(), !expected.isEmpty());
    QCOMPARE(MessageLog::Lines(), lines);
    QCOMPARE(encoding.GetDefectFileSize(), 4096 + 8 * expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(encoding.Entries()[i].neighbourMask, expected[i]);
}

void TestNeighborByteEncoding::defectFileBytes()
{
    MessageLog log;
    const Bytes single = Formatted(TestSensor(100), {{10, 50}});
    QCOMPARE(single.size(), size_t(4104));
    QCOMPARE(Bytes(single.begin() + 4096, single.end()), (Bytes{0x32, 0x00, 0x0A, 0x00, 0xEF, 0xF1, 0x00, 0x00}));
    QCOMPARE(MessageLog::Lines(), QStringList{"[10, 50]: 1ef 111101111"});

    const Bytes three = Formatted(TestSensor(2048, 1088), {{1, 1}, {2, 2}, {3, 3}});
    QCOMPARE(three.size(), size_t(4120));
    QCOMPARE(Bytes(three.begin(), three.begin() + 28),
             (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x03, 0x00,
                    0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x40, 0x04, 0x00, 0x00}));
    QVERIFY(std::all_of(three.begin() + 28, three.begin() + 4096, [](unsigned char b) { return b == 0xFF; }));
}

void TestNeighborByteEncoding::decode_data()
{
    QTest::addColumn<Bytes>("content");
    QTest::addColumn<QList<PixelCoords>>("expected");
    QTest::addColumn<QString>("line");

    const Bytes twoEntries{0x32, 0x00, 0x0A, 0x00, 0xEF, 0xF1, 0, 0, 0x01, 0x02, 0x03, 0x04, 0xEF, 0xF1, 0, 0};
    const QList<PixelCoords> two{{10, 50}, {0x0403, 0x0201}};
    Bytes partial = FileWithEntries(0xFFFFFFFF, 2, twoEntries);
    partial.pop_back();
    QTest::newRow("empty") << Bytes{} << QList<PixelCoords>{} << QString();
    QTest::newRow("shorter than header") << Bytes(4095, 0xFF) << QList<PixelCoords>{}
                                         << "Defect file of 4095 bytes is shorter than its header.";
    QTest::newRow("little endian") << FileWithEntries(0xFFFFFFFF, 2, twoEntries) << two << QString();
    QTest::newRow("big endian") << FileWithEntries(0, 2, twoEntries)
                                << QList<PixelCoords>{{0x0A00, 0x3200}, {0x0304, 0x0102}} << QString();
    QTest::newRow("count below entries present") << FileWithEntries(0xFFFFFFFF, 1, twoEntries) << two.mid(0, 1)
                                                 << QString();
    QTest::newRow("count beyond entries present") << FileWithEntries(0xFFFFFFFF, 0xFFFFFFFF, twoEntries) << two
                                                  << "Defect file counts 4294967295 entries but holds 2; reading 2.";
    QTest::newRow("last entry cut short") << partial << two.mid(0, 1)
                                          << "Defect file counts 2 entries but holds 1; reading 1.";
}

void TestNeighborByteEncoding::decode()
{
    QFETCH(Bytes, content);
    QFETCH(QList<PixelCoords>, expected);
    QFETCH(QString, line);
    MessageLog log;
    QList<PixelCoords> coordinates{{9, 9}};
    DecodeDefectFile(content, &coordinates);
    QCOMPARE(coordinates, QList<PixelCoords>({{9, 9}}) + expected);
    QCOMPARE(MessageLog::Lines(), line.isEmpty() ? QStringList() : QStringList{line});
}

void TestNeighborByteEncoding::matchesReference_data()
{
    QTest::addColumn<CameraDescription>("sensor");
    QTest::addColumn<QList<PixelCoords>>("list");
    for (quint32 seed = 1; seed <= 6; ++seed) {
        for (const char *type : {"Mono", "Bayer"}) {
            const int width = seed % 2 ? 64 : 1024;
            const QByteArray name = QByteArray(type) + " seed " + QByteArray::number(seed);
            QTest::newRow(name + " random") << TestSensor(width, 40, 700, type) << RandomDefects(seed, 800, width, 40);
            QTest::newRow(name + " clustered") << TestSensor(width, 40, 5000, type)
                                               << ClusteredDefects(seed, 800, width + 3, 10);
        }
    }
    QTest::newRow("capacity 0") << TestSensor(64, 40, 0) << RandomDefects(7, 100, 64, 40);
    QTest::newRow("capacity beyond int") << TestSensor(64, 40, qint64(1) << 40) << RandomDefects(8, 100, 64, 40);
}

// The whole upload sequence against the step-by-step reference: same entries,
// same removals (outside, more than eight, beyond capacity) in the same order,
// the same runs of more than four, and the written file decodes to what is kept.
void TestNeighborByteEncoding::matchesReference()
{
    QFETCH(CameraDescription, sensor);
    QFETCH(QList<PixelCoords>, list);
    NeighborByteEncoding fast;
    fast.SetData(sensor, list);
    ReferenceEncoding reference{sensor, list, {}};
    QVERIFY(fast.Generate1DNbEncodingFromDefectImage());
    QVERIFY(reference.Generate());
    QCOMPARE(fast.Entries(), reference.entries);

    QCOMPARE(fast.RemoveOutsideSensorRange(sensor), reference.RemoveOutside(sensor));
    QCOMPARE(fast.RemoveMoreThanEightConsecutive(), reference.RemoveMoreThanEight());
    QCOMPARE(fast.FindMoreThanFourConsecutive(), reference.FindMoreThanFour());
    QCOMPARE(fast.RemoveBeyondCapacity(), reference.RemoveBeyondCapacity());
    QCOMPARE(fast.Coordinates(), reference.coordinates);
    QCOMPARE(fast.Entries(), reference.entries);

    MessageLog quiet;
    Bytes out;
    QCOMPARE(fast.FormatDefectFileData(&out), !reference.entries.isEmpty());
    QList<PixelCoords> decoded;
    DecodeDefectFile(out, &decoded);
    QCOMPARE(decoded, reference.coordinates);
}

QTEST_APPLESS_MAIN(TestNeighborByteEncoding)
#include "tst_NeighborByteEncoding.moc"
