#include "FuzzEntryPoints.h"

#include <QtTest>

using EntryPoint = bool (*)(const uint8_t *, size_t);
Q_DECLARE_METATYPE(EntryPoint)

// Every input of the fuzz corpus through the fuzz targets' entry points, in the normal
// build; and of one small input every truncation and every flipped byte: read or refused,
// consistently, never a crash.
class tst_FuzzCorpusReplay : public QObject
{
    Q_OBJECT

private slots:
    void replay_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("small");
        QTest::addColumn<EntryPoint>("entryPoint");
        QTest::newRow("PGM reader") << "pgm" << "three_by_two_16bit.pgm" << EntryPoint(&FuzzPgmReader);
        QTest::newRow("raw reader") << "raw" << "three_by_two.bin" << EntryPoint(&FuzzRawReader);
    }

    void replay()
    {
        QFETCH(QString, folder);
        QFETCH(QString, small);
        QFETCH(EntryPoint, entryPoint);
        const auto consistent = [entryPoint](const QByteArray &bytes) {
            return entryPoint(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
        };
        const QDir corpus(QStringLiteral(FUZZ_CORPUS_DIR "/") + folder);
        QVERIFY(corpus.exists(small));
        for (const QString &input : corpus.entryList(QDir::Files)) {
            QFile file(corpus.filePath(input));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QVERIFY2(consistent(bytes), qPrintable(input));
            for (int i = 0; input == small && i < bytes.size(); ++i) {
                QByteArray flipped = bytes;
                flipped[i] = char(flipped[i] ^ 0xA5);
                QVERIFY2(consistent(bytes.left(i)) && consistent(flipped), qPrintable(QString::number(i)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_FuzzCorpusReplay)
#include "tst_FuzzCorpusReplay.moc"
