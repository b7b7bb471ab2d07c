#pragma once

#include "web/session.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>

// The signed-in session a browser keeps, read straight from its profile. Firefox only:
// Chromium-based browsers encrypt their cookies with a key from the desktop's keyring.
class FirefoxProfile
{
    Q_DECLARE_TR_FUNCTIONS(FirefoxProfile)
public:
    // `browser` is "firefox" (the default profile of profiles.ini) or "firefox:PROFILE" (a
    // profile's name there, or a profile's folder). The cookies database is copied, with its
    // write-ahead log, to a private temporary folder and read there: a running Firefox keeps
    // its own locked. The same cookies in a cookies.txt give the same session.
    // Profiles are looked for in `configHome`/mozilla/firefox (empty: the user's), then in the
    // older places under `home` (see FirefoxProfiles).
    static SessionLoad readSession(const QString &browser, const QString &home = QDir::homePath(),
                                   const QString &configHome = {});
};
