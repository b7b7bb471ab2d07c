#pragma once

#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QStringList>

struct LookupOptions;
class Session;

// What mirelo-lookup reads before its first lookup: the user's session and the authorities it
// is told to trust. What the user named and cannot be had is an error; the default cookies
// file is taken when it is there and, when it cannot be used, only a warning.
struct LookupSetup
{
    Q_DECLARE_TR_FUNCTIONS(LookupSetup)

public:
    std::shared_ptr<const Session> session;
    // What to say when the services refuse the session.
    QString sessionRefusal;
    QList<QSslCertificate> authorities;
    QStringList warnings; // a line each on standard error
    QString error; // set: nothing is looked up (exit status 2)

    // `defaultCookies` is read when the options name no session.
    static LookupSetup read(const LookupOptions &options, const QString &defaultCookies,
                            const QString &home = QDir::homePath());
};
