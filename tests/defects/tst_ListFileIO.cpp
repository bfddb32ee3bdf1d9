#include "ListFileIO.h"
#include "ListManager.h"
#include "MessageLog.h"
#include "RandomDefects.h"
#include "ReferenceEncoding.h"
#include "TestSensor.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using Bytes = std::vector<unsigned char>;
Q_DECLARE_METATYPE(QList<PixelCoords>)

namespace {

Bytes Backup(quint32 width, quint32 height, int entries)
{
    Bytes content(4096 + 8 * size_t(entries), 0xFF);
    const quint32 words[] = {0xFFFFFFFF, 1, 4096, quint32(entries), 8, width, height};
    for (int i = 0; i < 7; ++i)
        qToLittleEndian<quint32>(words[i], content.data() + 4 * i);
    return content;
}

QByteArray ToByteArray(const Bytes &content)
{
    return QByteArray(reinterpret_cast<const char *>(content.data()), int(content.size()));
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
    void initTestCase();
    void csvRoundTrip();
    void readCsv_data();
    void readCsv();
    void readCsvDropsDuplicatesLikeReference();
    void csvFailures();
    void failedWriteKeepsOldFile();
    void backupRoundTrip();
    void importBackup_data();
    void importBackup();
    void truncatedAndMutatedFilesNeverCrash();

private:
    QTemporaryDir dir;
    QString startDirectory;
};

void TestListFileIO::initTestCase()
{
    QVERIFY(dir.isValid());
    startDirectory = QDir::currentPath();
}

void TestListFileIO::csvRoundTrip()
{
    MessageLog log;
    const QList<PixelCoords> list = ReferenceMerge({}, RandomDefects(3, 400, 65535, 65534));
    const QString fileName = dir.filePath("round.csv");
    QVERIFY(ListFileIO().WriteCsvFile(fileName, list));
    QList<PixelCoords> read;
    QVERIFY(ListFileIO().ReadCsvFile(fileName, &read));
    QCOMPARE(read, list);
    QVERIFY(MessageLog::Lines().isEmpty());

    ListManager manager;
    QVERIFY(ListFileIO().WriteCsvFile(fileName, {}));
    QCOMPARE(ReadAll(fileName), QByteArray("Row,Column\n"));
    manager.AddUserCoordinate({12, 345}, -1);
    manager.AddUserCoordinate({0, 65535}, -1);
    QVERIFY(manager.SaveUserListToFile(fileName));
    QCOMPARE(ReadAll(fileName), QByteArray("Row,Column\n12, 345\n0, 65535\n"));
}

void TestListFileIO::readCsv_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<PixelCoords>>("expected");
    QTest::addColumn<QStringList>("lines");

    using List = QList<PixelCoords>;
    const QStringList none;
    const QStringList badHeader{"Incorrect file format!"};
    const QStringList badRow{"Error. Incorrect format in row", "Error in processing input!"};
    QTest::newRow("header with comment") << QByteArray("Row,Column,Comment\n5,7\n") << true << List{{5, 7}} << none;
    QTest::newRow("CR LF line ends") << QByteArray("Row,Column\r\n5,7\r\n8, 9\r\n") << true << List{{5, 7}, {8, 9}}
                                     << none;
    QTest::newRow("no line end at the end") << QByteArray("Row,Column\n5,7") << true << List{{5, 7}} << none;
    QTest::newRow("header only") << QByteArray("Row,Column\n") << true << List{} << none;
    QTest::newRow("lower case header") << QByteArray("row,column\n5,7\n") << false << List{} << badHeader;
    QTest::newRow("space in header") << QByteArray("Row, Column\n5,7\n") << false << List{} << badHeader;
    QTest::newRow("empty file") << QByteArray() << false << List{} << badHeader;
    QTest::newRow("blank line inside") << QByteArray("Row,Column\n5,7\n\n6,8\n") << false << List{{5, 7}} << badRow;
    QTest::newRow("second line end at the end") << QByteArray("Row,Column\n5,7\n\n") << false << List{{5, 7}}
                                                << badRow;
    QTest::newRow("three parts") << QByteArray("Row,Column\n5,7,9\n") << false << List{} << badRow;
    QTest::newRow("semicolon") << QByteArray("Row,Column\n5;7\n") << false << List{} << badRow;
    QTest::newRow("not a number") << QByteArray("Row,Column\nabc,7\n") << true << List{{0, 7}} << none;
    QTest::newRow("duplicate with space") << QByteArray("Row,Column\n5,7\n5, 7\n") << true << List{{5, 7}}
                                          << QStringList{"Duplicate value detected! Coordinates will not be added"};
    QTest::newRow("low 16 bits") << QByteArray("Row,Column\n65536,1\n70000, 2\n") << true << List{{0, 1}, {4464, 2}}
                                 << none;
}

