#pragma once

#include <optional>

#include <QByteArray>
#include <QStringList>

struct LookupResult;

enum class OutputFormat { Table, Csv, Json };

std::optional<OutputFormat> outputFormatNamed(const QString &name);

// The names of the plain values, in output order (the csv header, the json keys before
// "problems").
QStringList plainFieldNames();

// What comes before the first result: the column captions for table and csv, nothing for json.
// `terminalColumns`: the width of the terminal a table goes to, 0 when it goes elsewhere.
QByteArray formatHeader(OutputFormat format, int terminalColumns = 0);
// One result, its line end included (CRLF for csv, LF otherwise): one line for csv and json;
// for the table its line or lines, and a status line when it is not ok.
QByteArray formatResult(OutputFormat format, const LookupResult &result, int terminalColumns = 0);
