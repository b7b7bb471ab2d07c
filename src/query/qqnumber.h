#pragma once

#include <QString>

namespace QqNumber {

// Why `typed` is no QQ number, in the window's own words; empty when it is one (5 to 10
// ASCII digits, nothing trimmed).
QString failure(const QString &typed);

} // namespace QqNumber
