#include "ListManager.h"
#include "MessageLog.h"
#include "RandomDefects.h"
#include "ReferenceEncoding.h"
#include "TestData.h"
#include "ValidationMode.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(QMessageBox::StandardButton)

namespace {

// Answers the modal message boxes that open while it lives: polls for the
// active modal box, records it and clicks the given button (or OK).
struct BoxAnswerer
{
    struct Seen
    {
        QString title;
        QString text;
        QWidget *parent;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    explicit BoxAnswerer(QMessageBox::StandardButton answer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen.append({box->windowTitle(), box->text(), box->parentWidget(), box->icon(), box->standardButtons()});
            QAbstractButton *button = box->button(answer) ? box->button(answer) : box->button(QMessageBox::Ok);
            if (button)
                button->click();
            else
                box->reject();
        });
        timer.start(5);
    }

    QList<Seen> seen;
    QTimer timer;
};

// Both lists filled, and HighlightDefects handled as the main window does:
// both cells of the first matching row of the named table take the colour.
void Fill(ListManager &manager, const QList<PixelCoords> &camera, const QList<PixelCoords> &user,
          const CameraDescription &sensor = TestSensor())
{
    QObject::connect(&manager, &ListManager::HighlightDefects,
                     [&manager](QList<PixelCoords> list, DefectiveListType type, QColor colour) {
                         const QList<PixelCoords> rows = manager.GetCoordinateList(type);
                         QStandardItemModel *model = manager.GetModel(type);
                         for (const PixelCoords &coords : list) {
                             model->setData(model->index(rows.indexOf(coords), 0), colour, Qt::BackgroundRole);
                             model->setData(model->index(rows.indexOf(coords), 1), colour, Qt::BackgroundRole);
                         }
                     });
    manager.LoadCameraList(camera, sensor);
    for (const PixelCoords &coords : user)
        manager.AddUserCoordinate(coords, -1);
}

// One letter per row: w(hite), y(ellow), r(ed), - (never coloured).
QString Colours(ListManager &manager, DefectiveListType type)
{
    const QStandardItemModel *model = manager.GetModel(type);
    QString colours;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QVariant cell = model->index(row, 0).data(Qt::BackgroundRole);
        if (cell != model->index(row, 1).data(Qt::BackgroundRole))
            return QStringLiteral("cells differ in row %1").arg(row);
        const QColor colour = cell.value<QColor>();
        colours += !cell.isValid() ? '-' : colour == Qt::white ? 'w' : colour == Qt::yellow ? 'y'
                 : colour == Qt::red ? 'r' : '?';
    }
    return colours;
}

QString Confirmation(const QStringList &items)
{
    QStringList lines{"Warning! The following issue(s) have been detected in the user DP list:\n"};
    lines << items << "\nWould you like to proceed with the upload process?";
    return lines.join('\n');
}

} // namespace

class TestListManager : public QObject
{
    Q_OBJECT

private slots:
    void tables();
    void addAndRemoveUserRows();
    void mergeMatchesReference();
    void validation_data();
    void validation();
    void prepare_data();
    void prepare();
};

void TestListManager::tables()
{
    MessageLog log;
    ListManager manager;
    const auto reporting = QAbstractItemModelTester::FailureReportingMode::QtTest;
    QAbstractItemModelTester userTester(manager.GetModel(UserList), reporting);
    QAbstractItemModelTester cameraTester(manager.GetModel(CameraList), reporting);
    const auto emptyTables = [&manager] {
        for (DefectiveListType type : {UserList, CameraList}) {
            const QStandardItemModel *model = manager.GetModel(type);
            QCOMPARE(model->rowCount(), 0);
            QCOMPARE(model->columnCount(), 2);
            QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Row"));
            QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Column"));
        }
    };
    emptyTables();
    QVERIFY(!manager.IsCameraListLoaded());
    QVERIFY(!manager.GetModel(DefectiveListType(2)));
    QVERIFY(manager.GetCoordinateList(DefectiveListType(2)).isEmpty());
    manager.ClearList(DefectiveListType(2));

    // Runs of more than four coloured on loading, unless the sensor is too narrow to encode.
    const QList<PixelCoords> camera = Run(4, 10, 14) << PixelCoords(4, 50);
    Fill(manager, camera, {{1, 1}});
    QCOMPARE(Colours(manager, CameraList), QStringLiteral("yyyyy-"));
    manager.LoadCameraList({}, TestSensor()); // an empty download keeps the table
    QCOMPARE(manager.GetCoordinateList(CameraList), camera);
    manager.LoadCameraList(camera, TestSensor(8));
    QCOMPARE(Colours(manager, CameraList), QStringLiteral("------"));

    manager.GetModel(UserList)->appendRow({new QStandardItem("65537"), new QStandardItem("x")});
    QCOMPARE(manager.GetCoordinateList(UserList), (QList<PixelCoords>{{1, 1}, {1, 0}})); // low 16 bits
    manager.ClearList(UserList);
    QCOMPARE(manager.GetCoordinateList(CameraList), camera);
    manager.ClearList(CameraList);
    QVERIFY(!manager.IsCameraListLoaded());
    emptyTables();
    manager.LoadCameraList({}, TestSensor()); // and still counts as loaded
    QVERIFY(manager.IsCameraListLoaded());
    QCOMPARE(MessageLog::Lines(), (QStringList{"Error! File could not be loaded.",
                                               "Error! Generate1DNbEncodingFromDefectImage() failed",
                                               "Error! File could not be loaded."}));
}

