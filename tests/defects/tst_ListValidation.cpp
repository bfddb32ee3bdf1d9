#include "DebugLines.h"
#include "ListValidation.h"
#include "TestData.h"

#include <QtTest>

static QString Text(const QList<PixelCoords> &list)
{
    QStringList texts;
    for (const PixelCoords &coords : list)
        texts << QStringLiteral("%1,%2").arg(coords.row).arg(coords.column);
    return texts.join(' ');
}

// The checks as values, for any front end: each finding's item, its coordinates, and the
// camera's defects that it makes uncorrectable.
class tst_ListValidation : public QObject
{
    Q_OBJECT

private slots:
    void check()
    {
        DebugLines quiet;
        const CameraDescription sensor = TestSensor(100, 100, 12);
        const QList<PixelCoords> camera{{5, 24}, {7, 7}};
        NeighborByteEncoding encoding;
        encoding.SetData(sensor, camera + Run(5, 20, 23) + Run(5, 25, 28) + Run(9, 1, 5) + QList<PixelCoords>{{100, 1}});
        QVERIFY(encoding.Generate1DNbEncodingFromDefectImage());
        QStringList found;
        for (const Finding &finding : ListValidation::Check(encoding, sensor, camera))
            found << ListValidation::Item(finding.kind) + ": " + Text(finding.coordinates) + " / "
                         + Text(finding.cameraDefectsLost);
        QCOMPARE(found, (QStringList{"- Defective pixels outside of sensor range: 100,1 / ",
                                     "- More than eight consecutive defective pixels: 5,24 / 5,24",
                                     "- More than four consecutive defective pixels: 5,20 5,21 5,22 5,23 5,25 5,26 5,27 "
                                     "5,28 9,1 9,2 9,3 9,4 9,5 / ",
                                     "- Number of defective pixels exceeds storage capacity: 9,4 9,5 / "}));
        QCOMPARE(Text(encoding.Coordinates()), "7,7 5,20 5,21 5,22 5,23 5,25 5,26 5,27 5,28 9,1 9,2 9,3");
    }
};

QTEST_APPLESS_MAIN(tst_ListValidation)
#include "tst_ListValidation.moc"
