#include <QDir>
#include <QImage>
#include <QtTest>

// The compiled-in image bundle: every image the windows load, at its stated size.
class tst_Images : public QObject
{
    Q_OBJECT

private slots:
    void bundleHoldsExactlyTheImages();
    void imageLoadsAtItsSize_data();
    void imageLoadsAtItsSize();
};

void tst_Images::bundleHoldsExactlyTheImages()
{
    QCOMPARE(QDir(QStringLiteral(":/MainWindow")).entryList(QDir::Files).size(), 19);
}

void tst_Images::imageLoadsAtItsSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    const QStringList icons = {"About.png",    "Add.png",  "Backup.png",   "Camera.png",  "Clear.png",   "Close.png",
                               "Disconnect.png", "Disk.png", "Download.png", "File.png",    "Help.png",    "Refresh.png",
                               "Remove.png",   "Restore.png", "Revert.png", "Settings.png", "Upload.png"};
    for (const QString &icon : icons)
        QTest::newRow(qPrintable(icon)) << icon << 192;
    QTest::newRow("toolkit logo") << "qtlogo-64.png" << 64;
    QTest::newRow("maker's logo") << "CorvaneLogo.png" << 256;
}

void tst_Images::imageLoadsAtItsSize()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    const QImage image(QStringLiteral(":/MainWindow/") + name);
    QVERIFY2(!image.isNull(), qPrintable(name));
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
}

QTEST_MAIN(tst_Images)
#include "tst_Images.moc"
