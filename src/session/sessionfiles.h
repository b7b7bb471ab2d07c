#pragma once

#include "web/session.h"

#include <QCoreApplication>
#include <QString>

// Where both programs keep the user's session, and how they take it at start.
class SessionFiles
{
    Q_DECLARE_TR_FUNCTIONS(SessionFiles)
public:
    // $XDG_CONFIG_HOME/Mirelo/cookies.txt, ~/.config/Mirelo/cookies.txt when that is not set.
    static QString defaultPath();
    // The session in the default file, when there is one. A file there that cannot be used is
    // no reason to stop: its reason is `error`, and also a warning ending "; looking up without
    // a session". No file at all is neither.
    static SessionLoad readDefault(const QString &path = defaultPath());
};
