#include "MessageLog.h"
#include "NeighborByteEncoding.h"
#include "RandomDefects.h"
#include "ReferenceEncoding.h"
#include "TestSensor.h"

#include <QtTest>

#include <algorithm>

Q_DECLARE_METATYPE(QList<PixelCoords>)

namespace {

CameraDescription Sensor(const QString &type, qint64 width, qint64 height = 1000, qint64 capacity = 1000000)
{
    return TestSensor(type, width, height, capacity);
}

QList<NbEntry> Encode(const CameraDescription &description, const QList<PixelCoords> &list)
{
    NeighborByteEncoding encoding;
    encoding.SetData(description, list);
    if (!encoding.Generate1DNbEncodingFromDefectImage())
        return {};
    return encoding.Entries();
}

QList<PixelCoords> Row(quint16 row, int firstColumn, int lastColumn)
{
    QList<PixelCoords> list;
    for (int c = firstColumn; c <= lastColumn; ++c)
        list.append(PixelCoords(row, quint16(c)));
    return list;
}

std::vector<unsigned char> Bytes(std::initializer_list<int> values)
{
    std::vector<unsigned char> bytes;
    for (int value : values)
        bytes.push_back(static_cast<unsigned char>(value));
    return bytes;
}

std::vector<unsigned char> FileWithEntries(quint32 marker, quint32 count, const std::vector<unsigned char> &entries)
{
    std::vector<unsigned char> content(4096 + entries.size(), 0xFF);
    qToLittleEndian<quint32>(marker, content.data());
    qToLittleEndian<quint32>(count, content.data() + 12);
    std::copy(entries.begin(), entries.end(), content.begin() + 4096);
    return content;
}

bool SameEntries(const QList<NbEntry> &a, const QList<NbEntry> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].row != b[i].row || a[i].column != b[i].column || a[i].neighbourMask != b[i].neighbourMask)
            return false;
    }
    return true;
}

} // namespace

class TestNeighborByteEncoding : public QObject
{
    Q_OBJECT

private slots:
    void masks_data();
    void masks();
    void singleDefectEntryBytes();
    void headerOfThreeEntries();
    void refusesWhatCannotBeEncoded_data();
    void refusesWhatCannotBeEncoded();
    void unknownSensorTypeUsesColourRule();
    void runsOfFiveAndNine();
    void removeOutsideSensorRange();
    void removeBeyondCapacity_data();
    void removeBeyondCapacity();
    void formatWritesOneLinePerEntry();
    void decode_data();
    void decode();
    void decodeRoundTrip();
    void matchesReference_data();
    void matchesReference();
};

void TestNeighborByteEncoding::masks_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<PixelCoords>>("list");
    QTest::addColumn<QList<quint32>>("expected");

    QTest::newRow("mono single") << "Mono" << 100 << QList<PixelCoords>{{10, 50}} << QList<quint32>{0x1EF};
    QTest::newRow("mono pair") << "Mono" << 100 << QList<PixelCoords>{{10, 50}, {10, 51}}
                               << QList<quint32>{0x1E7, 0x1CF};
    QTest::newRow("bayer single") << "Bayer" << 100 << QList<PixelCoords>{{10, 50}} << QList<quint32>{0x145};
    QTest::newRow("bayer odd neighbour ignored") << "Bayer" << 100 << QList<PixelCoords>{{10, 50}, {10, 51}}
                                                 << QList<quint32>{0x145, 0x145};
    QTest::newRow("bayer even neighbour") << "Bayer" << 100 << QList<PixelCoords>{{10, 50}, {10, 52}}
                                          << QList<quint32>{0x141, 0x105};
    QTest::newRow("mono column 0") << "Mono" << 100 << QList<PixelCoords>{{1, 0}} << QList<quint32>{0x00F};
    QTest::newRow("mono column 2") << "Mono" << 100 << QList<PixelCoords>{{1, 2}} << QList<quint32>{0x06F};
    QTest::newRow("mono last column") << "Mono" << 100 << QList<PixelCoords>{{1, 99}} << QList<quint32>{0x1E0};
    QTest::newRow("mono column width-3") << "Mono" << 100 << QList<PixelCoords>{{1, 97}} << QList<quint32>{0x1EC};
    QTest::newRow("mono column at width") << "Mono" << 100 << QList<PixelCoords>{{1, 100}} << QList<quint32>{0x1E0};
    QTest::newRow("mono column far past width") << "Mono" << 100 << QList<PixelCoords>{{1, 200}} << QList<quint32>{0};
    QTest::newRow("bayer column 0") << "Bayer" << 100 << QList<PixelCoords>{{1, 0}} << QList<quint32>{0x005};
    QTest::newRow("bayer last column") << "Bayer" << 100 << QList<PixelCoords>{{1, 99}} << QList<quint32>{0x140};
    QTest::newRow("different rows") << "Mono" << 100 << QList<PixelCoords>{{3, 7}, {4, 8}}
                                    << QList<quint32>{0x1EF, 0x1EF};
    QTest::newRow("repeated coordinate") << "Mono" << 100 << QList<PixelCoords>{{10, 50}, {10, 50}}
                                         << QList<quint32>{0x1EF, 0x1EF};
    QTest::newRow("width 9, middle") << "Mono" << 9 << QList<PixelCoords>{{0, 4}} << QList<quint32>{0x1EF};
    QTest::newRow("last column of widest sensor") << "Mono" << 65536 << QList<PixelCoords>{{0, 65535}}
                                                  << QList<quint32>{0x1E0};
}

