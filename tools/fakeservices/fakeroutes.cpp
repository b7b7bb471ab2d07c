#include "fakeservices/fakeroutes.h"

#include <QUrl>

namespace FakeRoutes {

namespace {

// The query without the items named in `ignored`, the others in their order.
QString queryWithout(const QString &query, const QStringList &ignored)
{
    if (ignored.isEmpty())
        return query;
    QStringList kept;
    for (const QString &item : query.split(QLatin1Char('&'))) {
        if (!ignored.contains(item.section(QLatin1Char('='), 0, 0)))
            kept.append(item);
    }
    return kept.join(QLatin1Char('&'));
}

// Path and query are compared percent-decoded, so a route written with plain characters
// matches what a client sent encoded.
RouteKeys keysFor(const QString &host, const QUrl &pathAndQuery, const QStringList &ignored)
{
    QString path = pathAndQuery.path(QUrl::FullyDecoded);
    if (path.isEmpty())
        path = QStringLiteral("/");
    QString query;
    if (pathAndQuery.hasQuery()) {
        const QString whole = pathAndQuery.query(QUrl::FullyDecoded);
        const QString kept = queryWithout(whole, ignored);
        // A query of ignored items alone is no query at all.
        if (!kept.isEmpty() || whole.isEmpty())
            query = QLatin1Char('?') + kept;
    }
    return {host + path + query, host + path, path + query, path};
}

} // namespace

RouteKeys keysFor(const RecordedRequest &request, const QStringList &ignored)
{
    return keysFor(QString::fromLatin1(request.host), request.url, ignored);
}

bool takeHttpsOnly(QString &key)
{
    if (!key.startsWith(httpsOnly))
        return false;
    key.remove(0, httpsOnly.size());
    return true;
}

bool isHttps(const RecordedRequest &request)
{
    return request.url.scheme() == QLatin1String("https");
}

QString routeKey(const QString &route, const QStringList &ignored)
{
    QString rest = route.trimmed();
    QString prefix;
    if (rest.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)) {
        rest = rest.mid(7);
    } else if (rest.startsWith(httpsOnly, Qt::CaseInsensitive)) {
        rest = rest.mid(httpsOnly.size());
        prefix = httpsOnly;
    }
    QString host;
    if (!rest.startsWith(QLatin1Char('/'))) {
        const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        host = slash < 0 ? rest : rest.left(slash);
        rest = slash < 0 ? QStringLiteral("/") : rest.mid(slash);
        host = host.section(QLatin1Char(':'), 0, 0).toLower();
    }
    return prefix
            + keysFor(host, QUrl(QStringLiteral("http://route") + rest), ignored).hostPathQuery;
}

QStringList wildcardItems(const QString &route)
{
    const qsizetype query = route.indexOf(QLatin1Char('?'));
    QStringList names;
    if (query < 0)
        return names;
    for (const QString &item : route.mid(query + 1).split(QLatin1Char('&'))) {
        if (item.section(QLatin1Char('='), 1) == QLatin1String("*"))
            names.append(item.section(QLatin1Char('='), 0, 0));
    }
    return names;
}

} // namespace FakeRoutes
