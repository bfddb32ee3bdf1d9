#ifndef LISTFILEIO_H
#define LISTFILEIO_H

#include "CameraDescription.h"
#include "PixelCoords.h"

#include <QList>
#include <QString>

#include <vector>

// The user list's CSV file and the binary backup of the camera's defect file.
// Stateless: callers make one on the stack per operation.
class ListFileIO
{
public:
    bool ReadCsvFile(QString fileName, QList<PixelCoords> *out) const;
    bool ParseCsvRow(QString line, PixelCoords *out) const;
    bool WriteCsvFile(QString fileName, QList<PixelCoords> list) const;

    bool ExportBinaryDefectFile(QString fileName, const std::vector<unsigned char> &content) const;
    bool ImportBinaryDefectFile(CameraDescription description, QString fileName,
                                std::vector<unsigned char> *out) const;
    bool ValidateBackupFile(CameraDescription description, const std::vector<unsigned char> &content) const;
};

#endif
