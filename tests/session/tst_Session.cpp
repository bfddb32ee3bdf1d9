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

} // namespace

class tst_Session : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

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

    // Every step of a write is reported, each packet once.
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
        QCOMPARE(seen, (QStringList{"erasing 0/0", "writing 1/9", "writing 2/9", "writing 3/9", "writing 4/9",
                                    "writing 5/9", "writing 6/9", "writing 7/9", "writing 8/9", "writing 9/9",
                                    "storing 0/0", "verifying 0/0"}));
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