void TestNeighborByteEncoding::masks()
{
    QFETCH(QString, type);
    QFETCH(int, width);
    QFETCH(QList<PixelCoords>, list);
    QFETCH(QList<quint32>, expected);

    const QList<NbEntry> entries = Encode(Sensor(type, width), list);
    QCOMPARE(entries.size(), expected.size());
    for (int i = 0; i < entries.size(); ++i) {
        QCOMPARE(entries[i].row, list[i].row);
        QCOMPARE(entries[i].column, list[i].column);
        QCOMPARE(entries[i].neighbourMask, expected[i]);
    }
}

void TestNeighborByteEncoding::singleDefectEntryBytes()
{
    NeighborByteEncoding encoding;
    encoding.SetData(Sensor("Mono", 100), {{10, 50}});
    QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
    QCOMPARE(encoding.GetDefectFileSize(), 4104);
    std::vector<unsigned char> out;
    QVERIFY(encoding.FormatDefectFileData(&out));
    QCOMPARE(out.size(), size_t(4104));
    const std::vector<unsigned char> entry(out.begin() + 4096, out.end());
    QCOMPARE(entry, Bytes({0x32, 0x00, 0x0A, 0x00, 0xEF, 0xF1, 0x00, 0x00}));
}

void TestNeighborByteEncoding::headerOfThreeEntries()
{
    NeighborByteEncoding encoding;
    encoding.SetData(Sensor("Mono", 2048, 1088), {{1, 1}, {2, 2}, {3, 3}});
    QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
    std::vector<unsigned char> out;
    QVERIFY(encoding.FormatDefectFileData(&out));
    QCOMPARE(out.size(), size_t(4120));
    const std::vector<unsigned char> words(out.begin(), out.begin() + 28);
    QCOMPARE(words, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x03, 0x00,
                           0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x40, 0x04, 0x00, 0x00}));
    QVERIFY(std::all_of(out.begin() + 28, out.begin() + 4096, [](unsigned char b) { return b == 0xFF; }));
}

void TestNeighborByteEncoding::refusesWhatCannotBeEncoded_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<PixelCoords>>("list");
    QTest::newRow("empty list") << 100 << QList<PixelCoords>{};
    QTest::newRow("sensor width 8") << 8 << QList<PixelCoords>{{1, 1}};
}

void TestNeighborByteEncoding::refusesWhatCannotBeEncoded()
{
    QFETCH(int, width);
    QFETCH(QList<PixelCoords>, list);
    NeighborByteEncoding encoding;
    encoding.SetData(Sensor("Mono", width), list);
    QVERIFY(!encoding.Generate1DNbEncodingFromDefectImage());
    QVERIFY(encoding.Entries().isEmpty());
    QCOMPARE(encoding.GetDefectFileSize(), 4096);
    std::vector<unsigned char> out;
    QVERIFY(!encoding.FormatDefectFileData(&out));
    QVERIFY(out.empty());
}

void TestNeighborByteEncoding::unknownSensorTypeUsesColourRule()
{
    MessageLog log;
    const QList<PixelCoords> list{{10, 50}, {10, 51}, {10, 52}};
    const QList<NbEntry> unknown = Encode(Sensor("Unknown", 100), list);
    QVERIFY(log.Contains("Unknown sensor type Unknown, encoding with the Bayer neighbour rule."));
    QVERIFY(SameEntries(unknown, Encode(Sensor("Bayer", 100), list)));
    QVERIFY(!SameEntries(unknown, Encode(Sensor("Mono", 100), list)));
    QVERIFY(SameEntries(Encode(Sensor("mono", 100), list), unknown)); // compared case-sensitively
}

