#pragma once

#include "query/extract.h"
#include "query/services.h"

#include <cstdint>
#include <optional>
#include <utility>

#include <QHash>
#include <QList>
#include <QString>

struct QueryRecord;

// What one number's lookup brought: the row's cells as the window shows them, and the same
// values as plain data. A value is known only from a service that answered; any other is
// empty, never made up.
struct LookupResult
{
    // ok: every service answered; failed: none did; partial: some did.
    enum class Status { Ok, Partial, Failed };

    QString qq;
    // By column key, as the window writes them, for the values that are known.
    QHash<QString, QString> cells;
    Status status = Status::Failed;
    // The services whose values are unknown, in service order, each with its problem.
    QList<std::pair<Service, ServiceOutcome>> problems;

    std::optional<QString> nickname;
    std::optional<double> points;
    std::optional<int> level;
    std::optional<std::int64_t> music;
    std::optional<std::int64_t> blogs;
    std::optional<std::int64_t> moods;
    std::optional<std::int64_t> todayVisits;
    std::optional<std::int64_t> totalVisits;
    // True when the space keeps its visit and mood counts to friends; false when both services
    // gave their counts.
    std::optional<bool> restricted;
    std::optional<FlowerVineValues> vine;

    // The plain values of a finished query and its cells, from its record (the outcome of each
    // service included). A service whose outcome the record lacks is reported as unreachable.
    static LookupResult from(const QueryRecord &record);
};

// "ok", "partial" or "failed".
QString statusName(LookupResult::Status status);
