#include "cli/resulttable.h"

#include "cli/displaywidth.h"
#include "cli/lookupresult.h"
#include "cli/statuswords.h"
#include "query/queryrecord.h"

#include <algorithm>
#include <iterator>

#include <QStringList>

namespace {

struct ColumnShape
{
    const char *caption;
    int natural; // display width on a wide terminal or in a file; 0: the last, never padded
    int narrowest; // on a narrow terminal
};
// The row's cells in the list's order, then the flower-vine values. A restricted space's text
// takes ten columns, so the three count columns keep them.
constexpr ColumnShape columnShapes[] = {
        {QT_TRANSLATE_NOOP("ResultTable", "QQ"), 10, 10},
        {QT_TRANSLATE_NOOP("ResultTable", "Nickname"), 16, 8},
        {QT_TRANSLATE_NOOP("ResultTable", "Points"), 10, 7},
        {QT_TRANSLATE_NOOP("ResultTable", "Level"), 8, 5},
        {QT_TRANSLATE_NOOP("ResultTable", "Music"), 6, 5},
        {QT_TRANSLATE_NOOP("ResultTable", "Blogs"), 6, 4},
        {QT_TRANSLATE_NOOP("ResultTable", "Moods"), 10, 10},
        {QT_TRANSLATE_NOOP("ResultTable", "Today"), 10, 10},
        {QT_TRANSLATE_NOOP("ResultTable", "Total"), 10, 10},
        {QT_TRANSLATE_NOOP("ResultTable", "Sunshine"), 6, 4},
        {QT_TRANSLATE_NOOP("ResultTable", "Rain"), 6, 4},
        {QT_TRANSLATE_NOOP("ResultTable", "Love"), 6, 4},
        {QT_TRANSLATE_NOOP("ResultTable", "Nutrition"), 6, 4},
        {QT_TRANSLATE_NOOP("ResultTable", "Vine level"), 0, 3},
};
constexpr int columnCount = int(std::size(columnShapes));
constexpr std::size_t vineColumnCount = 5; // four values and the level
static_assert(std::size(resultCells) + vineColumnCount == std::size(columnShapes));
constexpr int nicknameColumn = 1;
constexpr int continuationIndent = 2;

QString caption(int column)
{
    return QCoreApplication::translate("ResultTable", columnShapes[column].caption);
}

} // namespace

ResultTable::ResultTable(int terminalColumns) : m_terminalColumns(terminalColumns)
{
    // Every column at least as wide as its caption in this run's language.
    QList<int> natural, narrowest;
    int fullWidth = 0;
    for (int i = 0; i < columnCount; ++i) {
        const int captionWidth = displayWidth(caption(i));
        natural.append(columnShapes[i].natural > 0 ? std::max(columnShapes[i].natural, captionWidth)
                                                   : 0);
        narrowest.append(std::max(columnShapes[i].narrowest, captionWidth));
        fullWidth += (i > 0 ? 2 : 0) + std::max(natural.last(), captionWidth);
    }
    if (terminalColumns <= 0 || fullWidth <= terminalColumns) {
        QList<Placed> line;
        for (int i = 0; i < columnCount; ++i)
            line.append({i, natural.at(i)});
        m_lines.append(line);
        return;
    }

    // A narrow terminal: one blank between columns, as many columns on a line as fit, the
    // rest on indented lines below.
    m_compact = true;
    int used = 0;
    for (int i = 0; i < columnCount; ++i) {
        const bool newLine = m_lines.isEmpty()
                || (!m_lines.last().isEmpty() && used + 1 + narrowest.at(i) > terminalColumns);
        if (newLine) {
            m_lines.append(QList<Placed>());
            used = m_lines.size() > 1 ? continuationIndent : 0;
        } else if (!m_lines.last().isEmpty()) {
            used += 1;
        }
        const int width = std::max(1, std::min(narrowest.at(i), terminalColumns - used));
        m_lines.last().append({i, width});
        used += width;
    }
    // The nickname takes what its line leaves, up to its full width.
    for (QList<Placed> &line : m_lines) {
        int lineWidth = &line == &m_lines.first() ? 0 : continuationIndent;
        for (const Placed &placed : line)
            lineWidth += placed.width + (&placed == &line.first() ? 0 : 1);
        for (Placed &placed : line) {
            if (placed.column == nicknameColumn)
                placed.width = std::min(natural.at(nicknameColumn),
                                        placed.width + terminalColumns - lineWidth);
        }
    }
}

QByteArray ResultTable::lines(const QStringList &texts) const
{
    QString out;
    for (qsizetype l = 0; l < m_lines.size(); ++l) {
        QString line = l > 0 ? QString(continuationIndent, u' ') : QString();
        bool any = l == 0;
        for (const Placed &placed : m_lines.at(l)) {
            QString text = printableText(texts.value(placed.column));
            any = any || !text.isEmpty();
            const bool last = &placed == &m_lines.at(l).last();
            if (m_compact) {
                text = cutToWidth(text, placed.width);
                line += last ? text : padToWidth(text, placed.width) + u' ';
            } else {
                // A longer value pushes the rest along rather than losing its end.
                line += last ? text : padToWidth(text, placed.width) + QStringLiteral("  ");
            }
        }
        // Trailing blanks of empty last cells carry nothing; nor does a line of empty cells.
        while (line.endsWith(u' '))
            line.chop(1);
        if (any)
            out += line + u'\n';
    }
    return out.toUtf8();
}

QByteArray ResultTable::header() const
{
    QStringList captions;
    for (int i = 0; i < columnCount; ++i)
        captions.append(caption(i));
    return lines(captions);
}

QByteArray ResultTable::row(const LookupResult &result) const
{
    QStringList texts;
    for (const ResultCell &cell : resultCells)
        texts.append(result.cells.value(QString::fromLatin1(cell.key)));
    if (result.vine)
        texts << result.vine->sunshine << result.vine->rain << result.vine->love
              << result.vine->nutrition << result.vine->level;
    QByteArray out = lines(texts);
    const QString status = StatusWords::of(result);
    if (!status.isEmpty()) {
        QString line = QString(continuationIndent, u' ') + printableText(status);
        if (m_compact)
            line = cutToWidth(line, m_terminalColumns);
        out += (line + u'\n').toUtf8();
    }
    return out;
}
