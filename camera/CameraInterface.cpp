#include "CameraInterface.h"

#include "CameraObserver.h"
#include "DebugLog.h"
#include "DefectFileLayout.h"
#include "FlashFileRegisters.h"
#include "NeighborByteEncoding.h"

#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

int pollPauseMilliseconds = 1000;

// A stuck erase or upload is given up after the camera's own maximum erase time, one poll
// per second, plus this many polls more.
const quint64 ExtraPolls = 10;

QString Hex(quint64 value)
{
    return QString::number(value, 16);
}

QString Decimal(quint64 value)
{
    return QString::number(value);
}

QString At(quint64 address)
{
    return QStringLiteral(" @ ") + Hex(address);
}

quint64 MaximumEraseSeconds(quint64 maximumSize)
{
    return (maximumSize + 65566) / 21845;
}

quint64 PollLimit(quint64 maximumSize)
{
    return MaximumEraseSeconds(maximumSize) + ExtraPolls;
}

qint64 DefectCapacity(quint64 maximumSize)
{
    if (maximumSize < DefectFileLayout::CapacityOverhead)
        return 0;
    return qint64((maximumSize - DefectFileLayout::CapacityOverhead) / DefectFileLayout::EntrySize);
}

quint32 PacketLength(quint64 size, quint64 offset)
{
    return quint32(std::min<quint64>(TransferPacketSize, size - offset));
}

quint64 PacketCount(quint64 size)
{
    return size / TransferPacketSize + (size % TransferPacketSize ? 1 : 0);
}

void LogPacketPlan(quint64 size)
{
    const quint64 packets = PacketCount(size);
    LogLine(QStringLiteral("\nWrite file data"));
    LogLine(QStringLiteral("File size in bytes: ") + Decimal(size));
    LogLine(QStringLiteral("Numbers of packets: ") + Decimal(packets));
    LogLine(QStringLiteral("PacketSize: ") + Decimal(TransferPacketSize));
}

} // namespace

CameraInterface::CameraInterface()
    : QObject(nullptr)
{
    if (cameraSession.StartupSdk())
        connect(cameraSession.Observer(), &CameraObserver::CameraListChangedSignal, this,
                &CameraInterface::OnCameraListChanged, Qt::AutoConnection);
    connectedCameraEntry.clear();
}

CameraInterface::~CameraInterface()
{
    cameraSession.ShutdownSdk();
}

void CameraInterface::SetPollPause(int milliseconds)
{
    pollPauseMilliseconds = std::max(0, milliseconds);
}

QStringList CameraInterface::GetCameraList()
{
    cameraEntries = cameraSession.QueryCameraList();
    return cameraEntries;
}

QStringList CameraInterface::GetCameraIds() const
{
    return cameraSession.CameraIds();
}

QStringList CameraInterface::GetCameraSerialNumbers() const
{
    return cameraSession.CameraSerialNumbers();
}

bool CameraInterface::IsCameraModelSupported(const QString &entry) const
{
    return entry.contains(QStringLiteral("HN2703")) || entry.contains(QStringLiteral("HN2702"))
        || entry.contains(QStringLiteral("HN2701"));
}

bool CameraInterface::ConnectCamera(const QString &entry)
{
    const int index = cameraEntries.indexOf(entry);
    if (index < 0)
        return false;
    // A camera left open by an earlier attempt is closed first, so that one camera is
    // never read under another one's name.
    if (cameraSession.IsOtherCameraOpen(unsigned(index)) && !DisconnectCamera())
        return false;
    if (!cameraSession.OpenCamera(unsigned(index)))
        return false;
    connectedCameraEntry = entry;
    if (!cameraSession.ReadCameraDescription(cameraDescription))
        return false;
    quint64 maximumSize = 0;
    if (!ReadFlashFileMaxSize(maximumSize))
        return false;
    cameraDescription.defectCapacity = DefectCapacity(maximumSize);
    return true;
}

