#include "cli/lookupresult.h"

#include "level/leveltable.h"
#include "query/celltexts.h"
#include "query/queryrecord.h"

#include <cmath>

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

LookupResult LookupResult::from(const QueryRecord &record)
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
        if (const std::optional<QString> text = cellText(record, k))
            r.cells.insert(k, *text);
    };

    qsizetype failing = 0;
    for (const ServiceRow &row : serviceTable()) {
        const Service service = row.service;
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
        r.vine = record.vine;

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
        for (const auto &[key, count] : {std::pair {ColumnKey::jr, &record.todayVisits},
                                         std::pair {ColumnKey::ls, &record.totalVisits}}) {
            const QString k = QString::fromLatin1(key);
            r.cells.insert(k, withUnit(k, *count));
        }
    }
    if (answered(Service::Moods)) {
        r.moods = plainCount(record.moodCount);
        const QString ss = QString::fromLatin1(ColumnKey::ss);
        r.cells.insert(ss, withUnit(ss, record.moodCount));
    }
    return r;
}
