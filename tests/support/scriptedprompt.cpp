#include "support/scriptedprompt.h"

#include <QDebug>

Prompt::Answer ScriptedPrompt::record(Kind kind, const QString &text, Answer unscripted)
{
    const Asked asked {kind, text};
    m_asked.append(asked);
    if (m_onAsk)
        m_onAsk(asked);
    return m_answers.isEmpty() ? unscripted : m_answers.dequeue();
}

void ScriptedPrompt::warn(QWidget *, const QString &text)
{
    record(Kind::Warning, text, Answer::Ok);
}

void ScriptedPrompt::inform(QWidget *, const QString &text)
{
    record(Kind::Information, text, Answer::Ok);
}

Prompt::Answer ScriptedPrompt::askYesNo(QWidget *, const QString &text)
{
    return record(Kind::YesNo, text, Answer::No);
}

Prompt::Answer ScriptedPrompt::askYesNoCancel(QWidget *, const QString &text)
{
    return record(Kind::YesNoCancel, text, Answer::Cancel);
}

QDebug operator<<(QDebug debug, const ScriptedPrompt::Asked &asked)
{
    const char *kind = "Warning";
    switch (asked.kind) {
    case ScriptedPrompt::Kind::Warning:
        break;
    case ScriptedPrompt::Kind::Information:
        kind = "Information";
        break;
    case ScriptedPrompt::Kind::YesNo:
        kind = "YesNo";
        break;
    case ScriptedPrompt::Kind::YesNoCancel:
        kind = "YesNoCancel";
        break;
    }
    const QDebugStateSaver saver(debug);
    debug.nospace() << kind << '(' << asked.text << ')';
    return debug;
}
