#pragma once

#include "ui/prompt.h"

#include <functional>

#include <QList>
#include <QQueue>
#include <QString>

class QDebug;

// A prompt that answers from a script and records every message box it was asked for.
class ScriptedPrompt : public Prompt
{
public:
    enum class Kind { Warning, Information, YesNo, YesNoCancel };
    // One message box: a check of what was asked is one comparison with a list of these.
    struct Asked
    {
        Kind kind = Kind::Warning;
        QString text;

        static Asked warning(const QString &text) { return {Kind::Warning, text}; }
        static Asked information(const QString &text) { return {Kind::Information, text}; }
        static Asked yesNo(const QString &text) { return {Kind::YesNo, text}; }
        static Asked yesNoCancel(const QString &text) { return {Kind::YesNoCancel, text}; }

        friend bool operator==(const Asked &, const Asked &) = default;
    };

    // Answers for the next questions, in order; an unscripted question is answered No/Cancel.
    void answerNext(Answer answer) { m_answers.enqueue(answer); }
    // Runs while the next message box is "open" (for checks of what happens meanwhile).
    void setOnAsk(std::function<void(const Asked &)> onAsk) { m_onAsk = std::move(onAsk); }

    const QList<Asked> &asked() const { return m_asked; }

    void warn(QWidget *parent, const QString &text) override;
    void inform(QWidget *parent, const QString &text) override;
    Answer askYesNo(QWidget *parent, const QString &text) override;
    Answer askYesNoCancel(QWidget *parent, const QString &text) override;

private:
    Answer record(Kind kind, const QString &text, Answer unscripted);

    QList<Asked> m_asked;
    QQueue<Answer> m_answers;
    std::function<void(const Asked &)> m_onAsk;
};

// How QCOMPARE shows a record that differs.
QDebug operator<<(QDebug debug, const ScriptedPrompt::Asked &asked);
