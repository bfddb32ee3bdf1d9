#include "ListFileIO.h"
#include "ListManager.h"
#include "MessageLog.h"
#include "RandomDefects.h"
#include "ReferenceEncoding.h"
#include "TestData.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using Bytes = std::vector<unsigned char>;

namespace {

QByteArray Backup(quint32 width, quint32 height, int entries)
{
    QByteArray content(4096 + 8 * entries, '\xFF');
    const quint32 words[] = {0xFFFFFFFF, 1, 4096, quint32(entries), 8, width, height};
    for (int i = 0; i < 7; ++i)
        qToLittleEndian<quint32>(words[i], content.data() + 4 * i);
    return content;
}

Bytes ToBytes(const QByteArray &content)
{
    return Bytes(content.cbegin(), content.cend());
}

QByteArray ReadAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestListFileIO : public QObject
{
    Q_OBJECT

private slots:
    void csvRoundTrip();
    void readCsv_data();
    void readCsv();
    void failures();
    void backupRoundTrip();
    void importBackup_data();
    void importBackup();

private:
    QTemporaryDir dir;
    const QString startDirectory = QDir::currentPath();
};

// Repeats are read once, each with a debug line, as the step-by-step reference keeps them.
void TestListFileIO::csvRoundTrip()
{
    MessageLog log;
    const QList<PixelCoords> list = RandomDefects(3, 2000, 65535, 65534);
    const QString fileName = dir.filePath("round.csv");
    QVERIFY(ListFileIO().WriteCsvFile(fileName, list));
    QList<PixelCoords> read;
    QVERIFY(ListFileIO().ReadCsvFile(fileName, &read));
    QCOMPARE(read, ReferenceMerge({}, list));
    QCOMPARE(MessageLog::Lines().count("Duplicate value detected! Coordinates will not be added"),
             list.size() - read.size());

    ListManager manager;
    QVERIFY(manager.SaveUserListToFile(fileName));
    QCOMPARE(ReadAll(fileName), QByteArray("Row,Column\n"));
    manager.AddUserCoordinate({12, 345}, -1);
    manager.AddUserCoordinate({0, 65535}, -1);
    QVERIFY(manager.SaveUserListToFile(fileName));
    QCOMPARE(ReadAll(fileName), QByteArray("Row,Column\n12, 345\n0, 65535\n"));
}

void TestListFileIO::readCsv_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<PixelCoords>>("expected");
    QTest::addColumn<QStringList>("lines"); // loading it as the user list

    using List = QList<PixelCoords>;
    const QString loadFailed = QStringLiteral("Error! File could not be loaded.");
    const QStringList badHeader{"Incorrect file format!", loadFailed};
    const QStringList badRow{"Error. Incorrect format in row", "Error in processing input!", loadFailed};
    QTest::newRow("header with comment") << QByteArray("Row,Column,Comment\n5,7\n") << List{{5, 7}} << QStringList();
    QTest::newRow("CR LF line ends") << QByteArray("Row,Column\r\n5,7\r\n8, 9\r\n") << List{{5, 7}, {8, 9}}
                                     << QStringList();
    QTest::newRow("no line end at the end") << QByteArray("Row,Column\n5,7") << List{{5, 7}} << QStringList();
    QTest::newRow("header only") << QByteArray("Row,Column\n") << List{} << QStringList();
    QTest::newRow("not a number") << QByteArray("Row,Column\nabc,7\n") << List{{0, 7}} << QStringList();
    QTest::newRow("low 16 bits") << QByteArray("Row,Column\n65536,1\n70000, 2\n") << List{{0, 1}, {4464, 2}}
                                 << QStringList();
    QTest::newRow("duplicate with space") << QByteArray("Row,Column\n5,7\n5, 7\n") << List{{5, 7}}
                                          << QStringList{"Duplicate value detected! Coordinates will not be added"};
    QTest::newRow("lower case header") << QByteArray("row,column\n5,7\n") << List{} << badHeader;
    QTest::newRow("space in header") << QByteArray("Row, Column\n5,7\n") << List{} << badHeader;
    QTest::newRow("empty file") << QByteArray() << List{} << badHeader;
    QTest::newRow("blank line inside") << QByteArray("Row,Column\n5,7\n\n6,8\n") << List{{5, 7}} << badRow;
    QTest::newRow("second line end at the end") << QByteArray("Row,Column\n5,7\n\n") << List{{5, 7}} << badRow;
    QTest::newRow("three parts") << QByteArray("Row,Column\n5,7,9\n") << List{} << badRow;
    QTest::newRow("semicolon") << QByteArray("Row,Column\n5;7\n") << List{} << badRow;
}

