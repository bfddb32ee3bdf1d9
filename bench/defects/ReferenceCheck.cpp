#include "ReferenceCheck.h"

#include "CoordinateSet.h"
#include "ListFileIO.h"
#include "ListManager.h"
#include "RandomDefects.h"
#include "ReferenceEncoding.h"

#include <QTemporaryDir>

#include <cstdio>

static bool operator==(const NbEntry &a, const NbEntry &b)
{
    return a.row == b.row && a.column == b.column && a.neighbourMask == b.neighbourMask;
}

namespace {

CameraDescription Sensor(const char *type, qint64 width, qint64 capacity)
{
    CameraDescription description;
    description.sensorType = QString::fromLatin1(type);
    description.sensorWidth = width;
    description.sensorHeight = 40;
    description.defectCapacity = capacity;
    return description;
}

bool Differs(const std::string &name, const char *step)
{
    std::fprintf(stderr, "Reference check failed: %s differs from the reference for %s.\n", step, name.c_str());
    return true;
}

// Same entries, same removals (outside, more than eight, beyond capacity) in the
// same order, the same runs of more than four, and the file decodes to what is kept.
bool EncodingDiffers(const std::string &name, const CameraDescription &sensor, const QList<PixelCoords> &list)
{
    NeighborByteEncoding fast;
    fast.SetData(sensor, list);
    ReferenceEncoding reference{sensor, list, {}};
    if (fast.Generate1DNbEncodingFromDefectImage() != reference.Generate() || fast.Entries() != reference.entries)
        return Differs(name, "the encoding");
    if (fast.RemoveOutsideSensorRange(sensor) != reference.RemoveOutside(sensor))
        return Differs(name, "the removal outside the sensor");
    if (fast.RemoveMoreThanEightConsecutive() != reference.RemoveMoreThanEight())
        return Differs(name, "the removal of more than eight in a row");
    if (fast.FindMoreThanFourConsecutive() != reference.FindMoreThanFour())
        return Differs(name, "the runs of more than four");
    if (fast.RemoveBeyondCapacity() != reference.RemoveBeyondCapacity())
        return Differs(name, "the removal beyond capacity");
    if (fast.Coordinates() != reference.coordinates || fast.Entries() != reference.entries)
        return Differs(name, "what is kept");
    std::vector<unsigned char> out;
    QList<PixelCoords> decoded;
    if (fast.FormatDefectFileData(&out) != !reference.entries.isEmpty())
        return Differs(name, "the file's formatting");
    DecodeDefectFile(out, &decoded);
    if (decoded != reference.coordinates)
        return Differs(name, "the decoded file");
    return false;
}

// Repeats within and across the lists, merged and written to a CSV file and read back.
bool ListsDiffer(const QList<PixelCoords> &camera, const QList<PixelCoords> &user)
{
    CameraDescription sensor = Sensor("Mono", 40, 1000);
    sensor.sensorHeight = 20;
    ListManager manager;
    manager.LoadCameraList(camera, sensor);
    for (const PixelCoords &coords : user)
        manager.AddUserCoordinate(coords, -1);
    if (CoordinateSet::Merged(manager.GetCoordinateList(CameraList), manager.GetCoordinateList(UserList))
        != ReferenceMerge(camera, user))
        return Differs("random lists", "the merged list");
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("round.csv"));
    QList<PixelCoords> read;
    if (!ListFileIO().WriteCsvFile(fileName, user) || !ListFileIO().ReadCsvFile(fileName, &read)
        || read != ReferenceMerge({}, user))
        return Differs("random lists", "the CSV round trip");
    return false;
}

} // namespace

bool MatchesReference()
{
    for (quint32 seed = 1; seed <= 6; ++seed) {
        for (const char *type : {"Mono", "Bayer"}) {
            const int width = seed % 2 ? 64 : 1024;
            const std::string name = std::string(type) + " seed " + std::to_string(seed);
            if (EncodingDiffers(name + " random", Sensor(type, width, 700), RandomDefects(seed, 800, width, 40))
                || EncodingDiffers(name + " clustered", Sensor(type, width, 5000),
                                   ClusteredDefects(seed, 800, width + 3, 10)))
                return false;
        }
    }
    if (EncodingDiffers("capacity 0", Sensor("Mono", 64, 0), RandomDefects(7, 100, 64, 40))
        || EncodingDiffers("capacity beyond int", Sensor("Mono", 64, qint64(1) << 40), RandomDefects(8, 100, 64, 40)))
        return false;
    return !ListsDiffer(RandomDefects(1, 1000, 40, 20), RandomDefects(2, 1000, 40, 20))
        && !ListsDiffer({}, RandomDefects(3, 2000, 65535, 65534));
}
