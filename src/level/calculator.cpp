#include "level/calculator.h"

#include "level/leveltable.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace Calculator {
namespace {

constexpr char16_t lastAscii = 0x7F;
// An exponent this large already puts any mantissa far outside a double's range.
constexpr std::int64_t exponentCeiling = 1'000'000'000;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// from_chars reports both overflow and underflow as out of range and leaves the value alone;
// the decimal exponent of the leading non-zero digit tells the two apart.
bool overflows(const std::string &mantissa, std::int64_t exponent)
{
    std::int64_t digitsBeforePoint = 0;
    std::int64_t digitIndex = 0;
    std::int64_t firstNonZero = -1;
    bool seenPoint = false;
    for (char c : mantissa) {
        if (c == '.') {
            seenPoint = true;
            continue;
        }
        if (c != '0' && firstNonZero < 0) {
            firstNonZero = digitIndex;
        }
        ++digitIndex;
        if (!seenPoint) {
            ++digitsBeforePoint;
        }
    }
    if (firstNonZero < 0) {
        return false;
    }
    return digitsBeforePoint - 1 - firstNonZero + exponent >= 0;
}

} // namespace

double readTypedNumber(const QString &text)
{
    // Blanks are typing slips, not separators: "1 000" is a thousand. A carriage return is not
    // one of them and ends the number like any other character. Anything outside ASCII
    // cannot belong to the number, so it ends what is worth looking at.
    std::string typed;
    typed.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\t' || u == u'\n') {
            continue;
        }
        if (u > lastAscii) {
            break;
        }
        typed.push_back(static_cast<char>(u));
    }

    std::size_t pos = 0;
    bool negative = false;
    if (pos < typed.size() && (typed[pos] == '+' || typed[pos] == '-')) {
        negative = typed[pos] == '-';
        ++pos;
    }
    const std::size_t mantissaStart = pos;
    std::size_t digitCount = 0;
    bool seenPoint = false;
    for (; pos < typed.size(); ++pos) {
        if (isDigit(typed[pos])) {
            ++digitCount;
        } else if (typed[pos] == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (digitCount == 0) {
        return 0.0;
    }
    const std::string mantissa = typed.substr(mantissaStart, pos - mantissaStart);

    // An exponent counts only with at least one digit: "12e" and "12e+" are 12.
    std::size_t end = pos;
    std::int64_t exponent = 0;
    if (pos < typed.size() && (typed[pos] == 'e' || typed[pos] == 'E')) {
        std::size_t e = pos + 1;
        bool negativeExponent = false;
        if (e < typed.size() && (typed[e] == '+' || typed[e] == '-')) {
            negativeExponent = typed[e] == '-';
            ++e;
        }
        const std::size_t exponentDigits = e;
        for (; e < typed.size() && isDigit(typed[e]); ++e) {
            // Saturate: far beyond any double's range is all that matters here.
            if (exponent < exponentCeiling) {
                exponent = exponent * 10 + (typed[e] - '0');
            }
        }
        if (e > exponentDigits) {
            end = e;
            if (negativeExponent) {
                exponent = -exponent;
            }
        } else {
            exponent = 0;
        }
    }

    const char *first = typed.data() + mantissaStart;
    const char *last = typed.data() + end;
    double value = 0.0;
    const auto [stop, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        value = overflows(mantissa, exponent) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc() || stop != last) {
        return 0.0;
    }
    return negative ? -value : value;
}

Reply answerPointsToLevel(const QString &typed)
{
    if (typed.isEmpty()) {
        return {Reply::Icon::Warning, QStringLiteral("请输入积分值!")};
    }
    double points = readTypedNumber(typed);
    if (std::isnan(points)) {
        points = 0.0;
    }
    const LevelTable::LevelOutcome outcome = LevelTable::GetLevelForPoints(points);
    if (outcome.above150) {
        return {Reply::Icon::Information, QStringLiteral("您输入的积分超过150级!你是神!")};
    }
    return {Reply::Icon::Information,
            QStringLiteral("您输入的积分值能达到:") + QString::number(outcome.level) + u'级'};
}

Reply answerLevelToPoints(const QString &typed)
{
    if (typed.isEmpty()) {
        return {Reply::Icon::Warning, QStringLiteral("请输入等级值!")};
    }
    double level = readTypedNumber(typed);
    if (std::isnan(level)) {
        level = 0.0;
    }
    if (level < 1) {
        return {Reply::Icon::Warning, QStringLiteral("请输入大于等于1的等级!")};
    }
    if (const std::optional<int> points = LevelTable::GetPointsForLevel(level)) {
        return {Reply::Icon::Information,
                QStringLiteral("您输入的等级,若达到该等级,需要积分为:") + QString::number(*points)
                        + u'分'};
    }
    return {Reply::Icon::Information, QStringLiteral("抱歉!目前仅支持查询150级及150级以内的积分!")};
}

} // namespace Calculator
