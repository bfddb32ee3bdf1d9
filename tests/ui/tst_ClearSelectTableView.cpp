#include "ClearSelectTableView.h"

#include <QStandardItemModel>
#include <QtTest>

// The user table drops its selection, current index and focus on a left release over empty space.
class tst_ClearSelectTableView : public QObject
{
    Q_OBJECT

private slots:
    void releaseOverTable_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("pressOnRow");
        QTest::addColumn<bool>("releaseOnRow");
        QTest::addColumn<bool>("selectionKept");
        QTest::newRow("left click on empty space") << int(Qt::LeftButton) << false << false << false;
        QTest::newRow("right click on empty space") << int(Qt::RightButton) << false << false << true;
        QTest::newRow("middle click on empty space") << int(Qt::MiddleButton) << false << false << true;
        QTest::newRow("left click on the selected row") << int(Qt::LeftButton) << true << true << true;
        QTest::newRow("left press on a row, release on empty space") << int(Qt::LeftButton) << true << false << false;
    }

    void releaseOverTable()
    {
        QFETCH(int, button);
        QFETCH(bool, pressOnRow);
        QFETCH(bool, releaseOnRow);
        QFETCH(bool, selectionKept);
        ClearSelectTableView view;
        view.setSelectionMode(QAbstractItemView::SingleSelection);
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        QStandardItemModel model(3, 2);
        view.setModel(&model);
        view.resize(300, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QApplication::setActiveWindow(&view);
        view.setFocus();
        view.selectRow(1);
        QTRY_VERIFY(view.hasFocus());

        QSignalSpy clicked(&view, &QAbstractItemView::clicked);
        const QPoint row = view.visualRect(model.index(1, 0)).center();
        const QPoint empty(20, view.viewport()->height() - 5);
        QTest::mousePress(view.viewport(), Qt::MouseButton(button), {}, pressOnRow ? row : empty);
        QTest::mouseRelease(view.viewport(), Qt::MouseButton(button), {}, releaseOnRow ? row : empty);

        QCOMPARE(view.selectionModel()->selectedRows().size(), selectionKept ? 1 : 0);
        QCOMPARE(view.currentIndex().isValid(), selectionKept);
        QCOMPARE(view.hasFocus(), selectionKept);
        QCOMPARE(clicked.count(), int(pressOnRow && releaseOnRow)); // the view's own release still runs
    }

    // Before the window gives it a model the view has no selection model at all.
    void leftClickWithoutModelIsHarmless()
    {
        ClearSelectTableView bare;
        bare.resize(100, 100);
        QTest::mouseClick(bare.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!bare.currentIndex().isValid());
    }
};

QTEST_MAIN(tst_ClearSelectTableView)
#include "tst_ClearSelectTableView.moc"
