#include "DebugLines.h"
#include "NeighborByteEncoding.h"
#include "TestData.h"

#include <QtTest>

using Bytes = std::vector<unsigned char>;

static QByteArray Text(const Bytes &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
}

class tst_NeighborByteEncoding : public QObject
{
    Q_OBJECT

private slots:
    // Each entry in hex: column and row (16 bits), then the neighbour mask with the
    // 0xF000 marker (32 bits), all little-endian.
    void encode_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("width");
        QTest::addColumn<List>("list");
        QTest::addColumn<QByteArray>("entries");
        QTest::addColumn<QStringList>("lines");
        const auto row = [](const char *name, const char *type, int width, const List &list, const char *entries,
                            const QStringList &lines = {}) {
            QTest::newRow(name) << type << width << list << QByteArray::fromHex(entries) << lines;
        };
        // Every neighbour from four columns left to four right, the middle one uncorrectable.
        row("mono run of nine", "Mono", 100, Run(7, 20, 28),
            "14000700e0f10000 15000700c0f10000 1600070080f10000 1700070000f10000 1800070000f00000 "
            "1900070001f00000 1a00070003f00000 1b00070007f00000 1c0007000ff00000");
        row("bayer: odd neighbours never count, even ones do", "Bayer", 100, Run(10, 50, 52),
            "32000a0041f10000 33000a0045f10000 34000a0005f10000");
        row("bayer column 0", "Bayer", 100, {{1, 0}}, "0000010005f00000");
        row("mono columns 0 and 2, the last", "Mono", 100, {{1, 0}, {2, 2}, {3, 99}},
            "000001000ff00000 020002006ff00000 63000300e0f10000");
        row("repeated coordinate", "Mono", 100, {{10, 50}, {10, 50}}, "32000a00eff10000 32000a00eff10000");
        row("width 9, middle", "Mono", 9, {{0, 4}}, "04000000eff10000");
        row("last column of widest sensor", "Mono", 65536, {{0, 65535}}, "ffff0000e0f10000");
        // Neighbours found whatever order the user added them in, across rows and column bytes.
        row("listed out of order", "Mono", 1000,
            {{1, 258}, {1, 255}, {2, 52}, {2, 50}, {4, 50}, {3, 51}, {4, 52}, {5, 60}, {261, 61}, {5, 62}},
            "020101006ff10000 ff000100edf10000 34000200aff10000 32000200ebf10000 32000400ebf10000 "
            "33000300eff10000 34000400aff10000 3c000500ebf10000 3d000501eff10000 3e000500aff10000");
        row("empty list, refused", "Mono", 100, {}, "");
        row("sensor width 8, refused", "Mono", 8, {{1, 1}}, "");
        row("type compared case-sensitively", "mono", 100, {{10, 50}, {10, 51}}, "32000a0045f10000 33000a0045f10000",
            {"Unknown sensor type mono, encoding with the Bayer neighbour rule."});
    }

    void encode()
    {
        QFETCH(QString, type);
        QFETCH(int, width);
        QFETCH(List, list);
        QFETCH(QByteArray, entries);
        QFETCH(QStringList, lines);
        DebugLines log;
        NeighborByteEncoding encoding;
        encoding.SetData(TestSensor(width, 100, 1000, type), list);
        QCOMPARE(encoding.Generate1DNbEncodingFromDefectImage(), !entries.isEmpty());
        QCOMPARE(log.Lines(), lines);
        Bytes out;
        QCOMPARE(encoding.FormatDefectFileData(&out), !entries.isEmpty());
        QCOMPARE(Text(out).mid(4096), entries);
    }

    // The header's words, then 0xFF up to the first entry; a debug line per entry.
    void header()
    {
        DebugLines log;
        NeighborByteEncoding encoding;
        encoding.SetData(TestSensor(2048, 1088), {{10, 50}, {20, 0}});
        Bytes out;
        QVERIFY(encoding.Generate1DNbEncodingFromDefectImage() && encoding.FormatDefectFileData(&out));
        QCOMPARE(Text(out).left(4096), QByteArray::fromHex("ffffffff 01000000 00100000 02000000 08000000 00080000 "
                                                           "40040000").leftJustified(4096, '\xFF'));
        QCOMPARE(log.Lines(), (QStringList{"[10, 50]: 1ef 111101111", "[20, 0]: f 1111"}));
    }

    void trim_data()
    {
        QTest::addColumn<List>("list");
        QTest::addColumn<qint64>("capacity");
        QTest::addColumn<List>("removed");
        QTest::addColumn<List>("kept");
        QTest::newRow("outside the sensor, one twice") << List{{60, 3}, {3, 100}, {59, 99}, {60, 3}} << qint64(9)
                                                       << List{{60, 3}, {3, 100}, {60, 3}} << List{{59, 99}};
        QTest::newRow("middle of a run of nine") << Run(1, 20, 28) << qint64(9) << List{{1, 24}}
                                                 << Run(1, 20, 23) + Run(1, 25, 28);
        QTest::newRow("beyond capacity") << Run(3, 10, 12) << qint64(2) << List{{3, 12}} << Run(3, 10, 11);
        QTest::newRow("capacity 0") << Run(3, 10, 11) << qint64(0) << Run(3, 10, 11) << List{};
        QTest::newRow("negative capacity") << Run(3, 10, 11) << qint64(-1) << Run(3, 10, 11) << List{};
        QTest::newRow("capacity beyond int") << Run(3, 10, 11) << (qint64(1) << 40) << List{} << Run(3, 10, 11);
    }

    // Outside the sensor (100 columns, 60 rows), more than eight in a row, beyond capacity, in
    // that order, as before an upload; the written file holds what is kept (none: no file).
    void trim()
    {
        QFETCH(List, list);
        QFETCH(qint64, capacity);
        QFETCH(List, removed);
        QFETCH(List, kept);
        DebugLines quiet;
        const CameraDescription sensor = TestSensor(100, 60, capacity);
        NeighborByteEncoding encoding;
        encoding.SetData(sensor, list);
        QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
        QCOMPARE(encoding.RemoveOutsideSensorRange(sensor) + encoding.RemoveMoreThanEightConsecutive()
                     + encoding.RemoveBeyondCapacity(), removed);
        QCOMPARE(encoding.Coordinates(), kept);
        Bytes out;
        encoding.FormatDefectFileData(&out);
        List decoded;
        DecodeDefectFile(out, &decoded);
        QCOMPARE(decoded, kept);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<List>("expected");
        QTest::addColumn<QString>("line");
        const auto file = [](const QByteArray &marker, const QByteArray &count, const QByteArray &entries) {
            const QByteArray start = QByteArray::fromHex(marker + "ffffffffffffffff" + count);
            return start.leftJustified(4096, '\xFF') + QByteArray::fromHex(entries);
        };
        const QByteArray entries = "32000a00eff10000 01020304eff10000";
        const List two{{10, 50}, {0x0403, 0x0201}};
        QTest::newRow("empty") << QByteArray() << List{} << QString();
        QTest::newRow("shorter than header") << QByteArray(4095, '\xFF') << List{}
                                             << "Defect file of 4095 bytes is shorter than its header.";
        QTest::newRow("header only") << file("ffffffff", "00000000", "") << List{} << QString();
        QTest::newRow("little endian") << file("ffffffff", "02000000", entries) << two << QString();
        QTest::newRow("big endian") << file("00000000", "02000000", entries)
                                    << List{{0x0A00, 0x3200}, {0x0304, 0x0102}} << QString();
        QTest::newRow("count below entries present") << file("ffffffff", "01000000", entries) << two.mid(0, 1)
                                                     << QString();
        QTest::newRow("count beyond entries present") << file("ffffffff", "ffffffff", entries) << two
            << "Defect file counts 4294967295 entries but holds 2; reading 2.";
        QTest::newRow("last entry cut short") << file("ffffffff", "02000000", "32000a00eff10000 01020304eff100")
            << two.mid(0, 1) << "Defect file counts 2 entries but holds 1; reading 1.";
    }

    // What was in the list before stays in front.
    void decode()
    {
        QFETCH(QByteArray, content);
        QFETCH(List, expected);
        QFETCH(QString, line);
        DebugLines log;
        List coordinates{{9, 9}};
        DecodeDefectFile(Bytes(content.cbegin(), content.cend()), &coordinates);
        QCOMPARE(coordinates, (List{{9, 9}} + expected));
        QCOMPARE(log.Lines(), line.isEmpty() ? QStringList() : QStringList{line});
    }
};

QTEST_APPLESS_MAIN(tst_NeighborByteEncoding)
#include "tst_NeighborByteEncoding.moc"
