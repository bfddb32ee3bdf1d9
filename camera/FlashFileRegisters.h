#ifndef FLASHFILEREGISTERS_H
#define FLASHFILEREGISTERS_H

#include <QtGlobal>

// The camera's flash file system as seen through its registers and memory windows.

// Registers
constexpr quint64 ControlsInquiry1 = 0x14000;
constexpr quint64 FlashFileMaxSize = 0x1A0A0;
constexpr quint64 FlashFileLength = 0x1A0A4;
constexpr quint64 FlashFileDownloadOffset = 0x1A0A8;
constexpr quint64 FlashFileUploadLength = 0x1A0AC;
constexpr quint64 FlashFileStatus = 0x1A0B0;
constexpr quint64 FlashFileCommand = 0x1A0B4;
constexpr quint64 FlashFileSelect = 0x1A0BC;

// ControlsInquiry1 bit telling that the camera has flash file access
constexpr quint64 FlashFileAccessBit = 0x400000;

// Memory windows; each packet is a 4-byte big-endian file offset and up to 500 data bytes
constexpr quint64 FileUploadTransferBuffer = 0x1A100;
constexpr quint64 FileDownloadTransferBuffer = 0x1AA00;
constexpr quint32 TransferPacketSize = 500;
constexpr quint32 TransferHeaderSize = 4;

// Files
constexpr quint32 CustomDefectFileId = 0x18ED5;
constexpr quint32 FactoryDefectFileId = 0x192BC;
constexpr quint32 DefectFilePrivilegeLevel = 0x3A51C7;

// FlashFileCommand values
constexpr quint64 UploadCommand = 2;
constexpr quint64 EraseCommand = 5;
constexpr quint64 ClearErrorCommand = 6;

// FlashFileStatus values
constexpr quint64 StatusValid = 0xFFFFF800;
constexpr quint64 StatusErased = 0xFFFFFFFE;
constexpr quint64 StatusEraseInProgress = 0xFE000000;
constexpr quint64 StatusUploadInProgress = 0xFFFFFFC0;
constexpr quint64 StatusUploadStoring = 0xFFFFFE00;
constexpr quint64 StatusHardwareError = 0xFFFFF000;
constexpr quint64 StatusNoError = 0xFC000000;

#endif
