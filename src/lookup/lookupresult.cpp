#include "lookup/lookupresult.h"

#include "level/leveltable.h"
#include "query/queryrecord.h"

#include <cmath>

std::optional<std::int64_t> plainCount(const QString &digits)
{
    // An optional minus, then decimal digits only: no blanks, signs or exponents.
    const QStringView body = digits.startsWith(u'-') ? QStringView(digits).mid(1) : digits;
    if (body.isEmpty())
        return {};
    for (const QChar c : body) {
        if (c < u'0' || c > u'9')
            return {};
    }
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    if (!ok)
        return {};
    return value;
}

LookupResult LookupResult::from(const QueryRecord &record, QHash<QString, QString> cells,
                                std::optional<FlowerVineValues> vine)
{
    LookupResult r;
    r.qq = record.qq;
    r.vine = std::move(vine);
    r.failed = record.visitorText.isEmpty() && record.portraitText.isEmpty()
            && record.moodsText.isEmpty() && record.blogText.isEmpty() && record.musicText.isEmpty()
            && !r.vine;
    if (!r.failed)
        r.cells = std::move(cells);
    // The window writes the number when it makes the row, before the query starts.
    r.cells.insert(QString::fromLatin1(ColumnKey::num), record.qq);
    if (r.failed)
        return r;

    if (!record.portraitText.isEmpty()) {
        r.nickname = record.nickname;
        if (std::isfinite(record.points)) {
            r.points = record.points;
            const LevelTable::LevelOutcome outcome = LevelTable::GetLevelForPoints(record.points);
            // The above-150 mark means the last level of the table has been reached.
            r.level = outcome.above150 ? LevelTable::maxLevel : outcome.level;
        }
    }
    if (!record.musicText.isEmpty())
        r.music = record.musicCount;
    if (!record.blogText.isEmpty())
        r.blogs = record.blogCount;

    // The window's rule: both answers came, yet one of the three counts could not be cut.
    const bool bothAnswered = !record.visitorText.isEmpty() && !record.moodsText.isEmpty();
    if (bothAnswered)
        r.restricted = !record.hasVisitAndMoodCounts();
    if (r.restricted != true) {
        r.todayVisits = plainCount(record.todayVisits);
        r.totalVisits = plainCount(record.totalVisits);
        r.moods = plainCount(record.moodCount);
    }
    return r;
}