bool CameraInterface::CheckFlashFileSystem()
{
    LogLine(QStringLiteral("Read Register ControlsInquiry1 @ ") + Hex(ControlsInquiry1));
    quint64 inquiry = 0;
    if (!cameraSession.ReadRegister(ControlsInquiry1, inquiry) || !(inquiry & FlashFileAccessBit))
        return LogFailure(QStringLiteral("Read Register ControlsInquiry1 failed. Incompatible firmware Version. "));
    LogLine(QStringLiteral("ControlsInquiry1: ") + Hex(inquiry));
    LogLine(QStringLiteral("\nRead Flash File status @ ") + Hex(FlashFileStatus));
    quint64 status = 0;
    if (!cameraSession.ReadRegister(FlashFileStatus, status) || status == 0)
        return LogFailure(QStringLiteral("Read Flash File status failed. No Flash File System. "));
    LogLine(QStringLiteral("Flash File status: ") + Hex(status));
    LogLine(QStringLiteral("Flash File System ready. "));
    return true;
}

CameraDescription CameraInterface::GetCameraDescription() const
{
    return cameraDescription;
}

bool CameraInterface::IsCameraConnected() const
{
    return !connectedCameraEntry.isEmpty();
}

bool CameraInterface::DisconnectCamera()
{
    if (!cameraSession.CloseCamera())
        return false;
    connectedCameraEntry.clear();
    cameraDescription = CameraDescription();
    return true;
}

QString CameraInterface::GetSdkVersion()
{
    return QString::fromStdString(cameraSession.QuerySdkVersion());
}

bool CameraInterface::ReadFlashFileMaxSize(quint64 &size)
{
    if (!SelectFlashFile(CustomDefectFileId, QStringLiteral("\nSelect File ID by writing ")))
        return false;
    return ReadMaximumSize(QStringLiteral("\nRead maximum file length @ "), size);
}

void CameraInterface::OnCameraListChanged(QString camID, int reason)
{
    if (reason == CameraDisappeared && !connectedCameraEntry.isEmpty() && connectedCameraEntry.contains(camID))
        emit ConnectedCameraDisconnected();
    emit CameraListChangedSignal(reason);
}

bool CameraInterface::HandleFlashFileError()
{
    LogLine(QStringLiteral("\nRead Flash File status @ ") + Hex(FlashFileStatus));
    quint64 status = 0;
    if (!cameraSession.ReadRegister(FlashFileStatus, status))
        return LogFailure(QStringLiteral("Could not read Flash File status Register. "));
    LogLine(QStringLiteral("Flash File status: ") + Hex(status));
    if (status == StatusNoError) {
        LogLine(QStringLiteral("Error handling done. "));
        return true;
    }
    LogLine(QStringLiteral("\nWrite Clear Error Command @ ") + Hex(FlashFileCommand));
    const bool cleared = cameraSession.WriteRegister(FlashFileCommand, ClearErrorCommand);
    if (status == StatusHardwareError) {
        if (!cleared)
            return LogFailure(QStringLiteral("Write Clear Error Command failed."));
        return LogFailure(QStringLiteral("Possible Hardware malfunction."));
    }
    if (!cleared)
        return LogFailure(QStringLiteral("Write Clear Error Command failed. "));
    LogLine(QStringLiteral("Error handling done. "));
    return true;
}

bool CameraInterface::EraseFlashFile(quint32 fileId, quint32 privilegeLevel, quint64 &status)
{
    LogLine(QStringLiteral("\nErase Flash File ") + Hex(fileId));
    quint64 maximumSize = 0;
    if (!ReadMaximumSize(QStringLiteral("\nRead Flash File maximum size @ "), maximumSize))
        return false;
    LogLine(QStringLiteral("maximum time in seconds to erase a file: ") + Decimal(MaximumEraseSeconds(maximumSize)));
    LogLine(QStringLiteral("\nFile ID ") + Hex(fileId));
    if (!SelectFlashFile(fileId, QStringLiteral("Select File ID by writing ")))
        return false;
    if (!HandleFlashFileError())
        return LogFailure(QStringLiteral("Error handling failed."));
    if (!ReadFlashFileStatus(status))
        return LogFailure(QStringLiteral("Read Flash File status failed."));
    if (status == StatusErased) {
        LogLine(QStringLiteral("Erase done."));
        return true;
    }
    if (!WritePrivilegeLevel(privilegeLevel))
        return false;
    if (!WriteStep(FlashFileCommand, EraseCommand,
                   QStringLiteral("\nWrite erase command ") + Decimal(EraseCommand) + At(FlashFileCommand),
                   QStringLiteral("Could not write Flash Erase Command to Flash File Command register.")))
        return false;
    return WaitForErase(maximumSize, status);
}

