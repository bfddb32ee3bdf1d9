#include "CoordinateSet.h"
#include "DebugLines.h"
#include "ListManager.h"
#include "ListValidation.h"
#include "TestData.h"
#include "ValidationMode.h"

#include <QAbstractItemModelTester>
#include <QtTest>

// Each warning and question as "title: text", every question answered with `answer`.
struct Prompt : ListPrompt
{
    explicit Prompt(bool answer = true) : answer(answer) {}
    void Warn(const QString &title, const QString &text) override { lines << title + ": " + text; }
    bool Ask(const QString &title, const QString &text) override { return lines << title + ": " + text, answer; }

    bool answer;
    QStringList lines;
};

// Both lists filled, and HighlightDefects handled as the main window does:
// both cells of the first matching row of the named table take the colour.
static void Fill(ListManager &manager, const List &camera, const List &user,
                 const CameraDescription &sensor = TestSensor())
{
    const auto highlight = [&manager](List list, DefectiveListType type, QColor colour) {
        QStandardItemModel *model = manager.GetModel(type);
        for (const PixelCoords &coords : list) {
            for (int column : {0, 1})
                model->setData(model->index(manager.GetCoordinateList(type).indexOf(coords), column), colour,
                               Qt::BackgroundRole);
        }
    };
    QObject::connect(&manager, &ListManager::HighlightDefects, highlight);
    manager.LoadCameraList(camera, sensor);
    manager.LoadUserList(user);
}

// One letter per row: w(hite), y(ellow), r(ed), - (never coloured), ? (cells differ).
static QString Colours(ListManager &manager, DefectiveListType type)
{
    const QStandardItemModel *model = manager.GetModel(type);
    const QList<QColor> known{Qt::white, Qt::yellow, Qt::red};
    QString colours;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QVariant cell = model->index(row, 0).data(Qt::BackgroundRole);
        const int index = cell.isValid() ? known.indexOf(cell.value<QColor>()) : 3;
        colours += index < 0 || cell != model->index(row, 1).data(Qt::BackgroundRole) ? '?' : "wyr-"[index];
    }
    return colours;
}

// Validated as the main window does, from the lists as they are.
static bool Validate(ListManager &manager, const CameraDescription &sensor, int mode)
{
    const List camera = manager.GetCoordinateList(CameraList);
    NeighborByteEncoding encoding;
    encoding.SetData(sensor, CoordinateSet::Merged(camera, manager.GetCoordinateList(UserList)));
    return encoding.Generate1DNbEncodingFromDefectImage()
        && manager.ValidateDefectivePixelCoordinates(ListValidation::Check(encoding, sensor, camera), sensor, mode);
}

static QString Confirmation(const QStringList &items)
{
    QStringList lines{"Warning! The following issue(s) have been detected in the user DP list:\n"};
    lines << items << "\nWould you like to proceed with the upload process?";
    return "Proceed With Upload?: " + lines.join('\n');
}

