// The level table on any double (first 8 bytes as its bit pattern) and entry() on any int
// (the next 4 bytes).

#include "fuzz_common.h"
#include "level/leveltable.h"

#include <cmath>
#include <limits>

namespace {

void checkPoints(double points)
{
    const LevelTable::LevelOutcome outcome = LevelTable::GetLevelForPoints(points);
    FUZZ_CHECK(outcome.level >= 0 && outcome.level <= 149);
    if (outcome.above150) {
        FUZZ_CHECK(outcome.level == 0);
        FUZZ_CHECK(points >= LevelTable::entry(LevelTable::maxLevel));
    } else if (outcome.level == 0) {
        FUZZ_CHECK(std::isnan(points) || points < LevelTable::entry(1));
    } else {
        FUZZ_CHECK(points >= LevelTable::entry(outcome.level));
        FUZZ_CHECK(points < LevelTable::entry(outcome.level + 1));
    }

    // More points never mean a lower level.
    if (!std::isnan(points)) {
        const double more = std::nextafter(points, std::numeric_limits<double>::infinity());
        const LevelTable::LevelOutcome next = LevelTable::GetLevelForPoints(more);
        FUZZ_CHECK(next.above150 || (!outcome.above150 && next.level >= outcome.level));
    }

    const QString text = LevelTable::GetLevelText(points);
    FUZZ_CHECK(!fuzz::mentionsInfOrNan(text));
    if (outcome.above150) {
        FUZZ_CHECK(text == QStringLiteral("超150级!"));
    } else {
        FUZZ_CHECK(text == QString::number(outcome.level) + u'级');
    }
}

void checkLevel(double level)
{
    const std::optional<int> points = LevelTable::GetPointsForLevel(level);
    const bool whole = level >= 1 && level <= LevelTable::maxLevel && std::floor(level) == level;
    FUZZ_CHECK(points.has_value() == whole);
    if (points) {
        FUZZ_CHECK(*points == LevelTable::entry(static_cast<int>(level)));
        // Those points reach exactly that level (150 is the above-150 mark).
        const LevelTable::LevelOutcome back = LevelTable::GetLevelForPoints(*points);
        if (level == LevelTable::maxLevel)
            FUZZ_CHECK(back.above150);
        else
            FUZZ_CHECK(!back.above150 && back.level == static_cast<int>(level));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const double value = fuzz::doubleFromBytes(data, size);
    checkPoints(value);
    checkPoints(-value);
    checkLevel(value);

    int level = 0;
    if (size > 8)
        std::memcpy(&level, data + 8, size - 8 < sizeof level ? size - 8 : sizeof level);
    const int points = LevelTable::entry(level);
    if (level < 1 || level > LevelTable::maxLevel) {
        FUZZ_CHECK(points == 0);
    } else {
        FUZZ_CHECK(points >= 5);
        FUZZ_CHECK(level == 1 || points > LevelTable::entry(level - 1));
    }
    return 0;
}
