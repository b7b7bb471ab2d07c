#pragma once

#include <QByteArray>
#include <QCoreApplication>

struct LookupResult;

// The table format: the result row as the window shows it, then the four flower-vine values and
// the flower-vine level, aligned for Chinese characters, with a status line under a number
// that is not ok. On a terminal narrower than the full row the columns narrow (nicknames and
// other long cells cut with "…") and the row wraps into indented lines, so no line is wider
// than the terminal.
class ResultTable
{
    Q_DECLARE_TR_FUNCTIONS(ResultTable)

public:
    // `terminalColumns`: the width of the terminal the table goes to, 0 when it goes elsewhere.
    explicit ResultTable(int terminalColumns = 0);

    QByteArray header() const;
    QByteArray row(const LookupResult &result) const;

private:
    struct Placed
    {
        int column;
        int width;
    };

    QByteArray lines(const QStringList &texts) const;

    bool m_compact = false;
    int m_terminalColumns = 0;
    QList<QList<Placed>> m_lines; // the columns on each line of a row, in order
};