class tst_ListManager : public QObject
{
    Q_OBJECT

private slots:
    // Both tables as the window shows them, through loading, editing and clearing.
    void tables()
    {
        DebugLines log;
        ListManager manager;
        QAbstractItemModelTester userTester(manager.GetModel(UserList));
        QAbstractItemModelTester cameraTester(manager.GetModel(CameraList));
        // Runs of more than four coloured on loading, unless the sensor is too narrow to encode.
        const List camera = Run(4, 10, 14) + Run(4, 50, 53);
        Fill(manager, camera, {{1, 1}});
        QCOMPARE(Colours(manager, CameraList), QStringLiteral("yyyyy----"));
        manager.LoadCameraList({}, TestSensor()); // an empty download keeps the table
        QCOMPARE(manager.GetCoordinateList(CameraList), camera);
        manager.LoadCameraList(camera, TestSensor(8));
        QCOMPARE(Colours(manager, CameraList), QStringLiteral("---------"));
        manager.ClearList(UserList);
        QCOMPARE(manager.GetCoordinateList(CameraList), camera);
        manager.ClearList(CameraList);
        QCOMPARE(manager.GetModel(UserList)->rowCount() + manager.GetModel(CameraList)->rowCount(), 0);
        const QStandardItemModel *model = manager.GetModel(CameraList); // the headers stay
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString() + model->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("RowColumn"));
        // Added after the given row, or at the end when there is no such row; a row
        // not in the table cannot be removed; a loaded list replaces the table.
        for (const auto &[coords, after] : {std::pair<PixelCoords, int>{{1, 1}, -1}, {{2, 2}, -1}, {{3, 3}, 0},
                                            {{4, 4}, 1}, {{5, 5}, 4}, {{6, 6}, 9}, {{65535, 65535}, -5}})
            manager.AddUserCoordinate(coords, after);
        QVERIFY(manager.RemoveUserListItem(5) && manager.RemoveUserListItem(1));
        QVERIFY(!manager.RemoveUserListItem(5) && !manager.RemoveUserListItem(-1));
        QCOMPARE(manager.GetCoordinateList(UserList), (List{{1, 1}, {4, 4}, {2, 2}, {5, 5}, {65535, 65535}}));
        manager.LoadUserList({{8, 8}});
        QCOMPARE(manager.GetCoordinateList(UserList), List{PixelCoords(8, 8)});
        const QString notRemoved = "Error! Could not remove item from list!";
        QCOMPARE(log.Lines(), (QStringList{"Error! File could not be loaded.",
                                           "Error! Generate1DNbEncodingFromDefectImage() failed", notRemoved,
                                           notRemoved}));
    }

    // The camera holds a defect at 5,24 (and one at 7,7); the user list is validated
    // as the main window does, every box answered Yes or OK.
    void validate_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<List>("user");
        QTest::addColumn<qint64>("capacity");
        QTest::addColumn<QString>("colours"); // camera table, a blank, user table
        QTest::addColumn<QStringList>("boxes");
        const QString eight = "- More than eight consecutive defective pixels";
        const QString four = "- More than four consecutive defective pixels";
        const QString outside = "- Defective pixels outside of sensor range";
        const QStringList verify{"Verify Last Input: "
            "One or more defective pixel coordinates you have added will have an impact on previously uploaded "
            "defects. Please check Camera DP List for defects that will be removed from the camera if you proceed. "
            "These defects are highlighted in red."};
        const List around = Run(5, 20, 23) + Run(5, 25, 28);
        const auto row = [](const char *name, ValidationMode mode, const List &user, const char *colours,
                            const QStringList &boxes, qint64 capacity = 100) {
            QTest::newRow(name) << int(mode) << user << capacity << colours << boxes;
        };
        const auto upload = ValidateForUpload;
        row("added around a camera defect", ValidateAfterAdd, around, "rw yyyyyyyy", verify);
        row("loaded around a camera defect", ValidateAfterLoad, around, "rw yyyyyyyy", verify);
        row("removed, camera rows recoloured", ValidateAfterRemove, around, "rw yyyyyyyy", {});
        row("upload around a camera defect", upload, around, "rw yyyyyyyy", {Confirmation({eight, four})});
        row("upload, run of four", upload, Run(1, 20, 23), "ww wwww", {});
        row("upload, run of five", upload, Run(1, 20, 24), "ww yyyyy", {Confirmation({four})});
        row("upload, run of nine, outside the sensor", upload, Run(1, 20, 28) + List{{100, 3}, {3, 100}},
            "ww yyyyryyyyrr", {Confirmation({outside, eight, four})});
        // What is outside the sensor takes no room in the camera.
        row("upload beyond capacity", upload, {{1, 1}, {100, 3}, {3, 3}}, "ww wrr",
            {Confirmation({outside, "- Number of defective pixels exceeds storage capacity"})}, 3);
        // The camera's defect in the user's run is held once: six entries, and the camera holds six.
        row("user run through a camera defect", upload, Run(7, 3, 7), "ww yyyyy", {Confirmation({four})}, 6);
    }

    void validate()
    {
        QFETCH(int, mode);
        QFETCH(List, user);
        QFETCH(qint64, capacity);
        QFETCH(QString, colours);
        QFETCH(QStringList, boxes);
        DebugLines quiet;
        Prompt prompt;
        ListManager manager;
        manager.SetPrompt(&prompt);
        const CameraDescription sensor = TestSensor(100, 100, capacity);
        Fill(manager, {{5, 24}, {7, 7}}, user, sensor);
        QVERIFY(Validate(manager, sensor, mode));
        QCOMPARE(Colours(manager, CameraList) + ' ' + Colours(manager, UserList), colours);
        QCOMPARE(prompt.lines, boxes);
    }

    // Findings before an upload: declined on No, and when there is no one to ask.
    void uploadDeclined()
    {
        DebugLines quiet;
        Prompt no(false);
        ListManager asked, unasked;
        asked.SetPrompt(&no);
        Fill(asked, {}, Run(1, 20, 24));
        Fill(unasked, {}, Run(1, 20, 24));
        QVERIFY(!Validate(asked, TestSensor(), ValidateForUpload));
        QVERIFY(!Validate(unasked, TestSensor(), ValidateForUpload));
        QCOMPARE(no.lines.size(), 1);
    }

    // Of two uncorrectable defects only the camera's own is lost to the camera, as talvern-cli
    // reports them.
    void cameraDefectsLost()
    {
        DebugLines quiet;
        const List camera{{5, 24}, {7, 7}};
        NeighborByteEncoding encoding;
        encoding.SetData(TestSensor(), camera + Run(5, 20, 23) + Run(5, 25, 28) + Run(6, 20, 28));
        QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
        const Finding finding = ListValidation::Check(encoding, TestSensor(), camera).value(0);
        QCOMPARE(finding.coordinates, (List{{5, 24}, {6, 24}}));
        QCOMPARE(finding.cameraDefectsLost, (List{{5, 24}}));
    }
};

QTEST_MAIN(tst_ListManager)
#include "tst_ListManager.moc"
