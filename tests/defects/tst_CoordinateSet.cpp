#include "CoordinateSet.h"

#include <QtTest>

class tst_CoordinateSet : public QObject
{
    Q_OBJECT

private slots:
    // Far more coordinates than it was sized for: each is held once, none that was not added.
    void growsBeyondItsSize()
    {
        CoordinateSet set;
        for (quint16 row = 0; row < 100; ++row) {
            for (quint16 column = 0; column < 100; column += 2)
                QVERIFY(set.Insert({row, column}));
        }
        QVERIFY(!set.Insert({99, 98}));
        for (quint16 row = 0; row < 100; ++row)
            QVERIFY(set.Contains({row, 0}) && set.Contains({row, 98}) && !set.Contains({row, 1}));
    }
};

QTEST_APPLESS_MAIN(tst_CoordinateSet)
#include "tst_CoordinateSet.moc"
