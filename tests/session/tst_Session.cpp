#include "CameraInterface.h"
#include "DebugLines.h"
#include "Session.h"

#include <ZorvikSim/Simulator.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Coordinates = QList<PixelCoords>;
using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Coordinates)
Q_DECLARE_METATYPE(Bytes)

namespace {

// A 100 x 100 camera whose file holds ten entries.
const QString Small = QStringLiteral("HN2702-M-7001");

Coordinates Run(quint16 row, quint16 first, quint16 last)
{
    Coordinates run;
    for (quint16 column = first; column <= last; ++column)
        run.append({row, column});
    return run;
}

Bytes Holding(const std::vector<std::pair<uint16_t, uint16_t>> &rowColumns)
{
    return ZorvikSim::EncodeDefectFile(100, 100, "Mono", rowColumns);
}

Bytes Custom()
{
    Bytes content;
    ZorvikSim::GetFile("7001", ZorvikSim::CustomDefectFileId, content);
    return content;
}

bool WriteFile(const QString &fileName, const QByteArray &content)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray Raw(const std::vector<uint8_t> &content)
{
    return QByteArray(reinterpret_cast<const char *>(content.data()), int(content.size()));
}

QByteArray FileContent(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const Bytes Old = Holding({{50, 50}});
const Bytes Backup = Holding({{7, 7}, {8, 8}});

// What a write left in the camera, counted over the runs of a sweep.
struct Ends
{
    int old = 0, written = 0, erased = 0;
    QString Text() const { return QStringLiteral("old %1, new %2, erased %3").arg(old).arg(written).arg(erased); }
};

} // namespace

class tst_Session : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

    // Connected to the small camera holding the old list (or, as it left the factory, none of
    // its own), with the user's (5,5) and a backup ready.
    std::unique_ptr<Session> Connected(bool keepCopies = true, const Bytes &old = Old)
    {
        auto session = std::make_unique<Session>();
        session->SetKeepCopies(keepCopies);
        session->CameraEntries();
        if (!ZorvikSim::SetFile("7001", ZorvikSim::CustomDefectFileId, old)
            || !ZorvikSim::SetFile("7001", ZorvikSim::FactoryDefectFileId, Holding({{9, 9}}))
            || session->Connect(Small) != Session::Done
            || (!old.empty() && session->Download() != Session::Done) || !session->AddUserDefect({5, 5}, -1)
            || !WriteFile(dir.filePath("backup.bin"), Raw(Backup)))
            return nullptr;
        return session;
    }

    // The operation's write, and what the camera holds when it arrived.
    Session::Outcome Write(Session &session, const QString &operation, Bytes *written)
    {
        if (operation == "upload") {
            *written = Holding({{50, 50}, {5, 5}});
            return session.Upload([](const QList<Finding> &) { return true; });
        }
        if (operation == "restore") {
            *written = Backup;
            return session.Restore(dir.filePath("backup.bin"));
        }
        ZorvikSim::GetFile("7001", ZorvikSim::FactoryDefectFileId, *written);
        return session.Revert();
    }

private slots:
    void initTestCase()
    {
        ZorvikSim::UseMemory();
        ZorvikSim::SetDurations(0, 0);
        CameraInterface::SetPollPause(0);
        QVERIFY(ZorvikSim::Attach({"HN2702-M", "7001", "", 100, 100, "Mono", true, 4352 + 8 * 10}));
    }

    void upload_data()
    {
        QTest::addColumn<Coordinates>("user");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<Coordinates>("held"); // what the camera then holds
        QTest::addColumn<QStringList>("lines");
        const Coordinates camera{{50, 50}};
        QTest::newRow("outside, uncorrectable and beyond capacity dropped")
            << (Run(1, 20, 28) << PixelCoords(100, 3) << PixelCoords(3, 10)) << true << int(Session::Done)
            << Coordinates{{50, 50}} + Run(1, 20, 23) + Run(1, 25, 28) + Coordinates{{3, 10}} << QStringList();
        QTest::newRow("findings declined") << Run(1, 1, 5) << false << int(Session::Declined) << camera
                                           << QStringList{"ValidateDefectivePixelCoordinates() failed"};
        QTest::newRow("nothing in the user list") << Coordinates() << true << int(Session::NothingToUpload) << camera
                                                  << QStringList();
    }

