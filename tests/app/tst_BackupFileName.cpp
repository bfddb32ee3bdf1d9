#include "BackupFileName.h"

#include <QtTest>

// Where a backup goes: the chosen folder, the camera's serial number before the chosen name,
// and nothing of the camera's text that could lead elsewhere.
class tst_BackupFileName : public QObject
{
    Q_OBJECT

private slots:
    void name_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("serialNumber");
        QTest::addColumn<QString>("written");

        QTest::newRow("folder kept when the serial has none") << "/data/backups/list.bin" << "40211001"
                                                              << "/data/backups/40211001_list.bin";
        QTest::newRow("backslash") << "/d/list.bin" << "12\\34" << "/d/12_34_list.bin";
        QTest::newRow("climbing out") << "/d/list.bin" << "../../etc/x" << "/d/____etc_x_list.bin";
        QTest::newRow("control characters") << "/d/list.bin" << QString("a\tb\nc") + QChar(0x7f)
                                            << "/d/a_b_c__list.bin";
        QTest::newRow("drive and stream colon") << "/d/list.bin" << "C:x*?" << "/d/C_x___list.bin";
        QTest::newRow("single dot kept") << "/d/list.bin" << "v1.2" << "/d/v1.2_list.bin";
        QTest::newRow("empty serial number") << "/d/list.bin" << "" << "/d/_list.bin";
    }

    void name()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, serialNumber);
        QFETCH(QString, written);
        QCOMPARE(BackupFileName(chosen, serialNumber), written);
    }
};

QTEST_APPLESS_MAIN(tst_BackupFileName)
#include "tst_BackupFileName.moc"