bool CameraInterface::DownloadFlashFile(quint64 fileId, std::vector<unsigned char> &content)
{
    return TransferFlashFile(fileId, content) == Download::Done;
}

bool CameraInterface::UploadFlashFile(quint32 fileId, quint32 privilegeLevel, const std::vector<unsigned char> &content)
{
    LogLine(QStringLiteral("\nUpload Flash File ") + Hex(fileId));
    if (!SelectFlashFile(fileId, QStringLiteral("\nSelect File ID by writing ")))
        return false;
    // The size is checked before the erase: a refused upload leaves the file as it was.
    quint64 maximumSize = 0;
    if (!ReadMaximumSize(QStringLiteral("\nRead maximum file length @ "), maximumSize))
        return false;
    if (!CheckUploadSize(content.size(), maximumSize))
        return false;
    if (!EraseForUpload(fileId, privilegeLevel) || !StartUpload(privilegeLevel, content.size()))
        return false;
    if (!WritePackets(content))
        return LogFailure(QStringLiteral("Upload failed."));
    return WaitForUpload(maximumSize);
}

bool CameraInterface::ReadTransferPacket(quint32 offset, unsigned char *destination, quint32 length)
{
    std::vector<unsigned char> buffer(std::size_t(length) + TransferHeaderSize, 0);
    const std::size_t expectedSize = buffer.size();
    if (!cameraSession.ReadMemory(FileDownloadTransferBuffer, buffer) || buffer.size() != expectedSize)
        return LogFailure(QStringLiteral("Could not read data from FileDownloadTransferBuffer. "));
    const quint32 transferOffset = qFromBigEndian<quint32>(buffer.data());
    std::copy(buffer.begin() + TransferHeaderSize, buffer.end(), destination);
    if (transferOffset != offset)
        return LogFailure(QStringLiteral("Read Error. Download offset different from transfer offset"));
    return true;
}

bool CameraInterface::WriteTransferPacket(quint32 offset, const unsigned char *source, quint32 length, int packetIndex)
{
    std::vector<unsigned char> buffer(std::size_t(length) + TransferHeaderSize, 0);
    qToBigEndian<quint32>(offset, buffer.data());
    std::copy(source, source + length, buffer.begin() + TransferHeaderSize);
    if (!cameraSession.WriteMemory(FileUploadTransferBuffer, buffer))
        return LogFailure(QStringLiteral("Could not write data to FileUploadTransferBuffer. "));
    if (packetIndex % 1000 == 0)
        LogLine(QStringLiteral("Write packet ") + QString::number(packetIndex) + QStringLiteral("\t@ offset: ")
            + Decimal(offset));
    return true;
}

bool CameraInterface::UploadDefectFile(const std::vector<unsigned char> &content)
{
    LogLine(QStringLiteral("\nUpload Defects"));
    if (!CheckFlashFileSystem())
        return LogFailure(QStringLiteral("Camera does not support Flash File access."));
    if (!UploadFlashFile(CustomDefectFileId, DefectFilePrivilegeLevel, content))
        return LogFailure(QStringLiteral("Upload Defect file failed."));
    emit TransferProgress(QStringLiteral("verifying"), 0, 0);
    std::vector<unsigned char> readBack;
    if (TransferFlashFile(CustomDefectFileId, readBack, QStringLiteral("verifying")) != Download::Done)
        return LogFailure(QStringLiteral("Upload Defect file failed."));
    if (readBack != content)
        return LogFailure(QStringLiteral("DPC data downloaded does not match the correction data saved! "));
    LogLine(QStringLiteral("Defects file uploaded\n"));
    LogLine(QStringLiteral("Defects file size in bytes: ") + Decimal(content.size()));
    return true;
}

