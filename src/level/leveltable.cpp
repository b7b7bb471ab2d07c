#include "level/leveltable.h"

#include <algorithm>
#include <array>

namespace LevelTable {
namespace {

// The first nine levels predate the square rule and keep their own thresholds; from level 10
// on, T(n) = 10 × (n − 7)².
constexpr std::array<int, 9> earlyEntries {5, 10, 15, 20, 30, 40, 50, 60, 75};
constexpr int firstSquareLevel = int(earlyEntries.size()) + 1;
constexpr int squareOffset = 7;

constexpr std::array<int, maxLevel> makeTable()
{
    std::array<int, maxLevel> table {};
    for (int level = 1; level <= maxLevel; ++level) {
        table[level - 1] = level < firstSquareLevel
                ? earlyEntries[level - 1]
                : 10 * (level - squareOffset) * (level - squareOffset);
    }
    return table;
}

constexpr std::array<int, maxLevel> table = makeTable();

// Rows the table must agree with, whatever the rule above says: {level, points}.
constexpr std::array<std::array<int, 2>, 3> knownRows {{{10, 90}, {11, 160}, {maxLevel, 204490}}};
static_assert(std::all_of(knownRows.begin(), knownRows.end(),
                          [](const auto &row) { return table[row[0] - 1] == row[1]; }));

} // namespace

int entry(int level)
{
    if (level < 1 || level > maxLevel) {
        return 0;
    }
    return table[level - 1];
}

LevelOutcome GetLevelForPoints(double points)
{
    // Written as a negated test so that NaN lands on level 0 as well.
    if (!(points >= table.front())) {
        return {};
    }
    if (points >= table.back()) {
        return {true, 0};
    }
    // The number of thresholds reached is the level.
    const auto firstAbove = std::upper_bound(table.begin(), table.end(), points);
    return {false, static_cast<int>(firstAbove - table.begin())};
}

std::optional<int> GetPointsForLevel(double level)
{
    for (int n = 1; n <= maxLevel; ++n) {
        if (level == n) {
            return table[n - 1];
        }
    }
    return std::nullopt;
}

QString GetLevelText(double points)
{
    const LevelOutcome outcome = GetLevelForPoints(points);
    if (outcome.above150) {
        return QStringLiteral("超150级!");
    }
    return QString::number(outcome.level) + u'级';
}

} // namespace LevelTable
