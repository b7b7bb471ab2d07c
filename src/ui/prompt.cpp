#include "ui/prompt.h"

#include <utility>

#include <QAbstractButton>
#include <QMessageBox>

QString Prompt::title()
{
    return QStringLiteral("Zv系列软件");
}

namespace {
Prompt::Answer show(QWidget *parent, QMessageBox::Icon icon, const QString &text,
                    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton escape)
{
    QMessageBox box(icon, Prompt::title(), text, buttons, parent);
    // The buttons read as the program's own texts do, whatever the locale; Qt's catalogue
    // would add a mnemonic ("是(&Y)").
    const std::pair<QMessageBox::StandardButton, const char16_t *> captions[] = {
            {QMessageBox::Ok, u"确定"},
            {QMessageBox::Yes, u"是"},
            {QMessageBox::No, u"否"},
            {QMessageBox::Cancel, u"取消"},
    };
    for (const auto &[which, caption] : captions) {
        if (QAbstractButton *button = box.button(which))
            button->setText(QString::fromUtf16(caption));
    }
    // Enter answers 确定 or 是 on every desktop. Left to Qt, the default is the first button in
    // the platform's order, which on GNOME is 否 or 取消.
    box.setDefaultButton(buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok);
    box.setEscapeButton(escape);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Prompt::Answer::Yes;
    case QMessageBox::No:
        return Prompt::Answer::No;
    case QMessageBox::Ok:
        return Prompt::Answer::Ok;
    default:
        return Prompt::Answer::Cancel;
    }
}
} // namespace

void MessageBoxPrompt::warn(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBoxPrompt::inform(QWidget *parent, const QString &text)
{
    show(parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

Prompt::Answer MessageBoxPrompt::askYesNo(QWidget *parent, const QString &text)
{
    return show(parent, QMessageBox::Information, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No);
}

Prompt::Answer MessageBoxPrompt::askYesNoCancel(QWidget *parent, const QString &text)
{
    return show(parent, QMessageBox::Information, text,
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
}
