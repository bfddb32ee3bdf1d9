#ifndef ZORVIKSIM_FOLDERSTORE_H
#define ZORVIKSIM_FOLDERSTORE_H

#include <ZorvikSim/Simulator.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ZorvikSim {

// A camera as its text file in the folder describes it.
struct CameraRecord
{
    CameraSetup setup;
    std::vector<Fault> faults;
    std::string text; // the file as read, to notice later changes
};

// What identifies one state of a stored flash file on disk.
struct FileSignature
{
    bool exists = false;
    uintmax_t size = 0;
    int64_t modified = 0;
    bool operator==(const FileSignature &other) const
    {
        return exists == other.exists && size == other.size && modified == other.modified;
    }
};

// The folder of simulated cameras: "<id>.camera" (identity, sensor, capabilities, flash
// size, faults) and "<id>.custom.bin" / "<id>.factory.bin" (a stored file; absent when
// erased). Every write goes to a temporary file that is then renamed over the old one.
class FolderStore
{
public:
    explicit FolderStore(const std::string &path = std::string());

    const std::string &Path() const { return path; }
    bool Exists() const;
    bool Create() const;

    std::vector<CameraRecord> ReadCameras() const;
    // Returns the text written, empty on failure.
    std::string WriteCamera(const CameraSetup &setup, const std::vector<Fault> &faults) const;
    void RemoveCamera(const std::string &id) const;

    FileSignature Signature(const std::string &id, uint32_t fileId) const;
    bool ReadFile(const std::string &id, uint32_t fileId, std::vector<uint8_t> &content) const;
    bool WriteFile(const std::string &id, uint32_t fileId, const std::vector<uint8_t> &content) const;

    static std::string Format(const CameraSetup &setup, const std::vector<Fault> &faults);
    static bool Parse(const std::string &text, CameraRecord &record);

private:
    std::string CameraPath(const std::string &id) const;
    std::string FilePath(const std::string &id, uint32_t fileId) const;
    bool WriteAtomically(const std::string &target, const char *data, size_t size) const;

    std::string path;
};

} // namespace ZorvikSim

#endif
