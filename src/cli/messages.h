#pragma once

#include <QCoreApplication>
#include <QString>

// What mirelo-lookup says on standard error, each message in one place.
class Messages
{
    Q_DECLARE_TR_FUNCTIONS(Messages)
public:
    // "mirelo-lookup: TEXT" and its line end, as every message of the program's own is said.
    static QString line(const QString &text);

    // `error` an errno.
    static QString cannotWriteResults(int error);
    static QString cannotReadNumbers(const QString &why);
};
