#include "DebugLines.h"
#include "ListFileIO.h"
#include "TestData.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using Bytes = std::vector<unsigned char>;

// A backup's content: the header's words, 0xFF up to the first entry, entries of 0xFF.
static Bytes Backup(quint32 width, quint32 height, int entries)
{
    Bytes content(4096 + 8 * entries, 0xFF);
    const quint32 words[] = {0xFFFFFFFF, 1, 4096, quint32(entries), 8, width, height};
    qToLittleEndian<quint32>(words, 7, content.data());
    return content;
}

static bool WriteAll(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

static QByteArray ReadAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Run from a folder of its own: files named relative must not land there.
class tst_ListFileIO : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(dir.path())); }

    void readCsv_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<List>("read");
        QTest::addColumn<QStringList>("lines");
        const QString duplicate = QStringLiteral("Duplicate value detected! Coordinates will not be added");
        const QStringList badHeader{"Incorrect file format!"};
        // The line refused, counted from the header on, and its text.
        const auto badRow = [](int line, const QString &text) {
            return QStringList{"Error. Incorrect format in row", "Error in processing input!",
                               QStringLiteral("Line %1 is not a row and column from 0 to 65535: %2").arg(line).arg(text)};
        };
        const auto row = [](const char *name, const char *content, const List &read, const QStringList &lines = {}) {
            QTest::newRow(name) << QByteArray(content) << read << lines;
        };
        row("header with comment", "Row,Column,Comment\n5,7\n", {{9, 9}, {5, 7}});
        row("blanks around the header's comma", "Row\t ,  Column\n5,7\n", {{9, 9}, {5, 7}});
        row("CR LF line ends", "Row,Column\r\n5,7\r\n8, 9\r\n", {{9, 9}, {5, 7}, {8, 9}});
        row("blank lines at the end", "Row,Column\n5,7\n\n \t\n\n", {{9, 9}, {5, 7}});
        row("header only", "Row,Column\n", {{9, 9}});
        row("blanks around numbers, largest values, no line end at the end", "Row,Column\n 1 , 2 \n65535,65535",
            {{9, 9}, {1, 2}, {65535, 65535}});
        row("repeats and what the list held, each once", "Row,Column\n5,7\n5, 7\n9,9\n5,7\n", {{9, 9}, {5, 7}},
            {duplicate, duplicate, duplicate});
        row("lower case header", "row,column\n5,7\n", {}, badHeader);
        row("empty file", "", {}, badHeader);
        row("not a number", "Row,Column\n5,5\nabc,7\n", {}, badRow(3, "abc,7"));
        row("above 65535", "Row,Column\n65536, 2\n", {}, badRow(2, "65536, 2"));
        row("a minus sign", "Row,Column\n-1,2\n", {}, badRow(2, "-1,2"));
        row("a plus sign", "Row,Column\n1,+5\n", {}, badRow(2, "1,+5"));
        row("blank line inside", "Row,Column\n5,7\n\n6,8\n", {}, badRow(3, ""));
        row("three numbers", "Row,Column\n5,7,9\n", {}, badRow(2, "5,7,9"));
        row("semicolon", "Row,Column\n5;7\n", {}, badRow(2, "5;7"));
    }

    // Read as a load reads its second file, into the list of the first, {9, 9}; a refused
    // file is reported, whatever it added, and the load keeps none of it.
    void readCsv()
    {
        QFETCH(QByteArray, content);
        QFETCH(List, read);
        QFETCH(QStringList, lines);
        QVERIFY(WriteAll("read.csv", content));
        DebugLines log;
        List list{{9, 9}};
        QCOMPARE(ListFileIO().ReadCsvFile("read.csv", &list) ? list : List(), read);
        QCOMPARE(log.Lines(), lines);
    }

    // The saved user list replaces the older file.
    void writeCsv()
    {
        const QString fileName = QStringLiteral("written.csv");
        QVERIFY(WriteAll(fileName, "Row,Column\n1,1\n2,2\n3,3\n"));
        QVERIFY(ListFileIO().WriteCsvFile(fileName, {{12, 345}, {0, 65535}}));
        QCOMPARE(ReadAll(fileName), QByteArray("Row,Column\n12, 345\n0, 65535\n"));
    }

    // Each refused with one line; a failed restore leaves what the caller held.
    void failures()
    {
        const QString missing = QStringLiteral("missing/list");
        DebugLines log;
        List read;
        Bytes held{1, 2, 3};
        QVERIFY(!ListFileIO().ReadCsvFile(missing, &read));
        QVERIFY(!ListFileIO().ReadCsvFile(missing, nullptr));
        QVERIFY(!ListFileIO().ParseCsvRow("1,2", nullptr));
        QVERIFY(!ListFileIO().WriteCsvFile(missing, {{1, 1}}));
        QVERIFY(!ListFileIO().WriteCsvFile(QString(), {}));
        QVERIFY(!ListFileIO().ExportBinaryDefectFile(missing, Backup(8, 8, 1)));
        QVERIFY(!ListFileIO().ExportBinaryDefectFile(QString(), Backup(8, 8, 1)));
        QVERIFY(!ListFileIO().ImportBinaryDefectFile(TestSensor(8, 8), missing, &held));
        QVERIFY(!ListFileIO().ImportBinaryDefectFile(TestSensor(8, 8), QString(), &held));
        QCOMPARE(held, (Bytes{1, 2, 3}));
        QCOMPARE(log.Lines(), (QStringList{"Error. Failed to open file " + missing, "Error. No list to read into.",
                                           "Error. Incorrect format in row", "Error. Failed to open file " + missing,
                                           "Error! Filename empty.", "Error. Failed to open file " + missing,
                                           "Error! Filename empty.", "Error! Failed to open file " + missing,
                                           "Error! Filename empty."}));
        QVERIFY(!QFileInfo::exists("missing"));
    }

    // A write that fails before its end (here: the file size limit, as a full disk
    // would) is reported and leaves the older file whole.
    void failedWriteKeepsOldFile()
    {
#ifdef Q_OS_UNIX
        const QString backup = dir.filePath("existing.bin"), csv = QStringLiteral("existing.csv");
        QVERIFY(WriteAll(backup, "old content") && WriteAll(csv, "old content"));
        DebugLines log;
        signal(SIGXFSZ, SIG_IGN);
        rlimit saved;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const rlimit small{1000, saved.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool exported = ListFileIO().ExportBinaryDefectFile(backup, Backup(8, 8, 10));
        const bool written = ListFileIO().WriteCsvFile(csv, Run(1, 0, 199));
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved), 0);
        QVERIFY(!exported && !written);
        const QString failed = QStringLiteral("Error. Failed to write file ");
        QCOMPARE(log.Lines(), (QStringList{failed + backup, failed + csv}));
        QCOMPARE(ReadAll(backup) + ReadAll(csv), QByteArray("old contentold content"));
