#include "FindDefectsDialog.h"

#include "MessageBoxes.h"

#include <QFileDialog>
#include <QtTest>

#include <functional>

Q_DECLARE_METATYPE(PixelCoords)

namespace {

const QSize FrameSize(16, 12);
const PixelCoords Hot(3, 5);
const PixelCoords Dead(8, 10);

// A binary PGM of 16-bit samples, most significant byte first.
bool WritePgm(const QString &fileName, QSize size, const std::function<quint16(PixelCoords)> &value)
{
    QByteArray bytes = QStringLiteral("P5\n%1 %2\n65535\n").arg(size.width()).arg(size.height()).toLatin1();
    for (int row = 0; row < size.height(); ++row) {
        for (int column = 0; column < size.width(); ++column) {
            const quint16 sample = value(PixelCoords(quint16(row), quint16(column)));
            bytes.append(char(sample >> 8)).append(char(sample & 0xff));
        }
    }
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString RowText(QTableWidget *table, int row)
{
    QStringList texts;
    for (int column : {0, 1, 2, 3, 5})
        texts << table->item(row, column)->text();
    return texts.join(QLatin1Char(','));
}

} // namespace

// Finding candidates in frames on the worker thread: what the table shows, what the window is
// given, and that errors, Cancel and closing leave nothing changed and nothing running.
class tst_FindDefectsDialog : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QStringList darks, flats;
    QStringList manyDarks; // a run long enough to stop

    static void Find(FindDefectsDialog &dialog)
    {
        QTest::mouseClick(dialog.findChild<QPushButton *>("findButton"), Qt::LeftButton);
    }

    // The frames picked, all from one folder, in the file dialog that the button opens.
    static bool Choose(FindDefectsDialog &dialog, const char *button, const QStringList &files)
    {
        WhenShown<QFileDialog> pick([&files](QFileDialog *shown) {
            shown->setDirectory(QFileInfo(files[0]).path());
            QStringList names;
            for (const QString &file : files)
                names << '"' + QFileInfo(file).fileName() + '"';
            shown->selectFile(names.join(' '));
            QMetaObject::invokeMethod(shown, "accept");
        });
        QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);
        return pick.answered;
    }

