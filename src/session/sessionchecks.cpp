#include "session/sessionchecks.h"

#include "config/deployment.h"
#include "query/addresses.h"
#include "query/services.h"

#include <algorithm>

#include <QDate>
#include <QDateTime>
#include <QUrl>

namespace {

bool isInSite(const QString &domain)
{
    const QString site = QLatin1String(Deployment::sessionSite);
    return domain == site || domain.endsWith(QLatin1Char('.') + site);
}

// The latest expiry of the site's cookies named `name` when all of them have expired at
// `now`; 0 when one is still valid or there is none.
qint64 expiredAt(const QList<SessionCookie> &cookies, const QByteArray &name, qint64 now,
                 bool *present)
{
    qint64 latest = 0;
    bool valid = false;
    for (const SessionCookie &cookie : cookies) {
        QString domain = cookie.domain;
        if (domain.startsWith(QLatin1Char('.')))
            domain.remove(0, 1);
        if (cookie.name != name || !isInSite(domain.toLower()))
            continue;
        *present = true;
        if (cookie.isExpired(now))
            latest = std::max(latest, cookie.expires);
        else
            valid = true;
    }
    return valid ? 0 : latest;
}

// "qq.com", ".qq.com" (with its subdomains) or "qzone.qq.com/cgi-bin" (a path of its own).
QString whereItGoes(const SessionCookie &cookie)
{
    const QString path
            = cookie.path.isEmpty() || cookie.path == QLatin1String("/") ? QString() : cookie.path;
    return (cookie.includeSubdomains ? QStringLiteral(".") : QString()) + cookie.domain + path;
}

} // namespace

SessionLoad SessionChecks::usable(const QList<SessionCookie> &cookies, const QString &source)
{
    SessionLoad load;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    // Today's services need p_skey; skey does only where there is none. An expired key is
    // not sent at all: the services would only refuse it.
    bool hasPSkey = false;
    bool hasSkey = false;
    qint64 expired = expiredAt(cookies, QByteArrayLiteral("p_skey"), now, &hasPSkey);
    if (!hasPSkey)
        expired = expiredAt(cookies, QByteArrayLiteral("skey"), now, &hasSkey);
    if ((hasPSkey || hasSkey) && expired != 0) {
        const QString date = QDateTime::fromSecsSinceEpoch(expired).toString(
                QStringLiteral("yyyy-MM-dd HH:mm"));
        load.error = tr("the session in %1 expired on %2: sign in again").arg(source, date);
        return load;
    }
    std::optional<Session> session = Session::fromCookies(cookies, source, &load.error);
    if (!session)
        return load;

    bool reachesOne = false;
    QStringList domains;
    for (const CookieReach &reach : reachOf(*session)) {
        reachesOne = reachesOne || !reach.services.isEmpty();
        if (!domains.contains(whereItGoes(reach.cookie)))
            domains.append(whereItGoes(reach.cookie));
    }
    if (!reachesOne) {
        load.error = tr("the cookies in %1 reach none of the services: they are for %2")
                             .arg(source, domains.join(QStringLiteral(", ")));
        return load;
    }
    load.session = std::make_shared<const Session>(std::move(*session));
    return load;
}

QList<CookieReach> SessionChecks::reachOf(const Session &session, const QString &qq)
{
    const QString self = session.ownNumber();
    const AddressContext context {self.isEmpty() ? qq : self, self, QDate::currentDate().year()};
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QList<CookieReach> reaches;
    for (const SessionCookie &cookie : session.withoutValues()) {
        CookieReach reach {cookie, {}};
        for (const ServiceRow &row : serviceTable()) {
            // As the query asks it: over https, its g_tk beside.
            const QUrl address(Addresses::signedIn(row.currentAddress(context), 0));
            if (cookie.matches(address, now))
                reach.services.append(row.service);
        }
        reaches.append(reach);
    }
    return reaches;
}