void TestNeighborByteEncoding::runsOfFiveAndNine()
{
    NeighborByteEncoding five;
    five.SetData(Sensor("Mono", 100), Row(7, 20, 24));
    QVERIFY(five.Generate1DNbEncodingFromDefectImage());
    QCOMPARE(five.Entries()[2].neighbourMask, quint32(0x183));
    QCOMPARE(five.FindMoreThanFourConsecutive(), Row(7, 20, 24));
    QVERIFY(five.RemoveMoreThanEightConsecutive().isEmpty());

    NeighborByteEncoding four;
    four.SetData(Sensor("Mono", 100), Row(7, 20, 23));
    QVERIFY(four.Generate1DNbEncodingFromDefectImage());
    QVERIFY(four.FindMoreThanFourConsecutive().isEmpty());

    NeighborByteEncoding nine;
    nine.SetData(Sensor("Mono", 100), Row(7, 20, 28));
    QVERIFY(nine.Generate1DNbEncodingFromDefectImage());
    QCOMPARE(nine.Entries()[3].neighbourMask, quint32(0x100));
    QCOMPARE(nine.RemoveMoreThanEightConsecutive(), QList<PixelCoords>{PixelCoords(7, 24)});
    QCOMPARE(nine.Entries().size(), 8);
    QVERIFY(!nine.Coordinates().contains(PixelCoords(7, 24)));
    QCOMPARE(nine.GetDefectFileSize(), 4096 + 8 * 8);
}

void TestNeighborByteEncoding::removeOutsideSensorRange()
{
    const QList<PixelCoords> list{{0, 0}, {1000, 5}, {5, 100}, {999, 99}, {1000, 5}};
    NeighborByteEncoding encoding;
    encoding.SetData(Sensor("Mono", 100, 1000), list);
    QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
    const QList<PixelCoords> outside = encoding.RemoveOutsideSensorRange(Sensor("Mono", 100, 1000));
    QCOMPARE(outside, (QList<PixelCoords>{{1000, 5}, {5, 100}, {1000, 5}}));
    QCOMPARE(encoding.Coordinates(), (QList<PixelCoords>{{0, 0}, {999, 99}}));
    QCOMPARE(encoding.Entries().size(), 2);
}

void TestNeighborByteEncoding::removeBeyondCapacity_data()
{
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<QList<PixelCoords>>("beyond");
    QTest::addColumn<int>("kept");
    QTest::newRow("capacity 2 of 3") << qint64(2) << QList<PixelCoords>{{3, 3}} << 2;
    QTest::newRow("capacity 3 of 3") << qint64(3) << QList<PixelCoords>{} << 3;
    QTest::newRow("capacity 0") << qint64(0) << QList<PixelCoords>{{1, 1}, {2, 2}, {3, 3}} << 0;
    QTest::newRow("capacity beyond int") << (qint64(1) << 40) << QList<PixelCoords>{} << 3;
}

void TestNeighborByteEncoding::removeBeyondCapacity()
{
    QFETCH(qint64, capacity);
    QFETCH(QList<PixelCoords>, beyond);
    QFETCH(int, kept);
    NeighborByteEncoding encoding;
    encoding.SetData(Sensor("Mono", 100, 100, capacity), {{1, 1}, {2, 2}, {3, 3}});
    QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
    QCOMPARE(encoding.RemoveBeyondCapacity(), beyond);
    QCOMPARE(encoding.Entries().size(), kept);
    QCOMPARE(encoding.Coordinates().size(), kept);
}

void TestNeighborByteEncoding::formatWritesOneLinePerEntry()
{
    MessageLog log;
    NeighborByteEncoding encoding;
    encoding.SetData(Sensor("Mono", 100), {{10, 50}, {10, 51}});
    QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
    std::vector<unsigned char> out;
    QVERIFY(encoding.FormatDefectFileData(&out));
    QCOMPARE(MessageLog::Lines(), (QStringList{"[10, 50]: 1e7 111100111", "[10, 51]: 1cf 111001111"}));
}

