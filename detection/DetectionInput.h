#ifndef DETECTIONINPUT_H
#define DETECTIONINPUT_H

#include "SensorLayout.h"

#include <QSize>
#include <QStringList>

// The frames of one run. Either set may be empty: darks alone find hot and flickering
// pixels, flats alone dead, weak and bright ones, both together stuck ones too.
struct DetectionInput
{
    QStringList darkFiles;
    QStringList flatFiles;
    QSize sensorSize; // expected size of every frame; invalid when not known
    QSize rawSize;    // width and height of .raw files
    SensorLayout layout = SensorLayout::Mono;
};

#endif
