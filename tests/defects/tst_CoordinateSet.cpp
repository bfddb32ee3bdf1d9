#include "CoordinateSet.h"
#include "TestData.h"

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

    // The list uploaded: the camera's as it is, then the user's entries not in it, each once.
    void merged()
    {
        QCOMPARE(CoordinateSet::Merged({{2, 2}, {1, 1}}, {{1, 1}, {3, 3}, {3, 3}, {2, 2}}),
                 (List{{2, 2}, {1, 1}, {3, 3}}));
    }
};

QTEST_APPLESS_MAIN(tst_CoordinateSet)
#include "tst_CoordinateSet.moc"
