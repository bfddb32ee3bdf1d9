#include "FrameReader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace {

constexpr int LargestSide = 65535; // rows and columns are 16-bit

// The header of a binary PGM, read field by field; `position` ends on the first sample.
struct PgmHeader
{
    explicit PgmHeader(const QByteArray &bytes) : data(bytes.constData()), size(bytes.size()) {}

    const char *data;
    qint64 size;
    qint64 position = 2; // after "P5"
    QString problem;

    static bool IsBlank(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }

    void SkipBlanksAndComments()
    {
        while (position < size) {
            const char c = data[position];
            if (c == '#') {
                while (position < size && data[position] != '\n' && data[position] != '\r')
                    ++position;
            } else if (IsBlank(c)) {
                ++position;
            } else {
                return;
            }
        }
    }

    // A decimal field of 1 to `largest`, after blanks and comments.
    int Field(const char *name, int largest)
    {
        SkipBlanksAndComments();
        qint64 value = 0;
        const qint64 start = position;
        while (position < size && data[position] >= '0' && data[position] <= '9' && value <= largest)
            value = value * 10 + (data[position++] - '0');
        if (position == start)
            return Problem(QStringLiteral("expected the %1 as a number").arg(QLatin1String(name)));
        if (value < 1 || value > largest)
            return Problem(QStringLiteral("%1 %2 is not 1 to %3").arg(QLatin1String(name)).arg(value).arg(largest));
        return int(value);
    }

    int Problem(const QString &text)
    {
        if (problem.isEmpty())
            problem = text;
        return 0;
    }

    bool EndOfHeader()
    {
        if (position < size && IsBlank(data[position])) {
            ++position;
            return true;
        }
        Problem(QStringLiteral("expected one blank after the maxval"));
        return false;
    }
};

// Samples above maxval make the file corrupt; the largest is returned to check that.
quint16 WidenBytes(const uchar *bytes, size_t count, quint16 *out)
{
    quint16 largest = 0;
    for (size_t i = 0; i < count; ++i) {
        out[i] = bytes[i];
        largest = qMax(largest, out[i]);
    }
    return largest;
}

quint16 SwapBigEndian(const uchar *bytes, size_t count, quint16 *out)
{
    quint16 largest = 0;
    for (size_t i = 0; i < count; ++i) {
        out[i] = quint16((bytes[2 * i] << 8) | bytes[2 * i + 1]);
        largest = qMax(largest, out[i]);
    }
    return largest;
}

} // namespace

bool FrameReader::ReadFile(const QString &fileName, const FrameSink &sink)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(fileName, QStringLiteral("cannot be opened (%1)").arg(file.errorString()));
    if (QFileInfo(fileName).suffix().compare(QLatin1String("raw"), Qt::CaseInsensitive) == 0)
        return ReadRaw(file.readAll(), fileName, &frame) && sink(frame);
    if (file.peek(1) == "P")
        return ReadPgm(file.readAll(), fileName, &frame) && sink(frame);
    file.close();
    return ReadImages(fileName, sink);
}

bool FrameReader::ReadPgm(const QByteArray &bytes, const QString &name, Frame *out)
{
    if (!bytes.startsWith("P5"))
        return Fail(name, QStringLiteral("not a binary PGM: expected \"P5\" at the start"));
    PgmHeader header(bytes);
    const int width = header.Field("width", LargestSide);
    const int height = header.Field("height", LargestSide);
    const int maxval = header.Field("maxval", 65535);
    if (!header.problem.isEmpty() || !header.EndOfHeader())
        return Fail(name, QStringLiteral("corrupt PGM header: %1").arg(header.problem));
    const int sampleBytes = maxval < 256 ? 1 : 2;
    const qint64 needed = qint64(width) * height * sampleBytes;
    const qint64 present = bytes.size() - header.position;
    if (present < needed)
        return Fail(name, QStringLiteral("truncated: %1 x %2 samples of %3 bytes need %4 bytes of data, %5 follow the header")
                              .arg(width).arg(height).arg(sampleBytes).arg(needed).arg(present));
    out->width = width;
    out->height = height;
    out->bitDepth = 8 * sampleBytes;
    out->samples.resize(size_t(width) * size_t(height));
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData() + header.position);
    const quint16 largest = sampleBytes == 1 ? WidenBytes(data, out->samples.size(), out->samples.data())
                                             : SwapBigEndian(data, out->samples.size(), out->samples.data());
    if (largest > maxval)
        return Fail(name, QStringLiteral("corrupt PGM: a sample of %1 above the maxval %2").arg(largest).arg(maxval));
    return true;
}

bool FrameReader::ReadRaw(const QByteArray &bytes, const QString &name, Frame *out)
{
    if (rawSize.width() < 1 || rawSize.height() < 1 || rawSize.width() > LargestSide || rawSize.height() > LargestSide)
        return Fail(name, QStringLiteral("a raw frame needs its width and height, each 1 to %1").arg(LargestSide));
    const qint64 needed = qint64(rawSize.width()) * rawSize.height() * 2;
    if (bytes.size() != needed)
        return Fail(name, QStringLiteral("a raw %1 x %2 frame of 16-bit samples is %3 bytes long, the file holds %4")
                              .arg(rawSize.width()).arg(rawSize.height()).arg(needed).arg(bytes.size()));
    out->width = rawSize.width();
    out->height = rawSize.height();
    out->bitDepth = 16;
    out->samples.resize(size_t(needed / 2));
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    for (size_t i = 0; i < out->samples.size(); ++i)
        out->samples[i] = quint16(data[2 * i] | (data[2 * i + 1] << 8));
    return true;
}

// Every page, one after the other: a multi-page TIFF is a stack.
bool FrameReader::ReadImages(const QString &fileName, const FrameSink &sink)
{
    QImageReader reader(fileName);
    if (!reader.canRead())
        return Fail(fileName, QStringLiteral("not a PGM, PNG or TIFF frame (%1)").arg(reader.errorString()));
    const int pages = qMax(1, reader.imageCount());
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !reader.jumpToNextImage())
            return Fail(fileName, QStringLiteral("page %1 of %2 cannot be found").arg(page + 1).arg(pages));
        const QImage image = reader.read();
        if (image.isNull())
            return Fail(fileName, QStringLiteral("page %1 cannot be read (%2)").arg(page + 1).arg(reader.errorString()));
        if (!TakeImage(image, fileName, &frame) || !sink(frame))
            return false;
    }
    return true;
}

bool FrameReader::TakeImage(const QImage &image, const QString &name, Frame *out)
{
    const bool wide = image.format() == QImage::Format_Grayscale16;
    if (!wide && image.format() != QImage::Format_Grayscale8)
        return Fail(name, QStringLiteral("expected an 8- or 16-bit greyscale image"));
    if (image.width() > LargestSide || image.height() > LargestSide)
        return Fail(name, QStringLiteral("%1 x %2 is larger than %3 x %3").arg(image.width()).arg(image.height()).arg(LargestSide));
    out->width = image.width();
    out->height = image.height();
    out->bitDepth = wide ? 16 : 8;
    out->samples.resize(size_t(image.width()) * size_t(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        quint16 *row = out->samples.data() + size_t(y) * size_t(image.width());
        if (wide)
            std::copy_n(reinterpret_cast<const quint16 *>(image.constScanLine(y)), image.width(), row);
        else
            std::copy_n(image.constScanLine(y), image.width(), row);
    }
    return true;
}

bool FrameReader::Fail(const QString &name, const QString &what)
{
    error = QStringLiteral("%1: %2.").arg(name, what);
    return false;
}