void TestNeighborByteEncoding::decode_data()
{
    QTest::addColumn<std::vector<unsigned char>>("content");
    QTest::addColumn<QList<PixelCoords>>("expected");
    QTest::addColumn<QString>("line");

    const std::vector<unsigned char> twoEntries
        = Bytes({0x32, 0x00, 0x0A, 0x00, 0xEF, 0xF1, 0, 0, 0x01, 0x02, 0x03, 0x04, 0xEF, 0xF1, 0, 0});
    QTest::newRow("empty") << std::vector<unsigned char>{} << QList<PixelCoords>{} << QString();
    QTest::newRow("shorter than header") << std::vector<unsigned char>(4095, 0xFF) << QList<PixelCoords>{}
                                         << "Defect file of 4095 bytes is shorter than its header.";
    QTest::newRow("little endian") << FileWithEntries(0xFFFFFFFF, 2, twoEntries)
                                   << QList<PixelCoords>{{10, 50}, {0x0403, 0x0201}} << QString();
    QTest::newRow("big endian") << FileWithEntries(0, 2, twoEntries)
                                << QList<PixelCoords>{{0x0A00, 0x3200}, {0x0304, 0x0102}} << QString();
    QTest::newRow("count below entries present") << FileWithEntries(0xFFFFFFFF, 1, twoEntries)
                                                 << QList<PixelCoords>{{10, 50}} << QString();
    QTest::newRow("count beyond entries present") << FileWithEntries(0xFFFFFFFF, 0xFFFFFFFF, twoEntries)
                                                  << QList<PixelCoords>{{10, 50}, {0x0403, 0x0201}}
                                                  << "Defect file counts 4294967295 entries but holds 2; reading 2.";
    std::vector<unsigned char> partial = FileWithEntries(0xFFFFFFFF, 2, twoEntries);
    partial.pop_back();
    QTest::newRow("last entry cut short") << partial << QList<PixelCoords>{{10, 50}}
                                          << "Defect file counts 2 entries but holds 1; reading 1.";
}

void TestNeighborByteEncoding::decode()
{
    QFETCH(std::vector<unsigned char>, content);
    QFETCH(QList<PixelCoords>, expected);
    QFETCH(QString, line);
    MessageLog log;
    QList<PixelCoords> coordinates{{9, 9}};
    DecodeDefectFile(content, &coordinates);
    QCOMPARE(coordinates, QList<PixelCoords>({{9, 9}}) + expected);
    QCOMPARE(MessageLog::Lines(), line.isEmpty() ? QStringList() : QStringList{line});
}

void TestNeighborByteEncoding::decodeRoundTrip()
{
    const QList<PixelCoords> list = RandomDefects(7, 500, 2048, 1088);
    NeighborByteEncoding encoding;
    encoding.SetData(Sensor("Bayer", 2048, 1088), list);
    QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
    std::vector<unsigned char> out;
    {
        MessageLog quiet;
        QVERIFY(encoding.FormatDefectFileData(&out));
    }
    QList<PixelCoords> decoded;
    DecodeDefectFile(out, &decoded);
    QCOMPARE(decoded, list);
}

void TestNeighborByteEncoding::matchesReference_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<bool>("clustered");
    for (quint32 seed = 1; seed <= 6; ++seed) {
        for (const char *type : {"Mono", "Bayer"}) {
            const int width = seed % 2 ? 64 : 1024;
            const QByteArray name = QByteArray(type) + " seed " + QByteArray::number(seed);
            QTest::newRow(name + " random") << type << seed << width << 700 << false;
            QTest::newRow(name + " clustered") << type << seed << width << 5000 << true;
        }
    }
}

// The whole upload sequence against the step-by-step reference: same entries,
// same removals in the same order, same bytes.
void TestNeighborByteEncoding::matchesReference()
{
    QFETCH(QString, type);
    QFETCH(quint32, seed);
    QFETCH(int, width);
    QFETCH(int, capacity);
    QFETCH(bool, clustered);
    const CameraDescription sensor = Sensor(type, width, 40, capacity);
    const QList<PixelCoords> list = clustered ? ClusteredDefects(seed, 800, width + 3, 10)
                                              : RandomDefects(seed, 800, width, 40);

    NeighborByteEncoding fast;
    fast.SetData(sensor, list);
    ReferenceEncoding reference{sensor, list, {}};
    QVERIFY(fast.Generate1DNbEncodingFromDefectImage());
    QVERIFY(reference.Generate());
    QVERIFY(SameEntries(fast.Entries(), reference.entries));

    QCOMPARE(fast.RemoveOutsideSensorRange(sensor), reference.RemoveOutside(sensor));
    QCOMPARE(fast.RemoveMoreThanEightConsecutive(), reference.RemoveMoreThanEight());
    QCOMPARE(fast.FindMoreThanFourConsecutive(), reference.FindMoreThanFour());
    QCOMPARE(fast.RemoveBeyondCapacity(), reference.RemoveBeyondCapacity());
    QCOMPARE(fast.Coordinates(), reference.coordinates);
    QVERIFY(SameEntries(fast.Entries(), reference.entries));

    std::vector<unsigned char> out;
    MessageLog quiet;
    QCOMPARE(fast.FormatDefectFileData(&out), !reference.entries.isEmpty());
    if (!reference.entries.isEmpty())
        QVERIFY(out == ReferenceFormat(reference));
}

QTEST_APPLESS_MAIN(TestNeighborByteEncoding)
#include "tst_NeighborByteEncoding.moc"
