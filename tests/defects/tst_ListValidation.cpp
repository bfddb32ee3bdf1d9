#include "DebugLines.h"
#include "ListValidation.h"
#include "TestData.h"

#include <QtTest>

// The checks as values, for any front end (their colours and texts are the list manager's tests').
class tst_ListValidation : public QObject
{
    Q_OBJECT

private slots:
    // Of two uncorrectable defects only the camera's own is lost to the camera.
    void cameraDefectsLost()
    {
        DebugLines quiet;
        const QList<PixelCoords> camera{{5, 24}, {7, 7}};
        NeighborByteEncoding encoding;
        encoding.SetData(TestSensor(), camera + Run(5, 20, 23) + Run(5, 25, 28) + Run(6, 20, 28));
        QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
        const QList<Finding> findings = ListValidation::Check(encoding, TestSensor(), camera);
        QCOMPARE(findings.size(), 2);
        QCOMPARE(findings[0].kind, Finding::MoreThanEight);
        QCOMPARE(findings[0].coordinates, (QList<PixelCoords>{{5, 24}, {6, 24}}));
        QCOMPARE(findings[0].cameraDefectsLost, (QList<PixelCoords>{{5, 24}}));
        QCOMPARE(findings[1].kind, Finding::MoreThanFour);
    }
};

QTEST_APPLESS_MAIN(tst_ListValidation)
#include "tst_ListValidation.moc"
