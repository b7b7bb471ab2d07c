#include "lookup/lookupinput.h"

#include "query/qqnumber.h"

namespace {

void take(LookupInput &input, const QString &origin, const QString &text)
{
    if (const std::optional<QqNumber::Problem> problem = QqNumber::check(text))
        input.refused.append({origin, text, problem->message});
    else
        input.numbers.append(text);
}

} // namespace

LookupInput LookupInput::fromArguments(const QStringList &arguments)
{
    LookupInput input;
    for (qsizetype i = 0; i < arguments.size(); ++i)
        take(input, QStringLiteral("argument %1").arg(i + 1), arguments.at(i));
    return input;
}

LookupInput LookupInput::fromLines(const QByteArray &text)
{
    LookupInput input;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        take(input, QStringLiteral("line %1").arg(i + 1), QString::fromUtf8(line));
    }
    return input;
}
