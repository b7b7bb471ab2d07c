#pragma once

#include <optional>

#include <QString>

struct QueryRecord;

// The texts of a result row's cells, as the window shows them and mirelo-lookup prints them.

// The text of the cell `key` (a ColumnKey) for `record`: the value with its unit, or the
// restricted space's words in the visit and mood cells when any of their counts is missing.
// None for the blog and music cells while their count is unknown: they stay as they were.
std::optional<QString> cellText(const QueryRecord &record, const QString &key);

// `value` with the unit of the cell `key`: "12" in "jr" is "12人".
QString withUnit(const QString &key, const QString &value);
