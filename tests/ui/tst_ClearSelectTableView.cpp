#include "ClearSelectTableView.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QtTest>

// The user table drops its selection, current index and focus on a left click on empty space.
class tst_ClearSelectTableView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void releaseOverTable_data();
    void releaseOverTable();
    void pressOnRowReleaseOnEmptySpaceClearsTheNewSelection();
    void leftClickOnEmptyTableIsHarmless();

private:
    void FillRows(int rows);
    QPoint EmptySpace() const;
    QPoint CellCentre(int row) const;

    QWidget *window = nullptr;
    ClearSelectTableView *view = nullptr;
    QStandardItemModel *model = nullptr;
};

void tst_ClearSelectTableView::init()
{
    window = new QWidget;
    view = new ClearSelectTableView(window);
    view->setGeometry(0, 0, 300, 300);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    model = new QStandardItemModel(0, 2, window);
    view->setModel(model);
    window->resize(300, 300);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void tst_ClearSelectTableView::cleanup()
{
    delete window;
}

void tst_ClearSelectTableView::FillRows(int rows)
{
    for (int row = 0; row < rows; ++row)
        model->appendRow({new QStandardItem(QString::number(row)), new QStandardItem(QString::number(row * 10))});
}

QPoint tst_ClearSelectTableView::EmptySpace() const
{
    return QPoint(20, view->viewport()->height() - 5);
}

QPoint tst_ClearSelectTableView::CellCentre(int row) const
{
    return view->visualRect(model->index(row, 0)).center();
}

void tst_ClearSelectTableView::releaseOverTable_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("onEmptySpace");
    QTest::addColumn<bool>("selectionKept");

    QTest::newRow("left click on empty space") << int(Qt::LeftButton) << true << false;
    QTest::newRow("right click on empty space") << int(Qt::RightButton) << true << true;
    QTest::newRow("middle click on empty space") << int(Qt::MiddleButton) << true << true;
    QTest::newRow("left click on the selected row") << int(Qt::LeftButton) << false << true;
}

void tst_ClearSelectTableView::releaseOverTable()
{
    QFETCH(int, button);
    QFETCH(bool, onEmptySpace);
    QFETCH(bool, selectionKept);

    FillRows(3);
    QApplication::setActiveWindow(window);
    view->setFocus();
    view->selectRow(1);
    QCOMPARE(view->currentIndex().row(), 1);
    QTRY_VERIFY(view->hasFocus());

    QTest::mouseClick(view->viewport(), Qt::MouseButton(button), {}, onEmptySpace ? EmptySpace() : CellCentre(1));

    QCOMPARE(view->selectionModel()->selectedRows().size(), selectionKept ? 1 : 0);
    QCOMPARE(view->currentIndex().isValid(), selectionKept);
    QCOMPARE(view->hasFocus(), selectionKept);
}

void tst_ClearSelectTableView::pressOnRowReleaseOnEmptySpaceClearsTheNewSelection()
{
    FillRows(2);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, CellCentre(0));
    QCOMPARE(view->selectionModel()->selectedRows().size(), 1);

    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, EmptySpace());

    QVERIFY(view->selectionModel()->selectedRows().isEmpty());
    QVERIFY(!view->currentIndex().isValid());
}

void tst_ClearSelectTableView::leftClickOnEmptyTableIsHarmless()
{
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!view->currentIndex().isValid());

    // Before the window gives it a model the view has no selection model at all.
    ClearSelectTableView bare;
    bare.resize(100, 100);
    QTest::mouseClick(bare.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!bare.currentIndex().isValid());
}

QTEST_MAIN(tst_ClearSelectTableView)
#include "tst_ClearSelectTableView.moc"
