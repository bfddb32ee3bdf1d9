#include "BoxAnswerer.h"
#include "ListManager.h"
#include "MessageLog.h"
#include "RandomDefects.h"
#include "ReferenceEncoding.h"
#include "TestSensor.h"
#include "ValidationMode.h"

#include <QAbstractItemModelTester>
#include <QtTest>

Q_DECLARE_METATYPE(QList<PixelCoords>)

namespace {

const QString VerifyText = QStringLiteral(
    "One or more defective pixel coordinates you have added will have an impact on previously uploaded defects. "
    "Please check Camera DP List for defects that will be removed from the camera if you proceed. These defects "
    "are highlighted in red.");

CameraDescription Sensor(qint64 width = 100, qint64 height = 100, qint64 capacity = 1000,
                         const QString &type = QStringLiteral("Mono"))
{
    return TestSensor(type, width, height, capacity);
}

QList<PixelCoords> Row(quint16 row, std::initializer_list<int> columns)
{
    QList<PixelCoords> list;
    for (int c : columns)
        list.append(PixelCoords(row, quint16(c)));
    return list;
}

// What the main window's slot does with HighlightDefects: colour the first
// matching row of the named table.
void ColourRows(ListManager &manager)
{
    QObject::connect(&manager, &ListManager::HighlightDefects,
                     [&manager](QList<PixelCoords> list, DefectiveListType type, QColor colour) {
                         const QList<PixelCoords> rows = manager.GetCoordinateList(type);
                         QStandardItemModel *model = manager.GetModel(type);
                         for (const PixelCoords &coords : list) {
                             const int i = rows.indexOf(coords);
                             if (i < 0)
                                 continue;
                             model->setData(model->index(i, 0), colour, Qt::BackgroundRole);
                             model->setData(model->index(i, 1), colour, Qt::BackgroundRole);
                         }
                     });
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

void AddUserRows(ListManager &manager, const QList<PixelCoords> &list)
{
    for (const PixelCoords &coords : list)
        manager.AddUserCoordinate(coords, -1);
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
    void newManagerHasTwoEmptyTables();
    void addAndRemoveUserRows();
    void clearList();
    void loadCameraList();
    void readBackKeepsLowSixteenBits();
    void mergedList();
    void fastPathsMatchReference_data();
    void fastPathsMatchReference();
    void validation_data();
    void validation();
    void boxesAreParentedToActiveWindow();
    void removalRecoloursCameraTableFirst();
    void prepareWritesWhatTheCameraCanHold();
    void prepareFailures_data();
    void prepareFailures();
    void highlightFailsOnNarrowSensor();
};

void TestListManager::newManagerHasTwoEmptyTables()
{
    ListManager manager;
    for (DefectiveListType type : {UserList, CameraList}) {
        QStandardItemModel *model = manager.GetModel(type);
        QVERIFY(model);
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(model->columnCount(), 2);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Row"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Column"));
    }
    QVERIFY(manager.GetModel(UserList) != manager.GetModel(CameraList));
    QVERIFY(!manager.IsCameraListLoaded());
    QVERIFY(!manager.GetModel(DefectiveListType(2)));
    QVERIFY(manager.GetCoordinateList(DefectiveListType(2)).isEmpty());
}

void TestListManager::addAndRemoveUserRows()
{
    MessageLog log;
    ListManager manager;
    manager.AddUserCoordinate({1, 1}, -1);
    manager.AddUserCoordinate({2, 2}, -1);
    manager.AddUserCoordinate({3, 3}, 0);
    manager.AddUserCoordinate({1, 1}, -1); // the caller refuses duplicates, not the list
    QCOMPARE(manager.GetCoordinateList(UserList), (QList<PixelCoords>{{1, 1}, {3, 3}, {2, 2}, {1, 1}}));
    manager.AddUserCoordinate({4, 4}, 3);
    manager.AddUserCoordinate({5, 5}, 9);
    manager.AddUserCoordinate({6, 6}, -5);
    QCOMPARE(manager.GetCoordinateList(UserList).mid(4), (QList<PixelCoords>{{4, 4}, {5, 5}, {6, 6}}));
    for (int row = 0; row < 3; ++row)
        QVERIFY(manager.RemoveUserListItem(4));

    QVERIFY(manager.RemoveUserListItem(1));
    QVERIFY(!manager.RemoveUserListItem(3));
    QVERIFY(!manager.RemoveUserListItem(-1));
    QCOMPARE(manager.GetCoordinateList(UserList), (QList<PixelCoords>{{1, 1}, {2, 2}, {1, 1}}));
    QCOMPARE(MessageLog::Lines(), (QStringList{"Error! Could not remove item from list!", "Error! Could not remove item from list!"}));
}

