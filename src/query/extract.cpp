#include "query/extract.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace {

// Piece `index` of `text` cut at every `separator`. An empty text has no pieces at all, unlike
// QString::split, which hands back one empty piece for it.
std::optional<QString> piece(const QString &text, const QString &separator, qsizetype index)
{
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const QStringList pieces = text.split(separator);
    if (index >= pieces.size()) {
        return std::nullopt;
    }
    return pieces.at(index);
}

// `text` up to and including the first `stop`; empty when `stop` never occurs.
QString upToAndIncluding(const QString &text, QChar stop)
{
    const qsizetype at = text.indexOf(stop);
    return at < 0 ? QString() : text.left(at + 1);
}

// `text` from the first `marker` on, marker included; empty when it never occurs.
QString fromMarker(const QString &text, const QString &marker)
{
    const qsizetype at = text.indexOf(marker);
    return at < 0 ? QString() : text.mid(at);
}

// `text` before its first ","; empty when there is no ",".
QString beforeComma(const QString &text)
{
    const qsizetype at = text.indexOf(u',');
    return at < 0 ? QString() : text.left(at);
}

} // namespace

VisitorCounts ExtractVisitorCounts(const QString &visitorText)
{
    VisitorCounts counts;

    QString today = fromMarker(visitorText, QStringLiteral("todaycount"));
    today = upToAndIncluding(today, u'}');
    today = upToAndIncluding(today, u',');
    today.remove(u',');
    today.remove(QStringLiteral("todaycount\":"));
    counts.today = today;

    QString total = fromMarker(visitorText, QStringLiteral("totalcount"));
    total = upToAndIncluding(total, u'}');
    total.remove(u'}');
    total.remove(QStringLiteral("totalcount\":"));
    counts.total = total;

    return counts;
}

double ExtractPoints(const QString &portraitText)
{
    return pointsIn(portraitText).value_or(0.0);
}

std::optional<double> pointsIn(const QString &portraitText)
{
    const std::optional<QString> cell = piece(portraitText, QStringLiteral(","), 1);
    if (!cell) {
        return {};
    }
    // \z rather than $: a trailing line feed must not slip through.
    static const QRegularExpression plainDecimal(
            QStringLiteral(R"(\A[ \t]*([+-]?)([0-9]+(?:\.[0-9]*)?|\.[0-9]+)[ \t]*\z)"));
    const QRegularExpressionMatch match = plainDecimal.match(*cell);
    if (!match.hasMatch()) {
        return {};
    }
    const QByteArray digits = match.captured(2).toLatin1();
    const char *last = digits.constData() + digits.size();
    double value = 0.0;
    const auto [stop, error]
            = std::from_chars(digits.constData(), last, value, std::chars_format::fixed);
    // A digit string too long for a double is no usable score either.
    if (error != std::errc() || stop != last || !std::isfinite(value)) {
        return {};
    }
    if (match.capturedView(1) == u"-") {
        value = -value;
    }
    return value == 0.0 ? 0.0 : value; // no "-0" in the points cell
}

QString ExtractNickname(const QString &portraitText)
{
    const std::optional<QString> cell = piece(portraitText, QStringLiteral(","), 6);
    if (!cell) {
        return {};
    }
    QString nickname = *cell;
    nickname.remove(u'"');
    return trimSpaces(nickname);
}

QString ExtractMoodCount(const QString &moodsText)
{
    const std::optional<QString> cell = piece(moodsText, QStringLiteral("new Number("), 2);
    if (!cell) {
        return {};
    }
    QString count = upToAndIncluding(*cell, u')');
    count.remove(u')');
    return count;
}

std::int64_t countMarker(const QString &text, const QString &marker)
{
    // An empty marker would "match" between every two characters; it counts nothing.
    if (marker.isEmpty()) {
        return 0;
    }
    std::int64_t count = 0;
    for (qsizetype at = text.indexOf(marker); at >= 0; at = text.indexOf(marker, at + 1)) {
        ++count;
    }
    return count;
}

FlowerVineValues extractFlowerVine(const QString &answer)
{
    const auto value = [&answer](const QString &marker) {
        QString text = beforeComma(piece(answer, marker, 1).value_or(QString()));
        text.remove(u':');
        text.remove(u'"');
        return text;
    };

    FlowerVineValues values;
    values.sunshine = value(QStringLiteral("iSun"));
    values.rain = value(QStringLiteral("iRain"));
    values.love = value(QStringLiteral("iLove"));
    values.nutrition = value(QStringLiteral("iNutri"));
    values.level
            = beforeComma(piece(answer, QStringLiteral("iGardener\":"), 1).value_or(QString()));
    return values;
}

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

QString formatPoints(double points)
{
    // The cell shows digits only: no "-0", no "inf" or "nan".
    if (!std::isfinite(points) || points == 0.0) {
        return QStringLiteral("0");
    }
    return QString::number(points, 'f', QLocale::FloatingPointShortest);
}

QString trimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}