private slots:
    // Two frames per set, differing by one step so that no pixel is stuck; the hot pixel is as
    // far above in the flats, so that its response is normal, and the dead one has none.
    void initTestCase()
    {
        for (quint16 k = 0; k < 2; ++k) {
            darks << dir.filePath(QStringLiteral("dark%1.pgm").arg(k));
            flats << dir.filePath(QStringLiteral("flat%1.pgm").arg(k));
            QVERIFY(WritePgm(darks.last(), FrameSize, [k](PixelCoords p) { return quint16(100 + k + (p == Hot) * 900); }));
            QVERIFY(WritePgm(flats.last(), FrameSize, [k](PixelCoords p) {
                return quint16(p == Dead ? 100 + k : 2000 + k + (p == Hot) * 900);
            }));
        }
        const QString big = dir.filePath(QStringLiteral("big.pgm"));
        QVERIFY(WritePgm(big, QSize(512, 512), [](PixelCoords p) { return quint16(100 + p.column % 3); }));
        for (int i = 0; i < 40; ++i)
            manyDarks << big;
    }

    void findsHotAndDead_data()
    {
        QTest::addColumn<QList<PixelCoords>>("cameraList");
        QTest::addColumn<QList<PixelCoords>>("userList");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QList<PixelCoords>>("added");
        QTest::newRow("neither known") << QList<PixelCoords>() << QList<PixelCoords>()
                                       << QStringList{"3,5,hot,900.0,new", "8,10,dead,1900.0,new"} << QList<PixelCoords>{Hot, Dead};
        QTest::newRow("hot in the camera list") << QList<PixelCoords>{Hot} << QList<PixelCoords>()
                                                << QStringList{"3,5,hot,900.0,camera list", "8,10,dead,1900.0,new"}
                                                << QList<PixelCoords>{Dead};
        QTest::newRow("dead in the user list") << QList<PixelCoords>() << QList<PixelCoords>{Dead}
                                               << QStringList{"3,5,hot,900.0,new", "8,10,dead,1900.0,user list"}
                                               << QList<PixelCoords>{Hot};
    }

    // The story of the window: pick the frames, find, add the new ones, and the lists it hands
    // back mark them known.
    void findsHotAndDead()
    {
        QFETCH(QList<PixelCoords>, cameraList);
        QFETCH(QList<PixelCoords>, userList);
        QFETCH(QStringList, rows);
        QFETCH(QList<PixelCoords>, added);
        FindDefectsDialog dialog(FrameSize, SensorLayout::Mono, cameraList, userList, nullptr);
        QVERIFY(Choose(dialog, "darkButton", darks) && Choose(dialog, "flatButton", flats));
        QSignalSpy found(&dialog, &FindDefectsDialog::CandidatesFound);
        QSignalSpy addRequests(&dialog, &FindDefectsDialog::AddRequested);

        Find(dialog);
        QTRY_COMPARE(found.count(), 1);

        QCOMPARE(found[0][0].value<QList<PixelCoords>>(), (QList<PixelCoords>{Hot, Dead}));
        auto *table = dialog.findChild<QTableWidget *>("candidateTable");
        QCOMPARE(table->rowCount(), rows.size());
        for (int row = 0; row < rows.size(); ++row)
            QCOMPARE(RowText(table, row), rows[row]);
        QCOMPARE(dialog.findChild<QLabel *>("countLabel")->text(), QStringLiteral("2 candidates, %1 new").arg(added.size()));
        auto *progress = dialog.findChild<QProgressBar *>("progressBar");
        QCOMPARE(progress->value(), progress->maximum());
        auto *addButton = dialog.findChild<QPushButton *>("addButton");
        QTest::mouseClick(addButton, Qt::LeftButton);
        QCOMPARE(addRequests.count(), 1);
        QCOMPARE(addRequests[0][0].value<QList<PixelCoords>>(), added);

        dialog.SetLists(cameraList, userList + added);
        QVERIFY(!addButton->isEnabled());
        QCOMPARE(dialog.findChild<QLabel *>("countLabel")->text(), QStringLiteral("2 candidates, 0 new"));
    }

    void wrongSizeShowsError()
    {
        FindDefectsDialog dialog(QSize(64, 48), SensorLayout::Mono, {}, {}, nullptr);
        dialog.SetFrames(darks, flats);
        QSignalSpy found(&dialog, &FindDefectsDialog::CandidatesFound);
        MessageBoxes boxes({QMessageBox::Ok});

        Find(dialog);

        const QString error = darks[0] + ": the frame is 16 x 12, expected 64 x 48 as the sensor.";
        QTRY_COMPARE(boxes.lines, QStringList{Box(QMessageBox::Critical, "Find Defects", error)});
        QVERIFY(!dialog.IsRunning());
        QCOMPARE(found.count(), 0);
        QCOMPARE(dialog.findChild<QTableWidget *>("candidateTable")->rowCount(), 0);
    }

    // Cancel pressed as the first progress shows: the run ends, and its result never arrives.
    void cancelStopsRun()
    {
        FindDefectsDialog dialog(QSize(), SensorLayout::Mono, {}, {}, nullptr);
        dialog.SetFrames(manyDarks, {});
        QSignalSpy found(&dialog, &FindDefectsDialog::CandidatesFound);
        auto *cancel = dialog.findChild<QPushButton *>("cancelButton");
        connect(dialog.findChild<QProgressBar *>("progressBar"), &QProgressBar::valueChanged, cancel, [cancel](int value) {
            if (value == 1)
                cancel->click();
        });

        Find(dialog);

        QTRY_COMPARE(dialog.findChild<QLabel *>("statusLabel")->text(), QStringLiteral("Cancelled."));
        QVERIFY(!dialog.IsRunning());
        QVERIFY(dialog.findChild<QPushButton *>("findButton")->isEnabled());
        QCoreApplication::sendPostedEvents();
        QCOMPARE(found.count(), 0);
    }

    void destroyedDuringRun()
    {
        auto *dialog = new FindDefectsDialog(QSize(), SensorLayout::Mono, {}, {}, nullptr);
        dialog->SetFrames(manyDarks, {});
        QSignalSpy found(dialog, &FindDefectsDialog::CandidatesFound);
        Find(*dialog);
        QVERIFY(dialog->IsRunning());

        delete dialog;

        QCoreApplication::sendPostedEvents();
        QCOMPARE(found.count(), 0);
    }
};

QTEST_MAIN(tst_FindDefectsDialog)
#include "tst_FindDefectsDialog.moc"
