#pragma once

#include <memory>
#include <optional>

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

class QNetworkRequest;
class QUrl;

// One cookie of a signed-in session, as a cookies file or a browser profile keeps it.
struct SessionCookie
{
    QString domain; // lower case, without a leading dot
    bool includeSubdomains = false; // false: sent to `domain` itself only
    QString path = QStringLiteral("/");
    bool secure = false; // https only
    bool httpOnly = false;
    qint64 expires = 0; // Unix seconds; 0: a cookie that lasts as long as the browser session
    QByteArray name;
    QByteArray value;

    bool operator==(const SessionCookie &other) const = default;

    bool isExpired(qint64 now) const { return expires != 0 && expires <= now; }
    // Whether a request for `url` at `now` carries this cookie: domain, path, secure, expiry.
    bool matches(const QUrl &url, qint64 now) const;
};

// The user's own signed-in session on the services: the cookies of the session site, kept as
// the secret they are. Nothing here prints, logs or describes a cookie's value; the class has
// no way to show one.
class Session
{
    Q_DECLARE_TR_FUNCTIONS(Session)
public:
    // The session's cookies of the session site (other sites' and expired ones are left out).
    // Fails with "no QZone session in SOURCE" when neither p_skey nor skey is among them.
    static std::optional<Session> fromCookies(const QList<SessionCookie> &cookies,
                                              const QString &source, QString *error);

    // The value of a Cookie header for `url` by the cookie rules; empty when none applies.
    QByteArray cookieHeaderFor(const QUrl &url) const;
    // The g_tk token for a request to `url`: from the p_skey it carries, else its skey; when it
    // carries neither, from the session's own p_skey or skey.
    quint32 gtkFor(const QUrl &url) const;
    // h = 5381; h += (h << 5) + c for each UTF-16 unit c; the low 31 bits.
    static quint32 gtkOf(const QByteArray &key);

    // The signed-in user's own QQ number, from the p_uin or uin cookie ("o0012345" is 12345);
    // empty when the session holds neither.
    QString ownNumber() const;

    // Where the session came from (a file, a profile's database), for messages.
    const QString &source() const { return m_source; }
    // What the session holds without any value: "4 cookies for .qq.com".
    QString describe() const;
    // The session's cookies with their values left out.
    QList<SessionCookie> withoutValues() const;

    bool operator==(const Session &other) const { return m_cookies == other.m_cookies; }

private:
    QList<SessionCookie> m_cookies; // in the order read; a later duplicate replaced its elder
    QString m_source;
};

// What reading a session brought: a session, or why there is none. Problems that did not stop
// the reading (a malformed line) are in `warnings`; none of them quotes a value.
struct SessionLoad
{
    std::shared_ptr<const Session> session;
    QString error;
    QStringList warnings;
};

// Puts the session on `request` for its address: the Cookie header by the cookie rules (none
// when no cookie applies). Called again for every redirect.
void applySession(QNetworkRequest &request, const Session &session);
