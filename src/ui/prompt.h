#pragma once

#include <QString>

class QWidget;

// The one way windows talk to the user in message boxes, all titled "Zv系列软件".
// The program shows real message boxes; tests answer from a script and record what was asked.
class Prompt
{
public:
    // The answer codes of the message boxes.
    enum class Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

    static QString title();

    virtual ~Prompt() = default;
    // Refused input: exclamation icon, OK.
    virtual void warn(QWidget *parent, const QString &text) = 0;
    // Results and notices: information icon, OK.
    virtual void inform(QWidget *parent, const QString &text) = 0;
    // Question: information icon, Yes and No.
    virtual Answer askYesNo(QWidget *parent, const QString &text) = 0;
    // Question: information icon, Yes, No and Cancel.
    virtual Answer askYesNoCancel(QWidget *parent, const QString &text) = 0;
};

class MessageBoxPrompt : public Prompt
{
public:
    void warn(QWidget *parent, const QString &text) override;
    void inform(QWidget *parent, const QString &text) override;
    Answer askYesNo(QWidget *parent, const QString &text) override;
    Answer askYesNoCancel(QWidget *parent, const QString &text) override;
};