#endif
    }

    void importBackup_data()
    {
        QTest::addColumn<Bytes>("content");
        QTest::addColumn<QStringList>("lines");
        const QString mismatch = QStringLiteral("Error! Incorrect file structure or camera mismatch.");
        const QStringList otherSizes{"Error! File header size mismatch.", mismatch};
        const QStringList otherSensor{"Error! Sensor dimensions mismatch.", mismatch};
        const auto with = [](Bytes content, int at, unsigned char byte) { return content[at] = byte, content; };
        QTest::newRow("header only") << Backup(2048, 1088, 0) << QStringList{};
        QTest::newRow("count disagrees with length") << with(Backup(2048, 1088, 2), 12, 77) << QStringList{};
        QTest::newRow("4100 bytes") << Bytes(4100, 0xFF) << QStringList{"Error! File data size mismatch.", mismatch};
        QTest::newRow("4095 bytes") << Bytes(4095, 0xFF) << QStringList{"Error! Incorrect file size.", mismatch};
        QTest::newRow("header size") << with(Backup(2048, 1088, 0), 9, 0) << otherSizes;
        QTest::newRow("entry size") << with(Backup(2048, 1088, 0), 16, 9) << otherSizes;
        QTest::newRow("other height") << Backup(2048, 2048, 1) << otherSensor;
        QTest::newRow("other width") << Backup(1024, 1088, 1) << otherSensor;
        QTest::newRow("empty file") << Bytes() << QStringList{"Error! Empty file. No DP information available."};
    }

    // Written and read back under a relative name, which is the program's directory;
    // a refused backup leaves what the caller held.
    void importBackup()
    {
        QFETCH(Bytes, content);
        QFETCH(QStringList, lines);
        const QString name = QStringLiteral("defects_backup.bin");
        QVERIFY(ListFileIO().ExportBinaryDefectFile(name, content));
        DebugLines log;
        Bytes read{1, 2, 3};
        QCOMPARE(ListFileIO().ImportBinaryDefectFile(TestSensor(2048, 1088), name, &read), lines.isEmpty());
        QCOMPARE(log.Lines(), lines);
        QVERIFY(read == (lines.isEmpty() ? content : Bytes{1, 2, 3}));
        QVERIFY(QFile::remove(QCoreApplication::applicationDirPath() + '/' + name));
        QCOMPARE(QDir::currentPath(), QDir(dir.path()).canonicalPath());
    }
};

QTEST_MAIN(tst_ListFileIO)
#include "tst_ListFileIO.moc"
