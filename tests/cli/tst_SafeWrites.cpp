#include "CliFixture.h"

#include <QCryptographicHash>

// What talvern-cli keeps of a camera's list when a write into it fails or is cut short.
class tst_SafeWrites : public CliFixture
{
    Q_OBJECT

private slots:
    void init() { Setup(); }

    void killed_data()
    {
        QTest::addColumn<QByteArray>("marker");
        QTest::newRow("after the erase") << QByteArray("Flash File erased");
        QTest::newRow("in the middle of the packets") << QByteArray("Write packet 0\t");
        QTest::newRow("before the read-back") << QByteArray("Flash File uploaded");
    }

    // Killed in the middle of an upload, talvern-cli leaves the copy and its index whole, the next
    // command warns, and recover puts the old list back.
    void killed()
    {
        QFETCH(QByteArray, marker);
        const QByteArray held = File(Mono);
        QVERIFY(Killed({"upload", "1001", "added.csv", "--yes"}, marker));
        const QJsonArray copies = Copies();
        QCOMPARE(copies.size(), 2);
        QCOMPARE(copies[0]["operation"].toString(), "factory");
        const QJsonValue copy = copies[1];
        QCOMPARE(copy["operation"].toString() + ' ' + QString::number(copy["finished"].toBool()), "upload 0");
        QCOMPARE(Read(CopiesFolder + copy["file"].toString()), held);
        QCOMPARE(copy["sha256"].toString(), QCryptographicHash::hash(held, QCryptographicHash::Sha256).toHex());
        QCOMPARE(Start({"show", "1001"}).err, QStringList{Unfinished});
        const Ran recovered = Start({"recover", "1001"});
        QCOMPARE(recovered.out, QStringList{QString("Recovered; the camera holds %1 defects").arg(MonoList.size())});
        QCOMPARE(File(Mono), held);
        QCOMPARE(Start({"recover", "1001"}).out, QStringList{"Nothing to recover: the last write into HN2702-M-1001 finished"});
    }

    // A write whose every read-back differs cannot put the old list back either: the user is told
    // where its copy is, and recover puts it back once the camera stores what it is sent.
    void writeFails()
    {
        const QByteArray held = File(Mono);
        QVERIFY(ZorvikSim::SetFault("1001", {ZorvikSim::FaultKind::ReadBackDiffers, 1, -13}));
        const Ran ran = Start({"restore", "1001", "backup.bin"});
        QCOMPARE(ran.status, 4);
        const QString copy = Path(CopiesFolder + Copies().last()["file"].toString());
        QCOMPARE(ran.err, QStringList{"talvern-cli: writing into HN2702-M-1001 failed; its previous list could not be put back, a copy is kept in " + copy});
        QCOMPARE(Read(CopiesFolder + QFileInfo(copy).fileName()), held);
        QVERIFY(ZorvikSim::ClearFaults("1001"));
        const Ran recovered = Start({"recover", "1001"});
        QCOMPARE(recovered.status, 0);
        QCOMPARE(File(Mono), held);
    }

    // Nothing is written when no copy can be kept, unless the user says to write without one.
    void copyNotKept()
    {
        QVERIFY(QDir(Path()).mkpath("home/data/Corvane/Talvern") && Write("home/data/Corvane/Talvern/backups", "a file"));
        const QByteArrayList before = Held();
        const Ran refused = Start({"restore", "1001", "backup.bin"});
        QCOMPARE(refused.status, 5);
        QCOMPARE(refused.err, QStringList{"talvern-cli: could not keep a copy of the defect file of HN2702-M-1001; nothing was written (give --no-backup to write without one)"});
        QVERIFY(Held() == before);
        QCOMPARE(Start({"restore", "1001", "backup.bin", "--no-backup"}).status, 0);
        QCOMPARE(File(Mono), Read("backup.bin"));
    }
};

QTEST_GUILESS_MAIN(tst_SafeWrites)
#include "tst_SafeWrites.moc"
