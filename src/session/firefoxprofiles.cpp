#include "session/firefoxprofiles.h"

#include "session/firefoxprofile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>

namespace {

// Where Firefox keeps its profiles, under the home folder: the older releases, the Snap and the
// Flatpak. Newer releases keep them in the user's configuration folder.
const char *const firefoxRoots[] = {
        ".mozilla/firefox",
        "snap/firefox/common/.mozilla/firefox",
        ".var/app/org.mozilla.firefox/.mozilla/firefox",
};
const QString configRoot = QStringLiteral("mozilla/firefox");

struct IniSection
{
    QString name;
    QHash<QString, QString> values;
};

// profiles.ini is a plain ini file; QSettings would read a Path with a comma as a list.
QList<IniSection> readIni(const QString &path)
{
    QList<IniSection> sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sections;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            sections.append({line.mid(1, line.size() - 2), {}});
        } else if (const qsizetype equals = line.indexOf(QLatin1Char('='));
                   equals > 0 && !sections.isEmpty()) {
            sections.last().values.insert(line.left(equals).trimmed(),
                                          line.mid(equals + 1).trimmed());
        }
    }
    return sections;
}

QString profileFolder(const QDir &root, const IniSection &profile)
{
    const QString path = profile.values.value(QStringLiteral("Path"));
    return profile.values.value(QStringLiteral("IsRelative")) == QLatin1String("1")
            ? root.filePath(path)
            : path;
}

} // namespace

QString FirefoxProfiles::find(const QString &name, const QString &home, const QString &configHome,
                              QString *error)
{
    if (name.contains(QLatin1Char('/'))) {
        if (QFileInfo(name).isDir())
            return name;
        *error = FirefoxProfile::tr("no Firefox profile folder %1").arg(name);
        return {};
    }
    QStringList searched = {QDir(configHome).filePath(configRoot)};
    for (const char *candidate : firefoxRoots)
        searched.append(QDir(home).filePath(QLatin1String(candidate)));
    QDir root;
    QString ini;
    for (const QString &candidate : std::as_const(searched)) {
        root = QDir(candidate);
        ini = root.filePath(QStringLiteral("profiles.ini"));
        if (QFileInfo::exists(ini))
            break;
        ini.clear();
    }
    if (ini.isEmpty()) {
        *error = FirefoxProfile::tr("no Firefox profiles found (no profiles.ini in %1)")
                         .arg(searched.join(QStringLiteral(", ")));
        return {};
    }

    const QList<IniSection> sections = readIni(ini);
    QList<IniSection> profiles;
    for (const IniSection &section : sections) {
        if (section.name.startsWith(QLatin1String("Profile")))
            profiles.append(section);
    }
    if (!name.isEmpty()) {
        for (const IniSection &profile : profiles) {
            if (profile.values.value(QStringLiteral("Name")) == name
                || QFileInfo(profile.values.value(QStringLiteral("Path"))).fileName() == name)
                return profileFolder(root, profile);
        }
        *error = FirefoxProfile::tr("no Firefox profile named %1 in %2").arg(name, ini);
        return {};
    }
    // The profile this Firefox installation starts with, then the one marked as the default.
    for (const IniSection &section : sections) {
        const QString path = section.values.value(QStringLiteral("Default"));
        if (section.name.startsWith(QLatin1String("Install")) && !path.isEmpty())
            return QDir::isAbsolutePath(path) ? path : root.filePath(path);
    }
    for (const IniSection &profile : profiles) {
        if (profile.values.value(QStringLiteral("Default")) == QLatin1String("1"))
            return profileFolder(root, profile);
    }
    if (profiles.size() == 1)
        return profileFolder(root, profiles.first());
    *error = FirefoxProfile::tr("%1 names no default profile: say which one with firefox:PROFILE")
                     .arg(ini);
    return {};
}

QString FirefoxProfiles::userConfigHome(const QString &home)
{
    const QString set = qEnvironmentVariable("XDG_CONFIG_HOME");
    return QDir::isAbsolutePath(set) ? set : QDir(home).filePath(QStringLiteral(".config"));
}
