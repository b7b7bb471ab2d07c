#include "session/firefoxprofile.h"

#include "config/deployment.h"
#include "session/firefoxprofiles.h"
#include "session/sessionchecks.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

namespace {

const QString cookiesDatabase = QStringLiteral("cookies.sqlite");
const QString writeAheadLog = QStringLiteral("-wal");

// Every SQLite database begins so.
const QByteArray sqliteHeader = QByteArrayLiteral("SQLite format 3");

const QStringList chromiumNames = {
        QStringLiteral("chromium"), QStringLiteral("chrome"), QStringLiteral("google-chrome"),
        QStringLiteral("brave"),    QStringLiteral("edge"),   QStringLiteral("opera"),
        QStringLiteral("vivaldi"),
};

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

    const QString profile = FirefoxProfiles::find(
            name, home, configHome.isEmpty() ? FirefoxProfiles::userConfigHome(home) : configHome,
            &load.error);
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
