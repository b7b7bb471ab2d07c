// The calculators on any typed text: readTypedNumber against strtod, and both answers.

#include "fuzz_common.h"
#include "level/calculator.h"
#include "level/leveltable.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// The documented reading done by hand: drop blanks, tabs and LF (a CR ends the number); stop
// at the first non-ASCII character; take the longest [+-]mantissa[(e|E)[+-]digits] (a mantissa
// being digits with at most one point and at least one digit) and let strtod read it.
double expectedNumber(const QString &text)
{
    std::string typed;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\t' || u == u'\n')
            continue;
        if (u >= 0x80)
            break;
        typed.push_back(static_cast<char>(u));
    }
    const auto digitAt = [&typed](std::size_t i) {
        return i < typed.size() && typed[i] >= '0' && typed[i] <= '9';
    };

    std::size_t i = 0;
    if (i < typed.size() && (typed[i] == '+' || typed[i] == '-'))
        ++i;
    std::size_t digits = 0;
    bool point = false;
    for (; i < typed.size(); ++i) {
        if (digitAt(i))
            ++digits;
        else if (typed[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0)
        return 0.0;
    std::size_t end = i;
    if (i < typed.size() && (typed[i] == 'e' || typed[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < typed.size() && (typed[e] == '+' || typed[e] == '-'))
            ++e;
        if (digitAt(e)) {
            while (digitAt(e))
                ++e;
            end = e;
        }
    }
    return std::strtod(typed.substr(0, end).c_str(), nullptr);
}

void checkText(const QString &text)
{
    const double number = Calculator::readTypedNumber(text);
    FUZZ_CHECK(!std::isnan(number));
    const double expected = expectedNumber(text);
    FUZZ_CHECK(number == expected);
    FUZZ_CHECK(std::signbit(number) == std::signbit(expected));

    const Calculator::Reply level = Calculator::answerPointsToLevel(text);
    FUZZ_CHECK(!fuzz::mentionsInfOrNan(level.text));
    FUZZ_CHECK((level.icon == Calculator::Reply::Icon::Warning) == text.isEmpty());
    if (!text.isEmpty()) {
        const LevelTable::LevelOutcome outcome = LevelTable::GetLevelForPoints(number);
        if (outcome.above150) {
            FUZZ_CHECK(level.text == QStringLiteral("您输入的积分超过150级!你是神!"));
        } else {
            FUZZ_CHECK(level.text
                       == QStringLiteral("您输入的积分值能达到:") + QString::number(outcome.level)
                               + u'级');
        }
    }

    const Calculator::Reply points = Calculator::answerLevelToPoints(text);
    FUZZ_CHECK(!fuzz::mentionsInfOrNan(points.text));
    FUZZ_CHECK((points.icon == Calculator::Reply::Icon::Warning)
               == (text.isEmpty() || !(number >= 1)));
    if (const std::optional<int> needed = LevelTable::GetPointsForLevel(number)) {
        FUZZ_CHECK(points.text
                   == QStringLiteral("您输入的等级,若达到该等级,需要积分为:")
                           + QString::number(*needed) + u'分');
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::forEachReading(data, size, checkText);
    return 0;
}
