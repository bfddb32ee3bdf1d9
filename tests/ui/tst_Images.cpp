#include <QDir>
#include <QImage>
#include <QtTest>

// The compiled-in image bundle: exactly the images the windows load, each at its stated size.
class tst_Images : public QObject
{
    Q_OBJECT

private slots:
    void bundleHoldsNineteenImages() { QCOMPARE(QDir(":/MainWindow").entryList(QDir::Files).size(), 19); }

    void imageLoadsAtItsSize_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        for (const char *icon : {"About", "Add", "Backup", "Camera", "Clear", "Close", "Disconnect", "Disk", "Download",
                                 "File", "Help", "Refresh", "Remove", "Restore", "Revert", "Settings", "Upload"})
            QTest::newRow(icon) << QString(icon) + ".png" << 192;
        QTest::newRow("toolkit logo") << "qtlogo-64.png" << 64;
        QTest::newRow("maker's logo") << "CorvaneLogo.png" << 256;
    }

    void imageLoadsAtItsSize()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        const QImage image(QStringLiteral(":/MainWindow/") + name);
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
    }
};

QTEST_MAIN(tst_Images)
#include "tst_Images.moc"
