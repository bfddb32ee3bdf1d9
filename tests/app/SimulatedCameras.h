#ifndef SIMULATEDCAMERAS_H
#define SIMULATEDCAMERAS_H

#include "PixelCoords.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <vector>

// The in-memory cameras the workflow tests run against, and what they hold.
namespace SimulatedCameras {

// The cameras' list entries, as the window lists them.
const QString Mono = QStringLiteral("HN2702-M-1001");          // 2048 x 2048, 7648 defects fit
const QString Bayer = QStringLiteral("HN2703-C-1002(CAM-7)");  // 1936 x 1216
const QString Unsupported = QStringLiteral("VX1100-M-3001");
const QString WithoutFlash = QStringLiteral("HN2701-M-4001");
// Models whose parenthesised groups the display name leaves out.
const QString Grouped = QStringLiteral("(X1)-HN2702-M-5001");
const QString TwiceGrouped = QStringLiteral("(a)-(b)-HN2702-M-6001");
// A camera whose serial number would climb out of a backup's folder.
const QString Climbing = QStringLiteral("HN2702-M-../../x(EVIL)");

// The monochrome camera's list at the start of every test: a run of four in row 10
// (columns 100 to 103), a run of five in row 20 (columns 10 to 14) and three loose defects.
QList<PixelCoords> MonoList();

// In-memory cameras with short erase and store times; call once, before any window.
void Attach();
// Back to the start: the monochrome camera holding MonoList(), every camera's factory file
// as it was, no faults, no calls recorded.
void Reset();

std::vector<uint8_t> CustomFile(const QString &id);
std::vector<uint8_t> FactoryFile(const QString &id);
bool SetCustomFile(const QString &id, const std::vector<uint8_t> &content);
bool SetFactoryFile(const QString &id, const std::vector<uint8_t> &content);
// Neither defect file can be read any more.
bool LoseDefectFiles(const QString &id);
// The coordinates a defect file holds, read with the stand-in's own reader.
QList<PixelCoords> Decoded(const std::vector<uint8_t> &content);
std::vector<uint8_t> Encoded(int width, int height, const QList<PixelCoords> &list);
// Every SDK call on the camera fails from the next one on.
bool FailEveryCall(const QString &id);
bool ReadBackDiffers(const QString &id);

} // namespace SimulatedCameras

#endif
