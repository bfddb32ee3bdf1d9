#include "TestCamera.h"

namespace {

QString Describe(const ZorvikSim::Call &call)
{
    const QString address = QString::number(call.address, 16);
    const QString value = QString::number(call.value, 16);
    if (call.operation == "ReadRegister")
        return "R " + address;
    if (call.operation == "WriteRegister")
        return QStringLiteral("W %1 %2").arg(address, value);
    const QString memory = QStringLiteral("%1 %2 %3").arg(address, value, QString::number(call.size, 16));
    if (call.operation == "ReadMemory")
        return "MR " + memory;
    if (call.operation == "WriteMemory")
        return "MW " + memory;
    return QString();
}

} // namespace

ZorvikSim::CameraSpec TestCamera::Setup(const std::string &serialNumber, const std::string &id, uint32_t maxFileSize)
{
    ZorvikSim::CameraSpec setup;
    setup.model = "HN2702-M";
    setup.serialNumber = serialNumber;
    setup.id = id;
    setup.maxFileSize = maxFileSize;
    return setup;
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

TestCamera::TestCamera(const ZorvikSim::CameraSpec &setup)
    : id(setup.id.empty() ? setup.serialNumber : setup.id)
{
    ZorvikSim::UseMemory();
    ZorvikSim::SetDurations(0, 0);
    CameraInterface::SetPollPause(0);
    ZorvikSim::Attach(setup);
    cameraInterface.reset(new CameraInterface());
    connected = cameraInterface->ConnectCamera(cameraInterface->GetCameraList().value(0));
    ClearAccesses();
}

std::vector<unsigned char> TestCamera::File(uint32_t fileId) const
{
    std::vector<uint8_t> content;
    ZorvikSim::GetFile(id, fileId, content);
    return content;
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