void TestListManager::addAndRemoveUserRows()
{
    MessageLog log;
    ListManager manager;
    manager.AddUserCoordinate({1, 1}, -1);
    manager.AddUserCoordinate({2, 2}, -1);
    manager.AddUserCoordinate({3, 3}, 0);
    manager.AddUserCoordinate({1, 1}, -1); // the caller refuses duplicates, not the list
    manager.AddUserCoordinate({4, 4}, 1);
    manager.AddUserCoordinate({5, 5}, 9); // rows not in the table append
    manager.AddUserCoordinate({6, 6}, -5);
    QCOMPARE(manager.GetCoordinateList(UserList),
             (QList<PixelCoords>{{1, 1}, {3, 3}, {4, 4}, {2, 2}, {1, 1}, {5, 5}, {6, 6}}));
    QVERIFY(manager.RemoveUserListItem(6));
    QVERIFY(manager.RemoveUserListItem(1));
    QVERIFY(!manager.RemoveUserListItem(5));
    QVERIFY(!manager.RemoveUserListItem(-1));
    QCOMPARE(manager.GetCoordinateList(UserList), (QList<PixelCoords>{{1, 1}, {4, 4}, {2, 2}, {1, 1}, {5, 5}}));
    QCOMPARE(MessageLog::Lines(),
             (QStringList{"Error! Could not remove item from list!", "Error! Could not remove item from list!"}));
}

// Repeats within and across the lists, against the step-by-step reference.
void TestListManager::mergeMatchesReference()
{
    MessageLog quiet;
    const QList<PixelCoords> camera = RandomDefects(1, 1000, 40, 20);
    const QList<PixelCoords> user = RandomDefects(2, 1000, 40, 20);
    ListManager manager;
    Fill(manager, camera, user, TestSensor(40, 20));
    QCOMPARE(manager.GetMergedList(), ReferenceMerge(camera, user));
    QVERIFY(!manager.ContainsAny(CameraList, {}));
    for (const PixelCoords &coords : RandomDefects(3, 50, 40, 20))
        QCOMPARE(manager.ContainsAny(CameraList, {{99, 99}, coords}), camera.contains(coords));
}

void TestListManager::validation_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<PixelCoords>>("camera");
    QTest::addColumn<QList<PixelCoords>>("user");
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("colours"); // camera table, blank, user table
    QTest::addColumn<QStringList>("boxes"); // title, text, title, text...

    // Camera 20-23 and 24-27 with a gap closed at 28: camera defect 24 loses every neighbour.
    const QList<PixelCoords> camera = Run(5, 20, 27);
    const QList<PixelCoords> closing = Run(5, 28, 28);
    const QStringList verify{"Verify Last Input",
                             "One or more defective pixel coordinates you have added will have an impact on "
                             "previously uploaded defects. Please check Camera DP List for defects that will be "
                             "removed from the camera if you proceed. These defects are highlighted in red."};
    const QStringList nineRun{"Proceed With Upload?",
                              Confirmation({"- More than eight consecutive defective pixels",
                                            "- More than four consecutive defective pixels"})};
    const QStringList outside{"Proceed With Upload?", Confirmation({"- Defective pixels outside of sensor range",
                                                                    "- More than four consecutive defective pixels"})};
    const QStringList full{"Proceed With Upload?",
                           Confirmation({"- Number of defective pixels exceeds storage capacity"})};
    const auto yes = QMessageBox::Yes;
    const auto no = QMessageBox::No;

    QTest::newRow("add closes a gap") << int(ValidateAfterAdd) << camera << closing << qint64(1000) << yes << true
                                      << "yyyyryyy y" << verify;
    QTest::newRow("load closes a gap") << int(ValidateAfterLoad) << camera << closing << qint64(1000) << yes << true
                                       << "yyyyryyy y" << verify;
    QTest::newRow("remove recolours camera rows") << int(ValidateAfterRemove) << (Run(5, 20, 24) << PixelCoords(5, 40))
                                                  << Run(6, 1, 1) << qint64(1000) << yes << true << "yyyyyw w"
                                                  << QStringList{};
    QTest::newRow("upload closes a gap, accepted") << int(ValidateForUpload) << camera << closing << qint64(1000)
                                                   << yes << true << "yyyyryyy y" << nineRun;
    QTest::newRow("upload closes a gap, declined") << int(ValidateForUpload) << camera << closing << qint64(1000)
                                                   << no << false << "yyyyryyy y" << nineRun;
    QTest::newRow("upload without findings") << int(ValidateForUpload) << Run(5, 20, 21) << Run(9, 50, 51)
                                             << qint64(1000) << no << true << "-- ww" << QStringList{};
    QTest::newRow("add, user run of nine only") << int(ValidateAfterAdd) << QList<PixelCoords>{} << Run(1, 20, 28)
                                                << qint64(1000) << yes << true << " yyyyryyyy" << QStringList{};
    QTest::newRow("upload, outside and run of five")
        << int(ValidateForUpload) << QList<PixelCoords>{}
        << (Run(1, 20, 24) << PixelCoords(100, 3) << PixelCoords(3, 100)) << qint64(1000) << yes << true << " yyyyyrr"
        << outside;
    QTest::newRow("upload, beyond capacity") << int(ValidateForUpload) << Run(2, 10, 12) << Run(3, 10, 11)
                                             << qint64(4) << yes << true << "--- wr" << full;
    QTest::newRow("user entries all in camera list") << int(ValidateAfterAdd) << Run(5, 20, 24) << Run(5, 20, 20)
                                                     << qint64(1000) << yes << true << "yyyyy y" << QStringList{};
}

