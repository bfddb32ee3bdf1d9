#include "Session.h"

#include "CameraInterface.h"
#include "CoordinateSet.h"
#include "DebugLog.h"
#include "ListFileIO.h"
#include "ListValidation.h"
#include "NeighborByteEncoding.h"

#include <QFileInfo>

#include <algorithm>

Session::Session()
    : camera(std::make_unique<CameraInterface>())
{
    connect(camera.get(), &CameraInterface::CameraListChangedSignal, this, &Session::CameraListChanged);
    connect(camera.get(), &CameraInterface::ConnectedCameraDisconnected, this,
            &Session::ConnectedCameraDisconnected);
    connect(camera.get(), &CameraInterface::TransferProgress, this, &Session::TransferProgress);
}

Session::~Session() = default;

QStringList Session::CameraEntries()
{
    return camera->GetCameraList();
}

QStringList Session::CameraIds() const
{
    return camera->GetCameraIds();
}

QStringList Session::CameraSerialNumbers() const
{
    return camera->GetCameraSerialNumbers();
}

bool Session::IsModelSupported(const QString &entry) const
{
    return camera->IsCameraModelSupported(entry);
}

QString Session::SdkVersion()
{
    return camera->GetSdkVersion();
}

Session::Outcome Session::Connect(const QString &entry)
{
    if (!camera->IsCameraModelSupported(entry))
        return NotSupported;
    if (!camera->ConnectCamera(entry))
        return NotConnected;
    if (!camera->CheckFlashFileSystem())
        return NoFileSystem;
    description = camera->GetCameraDescription();
    copies = std::make_unique<CameraCopies>(description, entry);
    KeepFactoryCopy();
    return Done;
}

// Kept the first time a camera is seen; a camera whose factory file cannot be read is still
// connected, and the copy is tried again next time.
void Session::KeepFactoryCopy()
{
    if (!keepCopies || copies->HasFactoryCopy())
        return;
    std::vector<unsigned char> factory;
    if (camera->ReadFactoryDefectFile(factory))
        copies->Keep(QStringLiteral("factory"), factory, false);
}

void Session::Disconnect()
{
    cameraDefects.clear();
    cameraListLoaded = false;
    camera->DisconnectCamera();
    description = CameraDescription();
    copies.reset();
}

bool Session::IsConnected() const
{
    return camera->IsCameraConnected();
}

CameraDescription Session::Description() const
{
    return description;
}

Session::Outcome Session::Download()
{
    if (!camera->IsCameraConnected())
        return NotConnected;
    QList<PixelCoords> list;
    if (!camera->DownloadDefectList(list))
        return ReadFailed;
    cameraDefects = list;
    cameraListLoaded = true;
    return Done;
}

Session::Outcome Session::Backup(const QString &fileName)
{
    std::vector<unsigned char> content;
    if (!camera->ReadDefectFile(content)) {
        LogLine(QStringLiteral("Error! Could not backup list. File could not be downloaded correctly."));
        return ReadFailed;
    }
    if (!ListFileIO().ExportBinaryDefectFile(fileName, content)) {
        LogLine(QStringLiteral("Error! Export binary defect file failed."));
        return FileNotWritten;
    }
    if (copies)
        copies->RecordBackup(fileName, content);
    return Done;
}

Session::Outcome Session::Restore(const QString &fileName)
{
    std::vector<unsigned char> content;
    if (!ListFileIO().ImportBinaryDefectFile(description, fileName, &content))
        return QFileInfo(fileName).isReadable() ? NotABackup : FileNotRead;
    return Guarded(QStringLiteral("restore"), [&] { return camera->UploadDefectFile(content); });
}

Session::Outcome Session::Revert()
{
    return Guarded(QStringLiteral("revert"), [this] { return camera->RevertToFactoryDefectFile(); });
}

Session::ListCheck Session::Check() const
{
    ListCheck check;
    NeighborByteEncoding encoding;
    if (!Encode(encoding))
        return check;
    check.encoded = true;
    check.findings = ListValidation::Check(encoding, description, cameraDefects);
    return check;
}

// What the checks remove from the encoding is not written; the caller decides whether that
// may happen.
Session::Outcome Session::Upload(const Acceptance &accept)
{
    if (userDefects.isEmpty())
        return NothingToUpload;
    NeighborByteEncoding encoding;
    if (!Encode(encoding))
        return NotEncoded;
    const QList<Finding> findings = ListValidation::Check(encoding, description, cameraDefects);
    if (!accept(findings)) {
        LogLine(QStringLiteral("ValidateDefectivePixelCoordinates() failed"));
        return Declined;
    }
    if (encoding.GetDefectFileSize() % 4 != 0) {
        LogLine(QStringLiteral("Defect File size is not multiple of 4."));
        return NotEncoded;
    }
    std::vector<unsigned char> content;
    if (!encoding.FormatDefectFileData(&content)) {
        LogLine(QStringLiteral("Formating Defect File data failed"));
        return NotEncoded;
    }
    return Guarded(QStringLiteral("upload"), [&] { return camera->UploadDefectFile(content); });
}

