#ifndef SENSORLAYOUT_H
#define SENSORLAYOUT_H

// Which pixels may be compared: on a Bayer sensor only those of one colour,
// every second row and column.
enum class SensorLayout {
    Mono,
    Bayer,
};

// Distance between two neighbouring pixels of one colour.
inline int ColourStep(SensorLayout layout)
{
    return layout == SensorLayout::Bayer ? 2 : 1;
}

#endif
