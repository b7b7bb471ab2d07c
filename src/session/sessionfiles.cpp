#include "session/sessionfiles.h"

#include "session/cookiesfile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString SessionFiles::defaultPath()
{
    // The generic folder: the window and mirelo-lookup have different application names, and
    // share the one file.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("Mirelo/cookies.txt"));
}

SessionLoad SessionFiles::readDefault(const QString &path)
{
    // A link to a missing file is a problem to tell, not a missing file.
    if (!QFileInfo(path).isSymLink() && !QFileInfo::exists(path))
        return {};
    SessionLoad load = CookiesFile::read(path);
    if (!load.error.isEmpty())
        load.warnings.append(tr("%1; looking up without a session").arg(load.error));
    return load;
}
