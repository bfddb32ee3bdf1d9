#ifndef TESTCAMERA_H
#define TESTCAMERA_H

#include "CameraInterface.h"

#include <ZorvikSim/Simulator.h>

#include <QMetaType>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

// One simulated camera in the in-memory stand-in and a CameraInterface connected to it.
// Erasing and storing take no time and the status polls do not pause.
class TestCamera
{
public:
    static ZorvikSim::CameraSpec Setup(const std::string &serialNumber, const std::string &id = std::string(),
                                      uint32_t maxFileSize = 65536);
    static std::vector<unsigned char> Pattern(std::size_t size, unsigned char seed = 1);
    static std::vector<unsigned char> DefectFile(const std::vector<std::pair<uint16_t, uint16_t>> &rowColumns);

    explicit TestCamera(const ZorvikSim::CameraSpec &setup = Setup("4711"));

    CameraInterface &Interface() { return *cameraInterface; }
    const std::string &Id() const { return id; }
    bool Connected() const { return connected; }

    std::vector<unsigned char> File(uint32_t fileId) const;
    void SetFile(uint32_t fileId, const std::vector<unsigned char> &content)
    {
        ZorvikSim::SetFile(id, fileId, content);
    }
    void SetFault(ZorvikSim::FaultKind kind, int n = 1, int code = -13) { ZorvikSim::SetFault(id, {kind, n, code}); }

    // The register and memory accesses since the last ClearAccesses, one text each:
    // "R address", "W address value", "MR address offset size", "MW address offset size" (hex).
    QStringList Accesses() const;
    int CallCount() const { return int(ZorvikSim::Calls(id).size()); }
    void ClearAccesses() { ZorvikSim::ClearCalls(id); }

private:
    std::string id;
    std::unique_ptr<CameraInterface> cameraInterface;
    bool connected = false;
};

Q_DECLARE_METATYPE(ZorvikSim::FaultKind)

#endif
