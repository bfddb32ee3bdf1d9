#include "FolderStore.h"

#include "FaultInjector.h"
#include "SetupRules.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace ZorvikSim {

namespace {

const char CameraSuffix[] = ".camera";

bool ToInteger(const std::string &text, int64_t &value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0')
        return false;
    value = parsed;
    return true;
}

bool ParseFault(const std::string &text, std::vector<Fault> &faults)
{
    std::istringstream words(text);
    std::string kind, n, code;
    words >> kind >> n >> code;
    Fault fault;
    int64_t count = 0, error = 0;
    if (!FaultKindFromName(kind, fault.kind) || !ToInteger(n, count) || !ToInteger(code, error))
        return false;
    fault.n = static_cast<int>(count);
    fault.code = static_cast<int>(error);
    faults.push_back(fault);
    return FaultInjector::IsValid(fault);
}

bool ParseNumber(const std::string &key, const std::string &value, CameraSetup &setup)
{
    int64_t number = 0;
    if (!ToInteger(value, number) || number < 0 || number > UINT32_MAX)
        return false;
    if (key == "width")
        setup.sensorWidth = number;
    else if (key == "height")
        setup.sensorHeight = number;
    else
        setup.maxFileSize = static_cast<uint32_t>(number);
    return true;
}

bool ParseLine(const std::string &key, const std::string &value, CameraRecord &record)
{
    CameraSetup &setup = record.setup;
    if (key == "model")
        setup.model = value;
    else if (key == "serial")
        setup.serialNumber = value;
    else if (key == "id")
        setup.id = value;
    else if (key == "sensor")
        setup.sensorType = value;
    else if (key == "flash-file-system")
        setup.flashFileSystem = value == "yes";
    else if (key == "width" || key == "height" || key == "max-file-size")
        return ParseNumber(key, value, setup);
    else if (key == "fault")
        return value == "none" || ParseFault(value, record.faults);
    return true;
}

std::string ReadText(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

FolderStore::FolderStore(const std::string &path)
    : path(path)
{
}

bool FolderStore::Exists() const
{
    std::error_code error;
    return fs::is_directory(path, error);
}

bool FolderStore::Create() const
{
    std::error_code error;
    fs::create_directories(path, error);
    return Exists();
}

std::vector<CameraRecord> FolderStore::ReadCameras() const
{
    std::vector<CameraRecord> records;
    std::error_code error;
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() != CameraSuffix)
            continue;
        CameraRecord record;
        if (Parse(ReadText(it->path()), record) && record.setup.id + CameraSuffix == it->path().filename())
            records.push_back(record);
    }
    std::sort(records.begin(), records.end(),
              [](const CameraRecord &a, const CameraRecord &b) { return a.setup.id < b.setup.id; });
    return records;
}

std::string FolderStore::WriteCamera(const CameraSetup &setup, const std::vector<Fault> &faults) const
{
    std::string text = Format(setup, faults);
    return WriteAtomically(CameraPath(setup.id), text.data(), text.size()) ? text : std::string();
}

void FolderStore::RemoveCamera(const std::string &id) const
{
    std::error_code error;
    fs::remove(CameraPath(id), error);
    fs::remove(FilePath(id, CustomDefectFileId), error);
    fs::remove(FilePath(id, FactoryDefectFileId), error);
}

FileSignature FolderStore::Signature(const std::string &id, uint32_t fileId) const
{
    FileSignature signature;
    std::error_code error;
    fs::path file = FilePath(id, fileId);
    signature.size = fs::file_size(file, error);
    if (error)
        return FileSignature();
    signature.modified = fs::last_write_time(file, error).time_since_epoch().count();
    signature.exists = !error;
    return signature;
}

bool FolderStore::ReadFile(const std::string &id, uint32_t fileId, std::vector<uint8_t> &content) const
{
    content.clear();
    std::ifstream in(FilePath(id, fileId), std::ios::binary);
    if (!in)
        return false;
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool FolderStore::WriteFile(const std::string &id, uint32_t fileId, const std::vector<uint8_t> &content) const
{
    if (!content.empty())
        return WriteAtomically(FilePath(id, fileId), reinterpret_cast<const char *>(content.data()), content.size());
    std::error_code error;
    fs::remove(FilePath(id, fileId), error);
    return !error;
}

std::string FolderStore::Format(const CameraSetup &setup, const std::vector<Fault> &faults)
{
    std::ostringstream text;
    text << "model=" << setup.model << "\nserial=" << setup.serialNumber << "\nid=" << setup.id
         << "\nwidth=" << setup.sensorWidth << "\nheight=" << setup.sensorHeight << "\nsensor=" << setup.sensorType
         << "\nflash-file-system=" << (setup.flashFileSystem ? "yes" : "no") << "\nmax-file-size=" << setup.maxFileSize
         << "\n";
    for (const Fault &fault : faults)
        text << "fault=" << FaultKindName(fault.kind) << " " << fault.n << " " << fault.code << "\n";
    if (faults.empty())
        text << "fault=none\n";
    return text.str();
}

bool FolderStore::Parse(const std::string &text, CameraRecord &record)
{
    record = CameraRecord();
    record.setup.serialNumber.clear();
    record.setup.model.clear();
    record.text = text;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t equals = line.find('=');
        if (equals != std::string::npos && !ParseLine(line.substr(0, equals), line.substr(equals + 1), record))
            return false;
    }
    return IsValidSetup(record.setup) && !record.setup.id.empty();
}

std::string FolderStore::CameraPath(const std::string &id) const
{
    return (fs::path(path) / (id + CameraSuffix)).string();
}

std::string FolderStore::FilePath(const std::string &id, uint32_t fileId) const
{
    return (fs::path(path) / (id + (fileId == FactoryDefectFileId ? ".factory.bin" : ".custom.bin"))).string();
}

bool FolderStore::WriteAtomically(const std::string &target, const char *data, size_t size) const
{
    std::string temporary = target + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(data, static_cast<std::streamsize>(size));
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code error;
    fs::rename(temporary, target, error);
    if (error)
        std::remove(temporary.c_str());
    return !error;
}

} // namespace ZorvikSim
