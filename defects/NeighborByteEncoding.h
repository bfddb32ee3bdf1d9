#ifndef NEIGHBORBYTEENCODING_H
#define NEIGHBORBYTEENCODING_H

#include "CameraDescription.h"
#include "DefectFileLayout.h"
#include "PixelCoords.h"

#include <QList>

#include <array>
#include <functional>
#include <vector>

// One encoded defect: bit b of neighbourMask is the position column + (4 - b)
// of the same row; a set bit means that position may be used for correction.
struct NbEntry
{
    quint16 row = 0;
    quint16 column = 0;
    quint32 neighbourMask = 0;
};
Q_DECLARE_TYPEINFO(NbEntry, Q_PRIMITIVE_TYPE);

// Encodes a defect list into the camera's defect file content and answers
// (and trims) what the camera could not correct or hold.
class NeighborByteEncoding
{
public:
    NeighborByteEncoding();
    virtual ~NeighborByteEncoding() = default;

    void SetData(const CameraDescription &description, const QList<PixelCoords> &coordinates);
    bool Generate1DNbEncodingFromDefectImage();
    int GetDefectFileSize() const;
    bool FormatDefectFileData(std::vector<unsigned char> *out);

    QList<PixelCoords> FindMoreThanFourConsecutive() const;
    QList<PixelCoords> RemoveMoreThanEightConsecutive();
    QList<PixelCoords> RemoveOutsideSensorRange(const CameraDescription &description);
    QList<PixelCoords> RemoveBeyondCapacity();

    const QList<NbEntry> &Entries() const { return entries; }
    const QList<PixelCoords> &Coordinates() const { return coordinates; }

private:
    quint32 UnusablePositions(const std::vector<quint32> &positions, size_t index, bool colour) const;
    QList<PixelCoords> RemoveEntriesWhere(const std::function<bool(const NbEntry &)> &matches);
    void RemoveFirstEqualCoordinates(const QList<PixelCoords> &removed);
    void WriteHeader(quint32 entryCount);

    CameraDescription description;
    QList<PixelCoords> coordinates;
    std::array<unsigned char, DefectFileLayout::HeaderSize> header;
    QList<NbEntry> entries;
};

// Appends the coordinates of a defect file content to *coordinates, in file order;
// never reads past the end of the content.
void DecodeDefectFile(const std::vector<unsigned char> &content, QList<PixelCoords> *coordinates);

#endif