bool CameraInterface::ReadDefectFile(std::vector<unsigned char> &content)
{
    bool ownFile = false;
    if (!ReadOwnDefectFile(content, ownFile))
        return false;
    return ownFile || CopyFactoryFileToCustom(content);
}

bool CameraInterface::ReadOwnDefectFile(std::vector<unsigned char> &content, bool &ownFile)
{
    if (!CheckFlashFileSystem())
        return LogFailure(QStringLiteral("Camera does not support Flash File access."));
    const Download custom = TransferFlashFile(CustomDefectFileId, content);
    ownFile = custom == Download::Done;
    if (ownFile)
        return true;
    // Only an empty or broken custom file means the factory list is in use; a valid one that
    // merely failed to transfer keeps the user's corrections.
    if (custom == Download::Failed || !DownloadFlashFile(FactoryDefectFileId, content))
        return LogFailure(QStringLiteral("Read defect file failed."));
    return true;
}

bool CameraInterface::ReadFactoryDefectFile(std::vector<unsigned char> &content)
{
    if (!DownloadFlashFile(FactoryDefectFileId, content))
        return LogFailure(QStringLiteral("Error! Could not download factory defect list."));
    return true;
}

// The state of a camera that never held a file of its own: the next read falls back to the
// factory list.
bool CameraInterface::EraseDefectFile()
{
    quint64 status = 0;
    if (!EraseFlashFile(CustomDefectFileId, DefectFilePrivilegeLevel, status) || status != StatusErased)
        return LogFailure(QStringLiteral("File Upload Erase Failed. Possible Hardware malfunction."));
    return true;
}

bool CameraInterface::DownloadDefectList(QList<PixelCoords> &list)
{
    std::vector<unsigned char> content;
    if (!ReadDefectFile(content))
        return false;
    DecodeDefectFile(content, &list);
    return true;
}

bool CameraInterface::RevertToFactoryDefectFile()
{
    std::vector<unsigned char> factory;
    if (!ReadFactoryDefectFile(factory))
        return false;
    if (!UploadDefectFile(factory))
        return LogFailure(QStringLiteral("Revert to factory defect list failed."));
    return true;
}

CameraInterface::Download CameraInterface::TransferFlashFile(quint64 fileId, std::vector<unsigned char> &content,
                                                             const QString &step)
{
    LogLine(QStringLiteral("\nDownload Flash File ") + Hex(fileId));
    if (!SelectFlashFile(fileId, QStringLiteral("\nSelect File ID by writing ")))
        return Download::Failed;
    if (!HandleFlashFileError())
        return LogDownloadFailure(QStringLiteral("Error handling failed."), Download::Failed);
    quint64 status = 0;
    if (!ReadFlashFileStatus(status))
        return LogDownloadFailure(QStringLiteral("Read Flash File status failed."), Download::Failed);
    if (status != StatusValid)
        return LogDownloadFailure(QStringLiteral("Flash File status not valid."), Download::NotValid);
    LogLine(QStringLiteral("\nRead file length @ ") + Hex(FlashFileLength));
    quint64 length = 0;
    if (!cameraSession.ReadRegister(FlashFileLength, length))
        return LogDownloadFailure(QStringLiteral("Could not read Flash File length."), Download::Failed);
    LogLine(QStringLiteral("File length: ") + Decimal(length));
    const Download checked = CheckFileLength(length);
    if (checked != Download::Done)
        return checked;
    content.resize(length);
    LogLine(QStringLiteral("\nWrite download offset ") + Decimal(0) + At(FlashFileDownloadOffset));
    if (!cameraSession.WriteRegister(FlashFileDownloadOffset, 0))
        return LogDownloadFailure(QStringLiteral("Could not write download offset."), Download::Failed);
    LogPacketPlan(length);
    const int packets = int(PacketCount(length));
    int packetIndex = 0;
    for (quint64 offset = 0; offset < length; offset += TransferPacketSize) {
        if (!ReadTransferPacket(quint32(offset), content.data() + offset, PacketLength(length, offset)))
            return Download::Failed;
        emit TransferProgress(step, ++packetIndex, packets);
    }
    LogLine(QStringLiteral("Flash File downloaded\n"));
    return Download::Done;
}

