#pragma once

#include <optional>

#include <QString>

// The QZone space level table: T(n) points reach level n, for n = 1..150.
namespace LevelTable {

inline constexpr int maxLevel = 150;

// T(n) for n in 1..150; 0 for any other n.
int entry(int level);

// Either a level from 0 to 149, or the above-150 mark.
struct LevelOutcome
{
    bool above150 = false;
    int level = 0;
};

// Points to level: below 5 (and NaN) is level 0; T(n) <= p < T(n+1) is level n; from
// T(150) = 204490 on (and +inf) the above-150 mark.
LevelOutcome GetLevelForPoints(double points);
// Level to points: T(n) when `level` equals a whole number n in 1..150, else nothing.
std::optional<int> GetPointsForLevel(double level);
// "0级" … "149级", or "超150级!".
QString GetLevelText(double points);

} // namespace LevelTable