// Read directly, and loaded as the user list: a refused file leaves the list as it was.
void TestListFileIO::readCsv()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, ok);
    QFETCH(QList<PixelCoords>, expected);
    QFETCH(QStringList, lines);
    const QString fileName = dir.filePath("read.csv");
    QVERIFY(WriteAll(fileName, content));
    MessageLog log;
    QList<PixelCoords> read;
    QCOMPARE(ListFileIO().ReadCsvFile(fileName, &read), ok);
    QCOMPARE(read, expected);
    QCOMPARE(MessageLog::Lines(), lines);

    ListManager manager;
    manager.AddUserCoordinate({9, 9}, -1);
    QCOMPARE(manager.LoadUserListFromFile(fileName), ok);
    QCOMPARE(manager.GetCoordinateList(UserList), ok ? expected : QList<PixelCoords>({{9, 9}}));
    if (!ok)
        QCOMPARE(MessageLog::Lines().last(), QStringLiteral("Error! File could not be loaded."));
}

void TestListFileIO::readCsvDropsDuplicatesLikeReference()
{
    const QList<PixelCoords> list = RandomDefects(11, 2000, 50, 20);
    QByteArray content("Row,Column\n");
    for (const PixelCoords &coords : list)
        content += QByteArray::number(coords.row) + ',' + QByteArray::number(coords.column) + '\n';
    const QString fileName = dir.filePath("duplicates.csv");
    QVERIFY(WriteAll(fileName, content));
    MessageLog log;
    QList<PixelCoords> read;
    QVERIFY(ListFileIO().ReadCsvFile(fileName, &read));
    QCOMPARE(read, ReferenceMerge({}, list));
    QCOMPARE(MessageLog::Lines().size(), list.size() - read.size());
}

void TestListFileIO::csvFailures()
{
    MessageLog log;
    const QString missing = dir.filePath("missing/list.csv");
    QList<PixelCoords> read;
    QVERIFY(!ListFileIO().ReadCsvFile(missing, &read));
    QVERIFY(!ListFileIO().ReadCsvFile(dir.filePath("round.csv"), nullptr));
    QVERIFY(!ListFileIO().WriteCsvFile(missing, {{1, 1}}));
    QVERIFY(!ListManager().SaveUserListToFile(QString()));
    PixelCoords coords;
    QVERIFY(!ListFileIO().ParseCsvRow("1,2", nullptr));
    QVERIFY(ListFileIO().ParseCsvRow(" 1 , 2 ", &coords));
    QCOMPARE(coords, PixelCoords(1, 2));
    QCOMPARE(MessageLog::Lines(), (QStringList{"Error. Failed to open file " + missing, "Error. No list to read into.",
                                               "Error. Failed to open file " + missing, "Error! Filename empty.",
                                               "Error. Incorrect format in row"}));
    QVERIFY(!QFileInfo::exists(missing));
}

// A write that fails part way (here: the file size limit, as a full disk
// would) is reported and leaves the older file whole.
void TestListFileIO::failedWriteKeepsOldFile()
{
#ifdef Q_OS_UNIX
    const QString backup = dir.filePath("existing.bin");
    const QString csv = dir.filePath("existing.csv");
    QVERIFY(WriteAll(backup, "old content") && WriteAll(csv, "old content"));

    signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1000;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    MessageLog log;
    const bool exported = ListFileIO().ExportBinaryDefectFile(backup, Backup(8, 8, 10));
    const bool written = ListFileIO().WriteCsvFile(csv, RandomDefects(1, 200, 100, 100));
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved), 0);

    QVERIFY(!exported && !written);
    QCOMPARE(MessageLog::Lines(), (QStringList{"Error. Failed to write file " + backup,
                                               "Error. Failed to write file " + csv}));
    QCOMPARE(ReadAll(backup), QByteArray("old content"));
    QCOMPARE(ReadAll(csv), QByteArray("old content"));
#else
    QSKIP("needs a file size limit");
#endif
}

// Absolute names are used as given, relative ones in the program's directory;
// the working directory stays where it was.
void TestListFileIO::backupRoundTrip()
{
    Bytes content = Backup(2048, 1088, 3);
    content[4100] = 0x12;
    const QString absolute = dir.filePath("123_backup.bin");
    const QString relative = QStringLiteral("defects_relative_backup.bin");
    const QString inProgramDirectory = QDir(QCoreApplication::applicationDirPath()).filePath(relative);
    QVERIFY(QDir::setCurrent(dir.path()));
    for (const QString &name : {absolute, relative}) {
        QVERIFY(ListFileIO().ExportBinaryDefectFile(name, content));
        Bytes read;
        QVERIFY(ListFileIO().ImportBinaryDefectFile(TestSensor(2048, 1088), name, &read));
        QVERIFY(read == content);
        QCOMPARE(QDir::currentPath(), QDir(dir.path()).canonicalPath());
    }
    QCOMPARE(ReadAll(absolute), ToByteArray(content));
    QVERIFY(!QFileInfo::exists(dir.filePath(relative)));
    QVERIFY(QFile::remove(inProgramDirectory));
    QVERIFY(QDir::setCurrent(startDirectory));

    MessageLog log;
    QVERIFY(!ListFileIO().ExportBinaryDefectFile(QString(), content));
    QVERIFY(!ListFileIO().ExportBinaryDefectFile(dir.filePath("missing/a.bin"), content));
    QCOMPARE(MessageLog::Lines(), (QStringList{"Error! Filename empty.",
                                               "Error. Failed to open file " + dir.filePath("missing/a.bin")}));
}

