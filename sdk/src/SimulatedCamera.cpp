#include "SimulatedCamera.h"

#include "FirmwareRegisters.h"

#include <algorithm>

using namespace CVN::ZvkAPI;

namespace ZorvikSim {

namespace {

void WriteBigEndian(uint32_t value, uint8_t *bytes)
{
    bytes[0] = uint8_t(value >> 24);
    bytes[1] = uint8_t(value >> 16);
    bytes[2] = uint8_t(value >> 8);
    bytes[3] = uint8_t(value);
}

bool IsFlashRegister(uint64_t address)
{
    return address == FlashFileMaxSize || address == FlashFileLength || address == FlashFileDownloadOffset
           || address == FlashFileUploadLength || address == FlashFileStatus || address == FlashFileCommand
           || address == FlashFileSelect;
}

// Without a flash file system the identification registers read 0, so that a client can
// open the camera and find out; the rest of the file system is refused.
ZvkErrorType ReadWithoutFileSystem(uint64_t address, uint64_t &value)
{
    if (address != FlashFileMaxSize && address != FlashFileLength && address != FlashFileStatus)
        return ZvkErrorInvalidAccess;
    value = 0;
    return ZvkErrorSuccess;
}

bool IsPacketSize(size_t size)
{
    return size > PacketHeaderSize && size <= PacketHeaderSize + MaxPacketData;
}

} // namespace

SimulatedCamera::SimulatedCamera(const CameraSetup &setup, const std::vector<uint8_t> &factoryContent)
    : setup(setup),
      customFile(setup.maxFileSize),
      factoryFile(std::max<uint32_t>(setup.maxFileSize, static_cast<uint32_t>(factoryContent.size())))
{
    factoryFile.Replace(factoryContent);
}

FlashFile *SimulatedCamera::File(uint32_t fileId)
{
    if (fileId == CustomDefectFileId)
        return &customFile;
    if (fileId == FactoryDefectFileId)
        return &factoryFile;
    return nullptr;
}

FlashFile &SimulatedCamera::Selected()
{
    return *File(selectedFileId);
}

ZvkErrorType SimulatedCamera::ReadRegister(uint64_t address, uint64_t &value)
{
    Advance();
    if (address == ControlsInquiry1) {
        value = BasicControlBits | (setup.flashFileSystem ? FlashFileSystemBit : 0);
        return ZvkErrorSuccess;
    }
    if (!IsFlashRegister(address))
        return ZvkErrorInvalidValue;
    if (!setup.flashFileSystem)
        return ReadWithoutFileSystem(address, value);
    return ReadFlashRegister(address, value);
}

ZvkErrorType SimulatedCamera::ReadFlashRegister(uint64_t address, uint64_t &value)
{
    switch (address) {
    case FlashFileMaxSize:
        value = Selected().MaxSize();
        return ZvkErrorSuccess;
    case FlashFileLength:
        value = Selected().Length();
        return ZvkErrorSuccess;
    case FlashFileStatus:
        value = faults.Has(FaultKind::StatusZero)      ? StatusNoFileSystem
                : faults.Has(FaultKind::HardwareError) ? StatusHardwareError
                                                       : Selected().Status();
        return ZvkErrorSuccess;
    case FlashFileDownloadOffset:
        value = downloadWindow;
        return ZvkErrorSuccess;
    case FlashFileUploadLength:
        value = uploadLength;
        return ZvkErrorSuccess;
    case FlashFileSelect:
        value = selectedFileId;
        return ZvkErrorSuccess;
    default:
        return ZvkErrorInvalidAccess; // the command register is write-only
    }
}

ZvkErrorType SimulatedCamera::WriteRegister(uint64_t address, uint64_t value)
{
    Advance();
    if (!IsFlashRegister(address))
        return address == ControlsInquiry1 ? ZvkErrorInvalidAccess : ZvkErrorInvalidValue;
    if (!setup.flashFileSystem)
        return address == FlashFileSelect ? ZvkErrorSuccess : ZvkErrorInvalidAccess;
    switch (address) {
    case FlashFileSelect:
        return Select(value);
    case FlashFileDownloadOffset:
        if (value > Selected().Length())
            return ZvkErrorInvalidValue;
        downloadWindow = static_cast<uint32_t>(value);
        return ZvkErrorSuccess;
    case FlashFileUploadLength:
        if (value > UINT32_MAX)
            return ZvkErrorInvalidValue;
        uploadLength = static_cast<uint32_t>(value);
        return ZvkErrorSuccess;
    case FlashFileCommand:
        return Command(value);
    default:
        return ZvkErrorInvalidAccess;
    }
}

ZvkErrorType SimulatedCamera::Select(uint64_t fileId)
{
    if (fileId > UINT32_MAX || !File(static_cast<uint32_t>(fileId)))
        return ZvkErrorInvalidValue;
    // Leaving a file in the middle of its upload spoils that upload.
    if (fileId != selectedFileId && Selected().CurrentState() == FlashFile::State::Receiving)
        Selected().Abort();
    selectedFileId = static_cast<uint32_t>(fileId);
    privileged = false;
    downloadWindow = 0;
    return ZvkErrorSuccess;
}

ZvkErrorType SimulatedCamera::Command(uint64_t command)
{
    FlashFile &file = Selected();
    switch (command) {
    case ClearErrorCommand:
        if (!faults.Has(FaultKind::HardwareError))
            file.ClearError();
        return ZvkErrorSuccess;
    case EraseCommand:
        if (!privileged)
            return ZvkErrorInvalidAccess;
        return file.StartErase(Clock::now() + durations.erase);
    case UploadCommand:
        if (!privileged)
            return ZvkErrorInvalidAccess;
        return file.StartUpload(uploadLength);
    default:
        // Any other value is a privilege level; only the defect files' own one unlocks them.
        privileged = command == DefectFilePrivilegeLevel;
        return ZvkErrorSuccess;
    }
}

ZvkErrorType SimulatedCamera::ReadMemory(uint64_t address, std::vector<uint8_t> &buffer, uint32_t &header)
{
    Advance();
    if (!setup.flashFileSystem)
        return ZvkErrorInvalidAccess;
    if (address != FileDownloadTransferBuffer)
        return ZvkErrorInvalidValue;
    return ReadPacket(buffer, header);
}

ZvkErrorType SimulatedCamera::ReadPacket(std::vector<uint8_t> &buffer, uint32_t &header)
{
    if (!IsPacketSize(buffer.size()))
        return ZvkErrorBadParameter;
    size_t size = buffer.size() - PacketHeaderSize;
    ZvkErrorType result = Selected().Read(downloadWindow, buffer.data() + PacketHeaderSize, size);
    if (result != ZvkErrorSuccess)
        return result;
    header = downloadWindow;
    if (faults.OnDownloadPacket())
        header += static_cast<uint32_t>(size);
    WriteBigEndian(header, buffer.data());
    downloadWindow += static_cast<uint32_t>(size);
    return ZvkErrorSuccess;
}

ZvkErrorType SimulatedCamera::WriteMemory(uint64_t address, const std::vector<uint8_t> &buffer)
{
    Advance();
    if (!setup.flashFileSystem)
        return ZvkErrorInvalidAccess;
    if (address != FileUploadTransferBuffer)
        return ZvkErrorInvalidValue;
    return WritePacket(buffer);
}

ZvkErrorType SimulatedCamera::WritePacket(const std::vector<uint8_t> &buffer)
{
    FlashFile &file = Selected();
    if (!IsPacketSize(buffer.size())) {
        if (file.CurrentState() == FlashFile::State::Receiving)
            file.Abort();
        return ZvkErrorBadParameter;
    }
    ZvkErrorType result = file.Receive(PacketHeader(buffer), buffer.data() + PacketHeaderSize, buffer.size() - PacketHeaderSize);
    if (result != ZvkErrorSuccess)
        return result;
    if (file.ReceivedAll())
        file.StartStoring(Clock::now() + durations.store, faults.Has(FaultKind::ReadBackDiffers));
    return ZvkErrorSuccess;
}

void SimulatedCamera::Advance()
{
    if (faults.Has(FaultKind::StuckInProgress))
        return;
    Clock::time_point now = Clock::now();
    if (customFile.Advance(now))
        changedFiles.insert(CustomDefectFileId);
    if (factoryFile.Advance(now))
        changedFiles.insert(FactoryDefectFileId);
}

void SimulatedCamera::ReplaceFile(uint32_t fileId, const std::vector<uint8_t> &content)
{
    File(fileId)->Replace(content);
    changedFiles.insert(fileId);
}

std::set<uint32_t> SimulatedCamera::TakeChangedFiles()
{
    std::set<uint32_t> result;
    result.swap(changedFiles);
    return result;
}

} // namespace ZorvikSim