    // What the camera ends up holding; a declined upload writes nothing at all.
    void upload()
    {
        QFETCH(Coordinates, user);
        QFETCH(bool, accept);
        QFETCH(int, outcome);
        QFETCH(Coordinates, held);
        QFETCH(QStringList, lines);
        QVERIFY(ZorvikSim::SetFile("7001", ZorvikSim::CustomDefectFileId, Holding({{50, 50}})));
        Session session;
        session.CameraEntries();
        QCOMPARE(session.Connect(Small), Session::Done);
        QCOMPARE(session.Download(), Session::Done);
        const Bytes before = Custom();
        for (const PixelCoords &coords : user)
            QVERIFY(session.AddUserDefect(coords, -1));
        DebugLines log;
        QCOMPARE(int(session.Upload([accept](const QList<Finding> &) { return accept; })), outcome);
        QCOMPARE(log.Lines().filter(QRegularExpression("^(Valid|Format|Defect File)")), lines);
        if (outcome != Session::Done)
            QVERIFY(Custom() == before);
        QCOMPARE(session.Download(), Session::Done);
        QCOMPARE(session.CameraDefects(), held);
    }

    void faultSweep_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<Bytes>("old");
        for (const char *operation : {"upload", "restore", "revert"})
            QTest::newRow(operation) << operation << Old;
        QTest::newRow("restore onto the factory list") << "restore" << Bytes();
    }

    // For every k the k-th call into the camera fails once. Written without copies, some runs leave
    // the camera erased; with them none does, and every run that did not write the new list either
    // wrote nothing at all or says that the old list was put back.
    void faultSweep()
    {
        QFETCH(QString, operation);
        QFETCH(Bytes, old);
        DebugLines quiet;
        QStringList counts;
        for (const bool keepCopies : {false, true}) {
            Ends ends;
            bool fired = true;
            for (int k = 1; fired; ++k) {
                const std::unique_ptr<Session> session = Connected(keepCopies, old);
                QVERIFY(session && ZorvikSim::SetFault("7001", {ZorvikSim::FaultKind::FailCall, k, -13}));
                Bytes written;
                const Session::Outcome outcome = Write(*session, operation, &written);
                fired = ZorvikSim::Faults("7001").empty();
                QVERIFY(ZorvikSim::ClearFaults("7001"));
                const Bytes held = Custom();
                ends.written += held == written;
                ends.old += held == old;
                ends.erased += held != written && held != old;
                if (!keepCopies || held == written)
                    continue;
                QCOMPARE(held, old);
                QVERIFY2(outcome == Session::NotCopied || session->LastPutBack() == Session::PutBackDone, qPrintable(QString::number(k)));
                QVERIFY(!session->UnfinishedWrite());
            }
            counts << (keepCopies ? "with copies: " : "without copies: ") + ends.Text();
            QVERIFY2(keepCopies ? ends.erased == 0 : ends.erased > 0 || old.empty(), qPrintable(counts.last()));
        }
        qInfo("%s %s", qPrintable(operation), qPrintable(counts.join("; ")));
    }

    // From the k-th call on every call fails: where that leaves the camera erased, the copy is what
    // it held, the write is unfinished, and the copy goes back once the camera answers again.
    void persistentFault()
    {
        DebugLines quiet;
        int erased = 0;
        bool fired = true;
        for (int k = 1; fired; ++k) {
            std::unique_ptr<Session> session = Connected();
            QVERIFY(session && ZorvikSim::SetFault("7001", {ZorvikSim::FaultKind::FailFromCall, k, -13}));
            Bytes written;
            Write(*session, "restore", &written);
            fired = !ZorvikSim::Calls("7001").empty() && ZorvikSim::Calls("7001").back().result != 0;
            QVERIFY(ZorvikSim::ClearFaults("7001"));
            ZorvikSim::ClearCalls("7001");
            if (Custom() == Old || Custom() == written)
                continue;
            ++erased;
            QCOMPARE(session->LastPutBack(), Session::PutBackFailed);
            QCOMPARE(FileContent(session->LastCopy().file), Raw(Old));
            session.reset();
            session = std::make_unique<Session>();
            session->CameraEntries();
            QCOMPARE(session->Connect(Small), Session::Done);
            QVERIFY(session->UnfinishedWrite());
            QCOMPARE(session->Recover(), Session::Done);
            QCOMPARE(Custom(), Old);
            QVERIFY(!session->UnfinishedWrite());
        }
        QVERIFY(erased > 0);

        // A write without a copy that succeeds leaves nothing unfinished either.
        std::unique_ptr<Session> session = Connected();
        QVERIFY(session && ZorvikSim::SetFault("7001", {ZorvikSim::FaultKind::ReadBackDiffers, 1, -13}));
        Bytes written;
        Write(*session, "restore", &written);
        QVERIFY(ZorvikSim::ClearFaults("7001") && session->UnfinishedWrite());
        session->SetKeepCopies(false);
        QCOMPARE(Write(*session, "restore", &written), Session::Done);
        QVERIFY(!session->UnfinishedWrite());
    }

    // A file the camera cannot hold is refused before anything is erased: the camera still holds
    // its list, and nothing is written to put it back.
    void refusedBeforeTheErase()
    {
        DebugLines quiet;
        std::unique_ptr<Session> session = Connected();
        std::vector<std::pair<uint16_t, uint16_t>> entries;
        for (uint16_t column = 0; column < 50; ++column) // a file larger than the camera's flash file
            entries.push_back({4, uint16_t(2 * column)});
        QVERIFY(session && WriteFile(dir.filePath("large.bin"), Raw(Holding(entries))));
        ZorvikSim::ClearCalls("7001");
        QCOMPARE(int(session->Restore(dir.filePath("large.bin"))), int(Session::WriteFailed));
        QCOMPARE(session->LastPutBack(), Session::PutBackDone);
        const std::vector<ZorvikSim::Call> calls = ZorvikSim::Calls("7001");
        QVERIFY(std::none_of(calls.begin(), calls.end(), [](const ZorvikSim::Call &call) { return call.operation == "WriteMemory"; }));
        QCOMPARE(Custom(), Old);
    }

    // A camera unplugged in the middle of the packets keeps nothing; plugged in again, it gets
    // its old list back from the copy.
    void unplugged()
    {
        DebugLines quiet;
        std::unique_ptr<Session> session = Connected();
        // The copy is read first, as a backup is.
        ZorvikSim::ClearCalls("7001");
        QVERIFY(session && session->Backup(dir.filePath("read.bin")) == Session::Done);
        const std::vector<ZorvikSim::Call> calls = ZorvikSim::Calls("7001");
        const int reads = int(std::count_if(calls.begin(), calls.end(), [](const ZorvikSim::Call &call) { return call.operation == "ReadMemory"; }));
        QVERIFY(ZorvikSim::SetFault("7001", {ZorvikSim::FaultKind::UnplugMidTransfer, reads + 3, -13}));
        Bytes written;
        QCOMPARE(Write(*session, "restore", &written), Session::WriteFailed);
        QCOMPARE(session->LastPutBack(), Session::PutBackFailed);
        QCOMPARE(FileContent(session->LastCopy().file), Raw(Old));
        session.reset();
        QVERIFY(ZorvikSim::Attach({"HN2702-M", "7001", "", 100, 100, "Mono", true, 4352 + 8 * 10}));
        QVERIFY(Custom().empty());
        session = std::make_unique<Session>();
        session->CameraEntries();
        QCOMPARE(session->Connect(Small), Session::Done);
        QCOMPARE(session->Recover(), Session::Done);
        QCOMPARE(Custom(), Old);
    }

    // Every step of a write is reported, each packet written and read back once.
    void progress()
    {
        DebugLines quiet;
        QVERIFY(ZorvikSim::SetFile("7001", ZorvikSim::CustomDefectFileId, Holding({})));
        Session session;
        session.CameraEntries();
        QCOMPARE(session.Connect(Small), Session::Done);
        QSignalSpy steps(&session, &Session::TransferProgress);
        const QString backup = dir.filePath("small.bin");
        std::vector<std::pair<uint16_t, uint16_t>> entries;
        for (uint16_t column = 0; column < 10; ++column)
            entries.push_back({3, column * 2}); // 4176 bytes: nine packets
        const Bytes content = Holding(entries);
        QVERIFY(WriteFile(backup, QByteArray(reinterpret_cast<const char *>(content.data()), int(content.size()))));
        QCOMPARE(session.Restore(backup), Session::Done);
        QStringList seen;
        for (const QList<QVariant> &step : qAsConst(steps))
            seen << step[0].toString() + ' ' + step[1].toString() + '/' + step[2].toString();
        const auto packets = [](const QString &step) {
            QStringList each;
            for (int packet = 1; packet <= 9; ++packet)
                each << QString("%1 %2/9").arg(step).arg(packet);
            return each;
        };
        // The copy read first, then the write and its read-back.
        QCOMPARE(seen, packets("reading") + QStringList("erasing 0/0") + packets("writing") + QStringList("storing 0/0")
                           + QStringList("verifying 0/0") + packets("verifying"));
    }

    // Added after the given row or at the end, each coordinate once; only a row in the list goes.
    void userList()
    {
        DebugLines quiet;
        Session session;
        for (const auto &[coords, after] : {std::pair<PixelCoords, int>{{1, 1}, -1}, {{2, 2}, -1}, {{3, 3}, 0},
                                            {{4, 4}, 1}, {{5, 5}, 9}})
            QVERIFY(session.AddUserDefect(coords, after));
        QVERIFY(!session.AddUserDefect({4, 4}, -1));
        QVERIFY(session.RemoveUserDefect(2) && !session.RemoveUserDefect(4) && !session.RemoveUserDefect(-1));
        QCOMPARE(session.UserDefects(), Coordinates({{1, 1}, {3, 3}, {2, 2}, {5, 5}}));
    }
};

QTEST_MAIN(tst_Session)
#include "tst_Session.moc"