CameraInterface::Download CameraInterface::LogDownloadFailure(const QString &line, Download result)
{
    LogLine(line);
    return result;
}

// The length is checked against the file's maximum size before anything is allocated for it.
CameraInterface::Download CameraInterface::CheckFileLength(quint64 length)
{
    if (length == 0)
        return LogDownloadFailure(QStringLiteral("Flash file empty."), Download::Empty);
    if (length % 4 != 0)
        return LogDownloadFailure(QStringLiteral("File size is not multiple of 4."), Download::NotValid);
    quint64 maximumSize = 0;
    if (!ReadMaximumSize(QStringLiteral("\nRead maximum file length @ "), maximumSize))
        return Download::Failed;
    if (length > maximumSize || length > std::numeric_limits<quint32>::max())
        return LogDownloadFailure(QStringLiteral("File length exceeds the Flash File maximum size."),
                                  Download::Failed);
    return Download::Done;
}

bool CameraInterface::SelectFlashFile(quint64 fileId, const QString &text)
{
    return WriteStep(FlashFileSelect, fileId, text + Hex(fileId) + At(FlashFileSelect),
                     QStringLiteral("File selection failed."));
}

bool CameraInterface::ReadMaximumSize(const QString &text, quint64 &size)
{
    LogLine(text + Hex(FlashFileMaxSize));
    if (!cameraSession.ReadRegister(FlashFileMaxSize, size)) {
        size = 0;
        return LogFailure(QStringLiteral("Could not read Flash File maximum size."));
    }
    LogLine(QStringLiteral("Flash File maximum size: ") + Decimal(size));
    return true;
}

bool CameraInterface::ReadFlashFileStatus(quint64 &status)
{
    LogLine(QStringLiteral("\nRead Flash File status @ ") + Hex(FlashFileStatus));
    if (!cameraSession.ReadRegister(FlashFileStatus, status))
        return false;
    LogLine(QStringLiteral("Flash File status: ") + Hex(status));
    return true;
}

bool CameraInterface::WriteStep(quint64 address, quint64 value, const QString &line, const QString &failure)
{
    LogLine(line);
    if (!cameraSession.WriteRegister(address, value))
        return LogFailure(failure);
    return true;
}

bool CameraInterface::WritePrivilegeLevel(quint32 privilegeLevel)
{
    return WriteStep(FlashFileCommand, privilegeLevel,
                     QStringLiteral("\nSet Flash File Privilege by writing ") + Hex(privilegeLevel)
                         + At(FlashFileCommand),
                     QStringLiteral("Set Flash File Privilege Level failed."));
}

bool CameraInterface::CheckUploadSize(quint64 size, quint64 maximumSize)
{
    if (size % 4 != 0)
        return LogFailure(QStringLiteral("File size is not multiple of 4."));
    if (size > maximumSize)
        return LogFailure(QStringLiteral("File size exceeds ") + Decimal(maximumSize));
    return true;
}

// A first erase that leaves the file in another state than erased is tried once more.
bool CameraInterface::EraseForUpload(quint32 fileId, quint32 privilegeLevel)
{
    emit TransferProgress(QStringLiteral("erasing"), 0, 0);
    quint64 status = 0;
    if (!EraseFlashFile(fileId, privilegeLevel, status))
        return LogFailure(QStringLiteral("File Upload Erase Failed. Possible Hardware malfunction."));
    if (!ReadFlashFileStatus(status))
        return LogFailure(QStringLiteral("Read Flash File status failed."));
    if (status == StatusErased) {
        LogLine(QStringLiteral("Erase done. Ready to upload file."));
        return true;
    }
    if (!EraseFlashFile(fileId, privilegeLevel, status))
        return LogFailure(QStringLiteral("File Upload Erase Failed. Possible Hardware malfunction."));
    return true;
}

