#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

struct LookupSetup;

// mirelo-lookup --check-session: the session a lookup would use, cookie by cookie, its name,
// when it expires and the services it is sent to. Never a value.
struct SessionReport
{
    Q_DECLARE_TR_FUNCTIONS(SessionReport)

public:
    QString text; // for standard output
    QStringList said; // a line each on standard error
    int exitStatus = 1; // 0 when a lookup would be signed in

    // `defaultPath` is where the session is looked for when the options named none.
    static SessionReport of(const LookupSetup &setup, const QString &defaultPath);
};
