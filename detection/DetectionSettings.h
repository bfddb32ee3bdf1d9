#ifndef DETECTIONSETTINGS_H
#define DETECTIONSETTINGS_H

#include <QStringList>

// The thresholds of the defect kinds. The defaults find defects on ordinary frames
// without tuning and give next to no false candidates on a sensor of millions of pixels.
struct DetectionSettings
{
    double hotSpreads = 6.0;         // dark mean above the dark median, in robust spreads
    double flickerFactor = 5.0;      // dark temporal spread over the typical one
    double deadFraction = 0.2;       // flat response below this share of the neighbourhood's
    double responseDeviation = 0.15; // weak or bright: flat response off the neighbourhood's by this share
    int neighbourhood = 5;           // same-colour pixels along a side of the neighbourhood, odd
};

// One line per setting: its name, value and meaning, for a dialog and --help.
QStringList DescribeSettings(const DetectionSettings &settings = DetectionSettings());

#endif
