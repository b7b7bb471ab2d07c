#include "support/scriptedprompt.h"

QStringList ScriptedPrompt::texts() const
{
    QStringList result;
    for (const Asked &a : m_asked)
        result.append(a.text);
    return result;
}

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
