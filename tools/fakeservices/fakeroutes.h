#pragma once

#include "fakeservices/fakeresponse.h"

#include <QString>
#include <QStringList>

// How FakeServices matches a request to its routes: both turn into keys of the same form,
// path and query percent-decoded, the query without the items left out of the comparison.
namespace FakeRoutes {

// A request's keys, from the most specific to the least.
struct RouteKeys
{
    QString hostPathQuery, hostPath, pathQuery, path;

    QStringList inOrder() const { return {hostPathQuery, hostPath, pathQuery, path}; }
};

// The prefix a route's key keeps when it answers requests over TLS only.
inline const QString httpsOnly = QStringLiteral("https://");
// Takes the prefix off `key`; whether it had one.
bool takeHttpsOnly(QString &key);

RouteKeys keysFor(const RecordedRequest &request, const QStringList &ignored);
bool isHttps(const RecordedRequest &request);
// "host/path?query", "host/path", "/path?query" or "/path". An "http://" in front is ignored;
// an "https://" stays in the key, which then matches requests over TLS only.
QString routeKey(const QString &route, const QStringList &ignored);
// The names of a route's query items whose value is "*", which match any value.
QStringList wildcardItems(const QString &route);

} // namespace FakeRoutes
