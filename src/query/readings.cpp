#include "query/readings.h"

#include "query/extract.h"
#include "query/jsonanswer.h"
#include "query/queryrecord.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace Readings {
namespace {

const ServiceOutcome answered;

ServiceOutcome failed(ServiceProblem problem)
{
    return ServiceOutcome {problem};
}

// The first `"<key>":N` of an answer, where the services put their own status.
std::optional<int> codeIn(const QString &text, const QRegularExpression &pattern)
{
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    bool ok = false;
    const int code = match.capturedView(1).toInt(&ok);
    return ok ? std::optional<int>(code) : std::nullopt;
}

// A described answer's own status: its first code, and the problem that code (or, where it is
// no success, the first subcode) names.
struct DescribedStatus
{
    std::optional<int> code;
    std::optional<ServiceProblem> problem;
};
DescribedStatus statusOf(const QString &text)
{
    static const QRegularExpression codePattern(QStringLiteral(R"("code"\s*:\s*(-?\d{1,9})\b)"));
    static const QRegularExpression subcodePattern(
            QStringLiteral(R"("subcode"\s*:\s*(-?\d{1,9})\b)"));
    DescribedStatus status;
    status.code = codeIn(text, codePattern);
    status.problem = status.code ? problemOfServiceCode(*status.code) : std::nullopt;
    if (!status.problem && status.code != 0) {
        if (const std::optional<int> subcode = codeIn(text, subcodePattern))
            status.problem = problemOfServiceCode(*subcode);
    }
    return status;
}

// The outcome of a described answer: the problem its code names, else whether its marker was
// found.
ServiceOutcome describedOutcome(const DescribedStatus &status, bool markerFound)
{
    if (status.problem)
        return failed(*status.problem);
    return markerFound ? answered : failed(ServiceProblem::NotAnAnswer);
}

// A described counter: entries counted by their marker. An answer without a single entry is a
// true 0 when the service says it succeeded (code 0).
ServiceOutcome describedCount(const QString &text, const char *marker,
                              std::optional<std::int64_t> &count)
{
    if (!text.isEmpty())
        count = countMarker(text, QLatin1String(marker));
    const DescribedStatus status = statusOf(text);
    return describedOutcome(status, count.value_or(0) > 0 || status.code == 0);
}

// A current counter at `value`, kept in `count` when it is one.
template<typename Count> ServiceOutcome currentCount(const QJsonValue &value, Count &count)
{
    const std::optional<std::int64_t> n = wholeNumber(value);
    if (!n)
        return failed(ServiceProblem::NotAnAnswer);
    if constexpr (std::is_same_v<Count, QString>)
        count = QString::number(*n);
    else
        count = *n;
    return answered;
}

QJsonValue at(const QJsonObject &object, QLatin1String key, QLatin1String inner)
{
    return object.value(key).toObject().value(inner);
}

} // namespace

ServiceOutcome describedVisitors(const QString &text, QueryRecord &record)
{
    if (!text.isEmpty()) {
        const VisitorCounts counts = ExtractVisitorCounts(text);
        record.todayVisits = counts.today;
        record.totalVisits = counts.total;
    }
    return describedOutcome(statusOf(text),
                            plainCount(record.todayVisits) && plainCount(record.totalVisits));
}

ServiceOutcome describedPortrait(const QString &text, QueryRecord &record)
{
    record.points = ExtractPoints(text);
    record.nickname = ExtractNickname(text);
    // The nickname has no marker of its own: it counts only beside the points.
    return describedOutcome(statusOf(text), pointsIn(text).has_value());
}

ServiceOutcome describedMoods(const QString &text, QueryRecord &record)
{
    if (!text.isEmpty())
        record.moodCount = ExtractMoodCount(text);
    return describedOutcome(statusOf(text), plainCount(record.moodCount).has_value());
}

ServiceOutcome describedBlog(const QString &text, QueryRecord &record)
{
    return describedCount(text, blogMarker, record.blogCount);
}

ServiceOutcome describedMusic(const QString &text, QueryRecord &record)
{
    return describedCount(text, musicMarker, record.musicCount);
}

ServiceOutcome describedFlowerVine(const QString &text, QueryRecord &record)
{
    if (!text.isEmpty())
        record.vine = extractFlowerVine(text);
    // Each value stands alone; one of them is enough to tell an answer.
    const FlowerVineValues v = record.vine.value_or(FlowerVineValues {});
    return describedOutcome(statusOf(text),
                            !v.sunshine.isEmpty() || !v.rain.isEmpty() || !v.love.isEmpty()
                                    || !v.nutrition.isEmpty() || !v.level.isEmpty());
}

ServiceOutcome currentVisitors(const QString &text, QueryRecord &record)
{
    const JsonAnswer answer = readJsonAnswer(text);
    if (answer.problem)
        return failed(*answer.problem);
    const QJsonObject first
            = at(answer.object, QLatin1String("data"), QLatin1String("modvisitcount"))
                      .toArray()
                      .at(0)
                      .toObject();
    QString today, total;
    if (!currentCount(first.value(QLatin1String("todaycount")), today).answered()
        || !currentCount(first.value(QLatin1String("totalcount")), total).answered())
        return failed(ServiceProblem::NotAnAnswer);
    record.todayVisits = today;
    record.totalVisits = total;
    return answered;
}

ServiceOutcome currentPortrait(const QString &text, QueryRecord &record)
{
    const JsonAnswer answer = readJsonAnswer(text);
    if (answer.problem)
        return failed(*answer.problem);
    if (answer.object.isEmpty())
        return failed(ServiceProblem::NoSuchAccount);
    const QJsonArray entry = answer.object.value(record.qq).toArray();
    const std::optional<std::int64_t> points = wholeNumber(entry.at(1));
    const QJsonValue nickname = entry.at(6);
    if (!points || !nickname.isString())
        return failed(ServiceProblem::NotAnAnswer);
    record.points = double(*points);
    record.nickname = nickname.toString();
    return answered;
}

ServiceOutcome currentMoods(const QString &text, QueryRecord &record)
{
    const JsonAnswer answer = readJsonAnswer(text);
    if (answer.problem)
        return failed(*answer.problem);
    const QJsonObject &o = answer.object;
    const QJsonValue count = o.contains(QLatin1String("total"))
            ? o.value(QLatin1String("total"))
            : at(o, QLatin1String("usrinfo"), QLatin1String("msgnum"));
    return currentCount(count, record.moodCount);
}

ServiceOutcome currentBlog(const QString &text, QueryRecord &record)
{
    const JsonAnswer answer = readJsonAnswer(text);
    if (answer.problem)
        return failed(*answer.problem);
    return currentCount(at(answer.object, QLatin1String("data"), QLatin1String("totalNum")),
                        record.blogCount);
}

ServiceOutcome currentMusic(const QString &text, QueryRecord &record)
{
    const JsonAnswer answer = readJsonAnswer(text);
    const QJsonObject &o = answer.object;
    const QLatin1String key("xmusicnum");
    const QJsonValue count = o.contains(key) ? o.value(key) : at(o, QLatin1String("data"), key);
    if (count.isUndefined())
        return describedMusic(text, record);
    if (answer.problem)
        return failed(*answer.problem);
    return currentCount(count, record.musicCount);
}

bool isFirewallPage(const QString &text)
{
    return text.contains(QLatin1String("waf.tencent.com/501page"), Qt::CaseInsensitive);
}

} // namespace Readings
