#pragma once

#include <QString>

// The two level calculators' answers, independent of any window.
namespace Calculator {

// The typed text as a number: blanks, tabs and line feeds ignored anywhere; the longest
// leading [+-]digits[.digits][(E|e)[+-]digits] is read, the rest ignored; no number reads 0.
// A number past a double's range reads as +-infinity.
double readTypedNumber(const QString &text);

struct Reply
{
    enum class Icon { Warning, Information };
    Icon icon = Icon::Information;
    QString text;
};

// Points typed -> the level they reach.
Reply answerPointsToLevel(const QString &typed);
// Level typed -> the points it needs.
Reply answerLevelToPoints(const QString &typed);

} // namespace Calculator
