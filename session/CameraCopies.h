#ifndef CAMERACOPIES_H
#define CAMERACOPIES_H

#include "CameraDescription.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// One camera's copies of its defect file: one taken before every write, the factory file, and
// the records of backups the user made, with an index beside them. A copy is written whole or
// not at all.
class CameraCopies
{
public:
    struct Copy
    {
        QString file; // absolute path
        QDateTime time;
        QString operation; // "upload", "restore", "revert", "factory" or "backup"
        QString camera;    // the camera entry
        QString model;
        qint64 sensorWidth = 0;
        qint64 sensorHeight = 0;
        int defects = 0;
        QString sha256;
        bool factoryListInUse = false; // the camera's own file was empty, so it used its factory list
        bool finished = true;          // the write this copy was taken for ended with the camera in order

        // What the copy is, as the history lists it: "factory list", "backup", "before upload"...
        QString Done() const;
    };

    // Automatic copies kept per camera; the factory copy and backup records are always kept.
    static const int Retained = 100;

    CameraCopies(const CameraDescription &description, const QString &entry);

    // Where the copies of the camera with this serial number are kept.
    static QString Folder(const QString &serialNumber);

    // The copy is recorded as taken for a write that has not finished yet (the factory copy as
    // finished); false when it could not be kept whole.
    bool Keep(const QString &operation, const std::vector<unsigned char> &content, bool factoryListInUse,
              Copy *kept = nullptr);
    bool Finish(const Copy &copy);
    bool RecordBackup(const QString &fileName, const std::vector<unsigned char> &content);

    // Oldest first.
    QList<Copy> Records() const;
    bool HasFactoryCopy() const;
    // The last write's copy, when that write has not finished.
    std::optional<Copy> Unfinished() const;
    // The copy's content, false when it is gone or differs from what was recorded.
    static bool Read(const Copy &copy, std::vector<unsigned char> &content);

private:
    Copy Describe(const QString &operation, const std::vector<unsigned char> &content, bool factoryListInUse) const;
    QList<Copy> Load() const;
    bool Save(const QList<Copy> &copies) const;
    QStringList Prune(QList<Copy> &copies) const;
    QString IndexPath() const;

    CameraDescription description;
    QString entry;
    QString folder;
};

#endif
