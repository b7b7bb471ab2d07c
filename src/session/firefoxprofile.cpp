#include "session/firefoxprofile.h"

#include "config/deployment.h"
#include "session/sessionchecks.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

namespace {

const QString cookiesDatabase = QStringLiteral("cookies.sqlite");
const QString writeAheadLog = QStringLiteral("-wal");

// Where Firefox keeps its profiles, under the home folder: the older releases, the Snap and the
// Flatpak. Newer releases keep them in the user's configuration folder.
const char *const firefoxRoots[] = {
        ".mozilla/firefox",
        "snap/firefox/common/.mozilla/firefox",
        ".var/app/org.mozilla.firefox/.mozilla/firefox",
};
const QString configRoot = QStringLiteral("mozilla/firefox");

// Every SQLite database begins so.
const QByteArray sqliteHeader = QByteArrayLiteral("SQLite format 3");

const QStringList chromiumNames = {
        QStringLiteral("chromium"), QStringLiteral("chrome"), QStringLiteral("google-chrome"),
        QStringLiteral("brave"),    QStringLiteral("edge"),   QStringLiteral("opera"),
        QStringLiteral("vivaldi"),
};

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

// Firefox writes seconds; some versions write milliseconds. No cookie lives to the year 5000.
qint64 expirySeconds(qint64 stored)
{
    constexpr qint64 yearFiveThousand = 100'000'000'000;
    return stored > yearFiveThousand ? stored / 1000 : stored;
}

// The columns of the query below, in its order.
enum Column { Host, Path, IsSecure, Expiry, Name, Value, IsHttpOnly };

SessionCookie cookieOf(const QSqlQuery &row)
{
    SessionCookie cookie;
    const QString host = row.value(Host).toString();
    // A leading dot is a cookie for the domain and its subdomains.
    cookie.includeSubdomains = host.startsWith(QLatin1Char('.'));
    cookie.domain = cookie.includeSubdomains ? host.mid(1) : host;
    cookie.path = row.value(Path).toString();
    cookie.secure = row.value(IsSecure).toInt() != 0;
    cookie.expires = expirySeconds(row.value(Expiry).toLongLong());
    cookie.name = row.value(Name).toString().toUtf8();
    cookie.value = row.value(Value).toString().toUtf8();
    cookie.httpOnly = row.value(IsHttpOnly).toInt() != 0;
    return cookie;
}

// The session site's cookies in moz_cookies; empty and `error` set when they cannot be read.
std::optional<QList<SessionCookie>> queryCookies(QSqlDatabase &db, QString *error)
{
    if (!db.open()) {
        *error = db.lastError().text();
        return std::nullopt;
    }
    if (!db.tables().contains(QStringLiteral("moz_cookies"))) {
        *error = {};
        return std::nullopt;
    }
    // Only the normal browsing context's cookies: containers and partitioned third-party
    // cookies have attributes of their own.
    const bool attributes
            = db.record(QStringLiteral("moz_cookies")).contains(QStringLiteral("originAttributes"));
    QSqlQuery query(db);
    const QString site = QLatin1String(Deployment::sessionSite);
    if (!query.prepare(QStringLiteral("SELECT host, path, isSecure, expiry, name, value, "
                                      "isHttpOnly FROM moz_cookies WHERE (host = ? OR host LIKE ?)")
                       + (attributes ? QStringLiteral(" AND originAttributes = ''") : QString()))) {
        *error = query.lastError().text();
        return std::nullopt;
    }
    query.addBindValue(site);
    query.addBindValue(QStringLiteral("%.") + site);
    if (!query.exec()) {
        *error = query.lastError().text();
        return std::nullopt;
    }
    QList<SessionCookie> cookies;
    while (query.next())
        cookies.append(cookieOf(query));
    return cookies;
}

// The cookies in the database file `database`; `shown` names it in messages.
std::optional<QList<SessionCookie>> readCookies(const QString &database, const QString &shown,
                                                QString *error)
{
    const QString connection = QStringLiteral("firefox-cookies-%1").arg(quintptr(&database));
    std::optional<QList<SessionCookie>> cookies;
    QString why;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        if (db.isValid()) {
            db.setDatabaseName(database);
            cookies = queryCookies(db, &why);
        } else {
            why = FirefoxProfile::tr("Qt's SQLite driver is missing (Debian: libqt6sql6-sqlite)");
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (!cookies && why.isEmpty())
        *error = FirefoxProfile::tr("%1 is not a Firefox cookie database").arg(shown);
    else if (!cookies)
        *error = FirefoxProfile::tr("cannot read the cookies in %1: %2").arg(shown, why);
    return cookies;
}

} // namespace

QString FirefoxProfile::findProfile(const QString &name, const QString &home,
                                    const QString &configHome, QString *error)
{
    if (name.contains(QLatin1Char('/'))) {
        if (QFileInfo(name).isDir())
            return name;
        *error = tr("no Firefox profile folder %1").arg(name);
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
        *error = tr("no Firefox profiles found (no profiles.ini in %1)")
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
        *error = tr("no Firefox profile named %1 in %2").arg(name, ini);
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
    *error = tr("%1 names no default profile: say which one with firefox:PROFILE").arg(ini);
    return {};
}

QString FirefoxProfile::userConfigHome(const QString &home)
{
    const QString set = qEnvironmentVariable("XDG_CONFIG_HOME");
    return QDir::isAbsolutePath(set) ? set : QDir(home).filePath(QStringLiteral(".config"));
}

SessionLoad FirefoxProfile::readSession(const QString &browser, const QString &home,
                                        const QString &configHome)
{
    SessionLoad load;
    const QString kind = browser.section(QLatin1Char(':'), 0, 0).toLower();
    const QString name = browser.section(QLatin1Char(':'), 1);
    if (chromiumNames.contains(kind)) {
        load.error = tr("%1 keeps its cookies encrypted and is not supported yet: export a "
                        "cookies.txt with a browser add-on and use --cookies")
                             .arg(kind);
        return load;
    }
    if (kind != QLatin1String("firefox")) {
        load.error = tr("unknown browser %1: firefox is the one supported").arg(kind);
        return load;
    }

    const QString profile = findProfile(
            name, home, configHome.isEmpty() ? userConfigHome(home) : configHome, &load.error);
    if (profile.isEmpty())
        return load;
    const QString original = QDir(profile).filePath(cookiesDatabase);
    QFile header(original);
    if (!header.open(QIODevice::ReadOnly)) {
        load.error = tr("no %1 in the Firefox profile %2").arg(cookiesDatabase, profile);
        return load;
    }
    // SQLite would make an empty file a database, and name anything else in its own words.
    if (!header.read(sqliteHeader.size()).startsWith(sqliteHeader)) {
        load.error = tr("%1 is not a Firefox cookie database").arg(original);
        return load;
    }
    header.close();

    // Private to this user while it exists, and gone with everything in it afterwards.
    QTemporaryDir copy;
    if (!copy.isValid()
        || !QFile::setPermissions(copy.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        load.error = tr("cannot make a private temporary folder");
        return load;
    }
    const QString database = copy.filePath(cookiesDatabase);
    // The log holds the newest cookies until Firefox folds it into the database.
    const bool copied = QFile::copy(original, database)
            && (!QFileInfo::exists(original + writeAheadLog)
                || QFile::copy(original + writeAheadLog, database + writeAheadLog));
    if (!copied) {
        load.error = tr("cannot copy %1").arg(original);
        return load;
    }
    const std::optional<QList<SessionCookie>> cookies
            = readCookies(database, original, &load.error);
    if (!cookies)
        return load;
    return SessionChecks::usable(*cookies, original);
}
