#ifndef CAMERAINTERFACE_H
#define CAMERAINTERFACE_H

#include "CameraDescription.h"
#include "CameraListChange.h"
#include "CameraSession.h"
#include "PixelCoords.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <vector>

// The one door to the cameras: the SDK's life, the camera list, the connected camera's
// identity, its flash file protocol and the defect file stored in it. Every operation
// blocks until the camera has answered; failures are logged and reported as false.
class CameraInterface : public QObject
{
    Q_OBJECT

public:
    CameraInterface();
    ~CameraInterface() override;

    QStringList GetCameraList();
    // The camera IDs of the entries of the last camera list, in its order.
    QStringList GetCameraIds() const;
    QStringList GetCameraSerialNumbers() const;
    bool IsCameraModelSupported(const QString &entry) const;
    bool ConnectCamera(const QString &entry);
    bool CheckFlashFileSystem();
    CameraDescription GetCameraDescription() const;
    bool IsCameraConnected() const;
    bool DisconnectCamera();
    QString GetSdkVersion();
    bool ReadFlashFileMaxSize(quint64 &size);

    // Flash file protocol
    bool HandleFlashFileError();
    bool EraseFlashFile(quint32 fileId, quint32 privilegeLevel, quint64 &status);
    bool DownloadFlashFile(quint64 fileId, std::vector<unsigned char> &content);
    bool UploadFlashFile(quint32 fileId, quint32 privilegeLevel, const std::vector<unsigned char> &content);
    bool ReadTransferPacket(quint32 offset, unsigned char *destination, quint32 length);
    bool WriteTransferPacket(quint32 offset, const unsigned char *source, quint32 length, int packetIndex);

    // The stored defect file
    bool UploadDefectFile(const std::vector<unsigned char> &content);
    // The list in use; the factory file is copied into an empty or broken custom file.
    bool ReadDefectFile(std::vector<unsigned char> &content);
    // The list in use without writing anything: `ownFile` is false when it is the factory list
    // because the custom file is empty or broken.
    bool ReadOwnDefectFile(std::vector<unsigned char> &content, bool &ownFile);
    bool ReadFactoryDefectFile(std::vector<unsigned char> &content);
    bool EraseDefectFile();
    bool DownloadDefectList(QList<PixelCoords> &list);
    bool RevertToFactoryDefectFile();

    // The pause before each status poll while the camera erases or stores a file:
    // always 1000 ms in the program; tests shorten it.
    static void SetPollPause(int milliseconds);

signals:
    void CameraListChangedSignal(int reason);
    void ConnectedCameraDisconnected();
    // A step of a transfer with the camera's flash: "reading" (packet done of total), "erasing",
    // "writing" (packet done of total), "storing", "verifying" (then its packets read back).
    // Emitted on the thread that runs the transfer.
    void TransferProgress(const QString &step, int done, int total);

private slots:
    void OnCameraListChanged(QString camID, int reason);

private:
    enum class Download { Done, Empty, NotValid, Failed };

    // Each packet read is told as `step`.
    Download TransferFlashFile(quint64 fileId, std::vector<unsigned char> &content,
                               const QString &step = QStringLiteral("reading"));
    Download CheckFileLength(quint64 length);
    static Download LogDownloadFailure(const QString &line, Download result);
    bool SelectFlashFile(quint64 fileId, const QString &text);
    bool ReadMaximumSize(const QString &text, quint64 &size);
    bool ReadFlashFileStatus(quint64 &status);
    bool WriteStep(quint64 address, quint64 value, const QString &line, const QString &failure);
    bool WritePrivilegeLevel(quint32 privilegeLevel);
    static bool CheckUploadSize(quint64 size, quint64 maximumSize);
    bool EraseForUpload(quint32 fileId, quint32 privilegeLevel);
    bool StartUpload(quint32 privilegeLevel, quint64 size);
    bool WritePackets(const std::vector<unsigned char> &content);
    bool WaitForErase(quint64 maximumSize, quint64 &status);
    bool WaitForUpload(quint64 maximumSize);
    bool PollWhileBusy(quint64 maximumSize, std::initializer_list<quint64> busy, const QString &stuck,
                       quint64 &status);
    bool PollStatus(quint64 &status);
    bool CopyFactoryFileToCustom(std::vector<unsigned char> &content);

    CameraSession cameraSession;
    QString connectedCameraEntry;
    CameraDescription cameraDescription;
    QStringList cameraEntries;
};

#endif
