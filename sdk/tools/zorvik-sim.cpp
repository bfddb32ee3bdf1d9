// zorvik-sim: plug, unplug, inspect and break the simulated cameras in $ZORVIK_SIM_HOME.
// Exit codes: 0 success, 1 failure (e.g. an unknown camera), 2 usage error.
#include <ZorvikSim/Simulator.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

using namespace ZorvikSim;

namespace {

using Arguments = std::vector<std::string>;

const char Usage[] =
    "Usage: zorvik-sim <command> [arguments]\n"
    "\n"
    "Simulated cameras live in $ZORVIK_SIM_HOME (default ~/.local/share/zorvik-sim).\n"
    "\n"
    "Commands:\n"
    "  list                          list the attached cameras\n"
    "  plug --serial S [options]     plug in a new camera\n"
    "      --model M                 model text (default HN2702-M)\n"
    "      --id I                    camera ID (default: the serial number)\n"
    "      --width W --height H      sensor size in pixels (default 2048 x 2048)\n"
    "      --sensor Mono|Bayer       sensor type (default Mono)\n"
    "      --flash-size N            maximum size of the custom defect file in bytes (default 65536)\n"
    "      --no-flash-file-system    a camera without the flash file system\n"
    "  unplug <id>                   unplug a camera\n"
    "  show <id>                     show a camera and its two defect files, decoded\n"
    "  reset <id>                    empty the custom defect file and clear faults\n"
    "  fault <id> <kind> [n] [code]  fail the n-th event (default 1) with code (default -13)\n"
    "  fault <id> clear              clear the camera's faults\n"
    "  frames <id> -o DIR [options]  write frames as the camera delivers them with its defect\n"
    "                                correction off, and truth.csv listing their defects\n"
    "      --dark N                  number of dark frames, no light (default 0)\n"
    "      --flat N                  number of flat frames, even light at half scale (default 0)\n"
    "      --format pgm|png|tiff     16-bit greyscale file format (default pgm)\n"
    "      --read-noise DN           standard deviation of the read noise (default 2.5)\n"
    "      -o DIR                    output folder, created if missing; files in it are overwritten\n"
    "\n"
    "Fault kinds: fail-call, fail-from-call, corrupt-offset, stuck, hardware-error,\n"
    "             read-back-differs, unplug-mid-transfer, status-zero\n";

int UsageError(const std::string &message)
{
    std::cerr << "zorvik-sim: " << message << "\nTry 'zorvik-sim --help'.\n";
    return 2;
}

int Failure(const std::string &message)
{
    std::cerr << "zorvik-sim: " << message << "\n";
    return 1;
}

bool ToInteger(const std::string &text, int64_t minimum, int64_t maximum, int64_t &value)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < minimum || parsed > maximum)
        return false;
    value = parsed;
    return true;
}

bool IsAttached(const std::string &id)
{
    for (const CameraSetup &setup : Cameras()) {
        if (setup.id == id)
            return true;
    }
    return false;
}

std::string FaultText(const std::vector<Fault> &faults)
{
    std::string text;
    for (const Fault &fault : faults) {
        text += text.empty() ? "" : ", ";
        text += FaultKindName(fault.kind) + " " + std::to_string(fault.n) + " " + std::to_string(fault.code);
    }
    return text.empty() ? "none" : text;
}

std::string FlashText(const CameraSetup &setup)
{
    if (!setup.flashFileSystem)
        return "none";
    return std::to_string(setup.maxFileSize) + " bytes";
}

void PrintRow(const std::string &id, const std::string &model, const std::string &serial, const std::string &sensor,
              const std::string &flash, const std::string &faults)
{
    std::printf("%-16s %-10s %-12s %-18s %-14s %s\n", id.c_str(), model.c_str(), serial.c_str(), sensor.c_str(),
                flash.c_str(), faults.c_str());
}

int List(const Arguments &arguments)
{
    if (!arguments.empty())
        return UsageError("list takes no arguments");
    PrintRow("ID", "MODEL", "SERIAL", "SENSOR", "FLASH FILE", "FAULTS");
    for (const CameraSetup &setup : Cameras()) {
        std::string sensor = std::to_string(setup.sensorWidth) + "x" + std::to_string(setup.sensorHeight) + " "
                             + setup.sensorType;
        PrintRow(setup.id, setup.model, setup.serialNumber, sensor, FlashText(setup), FaultText(Faults(setup.id)));
    }
    return 0;
}

