#pragma once

#include <optional>

#include <QByteArray>
#include <QStringList>

struct LookupResult;

enum class OutputFormat { Table, Csv, Json };

std::optional<OutputFormat> outputFormatNamed(const QString &name);

// The names of the plain values, in output order (the csv header, the json keys).
QStringList plainFieldNames();

// What comes before the first result: the column captions for table and csv, nothing for json.
QByteArray formatHeader(OutputFormat format);
// One result as one line, its line end included (CRLF for csv, LF otherwise).
QByteArray formatResult(OutputFormat format, const LookupResult &result);
