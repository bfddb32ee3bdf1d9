#include "MainWindow.h"

#include "ZorvikSim/Simulator.h"

#include <QtTest>

Q_DECLARE_METATYPE(QList<PixelCoords>)

// Row colouring requested by the list manager: the first equal row of the named list only.
class tst_HighlightDefects : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void colours_data();
    void colours();
    void thousandsOfRows();

private:
    QStandardItemModel *Model(const char *view) const;
    static void Fill(QStandardItemModel *model, const QList<PixelCoords> &rows);
    static QList<int> ColouredRows(const QStandardItemModel *model, const QColor &colour);
    void Highlight(const QList<PixelCoords> &list, int listType, const QColor &colour);

    QTemporaryDir settingsDir;
    std::unique_ptr<MainWindow> window;
};

void tst_HighlightDefects::initTestCase()
{
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    ZorvikSim::UseMemory();
}

void tst_HighlightDefects::init()
{
    window = std::make_unique<MainWindow>();
}

void tst_HighlightDefects::cleanup()
{
    window.reset();
}

QStandardItemModel *tst_HighlightDefects::Model(const char *view) const
{
    return qobject_cast<QStandardItemModel *>(window->findChild<QTableView *>(view)->model());
}

void tst_HighlightDefects::Fill(QStandardItemModel *model, const QList<PixelCoords> &rows)
{
    for (const PixelCoords &coordinates : rows)
        model->appendRow({new QStandardItem(QString::number(coordinates.row)),
                          new QStandardItem(QString::number(coordinates.column))});
}

QList<int> tst_HighlightDefects::ColouredRows(const QStandardItemModel *model, const QColor &colour)
{
    QList<int> rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        const bool first = model->index(row, 0).data(Qt::BackgroundRole) == QVariant(colour);
        const bool second = model->index(row, 1).data(Qt::BackgroundRole) == QVariant(colour);
        if (first != second)
            qFatal("row %d coloured in one cell only", row);
        if (first)
            rows.append(row);
    }
    return rows;
}

void tst_HighlightDefects::Highlight(const QList<PixelCoords> &list, int listType, const QColor &colour)
{
    const bool invoked = QMetaObject::invokeMethod(window.get(), "HighlightDefects", Qt::DirectConnection,
                                                   Q_ARG(QList<PixelCoords>, list),
                                                   Q_ARG(DefectiveListType, DefectiveListType(listType)),
                                                   Q_ARG(QColor, colour));
    QVERIFY(invoked);
}

void tst_HighlightDefects::colours_data()
{
    QTest::addColumn<QList<PixelCoords>>("request");
    QTest::addColumn<int>("listType");
    QTest::addColumn<QList<int>>("userRows");
    QTest::addColumn<QList<int>>("cameraRows");

    // User rows: (3,7) (5,5) (3,7) (7,3); camera rows: (5,5) (3,7).
    QTest::newRow("only the first of two equal user rows") << QList<PixelCoords>{{3, 7}} << int(UserList)
                                                           << QList<int>{0} << QList<int>{};
    QTest::newRow("row and column are not swapped") << QList<PixelCoords>{{7, 3}} << int(UserList)
                                                    << QList<int>{3} << QList<int>{};
    QTest::newRow("unknown coordinates skipped") << QList<PixelCoords>{{9, 9}, {5, 5}, {0, 0}} << int(UserList)
                                                 << QList<int>{1} << QList<int>{};
    QTest::newRow("camera list only") << QList<PixelCoords>{{3, 7}, {5, 5}} << int(CameraList) << QList<int>{}
                                      << QList<int>{0, 1};
    QTest::newRow("empty request") << QList<PixelCoords>{} << int(CameraList) << QList<int>{} << QList<int>{};
}

void tst_HighlightDefects::colours()
{
    QFETCH(QList<PixelCoords>, request);
    QFETCH(int, listType);
    QFETCH(QList<int>, userRows);
    QFETCH(QList<int>, cameraRows);
    Fill(Model("userDefectivePixelView"), {{3, 7}, {5, 5}, {3, 7}, {7, 3}});
    Fill(Model("cameraDefectivePixelView"), {{5, 5}, {3, 7}});

    Highlight(request, listType, Qt::yellow);

    QCOMPARE(ColouredRows(Model("userDefectivePixelView"), Qt::yellow), userRows);
    QCOMPARE(ColouredRows(Model("cameraDefectivePixelView"), Qt::yellow), cameraRows);
}

void tst_HighlightDefects::thousandsOfRows()
{
    QList<PixelCoords> rows;
    for (quint16 row = 0; row < 5000; ++row)
        rows.append({row, quint16(row % 7)});
    Fill(Model("cameraDefectivePixelView"), rows);
    QList<PixelCoords> request = rows;
    request.append({60000, 1});

    Highlight(request, CameraList, Qt::red);

    QCOMPARE(ColouredRows(Model("cameraDefectivePixelView"), Qt::red).size(), 5000);
}

QTEST_MAIN(tst_HighlightDefects)
#include "tst_HighlightDefects.moc"
