#pragma once

#include "query/extract.h"
#include "query/serviceoutcome.h"

#include <cstdint>
#include <optional>

#include <QString>

// The values of the query in progress; cleared at the start of every query.
struct QueryRecord
{
    QString qq;
    QString visitorText;
    QString portraitText;
    QString moodsText;
    QString blogText;
    QString musicText;
    QString flowerVineText;
    double points = 0;
    QString nickname;
    QString todayVisits;
    QString totalVisits;
    QString moodCount;
    // None until an answer gives a count. 64-bit: a long blog list must not wrap around.
    std::optional<std::int64_t> blogCount;
    std::optional<std::int64_t> musicCount;
    // None until an answer gives the panel its values.
    std::optional<FlowerVineValues> vine;
    // How each service's answer went. The window shows the row as always whatever they say;
    // mirelo-lookup reports a value only from a service that answered.
    ServiceOutcomes outcomes;
    // The host and Qt's reason, when a service's certificate could not be verified.
    QString certificateProblem;

    // Whether today's visits, total visits and the mood count were all cut: otherwise the
    // space keeps them to friends and the row says so.
    bool hasVisitAndMoodCounts() const
    {
        return !todayVisits.isEmpty() && !totalVisits.isEmpty() && !moodCount.isEmpty();
    }
};

// The result list's column keys; cells are always addressed by key, never by position.
namespace ColumnKey {
inline constexpr char num[] = "num";
inline constexpr char nam[] = "nam";
inline constexpr char jf[] = "jf";
inline constexpr char dj[] = "dj";
inline constexpr char qqm2[] = "qqm2";
inline constexpr char blog[] = "blog";
inline constexpr char ss[] = "ss";
inline constexpr char jr[] = "jr";
inline constexpr char ls[] = "ls";
} // namespace ColumnKey

// The row's cells in the list's order, each with its column's caption.
struct ResultCell
{
    const char *key;
    const char16_t *caption;
};
inline constexpr ResultCell resultCells[] = {
        {ColumnKey::num, u"QQ号码"}, {ColumnKey::nam, u"昵称"},    {ColumnKey::jf, u"积分"},
        {ColumnKey::dj, u"等级"},    {ColumnKey::qqm2, u"音乐"},   {ColumnKey::blog, u"日志"},
        {ColumnKey::ss, u"说说"},    {ColumnKey::jr, u"今日访问"}, {ColumnKey::ls, u"历史访问"},
};