void TestListFileIO::importBackup_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("lines");

    const QString mismatch = QStringLiteral("Error! Incorrect file structure or camera mismatch.");
    Bytes badHeader = Backup(2048, 2048, 0);
    badHeader[9] = 0;
    Bytes badEntrySize = Backup(2048, 2048, 0);
    badEntrySize[16] = 9;
    Bytes wrongCount = Backup(2048, 2048, 2);
    wrongCount[12] = 77;

    QTest::newRow("header only") << "a.bin" << ToByteArray(Backup(2048, 2048, 0)) << QStringList{};
    QTest::newRow("count disagrees with length") << "a.bin" << ToByteArray(wrongCount) << QStringList{};
    QTest::newRow("4100 bytes") << "a.bin" << ToByteArray(Backup(2048, 2048, 0)) + "abcd"
                                << QStringList{"Error! File data size mismatch.", mismatch};
    QTest::newRow("100 bytes") << "a.bin" << QByteArray(100, '\xFF')
                               << QStringList{"Error! Incorrect file size.", mismatch};
    QTest::newRow("header size") << "a.bin" << ToByteArray(badHeader)
                                 << QStringList{"Error! File header size mismatch.", mismatch};
    QTest::newRow("entry size") << "a.bin" << ToByteArray(badEntrySize)
                                << QStringList{"Error! File header size mismatch.", mismatch};
    QTest::newRow("other sensor") << "a.bin" << ToByteArray(Backup(2048, 1088, 1))
                                  << QStringList{"Error! Sensor dimensions mismatch.", mismatch};
    QTest::newRow("other width") << "a.bin" << ToByteArray(Backup(1024, 2048, 1))
                                 << QStringList{"Error! Sensor dimensions mismatch.", mismatch};
    QTest::newRow("empty file") << "a.bin" << QByteArray()
                                << QStringList{"Error! Empty file. No DP information available."};
    QTest::newRow("no name") << "" << QByteArray() << QStringList{"Error! Filename empty."};
    QTest::newRow("missing file") << "missing/a.bin" << QByteArray() << QStringList{"Error! Failed to open file "};
}

void TestListFileIO::importBackup()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, lines);
    const QString fileName = name.isEmpty() ? name : dir.filePath(name);
    if (name.startsWith("missing"))
        lines[0] += fileName;
    else
        QVERIFY(name.isEmpty() || WriteAll(fileName, content));

    MessageLog log;
    Bytes read{1, 2, 3};
    QCOMPARE(ListFileIO().ImportBinaryDefectFile(TestSensor(2048, 2048), fileName, &read), lines.isEmpty());
    QCOMPARE(MessageLog::Lines(), lines);
    QCOMPARE(ToByteArray(read), lines.isEmpty() ? content : QByteArray("\1\2\3"));
    QCOMPARE(QDir::currentPath(), startDirectory);
}

// Every truncation and every single flipped byte of small files: read or
// refused, never a crash, and what is read stays consistent.
void TestListFileIO::truncatedAndMutatedFilesNeverCrash()
{
    MessageLog quiet;
    const QByteArray csv("Row,Column\n12, 345\n6,7\n6,7\n70000,1\n");
    const QString csvName = dir.filePath("mutated.csv");
    for (int length = 0; length <= csv.size() * 2; ++length) {
        QByteArray mutated = csv.left(qMin(length, csv.size()));
        if (length > csv.size())
            mutated[length - csv.size() - 1] = char(mutated[length - csv.size() - 1] ^ 0x5A);
        QVERIFY(WriteAll(csvName, mutated));
        QList<PixelCoords> read;
        if (ListFileIO().ReadCsvFile(csvName, &read))
            QCOMPARE(read, ReferenceMerge({}, read));
        else
            QVERIFY(read.size() <= 3);
    }

    const Bytes backup = Backup(640, 480, 2);
    for (size_t length = 0; length <= backup.size(); ++length) {
        const Bytes cut(backup.begin(), backup.begin() + long(length));
        QCOMPARE(ListFileIO().ValidateBackupFile(TestSensor(640, 480), cut), length >= 4096 && length % 8 == 0);
        QList<PixelCoords> decoded;
        DecodeDefectFile(cut, &decoded);
        QVERIFY(decoded.size() <= 2);
    }
    for (size_t position = 0; position < backup.size(); ++position) {
        Bytes flipped = backup;
        flipped[position] ^= 0xA5;
        const bool checked = (position >= 8 && position < 12) || (position >= 16 && position < 28);
        QCOMPARE(ListFileIO().ValidateBackupFile(TestSensor(640, 480), flipped), !checked);
        QList<PixelCoords> decoded;
        DecodeDefectFile(flipped, &decoded);
        QVERIFY(decoded.size() <= 2);
    }
}

QTEST_MAIN(TestListFileIO)
#include "tst_ListFileIO.moc"