// Read directly (what was read before a refusal stays), and loaded as the
// user list, which a refused file leaves as it was.
void TestListFileIO::readCsv()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<PixelCoords>, expected);
    QFETCH(QStringList, lines);
    const QString fileName = dir.filePath("read.csv");
    QVERIFY(WriteAll(fileName, content));
    const bool ok = !lines.contains("Error! File could not be loaded.");
    MessageLog log;
    QList<PixelCoords> read;
    QCOMPARE(ListFileIO().ReadCsvFile(fileName, &read), ok);
    QCOMPARE(read, expected);
    MessageLog::Lines().clear();

    ListManager manager;
    manager.AddUserCoordinate({9, 9}, -1);
    QCOMPARE(manager.LoadUserListFromFile(fileName), ok);
    QCOMPARE(manager.GetCoordinateList(UserList), ok ? expected : QList<PixelCoords>({{9, 9}}));
    QCOMPARE(MessageLog::Lines(), lines);
}

void TestListFileIO::failures()
{
    const QString missing = dir.filePath("missing/list");
    MessageLog log;
    QList<PixelCoords> read;
    PixelCoords coords;
    QVERIFY(!ListFileIO().ReadCsvFile(missing, &read));
    QVERIFY(!ListFileIO().ReadCsvFile(dir.filePath("round.csv"), nullptr));
    QVERIFY(!ListFileIO().ParseCsvRow("1,2", nullptr));
    QVERIFY(ListFileIO().ParseCsvRow(" 1 , 2 ", &coords) && coords == PixelCoords(1, 2));
    QVERIFY(!ListFileIO().WriteCsvFile(missing, {{1, 1}}));
    QVERIFY(!ListFileIO().ExportBinaryDefectFile(missing, ToBytes(Backup(8, 8, 1))));
    QVERIFY(!ListManager().SaveUserListToFile(QString()));
    QVERIFY(!ListFileIO().ExportBinaryDefectFile(QString(), ToBytes(Backup(8, 8, 1))));
    Bytes imported{1, 2, 3};
    QVERIFY(!ListFileIO().ImportBinaryDefectFile(TestSensor(), missing, &imported));
    QVERIFY(!ListFileIO().ImportBinaryDefectFile(TestSensor(), QString(), &imported));
    QCOMPARE(imported, (Bytes{1, 2, 3}));
    QCOMPARE(MessageLog::Lines(),
             (QStringList{"Error. Failed to open file " + missing, "Error. No list to read into.",
                          "Error. Incorrect format in row", "Error. Failed to open file " + missing,
                          "Error. Failed to open file " + missing, "Error! Filename empty.", "Error! Filename empty.",
                          "Error! Failed to open file " + missing, "Error! Filename empty."}));
    QVERIFY(!QFileInfo::exists(missing));
    QCOMPARE(QDir::currentPath(), startDirectory);

#ifdef Q_OS_UNIX
    // A write that fails part way (here: the file size limit, as a full disk
    // would) is reported and leaves the older file whole.
    const QString backup = dir.filePath("existing.bin");
    const QString csv = dir.filePath("existing.csv");
    QVERIFY(WriteAll(backup, "old content") && WriteAll(csv, "old content"));
    MessageLog::Lines().clear();
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit small{1000, saved.rlim_max};
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool exported = ListFileIO().ExportBinaryDefectFile(backup, ToBytes(Backup(8, 8, 10)));
    const bool written = ListFileIO().WriteCsvFile(csv, RandomDefects(1, 200, 100, 100));
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved), 0);
    QVERIFY(!exported && !written);
    QCOMPARE(MessageLog::Lines(), (QStringList{"Error. Failed to write file " + backup,
                                               "Error. Failed to write file " + csv}));
    QCOMPARE(ReadAll(backup), QByteArray("old content"));
    QCOMPARE(ReadAll(csv), QByteArray("old content"));