void TestListManager::clearList()
{
    ListManager manager;
    AddUserRows(manager, {{1, 1}});
    manager.LoadCameraList({{2, 2}}, Sensor());
    QVERIFY(manager.IsCameraListLoaded());

    manager.ClearList(UserList);
    QVERIFY(manager.IsCameraListLoaded());
    QVERIFY(manager.GetCoordinateList(UserList).isEmpty());

    manager.ClearList(DefectiveListType(7));
    QCOMPARE(manager.GetCoordinateList(CameraList).size(), 1);

    manager.ClearList(CameraList);
    QVERIFY(!manager.IsCameraListLoaded());
    QStandardItemModel *model = manager.GetModel(CameraList);
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(model->columnCount(), 2);
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Column"));
}

void TestListManager::loadCameraList()
{
    MessageLog log;
    ListManager manager;
    ColourRows(manager);
    int highlights = 0;
    connect(&manager, &ListManager::HighlightDefects, [&highlights] { ++highlights; });
    const QList<PixelCoords> camera = Row(4, {10, 11, 12, 13, 14, 50});
    manager.LoadCameraList(camera, Sensor());
    QCOMPARE(manager.GetCoordinateList(CameraList), camera);
    QCOMPARE(Colours(manager, CameraList), QStringLiteral("yyyyy-"));
    QCOMPARE(highlights, 1);

    manager.ClearList(CameraList);
    manager.LoadCameraList(camera, Sensor());
    manager.LoadCameraList({}, Sensor());
    QVERIFY(manager.IsCameraListLoaded());
    QCOMPARE(manager.GetCoordinateList(CameraList), camera);
    QCOMPARE(MessageLog::Lines(), QStringList{"Error! File could not be loaded."});
}

void TestListManager::readBackKeepsLowSixteenBits()
{
    ListManager manager;
    QStandardItemModel *model = manager.GetModel(UserList);
    model->appendRow({new QStandardItem("65537"), new QStandardItem("x")});
    QCOMPARE(manager.GetCoordinateList(UserList), QList<PixelCoords>{PixelCoords(1, 0)});
}

void TestListManager::mergedList()
{
    ListManager manager;
    manager.LoadCameraList({{5, 5}, {5, 5}}, Sensor());
    AddUserRows(manager, {{5, 5}, {6, 6}, {6, 6}});
    QCOMPARE(manager.GetMergedList(), (QList<PixelCoords>{{5, 5}, {5, 5}, {6, 6}}));
    QVERIFY(!manager.ContainsAny(CameraList, {}));
    QVERIFY(manager.ContainsAny(CameraList, {{9, 9}, {5, 5}}));
    QVERIFY(!manager.ContainsAny(UserList, {{9, 9}}));
}

void TestListManager::fastPathsMatchReference_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 5; ++seed)
        QTest::newRow(QByteArray("seed ") + QByteArray::number(seed)) << seed;
}

void TestListManager::fastPathsMatchReference()
{
    QFETCH(quint32, seed);
    MessageLog quiet;
    const QList<PixelCoords> camera = RandomDefects(seed, 300, 40, 20);
    const QList<PixelCoords> user = RandomDefects(seed + 100, 300, 40, 20);
    ListManager manager;
    manager.LoadCameraList(camera, Sensor(40, 20));
    AddUserRows(manager, user);
    QCOMPARE(manager.GetMergedList(), ReferenceMerge(camera, user));
    const QList<PixelCoords> query = RandomDefects(seed + 200, 20, 40, 20);
    QCOMPARE(manager.ContainsAny(CameraList, query), ReferenceContainsAny(camera, query));
    QCOMPARE(manager.ContainsAny(UserList, query.mid(0, 2)), ReferenceContainsAny(user, query.mid(0, 2)));
}

