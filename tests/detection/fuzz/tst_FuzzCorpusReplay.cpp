#include "FuzzEntryPoints.h"

#include <QtTest>

// Every input of the fuzz corpus through the fuzz targets' entry points, in the normal build,
// with each of its truncations and each of its bytes flipped: read or refused, consistently,
// never a crash.
class tst_FuzzCorpusReplay : public QObject
{
    Q_OBJECT

private slots:
    void replay_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("PGM reader") << "pgm";
        QTest::newRow("raw reader") << "raw";
    }

    void replay()
    {
        QFETCH(QString, folder);
        const auto consistent = [&folder](const QByteArray &bytes) {
            const auto *data = reinterpret_cast<const uint8_t *>(bytes.constData());
            return folder == "pgm" ? FuzzPgmReader(data, size_t(bytes.size())) : FuzzRawReader(data, size_t(bytes.size()));
        };
        const QDir corpus(QStringLiteral(FUZZ_CORPUS_DIR "/") + folder);
        QVERIFY(!corpus.isEmpty(QDir::Files));
        for (const QString &input : corpus.entryList(QDir::Files)) {
            QFile file(corpus.filePath(input));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QVERIFY2(consistent(bytes), qPrintable(input));
            for (int i = 0; i < bytes.size(); ++i) {
                QByteArray flipped = bytes;
                flipped[i] = char(flipped[i] ^ 0xA5);
                QVERIFY2(consistent(bytes.left(i)) && consistent(flipped), qPrintable(input + ' ' + QString::number(i)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_FuzzCorpusReplay)
#include "tst_FuzzCorpusReplay.moc"
