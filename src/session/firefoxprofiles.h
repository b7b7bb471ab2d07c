#pragma once

#include <QString>

// Where Firefox keeps its profiles, and which one is meant.
class FirefoxProfiles
{
public:
    // The folder of the profile `name` (empty: the default one of profiles.ini; a path: that
    // folder), looked for in `configHome`/mozilla/firefox, then in the older places under `home`
    // (the home folder's, the Snap's, the Flatpak's). Empty and `error` set, naming every
    // folder searched, when there is none.
    static QString find(const QString &name, const QString &home, const QString &configHome,
                        QString *error);
    // $XDG_CONFIG_HOME, or `home`/.config when that is not set.
    static QString userConfigHome(const QString &home);
};
