#include "cli/lookupinput.h"

#include "query/qqnumber.h"

#include <QCoreApplication>

namespace {

bool isBlank(QChar c)
{
    // What QByteArray::trimmed() takes away from a line: the skipped blank lines' rule.
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

QString trimmedBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString refusalText(QqNumber::Problem::Kind kind)
{
    switch (kind) {
    case QqNumber::Problem::Kind::Empty:
        return QCoreApplication::translate("LookupInput", "no number");
    case QqNumber::Problem::Kind::Length:
        return QCoreApplication::translate("LookupInput", "a QQ number has 5 to 10 digits");
    case QqNumber::Problem::Kind::NotDigits:
        break;
    }
    return QCoreApplication::translate("LookupInput", "a QQ number is digits only");
}

} // namespace

namespace LookupInput {

CheckedNumber check(const QString &given)
{
    CheckedNumber checked;
    checked.number = trimmedBlanks(given);
    if (const std::optional<QqNumber::Problem> problem = QqNumber::check(checked.number))
        checked.refusal = refusalText(problem->kind);
    return checked;
}

bool isSkipped(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    return trimmed.isEmpty() || trimmed.startsWith('#');
}

} // namespace LookupInput
