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
    // Profiles are looked for in `configHome`/mozilla/firefox (empty: the user's, see
    // userConfigHome), then in the older places under `home`.
    static SessionLoad readSession(const QString &browser, const QString &home = QDir::homePath(),
                                   const QString &configHome = {});

    // The folder of the profile `name` (empty: the default one); empty and `error` set, naming
    // every folder searched, when there is none.
    static QString findProfile(const QString &name, const QString &home, const QString &configHome,
                               QString *error);
    // $XDG_CONFIG_HOME, or `home`/.config when that is not set.
    static QString userConfigHome(const QString &home);
};