// Run as the main window does, with its window active: the boxes belong to it.
void TestListManager::validation()
{
    QFETCH(int, mode);
    QFETCH(QList<PixelCoords>, camera);
    QFETCH(QList<PixelCoords>, user);
    QFETCH(qint64, capacity);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, result);
    QFETCH(QString, colours);
    QFETCH(QStringList, boxes);

    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    MessageLog quiet;
    ListManager manager;
    const CameraDescription sensor = TestSensor(100, 100, capacity);
    Fill(manager, camera, user, sensor);
    QList<PixelCoords> merged = manager.GetMergedList();
    NeighborByteEncoding encoding;
    encoding.SetData(sensor, merged);
    QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
    BoxAnswerer answerer(answer);
    QCOMPARE(manager.ValidateDefectivePixelCoordinates(merged, sensor, encoding, mode), result);

    QCOMPARE(Colours(manager, CameraList) + ' ' + Colours(manager, UserList), colours);
    QStringList seen;
    for (const BoxAnswerer::Seen &box : answerer.seen) {
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.parent, &window);
        QCOMPARE(box.buttons, mode == ValidateForUpload ? QMessageBox::Yes | QMessageBox::No
                                                        : QMessageBox::StandardButtons(QMessageBox::Ok));
        seen << box.title << box.text;
    }
    QCOMPARE(seen, boxes);
}

void TestListManager::prepare_data()
{
    QTest::addColumn<QList<PixelCoords>>("merged");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QList<PixelCoords>>("written");
    QTest::addColumn<QString>("line");

    const auto yes = QMessageBox::Yes;
    QTest::newRow("outside, uncorrectable and beyond capacity dropped")
        << (Run(1, 20, 28) << PixelCoords(100, 3)) + Run(3, 10, 11) << yes
        << (Run(1, 20, 23) + Run(1, 25, 28) << PixelCoords(3, 10)) << QString();
    QTest::newRow("empty merged list") << QList<PixelCoords>{} << yes << QList<PixelCoords>{}
                                       << "Generate1DNbEncodingFromDefectImage() failed";
    QTest::newRow("upload declined") << Run(1, 1, 5) << QMessageBox::No << QList<PixelCoords>{}
                                     << "ValidateDefectivePixelCoordinates() failed";
    QTest::newRow("everything outside, accepted") << QList<PixelCoords>{{100, 1}, {1, 100}} << yes
                                                  << QList<PixelCoords>{} << "Formating Defect File data failed";
}

// Before an upload: what the camera cannot hold is dropped from the file.
void TestListManager::prepare()
{
    QFETCH(QList<PixelCoords>, merged);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QList<PixelCoords>, written);
    QFETCH(QString, line);
    ListManager manager;
    std::vector<unsigned char> out;
    BoxAnswerer answerer(answer);
    MessageLog log;
    QCOMPARE(manager.PrepareBinaryDefectFile(merged, TestSensor(100, 100, 9), &out), line.isEmpty());
    QList<PixelCoords> decoded;
    DecodeDefectFile(out, &decoded);
    QCOMPARE(decoded, written);
    if (!line.isEmpty())
        QCOMPARE(MessageLog::Lines(), QStringList{line});
}

QTEST_MAIN(TestListManager)
#include "tst_ListManager.moc"