void TestListManager::validation_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<PixelCoords>>("camera");
    QTest::addColumn<QList<PixelCoords>>("user");
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("cameraColours");
    QTest::addColumn<QString>("userColours");
    QTest::addColumn<QStringList>("boxes"); // title, text, title, text...

    // Camera 20-23 and 24-27 with a gap closed at 28: camera defect 24 loses every neighbour.
    const QList<PixelCoords> camera = Row(5, {20, 21, 22, 23, 24, 25, 26, 27});
    const QList<PixelCoords> closing = Row(5, {28});
    const QStringList verify{"Verify Last Input", VerifyText};
    const QString nineRun = Confirmation({"- More than eight consecutive defective pixels",
                                          "- More than four consecutive defective pixels"});
    const int yes = QMessageBox::Yes;
    const int no = QMessageBox::No;

    QTest::newRow("add closes a gap") << int(ValidateAfterAdd) << camera << closing << qint64(1000) << yes << true
                                      << "yyyyryyy" << "y" << verify;
    QTest::newRow("load closes a gap") << int(ValidateAfterLoad) << camera << closing << qint64(1000) << yes << true
                                       << "yyyyryyy" << "y" << verify;
    QTest::newRow("upload closes a gap, accepted") << int(ValidateForUpload) << camera << closing << qint64(1000)
                                                   << yes << true << "yyyyryyy" << "y"
                                                   << QStringList{"Proceed With Upload?", nineRun};
    QTest::newRow("upload closes a gap, declined") << int(ValidateForUpload) << camera << closing << qint64(1000)
                                                   << no << false << "yyyyryyy" << "y"
                                                   << QStringList{"Proceed With Upload?", nineRun};
    QTest::newRow("upload without findings") << int(ValidateForUpload) << camera.mid(0, 2) << Row(9, {50, 60})
                                             << qint64(1000) << no << true << "--" << "ww" << QStringList{};
    QTest::newRow("add, user run of nine only") << int(ValidateAfterAdd) << QList<PixelCoords>{}
                                                << Row(1, {20, 21, 22, 23, 24, 25, 26, 27, 28}) << qint64(1000)
                                                << yes << true << "" << "yyyyryyyy" << QStringList{};
    QTest::newRow("upload, outside and run of five")
        << int(ValidateForUpload) << QList<PixelCoords>{}
        << (Row(1, {20, 21, 22, 23, 24}) << PixelCoords(100, 3) << PixelCoords(3, 100)) << qint64(1000) << yes
        << true << "" << "yyyyyrr"
        << QStringList{"Proceed With Upload?", Confirmation({"- Defective pixels outside of sensor range",
                                                              "- More than four consecutive defective pixels"})};
    QTest::newRow("upload, beyond capacity") << int(ValidateForUpload) << Row(2, {10, 20, 30}) << Row(3, {10, 20})
                                             << qint64(4) << yes << true << "---" << "wr"
                                             << QStringList{"Proceed With Upload?",
                                                            Confirmation({"- Number of defective pixels exceeds "
                                                                          "storage capacity"})};
    QTest::newRow("user entries all in camera list") << int(ValidateAfterAdd) << camera.mid(0, 5) << camera.mid(0, 1)
                                                     << qint64(1000) << yes << true << "yyyyy" << "y"
                                                     << QStringList{};
}

void TestListManager::validation()
{
    QFETCH(int, mode);
    QFETCH(QList<PixelCoords>, camera);
    QFETCH(QList<PixelCoords>, user);
    QFETCH(qint64, capacity);
    QFETCH(int, answer);
    QFETCH(bool, result);
    QFETCH(QString, cameraColours);
    QFETCH(QString, userColours);
    QFETCH(QStringList, boxes);

    MessageLog quiet;
    ListManager manager;
    ColourRows(manager);
    const CameraDescription sensor = Sensor(100, 100, capacity);
    manager.LoadCameraList(camera, sensor);
    AddUserRows(manager, user);

    QList<PixelCoords> merged = manager.GetMergedList();
    NeighborByteEncoding encoding;
    encoding.SetData(sensor, merged);
    QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
    BoxAnswerer answerer{QMessageBox::StandardButton(answer)};
    QCOMPARE(manager.ValidateDefectivePixelCoordinates(merged, sensor, encoding, mode), result);

    QCOMPARE(Colours(manager, CameraList), cameraColours);
    QCOMPARE(Colours(manager, UserList), userColours);
    QStringList seen;
    for (const BoxAnswerer::Seen &box : answerer.seen) {
        QCOMPARE(box.icon, QMessageBox::Warning);
        seen << box.title << box.text;
    }
    QCOMPARE(seen, boxes);
}

