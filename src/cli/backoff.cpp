#include "cli/backoff.h"

#include <algorithm>
#include <cmath>

#include <QRandomGenerator>

int BackOff::pauseMs(int nth) const
{
    qint64 pause = std::max(firstPauseMs, 0);
    for (int i = 1; i < nth && pause < longestPauseMs; ++i)
        pause *= 2;
    return int(std::min<qint64>(pause, longestPauseMs));
}

int jittered(int ms, double share)
{
    if (ms <= 0 || share <= 0)
        return std::max(ms, 0);
    const double factor = 1.0 + share * (2.0 * QRandomGenerator::global()->generateDouble() - 1.0);
    return int(std::lround(ms * factor));
}
