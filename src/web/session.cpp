#include "web/session.h"

#include "config/deployment.h"

#include <algorithm>

#include <QDateTime>
#include <QNetworkRequest>
#include <QUrl>

namespace {

const QByteArray pSkey = QByteArrayLiteral("p_skey");
const QByteArray skey = QByteArrayLiteral("skey");

qint64 now()
{
    return QDateTime::currentSecsSinceEpoch();
}

bool isInSite(const QString &domain)
{
    const QString site = QLatin1String(Deployment::sessionSite);
    return domain == site || domain.endsWith(QLatin1Char('.') + site);
}

// A path "/a/b" takes in "/a/b", "/a/b/c" and "/a/b?x", never "/a/bc".
bool pathMatches(const QString &cookiePath, const QString &requestPath)
{
    if (!requestPath.startsWith(cookiePath))
        return false;
    return requestPath.size() == cookiePath.size() || cookiePath.endsWith(QLatin1Char('/'))
            || requestPath.at(cookiePath.size()) == QLatin1Char('/');
}

// The value of the first cookie named `name` that `wanted` accepts.
template<typename Wanted>
std::optional<QByteArray> firstValue(const QList<SessionCookie> &cookies, const QByteArray &name,
                                     Wanted wanted)
{
    for (const SessionCookie &cookie : cookies) {
        if (cookie.name == name && !cookie.value.isEmpty() && wanted(cookie))
            return cookie.value;
    }
    return std::nullopt;
}

} // namespace

bool SessionCookie::matches(const QUrl &url, qint64 now) const
{
    if (isExpired(now))
        return false;
    if (secure && url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)
        return false;
    const QString host = url.host().toLower();
    const bool domainMatches
            = host == domain || (includeSubdomains && host.endsWith(QLatin1Char('.') + domain));
    if (!domainMatches)
        return false;
    QString requestPath = url.path(QUrl::FullyEncoded);
    if (requestPath.isEmpty())
        requestPath = QStringLiteral("/");
    return pathMatches(path.isEmpty() ? QStringLiteral("/") : path, requestPath);
}

std::optional<Session> Session::fromCookies(const QList<SessionCookie> &cookies,
                                            const QString &source, QString *error)
{
    Session session;
    session.m_source = source;
    const qint64 at = now();
    for (SessionCookie cookie : cookies) {
        cookie.domain = cookie.domain.toLower();
        if (cookie.domain.startsWith(QLatin1Char('.')))
            cookie.domain.remove(0, 1);
        if (cookie.isExpired(at) || !isInSite(cookie.domain))
            continue;
        // The same cookie twice: the later line wins, as a browser would have overwritten it.
        session.m_cookies.removeIf([&cookie](const SessionCookie &elder) {
            return elder.name == cookie.name && elder.domain == cookie.domain
                    && elder.path == cookie.path
                    && elder.includeSubdomains == cookie.includeSubdomains;
        });
        session.m_cookies.append(cookie);
    }
    const auto any = [](const SessionCookie &) { return true; };
    if (!firstValue(session.m_cookies, pSkey, any) && !firstValue(session.m_cookies, skey, any)) {
        if (error)
            *error = tr("no QZone session in %1").arg(source);
        return std::nullopt;
    }
    return session;
}

QByteArray Session::cookieHeaderFor(const QUrl &url) const
{
    const qint64 at = now();
    QList<const SessionCookie *> sent;
    for (const SessionCookie &cookie : m_cookies) {
        if (cookie.matches(url, at))
            sent.append(&cookie);
    }
    // The more specific path first, as browsers order them.
    std::stable_sort(sent.begin(), sent.end(), [](const SessionCookie *a, const SessionCookie *b) {
        return a->path.size() > b->path.size();
    });
    QByteArray header;
    for (const SessionCookie *cookie : sent) {
        if (!header.isEmpty())
            header += "; ";
        header += cookie->name + '=' + cookie->value;
    }
    return header;
}

quint32 Session::gtkFor(const QUrl &url) const
{
    const qint64 at = now();
    const auto sent = [&url, at](const SessionCookie &cookie) { return cookie.matches(url, at); };
    const auto any = [](const SessionCookie &) { return true; };
    std::optional<QByteArray> key = firstValue(m_cookies, pSkey, sent);
    if (!key)
        key = firstValue(m_cookies, skey, sent);
    if (!key)
        key = firstValue(m_cookies, pSkey, any);
    if (!key)
        key = firstValue(m_cookies, skey, any);
    return gtkOf(key.value_or(QByteArray()));
}

quint32 Session::gtkOf(const QByteArray &key)
{
    // The services' own token. Unsigned arithmetic wraps exactly as their 32-bit one does.
    constexpr quint32 start = 5381;
    constexpr int shift = 5; // h += h * 32 + c: h * 33 + c
    constexpr quint32 low31Bits = 0x7fffffffu;
    quint32 h = start;
    for (const QChar c : QString::fromUtf8(key))
        h += (h << shift) + c.unicode();
    return h & low31Bits;
}

QString Session::ownNumber() const
{
    const auto any = [](const SessionCookie &) { return true; };
    std::optional<QByteArray> uin = firstValue(m_cookies, QByteArrayLiteral("p_uin"), any);
    if (!uin)
        uin = firstValue(m_cookies, QByteArrayLiteral("uin"), any);
    if (!uin)
        return {};
    QByteArray digits = *uin;
    if (digits.startsWith('o') || digits.startsWith('O'))
        digits.remove(0, 1);
    while (digits.size() > 1 && digits.startsWith('0'))
        digits.remove(0, 1);
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return {};
    }
    return QString::fromLatin1(digits);
}

QString Session::describe() const
{
    QStringList domains;
    for (const SessionCookie &cookie : m_cookies) {
        const QString shown
                = (cookie.includeSubdomains ? QStringLiteral(".") : QString()) + cookie.domain;
        if (!domains.contains(shown))
            domains.append(shown);
    }
    const QString where = domains.join(QStringLiteral(", "));
    return m_cookies.size() == 1 ? tr("1 cookie for %1").arg(where)
                                 : tr("%1 cookies for %2").arg(m_cookies.size()).arg(where);
}

QList<SessionCookie> Session::withoutValues() const
{
    QList<SessionCookie> cookies = m_cookies;
    for (SessionCookie &cookie : cookies)
        cookie.value.clear();
    return cookies;
}

void applySession(QNetworkRequest &request, const Session &session)
{
    // A null value takes a header away: a redirect to a host the cookies are not for must not
    // carry the previous hop's.
    const QByteArray cookies = session.cookieHeaderFor(request.url());
    request.setRawHeader("Cookie", cookies.isEmpty() ? QByteArray() : cookies);
}
