#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The numbers to look up, each checked by the window's rule.
struct LookupInput
{
    struct Refusal
    {
        QString origin; // "line 3", "argument 2"
        QString text;
        QString reason; // the window's message
    };

    QStringList numbers; // accepted, in the order given
    QList<Refusal> refused;

    // Numbers given on the command line, every one of them checked.
    static LookupInput fromArguments(const QStringList &arguments);
    // One number per line; blank lines and lines starting with "#" are skipped. Line ends
    // (LF or CRLF) are not part of the number; any other blank is.
    static LookupInput fromLines(const QByteArray &text);
};
