#include "TestCamera.h"

namespace {

QString Hex(uint64_t value)
{
    return QString::number(value, 16);
}

QString Describe(const ZorvikSim::Call &call)
{
    if (call.operation == "ReadRegister")
        return QStringLiteral("R ") + Hex(call.address);
    if (call.operation == "WriteRegister")
        return QStringLiteral("W %1 %2").arg(Hex(call.address), Hex(call.value));
    if (call.operation == "ReadMemory")
        return QStringLiteral("MR %1 %2 %3").arg(Hex(call.address), Hex(call.value), Hex(call.size));
    if (call.operation == "WriteMemory")
        return QStringLiteral("MW %1 %2 %3").arg(Hex(call.address), Hex(call.value), Hex(call.size));
    return QString();
}

} // namespace

ZorvikSim::CameraSpec TestCamera::Spec(const std::string &serialNumber, const std::string &id, uint32_t maxFileSize)
{
    ZorvikSim::CameraSpec spec;
    spec.model = "HN2702-M";
    spec.serialNumber = serialNumber;
    spec.id = id;
    spec.maxFileSize = maxFileSize;
    return spec;
}

QString TestCamera::Entry(const ZorvikSim::CameraSpec &spec)
{
    const std::string id = spec.id.empty() ? spec.serialNumber : spec.id;
    QString entry = QString::fromStdString(spec.model + "-" + spec.serialNumber);
    if (id != spec.serialNumber)
        entry += QString::fromStdString("(" + id + ")");
    return entry;
}

std::vector<unsigned char> TestCamera::Pattern(std::size_t size, unsigned char seed)
{
    std::vector<unsigned char> content(size);
    for (std::size_t i = 0; i < size; ++i)
        content[i] = static_cast<unsigned char>(seed + i * 7 + i / 251);
    return content;
}

std::vector<unsigned char> TestCamera::DefectFile(const std::vector<std::pair<uint16_t, uint16_t>> &rowColumns)
{
    return ZorvikSim::EncodeDefectFile(2048, 2048, "Mono", rowColumns);
}

TestCamera::TestCamera(const ZorvikSim::CameraSpec &spec)
    : id(spec.id.empty() ? spec.serialNumber : spec.id)
{
    ZorvikSim::UseMemory();
    ZorvikSim::SetDurations(0, 0);
    CameraInterface::SetPollPause(0);
    ZorvikSim::Attach(spec);
    cameraInterface.reset(new CameraInterface());
    cameraInterface->GetCameraList();
    connected = cameraInterface->ConnectCamera(Entry(spec));
    ClearAccesses();
}

std::vector<unsigned char> TestCamera::File(uint32_t fileId) const
{
    std::vector<uint8_t> content;
    ZorvikSim::GetFile(id, fileId, content);
    return content;
}

void TestCamera::SetFile(uint32_t fileId, const std::vector<unsigned char> &content)
{
    ZorvikSim::SetFile(id, fileId, content);
}

void TestCamera::SetFault(ZorvikSim::FaultKind kind, int n, int code)
{
    ZorvikSim::Fault fault;
    fault.kind = kind;
    fault.n = n;
    fault.code = code;
    ZorvikSim::SetFault(id, fault);
}

QStringList TestCamera::Accesses() const
{
    QStringList accesses;
    for (const ZorvikSim::Call &call : ZorvikSim::Calls(id)) {
        const QString text = Describe(call);
        if (!text.isEmpty())
            accesses.append(text);
    }
    return accesses;
}

int TestCamera::CallCount() const
{
    return int(ZorvikSim::Calls(id).size());
}

void TestCamera::ClearAccesses()
{
    ZorvikSim::ClearCalls(id);
}
