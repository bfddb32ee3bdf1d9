#ifndef SESSION_H
#define SESSION_H

#include "CameraCopies.h"
#include "CameraDescription.h"
#include "Finding.h"
#include "PixelCoords.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class CameraInterface;
class NeighborByteEncoding;

// The workflows on one camera and its two lists, for any front end: each operation does its work
// and says how it ended; what to show or ask is the front end's.
class Session : public QObject
{
    Q_OBJECT

public:
    // How an operation ended.
    enum Outcome {
        Done,
        NotSupported,     // a camera model the program does not know
        NotConnected,     // the camera could not be opened, or none is connected
        NoFileSystem,     // a camera without the flash file system
        ReadFailed,       // reading from the camera failed
        WriteFailed,      // writing into the camera failed
        NotABackup,       // the file is not a backup of this camera's sensor
        NotAListFile,     // the file is not a list of rows and columns
        FileNotRead,      // a file could not be read
        FileNotWritten,   // an output file could not be written
        NothingToUpload,  // the user list is empty
        NotEncoded,       // the merged list could not be encoded for this sensor
        Declined,         // the findings were not accepted
        NotCopied,        // no copy of the camera's file could be kept, so nothing was written
    };

    // How a failed write ended for what the camera held before it.
    enum PutBack {
        NothingToPutBack, // no write failed, or no copy was taken
        PutBackDone,      // the camera holds its previous list again
        PutBackFailed,    // the previous list is only in the copy
    };

    // The merged list's findings; none when it could not be encoded.
    struct ListCheck
    {
        bool encoded = false;
        QList<Finding> findings;
    };

    // Shown every upload's findings, none included; whether what they name may be dropped for the
    // upload to go on.
    using Acceptance = std::function<bool(const QList<Finding> &findings)>;

    Session();
    ~Session() override;

    QStringList CameraEntries();
    // Of the entries of the last camera list, in its order.
    QStringList CameraIds() const;
    QStringList CameraSerialNumbers() const;
    bool IsModelSupported(const QString &entry) const;
    QString SdkVersion();

    Outcome Connect(const QString &entry);
    void Disconnect();
    bool IsConnected() const;
    CameraDescription Description() const;

    Outcome Download();
    Outcome Backup(const QString &fileName);
    Outcome Restore(const QString &fileName);
    Outcome Revert();
    ListCheck Check() const;
    // The camera list's own runs of more than four.
    QList<PixelCoords> CameraListRuns() const;
    Outcome Upload(const Acceptance &accept);

    // Whether a copy of the camera's file is kept before each write, and put back when the write
    // fails (on unless a front end turns it off).
    void SetKeepCopies(bool keep);
    // Of the last upload, restore or revert.
    PutBack LastPutBack() const;
    CameraCopies::Copy LastCopy() const;
    // The connected camera's copies, newest first and its factory list last.
    QList<CameraCopies::Copy> History() const;
    // A copy from the history restored as a backup file is.
    Outcome RestoreCopy(const CameraCopies::Copy &copy);
    // The copy taken before a write into the connected camera that did not finish.
    std::optional<CameraCopies::Copy> UnfinishedWrite() const;
    // That copy put back into the camera.
    Outcome Recover();

    bool IsCameraListLoaded() const;
    QList<PixelCoords> CameraDefects() const;
    QList<PixelCoords> UserDefects() const;
    // The camera list, then the user's entries that are not in it.
    QList<PixelCoords> MergedList() const;

    // False when the coordinate is in the user list already.
    bool AddUserDefect(const PixelCoords &coordinates, int afterRow);
    bool RemoveUserDefect(int row);
    void ClearUserDefects();
    // The files' entries in order, each once, in place of the user list; nothing changes when one
    // is refused, and `refused` names it.
    Outcome LoadUserList(const QStringList &fileNames, QString *refused = nullptr);
    Outcome SaveUserList(const QString &fileName) const;

signals:
    void CameraListChanged(int reason);
    void ConnectedCameraDisconnected();
    // A step of a transfer with the camera: reading, erasing, writing, storing, verifying (with the
    // packets done of total where they are counted), and putting back after a failed write.
    void TransferProgress(const QString &step, int done, int total);

private:
    bool Encode(NeighborByteEncoding &encoding) const;
    void KeepFactoryCopy();
    Outcome Guarded(const QString &operation, const std::function<bool()> &write);
    Outcome WriteWithoutCopy(const std::function<bool()> &write);
    bool PutBackContent(const std::vector<unsigned char> &previous, bool factoryListInUse);

    std::unique_ptr<CameraInterface> camera;
    CameraDescription description;
    QList<PixelCoords> cameraDefects;
    QList<PixelCoords> userDefects;
    bool cameraListLoaded = false;
    std::unique_ptr<CameraCopies> copies;
    bool keepCopies = true;
    PutBack lastPutBack = NothingToPutBack;
    CameraCopies::Copy lastCopy;
};

#endif
