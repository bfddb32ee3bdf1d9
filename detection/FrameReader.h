#ifndef FRAMEREADER_H
#define FRAMEREADER_H

#include "Frame.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

// Reads frames: binary PGM (P5, 8 or 16 bits), greyscale PNG and TIFF (every page of a
// multi-page TIFF), and raw little-endian 16-bit frames (.raw) of a size given beforehand.
// Bytes in memory are read the same way as files. A failure leaves a message naming the
// file and what was expected.
class FrameReader
{
public:
    // Takes each frame as it is read; false stops the reading.
    using FrameSink = std::function<bool(const Frame &)>;

    void SetRawSize(QSize size) { rawSize = size; }
    bool ReadFile(const QString &fileName, const FrameSink &sink);
    bool ReadPgm(const QByteArray &bytes, const QString &name, Frame *out);
    bool ReadRaw(const QByteArray &bytes, const QString &name, Frame *out);
    QString ErrorString() const { return error; }

private:
    bool ReadImages(const QString &fileName, const FrameSink &sink);
    bool TakeImage(const QImage &image, const QString &name, Frame *out);
    bool Fail(const QString &name, const QString &what);

    QSize rawSize;
    QString error;
    Frame frame; // reused, so that reading many frames allocates once
};

#endif