#endif
}

// Absolute names are used as given, relative ones in the program's directory;
// the working directory stays where it was.
void TestListFileIO::backupRoundTrip()
{
    QByteArray content = Backup(2048, 1088, 3);
    content[4100] = 0x12;
    const QString relative = QStringLiteral("defects_relative_backup.bin");
    QVERIFY(QDir::setCurrent(dir.path()));
    for (const QString &name : {dir.filePath("123_backup.bin"), relative}) {
        QVERIFY(ListFileIO().ExportBinaryDefectFile(name, ToBytes(content)));
        Bytes read;
        QVERIFY(ListFileIO().ImportBinaryDefectFile(TestSensor(2048, 1088), name, &read));
        QVERIFY(read == ToBytes(content));
        QCOMPARE(QDir::currentPath(), QDir(dir.path()).canonicalPath());
    }
    QCOMPARE(ReadAll(dir.filePath("123_backup.bin")), content);
    QVERIFY(!QFileInfo::exists(dir.filePath(relative)));
    QVERIFY(QFile::remove(QDir(QCoreApplication::applicationDirPath()).filePath(relative)));
    QVERIFY(QDir::setCurrent(startDirectory));
}

void TestListFileIO::importBackup_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");

    const QString mismatch = QStringLiteral("Error! Incorrect file structure or camera mismatch.");
    QByteArray wrongCount = Backup(2048, 2048, 2);
    wrongCount[12] = 77;
    QTest::newRow("header only") << Backup(2048, 2048, 0) << QStringList{};
    QTest::newRow("count disagrees with length") << wrongCount << QStringList{};
    QTest::newRow("4100 bytes") << Backup(2048, 2048, 0) + "abcd"
                                << QStringList{"Error! File data size mismatch.", mismatch};
    QTest::newRow("100 bytes") << QByteArray(100, '\xFF') << QStringList{"Error! Incorrect file size.", mismatch};
    const QStringList otherSizes{"Error! File header size mismatch.", mismatch};
    QTest::newRow("header size") << Backup(2048, 2048, 0).replace(9, 1, "\0", 1) << otherSizes;
    QTest::newRow("entry size") << Backup(2048, 2048, 0).replace(16, 1, "\x09") << otherSizes;
    const QStringList otherSensor{"Error! Sensor dimensions mismatch.", mismatch};
    QTest::newRow("other height") << Backup(2048, 1088, 1) << otherSensor;
    QTest::newRow("other width") << Backup(1024, 2048, 1) << otherSensor;
    QTest::newRow("empty file") << QByteArray() << QStringList{"Error! Empty file. No DP information available."};
}

void TestListFileIO::importBackup()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    const QString fileName = dir.filePath("a.bin");
    QVERIFY(WriteAll(fileName, content));
    MessageLog log;
    Bytes read{1, 2, 3};
    QCOMPARE(ListFileIO().ImportBinaryDefectFile(TestSensor(2048, 2048), fileName, &read), lines.isEmpty());
    QCOMPARE(MessageLog::Lines(), lines);
    QVERIFY(read == ToBytes(lines.isEmpty() ? content : QByteArray("\1\2\3")));
    QCOMPARE(QDir::currentPath(), startDirectory);
}

QTEST_MAIN(TestListFileIO)
#include "tst_ListFileIO.moc"
