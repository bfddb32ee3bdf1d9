#include "DetectionSettings.h"

QStringList DescribeSettings(const DetectionSettings &settings)
{
    const auto number = [](double value) { return QString::number(value, 'g', 4); };
    return {
        QStringLiteral("hot: dark mean more than %1 robust spreads (1.4826 x median absolute deviation) above the dark median of its colour")
            .arg(number(settings.hotSpreads)),
        QStringLiteral("flickering: temporal spread in the darks more than %1 times the typical one of its colour (shot noise of its dark signal allowed for when flats are given)")
            .arg(number(settings.flickerFactor)),
        QStringLiteral("dead: flat response (flat minus dark mean when darks are given) below %1% of its neighbourhood's median")
            .arg(number(100 * settings.deadFraction)),
        QStringLiteral("weak / bright: flat response more than %1% below / above its neighbourhood's median")
            .arg(number(100 * settings.responseDeviation)),
        QStringLiteral("neighbourhood: %1 x %1 pixels of the same colour around each pixel, shrinking at the sensor's edges")
            .arg(settings.neighbourhood / 2 * 2 + 1),
        QStringLiteral("stuck: the same value in every frame of both sets (at least two frames each)"),
    };
}