void TestListManager::boxesAreParentedToActiveWindow()
{
    QWidget window;
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    MessageLog quiet;
    ListManager manager;
    manager.LoadCameraList(Row(5, {20, 21, 22, 23, 24, 25, 26, 27}), Sensor());
    AddUserRows(manager, Row(5, {28}));
    QList<PixelCoords> merged = manager.GetMergedList();
    NeighborByteEncoding encoding;
    encoding.SetData(Sensor(), merged);
    QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
    BoxAnswerer answerer(QMessageBox::Ok);
    manager.ValidateDefectivePixelCoordinates(merged, Sensor(), encoding, ValidateAfterAdd);
    QCOMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen[0].parent, &window);
    QCOMPARE(answerer.seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    std::vector<unsigned char> out;
    BoxAnswerer upload(QMessageBox::Yes);
    QVERIFY(manager.PrepareBinaryDefectFile(manager.GetMergedList(), Sensor(), &out));
    QCOMPARE(upload.seen.size(), 1);
    QCOMPARE(upload.seen[0].parent, &window);
    QCOMPARE(upload.seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
}

void TestListManager::removalRecoloursCameraTableFirst()
{
    MessageLog quiet;
    ListManager manager;
    ColourRows(manager);
    manager.LoadCameraList(Row(5, {20, 21, 22, 23, 24, 40}), Sensor());
    AddUserRows(manager, Row(6, {1}));
    QStandardItemModel *cameraModel = manager.GetModel(CameraList);
    for (int row = 0; row < cameraModel->rowCount(); ++row) {
        cameraModel->setData(cameraModel->index(row, 0), QColor(Qt::red), Qt::BackgroundRole);
        cameraModel->setData(cameraModel->index(row, 1), QColor(Qt::red), Qt::BackgroundRole);
    }
    QList<PixelCoords> merged = manager.GetMergedList();
    NeighborByteEncoding encoding;
    encoding.SetData(Sensor(), merged);
    QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
    QVERIFY(manager.ValidateDefectivePixelCoordinates(merged, Sensor(), encoding, ValidateAfterRemove));
    QCOMPARE(Colours(manager, CameraList), QStringLiteral("yyyyyw"));
    QCOMPARE(Colours(manager, UserList), QStringLiteral("w"));
}

void TestListManager::prepareWritesWhatTheCameraCanHold()
{
    MessageLog quiet;
    ListManager manager;
    ColourRows(manager);
    QList<PixelCoords> camera;
    for (int i = 0; i < 100; ++i)
        camera.append(PixelCoords(quint16(i), quint16(i)));
    manager.LoadCameraList(camera, Sensor(100, 100, 100));
    AddUserRows(manager, {{50, 7}});

    std::vector<unsigned char> out;
    BoxAnswerer answerer(QMessageBox::Yes);
    QVERIFY(manager.PrepareBinaryDefectFile(manager.GetMergedList(), Sensor(100, 100, 100), &out));
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY(answerer.seen[0].text.contains("- Number of defective pixels exceeds storage capacity"));
    QCOMPARE(Colours(manager, UserList), QStringLiteral("r"));
    QCOMPARE(out.size(), size_t(4096 + 8 * 100));
    QList<PixelCoords> written;
    DecodeDefectFile(out, &written);
    QCOMPARE(written, camera);
}

void TestListManager::prepareFailures_data()
{
    QTest::addColumn<QList<PixelCoords>>("merged");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("line");
    QTest::newRow("empty merged list") << QList<PixelCoords>{} << int(QMessageBox::Yes)
                                       << "Generate1DNbEncodingFromDefectImage() failed";
    QTest::newRow("upload declined") << Row(1, {1, 2, 3, 4, 5}) << int(QMessageBox::No)
                                     << "ValidateDefectivePixelCoordinates() failed";
    QTest::newRow("everything outside, accepted") << QList<PixelCoords>{{100, 1}, {1, 100}} << int(QMessageBox::Yes)
                                                  << "Formating Defect File data failed";
}

void TestListManager::prepareFailures()
{
    QFETCH(QList<PixelCoords>, merged);
    QFETCH(int, answer);
    QFETCH(QString, line);
    ListManager manager;
    std::vector<unsigned char> out;
    BoxAnswerer answerer{QMessageBox::StandardButton(answer)};
    MessageLog log;
    QVERIFY(!manager.PrepareBinaryDefectFile(merged, Sensor(), &out));
    QCOMPARE(MessageLog::Lines(), QStringList{line});
    QVERIFY(out.empty());
}

void TestListManager::highlightFailsOnNarrowSensor()
{
    MessageLog log;
    ListManager manager;
    int highlights = 0;
    connect(&manager, &ListManager::HighlightDefects, [&highlights] { ++highlights; });
    manager.HighlightCameraListDefects(Row(1, {1, 2, 3, 4, 5}), Sensor(8), false);
    QCOMPARE(MessageLog::Lines(), QStringList{"Error! Generate1DNbEncodingFromDefectImage() failed"});
    QCOMPARE(highlights, 0);
}

QTEST_MAIN(TestListManager)
#include "tst_ListManager.moc"
