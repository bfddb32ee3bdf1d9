#include "Session.h"

#include "CameraInterface.h"
#include "CoordinateSet.h"
#include "DebugLog.h"
#include "ListFileIO.h"
#include "ListValidation.h"
#include "NeighborByteEncoding.h"

#include <QFileInfo>

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
    return Done;
}

void Session::Disconnect()
{
    cameraDefects.clear();
    cameraListLoaded = false;
    camera->DisconnectCamera();
    description = CameraDescription();
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
    return Done;
}

Session::Outcome Session::Restore(const QString &fileName)
{
    std::vector<unsigned char> content;
    if (!ListFileIO().ImportBinaryDefectFile(description, fileName, &content))
        return QFileInfo(fileName).isReadable() ? NotABackup : FileNotRead;
    if (!camera->UploadDefectFile(content))
        return WriteFailed;
    return Done;
}

Session::Outcome Session::Revert()
{
    return camera->RevertToFactoryDefectFile() ? Done : WriteFailed;
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
    return camera->UploadDefectFile(content) ? Done : WriteFailed;
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