bool CameraInterface::StartUpload(quint32 privilegeLevel, quint64 size)
{
    return WritePrivilegeLevel(privilegeLevel)
        && WriteStep(FlashFileUploadLength, size,
                     QStringLiteral("\nWrite upload length register ") + Decimal(size) + At(FlashFileUploadLength),
                     QStringLiteral("Could not write defect file length to FlashFileUploadLength."))
        && WriteStep(FlashFileCommand, UploadCommand,
                     QStringLiteral("\nWrite Flash File Upload command ") + Decimal(UploadCommand)
                         + At(FlashFileCommand),
                     QStringLiteral("Could not write Upload Command to Flash File Command register."));
}

bool CameraInterface::WritePackets(const std::vector<unsigned char> &content)
{
    const quint64 size = content.size();
    LogPacketPlan(size);
    const int packets = int(PacketCount(size));
    int packetIndex = 0;
    for (quint64 offset = 0; offset < size; offset += TransferPacketSize) {
        if (!WriteTransferPacket(quint32(offset), content.data() + offset, PacketLength(size, offset), packetIndex))
            return false;
        ++packetIndex;
        emit TransferProgress(QStringLiteral("writing"), packetIndex, packets);
    }
    return true;
}

bool CameraInterface::WaitForErase(quint64 maximumSize, quint64 &status)
{
    const QString stuck = QStringLiteral("Flash Erase command still in progress after %1 status polls.");
    if (!PollWhileBusy(maximumSize, {StatusEraseInProgress}, stuck, status))
        return false;
    if (status != StatusErased)
        return LogFailure(QStringLiteral("Flash Erase command failed. Flash File Status invalid."));
    LogLine(QStringLiteral("Erase command completed."));
    LogLine(QStringLiteral("Flash File erased\n"));
    return true;
}

bool CameraInterface::WaitForUpload(quint64 maximumSize)
{
    emit TransferProgress(QStringLiteral("storing"), 0, 0);
    const QString stuck = QStringLiteral("Flash Upload command still in progress after %1 status polls.");
    quint64 status = 0;
    if (!PollWhileBusy(maximumSize, {StatusUploadInProgress, StatusUploadStoring}, stuck, status))
        return false;
    if (status != StatusValid)
        return LogFailure(QStringLiteral("Flash Upload command failed. Flash File Status invalid."));
    LogLine(QStringLiteral("Upload command completed. Flash File  valid."));
    LogLine(QStringLiteral("Flash File uploaded\n"));
    return true;
}

// Polls the status, one pause before each read, while it is one of the busy values; gives up
// after the camera's maximum erase time plus a margin of polls, so a stuck camera cannot hang us.
bool CameraInterface::PollWhileBusy(quint64 maximumSize, std::initializer_list<quint64> busy, const QString &stuck,
                                    quint64 &status)
{
    const quint64 limit = PollLimit(maximumSize);
    for (quint64 poll = 0; poll < limit; ++poll) {
        if (!PollStatus(status))
            return LogFailure(QStringLiteral("Read Flash File status register failed during the Erase Command."));
        if (std::find(busy.begin(), busy.end(), status) == busy.end())
            return true;
    }
    return LogFailure(stuck.arg(limit));
}

bool CameraInterface::PollStatus(quint64 &status)
{
    QThread::msleep(static_cast<unsigned long>(pollPauseMilliseconds));
    return ReadFlashFileStatus(status);
}

bool CameraInterface::CopyFactoryFileToCustom(std::vector<unsigned char> &content)
{
    LogLine(QStringLiteral("Custom defect file empty. Downloading factory defect file..."));
    if (!UploadDefectFile(content))
        return LogFailure(QStringLiteral("Copy factory defect file failed."));
    return true;
}
