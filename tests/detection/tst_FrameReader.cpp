#include "FrameReader.h"
#include "SimulatedSensor.h"

#include <QImage>
#include <QtTest>

// A frame with every sample different, so that a byte read out of place shows.
static Frame Ramp(int width, int height, int largest)
{
    Frame frame;
    frame.width = width;
    frame.height = height;
    for (int i = 0; i < width * height; ++i)
        frame.samples.push_back(quint16(i * 7919 % (largest + 1)));
    return frame;
}

static std::vector<Frame> ReadAll(FrameReader &reader, const QString &fileName, bool *read)
{
    std::vector<Frame> frames;
    *read = reader.ReadFile(fileName, [&frames](const Frame &frame) {
        frames.push_back(frame);
        return true;
    });
    return frames;
}

class tst_FrameReader : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void readsExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("largest");
        const Frame wide = Ramp(13, 7, 65535);
        const Frame narrow = Ramp(13, 7, 255);
        QTest::newRow("16-bit PGM") << "a.pgm" << Pgm(wide) << 16 << 65535;
        QTest::newRow("16-bit PGM, maxval 4095, comments") << "b.pgm" << Pgm(Ramp(13, 7, 4095), 4095, "# camera 7\n#\n") << 16 << 4095;
        QTest::newRow("8-bit PGM") << "c.pgm" << Pgm(narrow, 255) << 8 << 255;
        QTest::newRow("raw") << "d.raw" << Raw(wide) << 16 << 65535;
    }

    void readsExactly()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, depth);
        QFETCH(int, largest);
        QVERIFY(WriteFile(dir.filePath(name), bytes));
        FrameReader reader;
        reader.SetRawSize(QSize(13, 7));
        bool read = false;
        const std::vector<Frame> frames = ReadAll(reader, dir.filePath(name), &read);
        QVERIFY2(read, qPrintable(reader.ErrorString()));
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(frames[0].bitDepth, depth);
        QCOMPARE(frames[0].samples, Ramp(13, 7, largest).samples);
    }

    void readsPng_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("largest");
        QTest::newRow("16-bit") << int(QImage::Format_Grayscale16) << 65535;
        QTest::newRow("8-bit") << int(QImage::Format_Grayscale8) << 255;
    }

    void readsPng()
    {
        QFETCH(int, format);
        QFETCH(int, largest);
        const Frame ramp = Ramp(9, 5, largest);
        QImage image(9, 5, QImage::Format(format));
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 9; ++x) {
                const quint16 value = ramp.samples[size_t(y * 9 + x)];
                if (largest > 255)
                    reinterpret_cast<quint16 *>(image.scanLine(y))[x] = value;
                else
                    image.scanLine(y)[x] = uchar(value);
            }
        }
        QVERIFY(image.save(dir.filePath("ramp.png")));
        FrameReader reader;
        bool read = false;
        const std::vector<Frame> frames = ReadAll(reader, dir.filePath("ramp.png"), &read);
        QVERIFY2(read, qPrintable(reader.ErrorString()));
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(frames[0].samples, ramp.samples);
    }

    void readsMultiPageTiffAsStack()
    {
        const std::vector<Frame> pages{Ramp(6, 4, 65535), Ramp(6, 4, 1000), Ramp(6, 4, 77)};
        QVERIFY(WriteFile(dir.filePath("stack.tif"), MultiPageTiff(pages)));
        FrameReader reader;
        bool read = false;
        const std::vector<Frame> frames = ReadAll(reader, dir.filePath("stack.tif"), &read);
        QVERIFY2(read, qPrintable(reader.ErrorString()));
        QCOMPARE(frames.size(), pages.size());
        for (size_t i = 0; i < pages.size(); ++i)
            QCOMPARE(frames[i].samples, pages[i].samples);
    }

    void refusesBadInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray pgm = Pgm(Ramp(4, 3, 65535));
        QImage image(8, 8, QImage::Format_Grayscale16);
        image.fill(Qt::gray);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        image.save(&png, "PNG");
        QTest::newRow("ASCII PGM") << "a.pgm" << QByteArray("P2\n4 3\n255\n") << "not a binary PGM: expected \"P5\" at the start.";
        QTest::newRow("width missing") << "b.pgm" << QByteArray("P5\n# only\n") << "corrupt PGM header: expected the width as a number.";
        QTest::newRow("width 0") << "c.pgm" << QByteArray("P5 0 3 255\n") << "corrupt PGM header: width 0 is not 1 to 65535.";
        QTest::newRow("maxval above 65535") << "d.pgm" << QByteArray("P5 4 3 65536\n") << "corrupt PGM header: maxval 65536 is not 1 to 65535.";
        QTest::newRow("no blank after maxval") << "e.pgm" << QByteArray("P5 4 3 255") << "corrupt PGM header: expected one blank after the maxval.";
        QTest::newRow("sample above maxval") << "f.pgm" << QByteArray("P5 2 1 200\n\x10\xFF", 13) << "corrupt PGM: a sample of 255 above the maxval 200.";
        QTest::newRow("truncated PGM") << "g.pgm" << pgm.left(pgm.size() - 1)
                                       << "truncated: 4 x 3 samples of 2 bytes need 24 bytes of data, 23 follow the header.";
        QTest::newRow("truncated PNG") << "h.png" << png.data().left(png.data().size() / 2) << "page 1 cannot be read";
        QTest::newRow("raw too short") << "i.raw" << QByteArray(26, '\0') << "a raw 4 x 3 frame of 16-bit samples is 24 bytes long, the file holds 26.";
        QImage colour(8, 8, QImage::Format_RGB32);
        colour.fill(Qt::red);
        QBuffer colourPng;
        colourPng.open(QIODevice::WriteOnly);
        colour.save(&colourPng, "PNG");
        QTest::newRow("colour PNG") << "j.png" << colourPng.data() << "expected an 8- or 16-bit greyscale image.";
        QTest::newRow("not an image") << "k.txt" << QByteArray("hello") << "not a PGM, PNG or TIFF frame";
    }

    void refusesBadInput()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QVERIFY(WriteFile(dir.filePath(name), bytes));
        FrameReader reader;
        reader.SetRawSize(QSize(4, 3));
        bool read = true;
        QVERIFY(ReadAll(reader, dir.filePath(name), &read).empty());
        QVERIFY(!read);
        QVERIFY2(reader.ErrorString().startsWith(dir.filePath(name) + ": " + message), qPrintable(reader.ErrorString()));
    }

    void refusesMissingFile()
    {
        FrameReader reader;
        bool read = true;
        ReadAll(reader, dir.filePath("none.pgm"), &read);
        QVERIFY(!read);
        QVERIFY(reader.ErrorString().startsWith(dir.filePath("none.pgm") + ": cannot be opened"));
    }
};

QTEST_GUILESS_MAIN(tst_FrameReader)
#include "tst_FrameReader.moc"
