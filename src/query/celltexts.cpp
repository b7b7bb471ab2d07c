#include "query/celltexts.h"

#include "level/leveltable.h"
#include "query/queryrecord.h"

namespace {

const QString restrictedSpace = QStringLiteral("空间有权限");

struct CellUnit
{
    const char *key;
    char16_t unit;
};
constexpr CellUnit cellUnits[] = {
        {ColumnKey::jf, u'分'}, {ColumnKey::qqm2, u'首'}, {ColumnKey::blog, u'篇'},
        {ColumnKey::ss, u'条'}, {ColumnKey::jr, u'人'},   {ColumnKey::ls, u'人'},
};

std::optional<QString> countCell(const QString &key, const std::optional<std::int64_t> &count)
{
    if (!count)
        return std::nullopt;
    return withUnit(key, QString::number(*count));
}

} // namespace

QString withUnit(const QString &key, const QString &value)
{
    for (const CellUnit &entry : cellUnits) {
        if (key == QLatin1String(entry.key))
            return value + QChar(entry.unit);
    }
    return value;
}

std::optional<QString> cellText(const QueryRecord &r, const QString &key)
{
    if (key == QLatin1String(ColumnKey::num))
        return r.qq;
    if (key == QLatin1String(ColumnKey::nam))
        return r.nickname;
    if (key == QLatin1String(ColumnKey::jf))
        return withUnit(key, formatPoints(r.points));
    if (key == QLatin1String(ColumnKey::dj))
        return LevelTable::GetLevelText(r.points);
    if (key == QLatin1String(ColumnKey::qqm2))
        return countCell(key, r.musicCount);
    if (key == QLatin1String(ColumnKey::blog))
        return countCell(key, r.blogCount);
    const QString *count = key == QLatin1String(ColumnKey::jr) ? &r.todayVisits
            : key == QLatin1String(ColumnKey::ls)              ? &r.totalVisits
            : key == QLatin1String(ColumnKey::ss)              ? &r.moodCount
                                                               : nullptr;
    if (!count)
        return std::nullopt;
    return r.hasVisitAndMoodCounts() ? withUnit(key, *count) : restrictedSpace;
}