// The camera's file is copied before the write, and put back when the write fails.
Session::Outcome Session::Guarded(const QString &operation, const std::function<bool()> &write)
{
    lastPutBack = NothingToPutBack;
    lastCopy = CameraCopies::Copy();
    if (!keepCopies || !copies)
        return WriteWithoutCopy(write);
    std::vector<unsigned char> previous;
    bool ownFile = false;
    if (!camera->ReadOwnDefectFile(previous, ownFile) || !copies->Keep(operation, previous, !ownFile, &lastCopy))
        return NotCopied;
    if (write()) {
        copies->Finish(lastCopy);
        return Done;
    }
    lastPutBack = PutBackContent(previous, !ownFile) ? PutBackDone : PutBackFailed;
    if (lastPutBack == PutBackDone)
        copies->Finish(lastCopy);
    return WriteFailed;
}

// A write that succeeds without a copy leaves the camera in order too: an earlier write that
// did not finish has nothing left to put back.
Session::Outcome Session::WriteWithoutCopy(const std::function<bool()> &write)
{
    if (!write())
        return WriteFailed;
    const std::optional<CameraCopies::Copy> unfinished = UnfinishedWrite();
    if (unfinished)
        copies->Finish(*unfinished);
    return Done;
}

// A camera that still holds what it held is left alone; one that held no file of its own gets
// its file erased again.
bool Session::PutBackContent(const std::vector<unsigned char> &previous, bool factoryListInUse)
{
    emit TransferProgress(QStringLiteral("putting back"), 0, 0);
    std::vector<unsigned char> now;
    bool ownFile = false;
    if (camera->ReadOwnDefectFile(now, ownFile) && ownFile != factoryListInUse && (!ownFile || now == previous))
        return true;
    return factoryListInUse ? camera->EraseDefectFile() : camera->UploadDefectFile(previous);
}

void Session::SetKeepCopies(bool keep)
{
    keepCopies = keep;
}

Session::PutBack Session::LastPutBack() const
{
    return lastPutBack;
}

CameraCopies::Copy Session::LastCopy() const
{
    return lastCopy;
}

QList<CameraCopies::Copy> Session::History() const
{
    QList<CameraCopies::Copy> history = copies ? copies->Records() : QList<CameraCopies::Copy>();
    std::reverse(history.begin(), history.end());
    std::stable_partition(history.begin(), history.end(),
                          [](const CameraCopies::Copy &copy) { return copy.operation != QLatin1String("factory"); });
    return history;
}

// A copy that is gone or no longer what was recorded is not written.
Session::Outcome Session::RestoreCopy(const CameraCopies::Copy &copy)
{
    std::vector<unsigned char> content;
    if (!CameraCopies::Read(copy, content))
        return FileNotRead;
    return Restore(copy.file);
}

std::optional<CameraCopies::Copy> Session::UnfinishedWrite() const
{
    return copies ? copies->Unfinished() : std::nullopt;
}

Session::Outcome Session::Recover()
{
    const std::optional<CameraCopies::Copy> unfinished = UnfinishedWrite();
    if (!unfinished)
        return Done;
    std::vector<unsigned char> previous;
    if (!CameraCopies::Read(*unfinished, previous))
        return FileNotRead;
    if (!PutBackContent(previous, unfinished->factoryListInUse))
        return WriteFailed;
    copies->Finish(*unfinished);
    return Done;
}

QList<PixelCoords> Session::CameraListRuns() const
{
    NeighborByteEncoding encoding;
    encoding.SetData(description, cameraDefects);
    if (!encoding.Generate1DNbEncodingFromDefectImage())
        return {};
    return encoding.FindMoreThanFourConsecutive();
}

bool Session::Encode(NeighborByteEncoding &encoding) const
{
    encoding.SetData(description, MergedList());
    if (!encoding.Generate1DNbEncodingFromDefectImage()) {
        LogLine(QStringLiteral("Generate1DNbEncodingFromDefectImage() failed"));
        return false;
    }
    return true;
}

bool Session::IsCameraListLoaded() const
{
    return cameraListLoaded;
}

QList<PixelCoords> Session::CameraDefects() const
{
    return cameraDefects;
}

QList<PixelCoords> Session::UserDefects() const
{
    return userDefects;
}

QList<PixelCoords> Session::MergedList() const
{
    return CoordinateSet::Merged(cameraDefects, userDefects);
}

bool Session::AddUserDefect(const PixelCoords &coordinates, int afterRow)
{
    if (userDefects.contains(coordinates))
        return false;
    // A row that is not in the list (only -1 is expected) appends, so the coordinate is never dropped.
    if (afterRow < 0 || afterRow >= userDefects.size())
        userDefects.append(coordinates);
    else
        userDefects.insert(afterRow + 1, coordinates);
    return true;
}

bool Session::RemoveUserDefect(int row)
{
    if (row < 0 || row >= userDefects.size())
        return false;
    userDefects.removeAt(row);
    return true;
}

void Session::ClearUserDefects()
{
    userDefects.clear();
}

Session::Outcome Session::LoadUserList(const QStringList &fileNames, QString *refused)
{
    QList<PixelCoords> list;
    for (const QString &fileName : fileNames) {
        if (!ListFileIO().ReadCsvFile(fileName, &list)) {
            LogLine(QStringLiteral("Error! File could not be loaded."));
            if (refused)
                *refused = fileName;
            return QFileInfo(fileName).isReadable() ? NotAListFile : FileNotRead;
        }
    }
    userDefects = list;
    return Done;
}

Session::Outcome Session::SaveUserList(const QString &fileName) const
{
    return ListFileIO().WriteCsvFile(fileName, userDefects) ? Done : FileNotWritten;
}
