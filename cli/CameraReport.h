#ifndef CAMERAREPORT_H
#define CAMERAREPORT_H

#include "CameraDescription.h"
#include "PixelCoords.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// What one command did on one camera: its exit status, the lines a person reads, the same as
// JSON, and what went wrong.
struct CameraReport
{
    // The exit statuses of every command.
    enum Status {
        Done = 0,
        Refused = 1,
        UsageError = 2,
        CameraNotFound = 3,
        TransferFailed = 4,
        FileFailed = 5,
    };

    static CameraReport Failure(Status status, const QString &error);
    // The JSON with the camera's entry (when given), the status and the error (when there is one).
    QJsonObject Document(const QString &entry) const;

    static QJsonArray Json(const QList<PixelCoords> &coordinates);
    static QJsonObject Json(const CameraDescription &description);
    // "row,column" pairs separated by blanks.
    static QString Text(const QList<PixelCoords> &coordinates);
    static QString SensorText(const CameraDescription &description);
    // The rows' cells in columns as wide as their widest cell.
    static QStringList Table(const QList<QStringList> &rows);

    Status status = Done;
    QString error;
    QStringList lines;   // the details, printed for one camera
    QString summary;     // one line, printed last, and alone for each camera of --all
    QJsonObject json;
};

#endif
