#pragma once

#include "query/extract.h"

#include <cstdint>
#include <optional>

#include <QHash>
#include <QString>

struct QueryRecord;

// What one number's lookup brought: the row's cells as the window shows them, and the same
// values as plain data, where a value nobody could tell is empty rather than made up.
struct LookupResult
{
    QString qq;
    // By column key, exactly as the window writes them; a cell never written is absent.
    QHash<QString, QString> cells;
    // Every service failed: nothing at all is known about the number.
    bool failed = false;

    std::optional<QString> nickname;
    std::optional<double> points;
    std::optional<int> level;
    std::optional<std::int64_t> music;
    std::optional<std::int64_t> blogs;
    std::optional<std::int64_t> moods;
    std::optional<std::int64_t> todayVisits;
    std::optional<std::int64_t> totalVisits;
    // True when the space answered but keeps its visit and mood counts to friends.
    std::optional<bool> restricted;
    std::optional<FlowerVineValues> vine;

    // The plain values of a finished query, from its record, its cells and the flower-vine
    // values it showed (none when the flower-vine service gave no answer).
    static LookupResult from(const QueryRecord &record, QHash<QString, QString> cells,
                             std::optional<FlowerVineValues> vine);
};

// A whole number as the services write it (decimal digits, maybe a minus); empty for
// anything else.
std::optional<std::int64_t> plainCount(const QString &digits);
