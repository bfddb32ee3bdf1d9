#ifndef ZORVIKSIM_SIMULATOR_H
#define ZORVIKSIM_SIMULATOR_H

// Control of the simulated cameras behind the SDK stand-in: for tests and for zorvik-sim.
// Not part of the camera maker's SDK; Talvern's own code never includes it.

#include <cstdint>
#include <string>
#include <vector>

namespace ZorvikSim {

// Flash file IDs and registers as the camera firmware implements them.
constexpr uint32_t CustomDefectFileId = 0x18ED5;
constexpr uint32_t FactoryDefectFileId = 0x192BC;
constexpr uint32_t DefectFilePrivilegeLevel = 0x3A51C7;

struct CameraSetup
{
    std::string model = "HN2702-M";
    std::string serialNumber;
    std::string id;                 // empty: the same as serialNumber
    int64_t sensorWidth = 2048;
    int64_t sensorHeight = 2048;
    std::string sensorType = "Mono"; // "Mono" or "Bayer"
    bool flashFileSystem = true;    // ControlsInquiry1 bit 22
    uint32_t maxFileSize = 65536;   // FlashFileMaxSize of the custom defect file
};

enum class FaultKind {
    FailCall,            // the n-th SDK call on the camera fails with `code`, once
    FailFromCall,        // every SDK call from the n-th on fails with `code`
    CorruptPacketOffset, // the n-th download packet carries a wrong offset header
    StuckInProgress,     // erase and upload never leave their in-progress status
    HardwareError,       // the selected file's status reads hardware error (0xFFFFF000)
    ReadBackDiffers,     // an uploaded file is stored with one byte changed
    UnplugMidTransfer,   // the camera disappears at the n-th memory access
    StatusZero,          // the flash file status reads 0 (no file system) although the inquiry says there is one
};

struct Fault
{
    FaultKind kind = FaultKind::FailCall;
    int n = 1;      // 1-based, counted from the moment the fault is set
    int code = -13; // the SDK error code a failing call returns
};

// One SDK call the camera received, in order.
struct Call
{
    std::string operation; // "ReadRegister", "WriteRegister", "ReadMemory", "WriteMemory",
                           // "GetID", "GetModel", "GetSerialNumber", "GetFeatureByName",
                           // "GetValue", "Open", "Close"
    uint64_t address = 0;  // register or memory address
    uint64_t value = 0;    // register value read or written; for memory, the packet's offset header
    size_t size = 0;       // memory access size in bytes
    int result = 0;        // the code returned
};

// Where cameras live. Call while the SDK is shut down.
void UseMemory();                        // in memory only, no cameras, no folder, no watcher
void UseFolder(const std::string &path); // cameras from a folder, watched for changes
std::string DefaultFolder();             // $ZORVIK_SIM_HOME, else ~/.local/share/zorvik-sim

// The default set: a supported monochrome camera, a supported Bayer camera,
// an unsupported model, and a supported model without the flash file system.
std::vector<CameraSetup> DefaultCameras();

// Attach a camera (its factory file written, its custom file empty) and report it to the
// observer as reason 0; detach reports reason 1. Both report on the stand-in's own thread.
// Return false for a duplicate or unknown ID, or an invalid setup.
bool Attach(const CameraSetup &setup);
bool Detach(const std::string &id);
std::vector<CameraSetup> Cameras();

// A camera's stored flash files (custom or factory defect file).
bool GetFile(const std::string &id, uint32_t fileId, std::vector<uint8_t> &content);
bool SetFile(const std::string &id, uint32_t fileId, const std::vector<uint8_t> &content);
bool ResetToFactory(const std::string &id); // custom file emptied, faults cleared

bool SetFault(const std::string &id, const Fault &fault);
bool ClearFaults(const std::string &id);
std::vector<Fault> Faults(const std::string &id);

// Names of the fault kinds as zorvik-sim and the camera files write them ("fail-call", ...).
std::string FaultKindName(FaultKind kind);
bool FaultKindFromName(const std::string &name, FaultKind &kind);

std::vector<Call> Calls(const std::string &id);
void ClearCalls(const std::string &id);

// How long erasing and storing an upload take on every camera (default 1500 ms and 800 ms).
void SetDurations(int eraseMilliseconds, int uploadMilliseconds);

// The stand-in's own writer and reader of the defect file format (for factory files and `show`).
std::vector<uint8_t> EncodeDefectFile(int64_t sensorWidth, int64_t sensorHeight, const std::string &sensorType,
                                      const std::vector<std::pair<uint16_t, uint16_t>> &rowColumns);
bool DecodeDefectFile(const std::vector<uint8_t> &content, std::vector<std::pair<uint16_t, uint16_t>> &rowColumns);

// Frames as a camera delivers them with its defect correction off, for trying defect detection.
enum class FrameFormat { Pgm, Png, Tiff }; // 16-bit greyscale each

struct FrameRequest
{
    int darkFrames = 0;  // without light
    int flatFrames = 0;  // even light, about half of full scale
    std::string folder;  // created when missing; files in it are overwritten
    FrameFormat format = FrameFormat::Pgm;
    double readNoise = 2.5; // DN, the standard deviation of the read noise; defects keep their strengths
};

// Writes dark-000.pgm, dark-001.pgm, ..., flat-000.pgm, ... (the camera's sensor size) and
// truth.csv (`Row,Column,Kind,Strength`: every defect the frames show, the factory list's and
// those no list holds yet; sdk/README.md gives the units) into the request's folder. The same
// serial number gives the same frames. False, with the reason in `error`, for an unknown camera,
// a bad request or a file that cannot be written.
bool WriteFrames(const std::string &id, const FrameRequest &request, std::string &error);

// Names of the formats as zorvik-sim takes them, also the files' extensions ("pgm", ...).
std::string FrameFormatName(FrameFormat format);
bool FrameFormatFromName(const std::string &name, FrameFormat &format);

} // namespace ZorvikSim

#endif
