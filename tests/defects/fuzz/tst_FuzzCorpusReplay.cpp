#include "FuzzEntryPoints.h"
#include "MessageLog.h"

#include <QDirIterator>
#include <QtTest>

using EntryPoint = bool (*)(const uint8_t *, size_t);
Q_DECLARE_METATYPE(EntryPoint)

// Every input of the fuzz corpus through the fuzz targets' entry points, in the
// normal build.
class TestFuzzCorpusReplay : public QObject
{
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
};

void TestFuzzCorpusReplay::replay_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<EntryPoint>("entryPoint");
    QTest::newRow("defect file decoder") << "decode" << EntryPoint(&FuzzDecodeDefectFile);
    QTest::newRow("CSV reader") << "csv" << EntryPoint(&FuzzCsvReader);
    QTest::newRow("backup reader") << "backup" << EntryPoint(&FuzzBackupReader);
}

void TestFuzzCorpusReplay::replay()
{
    QFETCH(QString, folder);
    QFETCH(EntryPoint, entryPoint);
    MessageLog quiet;
    int inputs = 0;
    QDirIterator it(QStringLiteral(FUZZ_CORPUS_DIR "/") + folder, QDir::Files);
    while (it.hasNext()) {
        QFile file(it.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY2(entryPoint(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())),
                 qPrintable(file.fileName()));
        ++inputs;
    }
    QVERIFY(inputs > 0);
}

QTEST_GUILESS_MAIN(TestFuzzCorpusReplay)
#include "tst_FuzzCorpusReplay.moc"
