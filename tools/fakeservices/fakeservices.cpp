#include "fakeservices/fakeservices.h"

#include "fakeservices/fakeconnection.h"

#include <QPointer>
#include <QSslSocket>
#include <QTcpServer>

namespace {

FakeResponse defaultFallback()
{
    return plainAnswer(404, "No fake route for this address.\n");
}

struct RouteKeys
{
    QString hostPathQuery, hostPath, pathQuery, path;
};

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

RouteKeys keysFor(const RecordedRequest &request, const QStringList &ignored)
{
    return keysFor(QString::fromLatin1(request.host), request.url, ignored);
}

const QString httpsOnly = QStringLiteral("https://");

bool isHttps(const RecordedRequest &request)
{
    return request.url.scheme() == QLatin1String("https");
}

// "host/path?query", "host/path", "/path?query" or "/path". An "http://" in front is ignored;
// an "https://" stays in the key, which then matches requests over TLS only.
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

// The names of a route's query items whose value is "*", which match any value.
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

// Accepts every connection as a QSslSocket in plain mode, so that a CONNECT tunnel can turn
// it into TLS later.
class TlsCapableServer : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QSslSocket(this);
        if (socket->setSocketDescriptor(descriptor))
            addPendingConnection(socket);
        else
            delete socket;
    }
};

} // namespace

FakeResponse FakeResponse::text(QByteArray body, QByteArray charset)
{
    FakeResponse r;
    r.body = std::move(body);
    r.charset = std::move(charset);
    return r;
}

FakeResponse FakeResponse::bytes(QByteArray body, QByteArray contentType)
{
    FakeResponse r;
    r.body = std::move(body);
    r.contentType = std::move(contentType);
    return r;
}

FakeResponse FakeResponse::redirect(QByteArray location, int status)
{
    FakeResponse r = text("<html><body>Moved</body></html>");
    r.status = status;
    r.headers.append({"Location", std::move(location)});
    return r;
}

FakeResponse FakeResponse::behaving(Behaviour behaviour, QByteArray body)
{
    FakeResponse r = text(std::move(body));
    r.behaviour = behaviour;
    return r;
}

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool RecordedRequest::hasHeader(const QByteArray &name) const
{
    for (const auto &entry : headers) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

FakeServices::FakeServices(QObject *parent)
    : QObject(parent), m_server(new TlsCapableServer(this)), m_fallback(defaultFallback())
{
    m_clock.start();
    connect(m_server, &QTcpServer::newConnection, this, &FakeServices::acceptConnections);
}

FakeServices::~FakeServices()
{
    m_server->close();
    const QSet<Connection *> open = std::exchange(m_connections, {});
    for (Connection *connection : open) {
        connection->detach();
        delete connection;
    }
}

bool FakeServices::listen(quint16 port)
{
    if (m_server->isListening())
        return true;
    // A batch opens about a hundred connections at once; Qt's default backlog of 50 drops the
    // rest, and each dropped one costs its client a second before it tries again.
    m_server->setListenBacklogSize(1024);
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 FakeServices::port() const
{
    return m_server->serverPort();
}

QNetworkProxy FakeServices::proxy() const
{
    return QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port());
}

void FakeServices::on(const QString &route, const FakeResponse &response)
{
    const QStringList wildcards = wildcardItems(route);
    if (!wildcards.isEmpty()) {
        QStringList &names = m_wildcards[hostPathOf(route)];
        for (const QString &name : wildcards) {
            if (!names.contains(name))
                names.append(name);
        }
    }
    m_routes.insert(routeKey(route, m_ignoredItems + m_wildcards.value(hostPathOf(route))),
                    response);
}

QString FakeServices::hostPathOf(const QString &route) const
{
    QString hostPath = routeKey(route.section(QLatin1Char('?'), 0, 0), {});
    return hostPath.startsWith(httpsOnly) ? hostPath.mid(httpsOnly.size()) : hostPath;
}

QStringList FakeServices::ignoredFor(const RecordedRequest &request) const
{
    const RouteKeys plain = keysFor(request, {});
    return m_ignoredItems + m_wildcards.value(plain.hostPath);
}

void FakeServices::setFallback(const FakeResponse &response)
{
    m_fallback = response;
}

void FakeServices::clearRoutes()
{
    m_routes.clear();
    m_wildcards.clear();
    m_fallback = defaultFallback();
}

QList<RecordedRequest> FakeServices::requests() const
{
    return m_requests;
}

QList<RecordedRequest> FakeServices::requestsTo(const QString &route) const
{
    QString key = routeKey(route, m_ignoredItems + m_wildcards.value(hostPathOf(route)));
    const bool tlsOnly = key.startsWith(httpsOnly);
    if (tlsOnly)
        key = key.mid(httpsOnly.size());
    QList<RecordedRequest> matching;
    for (const RecordedRequest &request : m_requests) {
        const RouteKeys keys = keysFor(request, ignoredFor(request));
        if ((!tlsOnly || isHttps(request))
            && (key == keys.hostPathQuery || key == keys.hostPath || key == keys.pathQuery
                || key == keys.path))
            matching.append(request);
    }
    return matching;
}

void FakeServices::clearRequests()
{
    m_requests.clear();
}

int FakeServices::openConnections() const
{
    return int(m_connections.size());
}

void FakeServices::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection())
        m_connections.insert(new Connection(this, static_cast<QSslSocket *>(socket)));
}

void FakeServices::handle(Connection *connection, RecordedRequest request)
{
    request.receivedAtMs = m_clock.elapsed();
    m_requests.append(request);
    const QPointer<Connection> alive(connection);
    emit requestReceived(request);
    if (!alive)
        return;
    if (request.method == "CONNECT") {
        // Without an identity there is no TLS here, and https through this proxy is refused.
        if (m_tlsIdentity.certificate.isNull())
            connection->answer(plainAnswer(501, "CONNECT is not supported.\n"), false);
        else
            connection->openTunnel(m_tlsIdentity);
        return;
    }
    connection->answer(responseFor(request), request.method == "HEAD");
}

FakeResponse FakeServices::responseFor(const RecordedRequest &request) const
{
    if (m_gate) {
        if (std::optional<FakeResponse> answer = m_gate(request))
            return *answer;
    }
    const RouteKeys keys = keysFor(request, ignoredFor(request));
    const bool tls = isHttps(request);
    for (const QString &key : {keys.hostPathQuery, keys.hostPath, keys.pathQuery, keys.path}) {
        // A route for https only goes before the same route for both.
        auto found = tls ? m_routes.constFind(httpsOnly + key) : m_routes.constEnd();
        if (found == m_routes.constEnd())
            found = m_routes.constFind(key);
        if (found != m_routes.constEnd())
            return *found;
    }
    return m_fallback;
}
