#pragma once

#include <optional>

#include <QString>

namespace QqNumber {

// What is wrong with a typed number: the window's own words for it, and whether a message box
// shows them before the status bar does.
struct Problem
{
    enum class Kind { Empty, Length, NotDigits };

    QString message;
    bool warnFirst = false;
    Kind kind = Kind::NotDigits;
};

// Nothing when `typed` is a QQ number (5 to 10 ASCII digits, nothing trimmed).
std::optional<Problem> check(const QString &typed);

} // namespace QqNumber