// Reads one "--name value" option into setup; returns an error text, empty when fine.
std::string PlugOption(const std::string &name, const std::string &value, CameraSetup &setup)
{
    int64_t number = 0;
    if (name == "--model")
        setup.model = value;
    else if (name == "--serial")
        setup.serialNumber = value;
    else if (name == "--id")
        setup.id = value;
    else if (name == "--sensor")
        setup.sensorType = value;
    else if (name == "--width" && ToInteger(value, 9, 65535, number))
        setup.sensorWidth = number;
    else if (name == "--height" && ToInteger(value, 1, 65535, number))
        setup.sensorHeight = number;
    else if (name == "--flash-size" && ToInteger(value, 0, 16 * 1024 * 1024, number))
        setup.maxFileSize = static_cast<uint32_t>(number);
    else if (name == "--width" || name == "--height" || name == "--flash-size")
        return "invalid value for " + name + ": '" + value + "'";
    else
        return "unknown option '" + name + "'";
    return std::string();
}

int Plug(const Arguments &arguments)
{
    CameraSetup setup;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--no-flash-file-system") {
            setup.flashFileSystem = false;
            continue;
        }
        if (i + 1 >= arguments.size())
            return UsageError("missing value for '" + arguments[i] + "'");
        std::string error = PlugOption(arguments[i], arguments[i + 1], setup);
        if (!error.empty())
            return UsageError(error);
        ++i;
    }
    if (setup.serialNumber.empty())
        return UsageError("plug needs --serial");
    if (setup.sensorType != "Mono" && setup.sensorType != "Bayer")
        return UsageError("the sensor type must be Mono or Bayer");
    std::string id = setup.id.empty() ? setup.serialNumber : setup.id;
    if (IsAttached(id))
        return Failure("a camera with ID '" + id + "' is already plugged in");
    if (!Attach(setup))
        return UsageError("cannot use ID '" + id + "': use letters, digits, '-', '_' and '.'");
    std::cout << "Plugged in " << setup.model << " " << id << "\n";
    return 0;
}

int WithCamera(const Arguments &arguments, const char *command, const std::function<int(const std::string &)> &work)
{
    if (arguments.size() != 1)
        return UsageError(std::string(command) + " needs exactly one camera ID");
    if (!IsAttached(arguments[0]))
        return Failure("no camera with ID '" + arguments[0] + "'");
    return work(arguments[0]);
}

int Unplug(const Arguments &arguments)
{
    return WithCamera(arguments, "unplug", [](const std::string &id) {
        if (!Detach(id))
            return Failure("could not unplug '" + id + "'");
        std::cout << "Unplugged " << id << "\n";
        return 0;
    });
}

void ShowFile(const std::string &id, uint32_t fileId, const char *name)
{
    std::vector<uint8_t> content;
    std::vector<std::pair<uint16_t, uint16_t>> defects;
    GetFile(id, fileId, content);
    if (content.empty()) {
        std::cout << name << ": empty (erased)\n";
        return;
    }
    if (!DecodeDefectFile(content, defects)) {
        std::cout << name << ": " << content.size() << " bytes, not a defect file\n";
        return;
    }
    std::cout << name << ": " << content.size() << " bytes, " << defects.size() << " defects (row, column)\n";
    for (const auto &defect : defects)
        std::cout << "  " << defect.first << ", " << defect.second << "\n";
}

int Show(const Arguments &arguments)
{
    return WithCamera(arguments, "show", [](const std::string &id) {
        for (const CameraSetup &setup : Cameras()) {
            if (setup.id != id)
                continue;
            std::cout << setup.model << " serial " << setup.serialNumber << ", ID " << setup.id << ", sensor "
                      << setup.sensorWidth << "x" << setup.sensorHeight << " " << setup.sensorType
                      << ", flash file: " << FlashText(setup) << ", faults: " << FaultText(Faults(id)) << "\n";
        }
        ShowFile(id, CustomDefectFileId, "Custom defect file");
        ShowFile(id, FactoryDefectFileId, "Factory defect file");
        return 0;
    });
}

int Reset(const Arguments &arguments)
{
    return WithCamera(arguments, "reset", [](const std::string &id) {
        if (!ResetToFactory(id))
            return Failure("could not reset '" + id + "'");
        std::cout << "Reset " << id << " to its factory state\n";
        return 0;
    });
}

