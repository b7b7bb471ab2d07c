#include "fakeservices/fakeservices.h"

#include "fakeservices/fakeconnection.h"
#include "fakeservices/fakeroutes.h"

#include <QPointer>
#include <QSslSocket>
#include <QTcpServer>

using namespace FakeRoutes;

namespace {

FakeResponse defaultFallback()
{
    return plainAnswer(404, "No fake route for this address.\n");
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
    takeHttpsOnly(hostPath);
    return hostPath;
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
    const bool tlsOnly = takeHttpsOnly(key);
    QList<RecordedRequest> matching;
    for (const RecordedRequest &request : m_requests) {
        if ((!tlsOnly || isHttps(request))
            && keysFor(request, ignoredFor(request)).inOrder().contains(key))
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
    for (const QString &key : keys.inOrder()) {
        // A route for https only goes before the same route for both.
        auto found = tls ? m_routes.constFind(httpsOnly + key) : m_routes.constEnd();
        if (found == m_routes.constEnd())
            found = m_routes.constFind(key);
        if (found != m_routes.constEnd())
            return *found;
    }
    return m_fallback;
}
