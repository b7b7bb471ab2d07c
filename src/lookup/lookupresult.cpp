#include "lookup/lookupresult.h"

#include "level/leveltable.h"
#include "query/queryrecord.h"

#include <cmath>

namespace {

constexpr Service allServices[] = {Service::Visitors, Service::Portrait, Service::Moods,
                                   Service::Blog,     Service::Music,    Service::FlowerVine};

} // namespace

QString statusName(LookupResult::Status status)
{
    switch (status) {
    case LookupResult::Status::Ok:
        return QStringLiteral("ok");
    case LookupResult::Status::Partial:
        return QStringLiteral("partial");
    case LookupResult::Status::Failed:
        break;
    }
    return QStringLiteral("failed");
}

LookupResult LookupResult::from(const QueryRecord &record, const QHash<QString, QString> &cells,
                                std::optional<FlowerVineValues> vine)
{
    LookupResult r;
    r.qq = record.qq;
    // The window writes the number when it makes the row, before the query starts.
    r.cells.insert(QString::fromLatin1(ColumnKey::num), record.qq);

    const auto answered = [&record](Service service) {
        const std::optional<ServiceOutcome> &outcome = record.outcomes.of(service);
        return outcome && outcome->answered();
    };
    const auto friendsOnly = [&record](Service service) {
        const std::optional<ServiceOutcome> &outcome = record.outcomes.of(service);
        return outcome && outcome->problem == ServiceProblem::NoPermission;
    };
    const auto keepCell = [&](const char *key) {
        const QString k = QString::fromLatin1(key);
        if (cells.contains(k))
            r.cells.insert(k, cells.value(k));
    };

    qsizetype failing = 0;
    for (const Service service : allServices) {
        // A query that never got to a service (cancelled) has learnt nothing from it either.
        const ServiceOutcome outcome = record.outcomes.of(service).value_or(
                ServiceOutcome {ServiceProblem::Unreachable});
        if (outcome.failsValuesOf(service)) {
            r.problems.append({service, outcome});
            ++failing;
        }
    }
    r.status = failing == 0                      ? Status::Ok
            : failing == qsizetype(serviceCount) ? Status::Failed
                                                 : Status::Partial;

    if (answered(Service::Portrait)) {
        r.nickname = record.nickname;
        r.points = record.points;
        const LevelTable::LevelOutcome outcome = LevelTable::GetLevelForPoints(record.points);
        // The above-150 mark means the last level of the table has been reached.
        r.level = outcome.above150 ? LevelTable::maxLevel : outcome.level;
        keepCell(ColumnKey::nam);
        keepCell(ColumnKey::jf);
        keepCell(ColumnKey::dj);
    }
    if (answered(Service::Music)) {
        r.music = record.musicCount;
        keepCell(ColumnKey::qqm2);
    }
    if (answered(Service::Blog)) {
        r.blogs = record.blogCount;
        keepCell(ColumnKey::blog);
    }
    if (answered(Service::FlowerVine))
        r.vine = std::move(vine);

    if (friendsOnly(Service::Visitors) || friendsOnly(Service::Moods)) {
        r.restricted = true;
        // The window's "restricted" texts in all three cells.
        keepCell(ColumnKey::jr);
        keepCell(ColumnKey::ls);
        keepCell(ColumnKey::ss);
        return r;
    }
    if (answered(Service::Visitors) && answered(Service::Moods))
        r.restricted = false;
    // Each count as the window writes it, also when the other service's answer is missing
    // (the window then shows the space as restricted, which nobody knows).
    if (answered(Service::Visitors)) {
        r.todayVisits = plainCount(record.todayVisits);
        r.totalVisits = plainCount(record.totalVisits);
        r.cells.insert(QString::fromLatin1(ColumnKey::jr), record.todayVisits + u'人');
        r.cells.insert(QString::fromLatin1(ColumnKey::ls), record.totalVisits + u'人');
    }
    if (answered(Service::Moods)) {
        r.moods = plainCount(record.moodCount);
        r.cells.insert(QString::fromLatin1(ColumnKey::ss), record.moodCount + u'条');
    }
    return r;
}