int SetOrClearFault(const Arguments &arguments)
{
    if (arguments.size() < 2 || arguments.size() > 4)
        return UsageError("fault needs a camera ID and a fault kind (or 'clear')");
    Fault fault;
    int64_t n = 1, code = -13;
    bool clear = arguments[1] == "clear" && arguments.size() == 2;
    if (!clear && !FaultKindFromName(arguments[1], fault.kind))
        return UsageError("unknown fault kind '" + arguments[1] + "'");
    if (arguments.size() > 2 && !ToInteger(arguments[2], 1, 1000000000, n))
        return UsageError("the count must be a positive number, not '" + arguments[2] + "'");
    if (arguments.size() > 3 && (!ToInteger(arguments[3], -1000000000, 1000000000, code) || code == 0))
        return UsageError("the code must be a non-zero number, not '" + arguments[3] + "'");
    fault.n = static_cast<int>(n);
    fault.code = static_cast<int>(code);
    return WithCamera({arguments[0]}, "fault", [&](const std::string &id) {
        if (!(clear ? ClearFaults(id) : SetFault(id, fault)))
            return Failure("could not change the faults of '" + id + "'");
        std::cout << id << " faults: " << FaultText(Faults(id)) << "\n";
        return 0;
    });
}

bool ToDecimal(const std::string &text, double minimum, double maximum, double &value)
{
    char *end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    if (text.empty() || errno != 0 || *end != '\0' || !(parsed >= minimum && parsed <= maximum))
        return false;
    value = parsed;
    return true;
}

// Reads one "--name value" option of frames into request; returns an error text, empty when fine.
std::string FramesOption(const std::string &name, const std::string &value, FrameRequest &request)
{
    int64_t count = 0;
    if (name == "-o")
        request.folder = value;
    else if (name == "--format" && !FrameFormatFromName(value, request.format))
        return "unknown format '" + value + "': use pgm, png or tiff";
    else if (name == "--dark" && ToInteger(value, 0, 1000, count))
        request.darkFrames = int(count);
    else if (name == "--flat" && ToInteger(value, 0, 1000, count))
        request.flatFrames = int(count);
    else if (name == "--dark" || name == "--flat")
        return "invalid value for " + name + ": '" + value + "' (a number from 0 to 1000)";
    else if (name == "--read-noise" && ToDecimal(value, 0, 1000, request.readNoise))
        ;
    else if (name == "--read-noise")
        return "invalid value for --read-noise: '" + value + "' (DN from 0 to 1000)";
    else if (name != "--format")
        return "unknown option '" + name + "'";
    return std::string();
}

int Frames(const Arguments &arguments)
{
    if (arguments.empty() || arguments[0].rfind('-', 0) == 0)
        return UsageError("frames needs a camera ID first");
    FrameRequest request;
    for (size_t i = 1; i < arguments.size(); i += 2) {
        if (i + 1 >= arguments.size())
            return UsageError("missing value for '" + arguments[i] + "'");
        std::string error = FramesOption(arguments[i], arguments[i + 1], request);
        if (!error.empty())
            return UsageError(error);
    }
    if (request.folder.empty())
        return UsageError("frames needs -o and an output folder");
    if (request.darkFrames == 0 && request.flatFrames == 0)
        return UsageError("frames needs --dark or --flat with at least one frame");
    std::string error;
    if (!WriteFrames(arguments[0], request, error))
        return Failure(error);
    std::cout << "Wrote " << request.darkFrames << " dark and " << request.flatFrames << " flat frames of "
              << arguments[0] << " and truth.csv to " << request.folder << "\n";
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    Arguments arguments(argv + 1, argv + argc);
    if (arguments.empty())
        return UsageError("no command given");
    if (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help") {
        std::cout << Usage;
        return 0;
    }
    const std::map<std::string, std::function<int(const Arguments &)>> commands = {
        {"list", List},   {"plug", Plug},  {"unplug", Unplug}, {"show", Show},
        {"reset", Reset}, {"fault", SetOrClearFault}, {"frames", Frames},
    };
    auto command = commands.find(arguments[0]);
    if (command == commands.end())
        return UsageError("unknown command '" + arguments[0] + "'");
    UseFolder(DefaultFolder());
    return command->second(Arguments(arguments.begin() + 1, arguments.end()));
}
