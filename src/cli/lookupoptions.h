#pragma once

#include "cli/lookupbatch.h"
#include "cli/resultformats.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What the command line asks for.
struct LookupOptions
{
    Q_DECLARE_TR_FUNCTIONS(LookupOptions)

public:
    enum class Action {
        Run,
        Help,
        Version,
        UsageError,
        SignIn, // --sign-in: a session into the cookies file, by QR code
        SignOut, // --sign-out: the cookies file deleted
        CheckSession, // --check-session: what the session would send where
    };

    Action action = Action::Run;
    QString error; // for UsageError
    // Unset: table when the output is a terminal, json otherwise.
    std::optional<OutputFormat> format;
    // Unset: the defaults, which a session makes gentler (see LookupProgram).
    std::optional<int> parallel;
    std::optional<int> intervalMs;
    QString cookiesFile; // --cookies
    QString cookiesBrowser; // --cookies-from-browser: "firefox" or "firefox:PROFILE"
    QStringList caCertificates; // --ca-certificate, each a file of authorities to trust
    QStringList numbers; // none: read them from standard input

    // `arguments` as in QCoreApplication::arguments(), the program's name first.
    static LookupOptions parse(const QStringList &arguments);
    static QString helpText();
    // The lines that report a usage error.
    static QString usageErrorText(const QString &error);
    // "mirelo-lookup 6.0.0.585": the project's one version.
    static QString versionText();
};
