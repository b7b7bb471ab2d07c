#include "fakeservices/fakeservices.h"

#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>

#ifdef Q_OS_UNIX
#    include <sys/socket.h>
#endif

namespace {

constexpr qsizetype maxRequestHead = qsizetype(1024) * 1024;
constexpr qsizetype endlessChunk = qsizetype(64) * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 304:
        return "Not Modified";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

FakeResponse plainAnswer(int status, QByteArray body)
{
    FakeResponse r = FakeResponse::text(std::move(body));
    r.contentType = "text/plain";
    r.status = status;
    return r;
}

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

// One client connection: reads one request, hands it to the owner, plays the answer.
class FakeServices::Connection : public QObject
{
public:
    Connection(FakeServices *owner, QSslSocket *socket);
    ~Connection() override;

    void answer(const FakeResponse &response, bool headersOnly);
    // Accepts a CONNECT: the tunnel turns into TLS with `identity`, and the next request is
    // read from inside it.
    void openTunnel(const TlsIdentity &identity);
    // Forgets the owner, which is going away.
    void detach() { m_owner = nullptr; }

private:
    void onReadyRead();
    void onBytesWritten();
    void play(const FakeResponse &response, bool headersOnly);
    void writeHead(const FakeResponse &response, std::optional<qint64> length);
    void feedEndless();
    void resetNow();
    void close();

    FakeServices *m_owner;
    QSslSocket *m_socket;
    QByteArray m_in;
    bool m_tunnelled = false;
    bool m_requestRead = false;
    bool m_closed = false;
    bool m_endless = false;
    bool m_resetWhenFlushed = false;
    QByteArray m_drip;
    qsizetype m_dripped = 0;
    QTimer m_dripTimer;
};

FakeServices::Connection::Connection(FakeServices *owner, QSslSocket *socket)
    : QObject(owner), m_owner(owner), m_socket(socket)
{
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, &Connection::onReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, &Connection::onBytesWritten);
    connect(socket, &QTcpSocket::disconnected, this, &Connection::close);
    connect(socket, &QTcpSocket::errorOccurred, this, &Connection::close);
    connect(&m_dripTimer, &QTimer::timeout, this, [this] {
        if (m_dripped < m_drip.size()) {
            m_socket->write(m_drip.constData() + m_dripped, 1);
            ++m_dripped;
        }
        if (m_dripped >= m_drip.size()) {
            m_dripTimer.stop();
            m_socket->disconnectFromHost();
        }
    });
}

FakeServices::Connection::~Connection()
{
    // The socket is deleted with us; what it says while closing is of no interest.
    disconnect(m_socket, nullptr, this, nullptr);
    if (m_owner)
        m_owner->m_connections.remove(this);
}

void FakeServices::Connection::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_dripTimer.stop();
    m_endless = false;
    if (m_owner) {
        m_owner->m_connections.remove(this);
        m_owner = nullptr;
    }
    m_socket->abort();
    deleteLater();
}

void FakeServices::Connection::onReadyRead()
{
    if (m_requestRead) {
        // Only one request per connection; keep reading so a close by the client is noticed.
        m_socket->readAll();
        return;
    }
    m_in += m_socket->readAll();
    const qsizetype headEnd = m_in.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        if (m_in.size() > maxRequestHead) {
            m_requestRead = true;
            play(plainAnswer(431, "Request head too large.\n"), false);
        }
        return;
    }

    RecordedRequest request;
    const QList<QByteArray> lines = m_in.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    bool lengthOk = false;
    const qint64 bodyLength = request.header("Content-Length").toLongLong(&lengthOk);
    if (lengthOk && bodyLength > 0) {
        if (bodyLength > maxRequestHead) {
            m_requestRead = true;
            play(plainAnswer(400, "Request body too large.\n"), false);
            return;
        }
        if (m_in.size() - headEnd - 4 < bodyLength)
            return; // the rest of the body is still on its way
        request.body = m_in.mid(headEnd + 4, bodyLength);
    }
    m_requestRead = true;
    m_in.clear();

    if (requestLine.size() != 3 || !requestLine.at(2).startsWith("HTTP/")) {
        play(plainAnswer(400, "Malformed request line.\n"), false);
        return;
    }
    request.method = requestLine.at(0);
    const QByteArray &target = requestLine.at(1);
    if (target.startsWith('/')) {
        request.pathAndQuery = target;
        request.url = QUrl::fromEncoded((m_tunnelled ? "https://" : "http://")
                                        + request.header("Host") + target);
    } else if (const qsizetype authority = target.indexOf("://"); authority > 0) {
        const qsizetype pathStart = target.indexOf('/', authority + 3);
        request.pathAndQuery = pathStart < 0 ? QByteArray("/") : target.mid(pathStart);
        request.url = QUrl::fromEncoded(target);
    } else {
        // CONNECT host:port and the like: no path to route.
        request.url = QUrl::fromEncoded("http://" + target + "/");
        request.pathAndQuery = "/";
    }
    request.host = request.url.host(QUrl::FullyEncoded).toLower().toLatin1();

    if (!m_owner) {
        close();
        return;
    }
    m_owner->handle(this, std::move(request));
}

void FakeServices::Connection::answer(const FakeResponse &response, bool headersOnly)
{
    if (response.delayMs <= 0) {
        play(response, headersOnly);
        return;
    }
    QTimer::singleShot(response.delayMs, this,
                       [this, response, headersOnly] { play(response, headersOnly); });
}

void FakeServices::Connection::openTunnel(const TlsIdentity &identity)
{
    m_socket->write("HTTP/1.1 200 Connection established\r\n\r\n");
    m_tunnelled = true;
    m_requestRead = false;
    m_in.clear();
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(identity.certificate);
    tls.setPrivateKey(identity.key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_socket->setSslConfiguration(tls);
    m_socket->startServerEncryption();
}

void FakeServices::Connection::writeHead(const FakeResponse &r, std::optional<qint64> length)
{
    QByteArray head
            = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + reasonPhrase(r.status) + "\r\n";
    if (!r.contentType.isEmpty()) {
        head += "Content-Type: " + r.contentType;
        if (!r.charset.isEmpty())
            head += "; charset=" + r.charset;
        head += "\r\n";
    }
    if (length)
        head += "Content-Length: " + QByteArray::number(*length) + "\r\n";
    head += "Connection: close\r\n";
    for (const auto &[name, value] : r.headers)
        head += name + ": " + value + "\r\n";
    head += "\r\n";
    m_socket->write(head);
}

void FakeServices::Connection::play(const FakeResponse &r, bool headersOnly)
{
    if (m_closed || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    const std::optional<qint64> length = r.sendLength
            ? std::optional<qint64>(r.declaredLength.value_or(r.body.size()))
            : std::nullopt;
    using B = FakeResponse::Behaviour;
    switch (r.behaviour) {
    case B::Normal:
        writeHead(r, length);
        if (!headersOnly)
            m_socket->write(r.body);
        m_socket->disconnectFromHost(); // after the data has gone out
        break;
    case B::CloseWithoutAnswer:
        m_socket->disconnectFromHost();
        break;
    case B::NeverAnswer:
        break;
    case B::ResetMidBody:
        // Announce at least one byte more than will ever come.
        writeHead(r, qMax<qint64>(length.value_or(r.body.size()), 1));
        m_socket->write(r.body.left(r.body.size() / 2));
        m_resetWhenFlushed = true;
        onBytesWritten();
        break;
    case B::Drip:
        writeHead(r, length);
        m_drip = r.body;
        m_dripped = 0;
        m_dripTimer.start(qMax(1, r.dripIntervalMs));
        break;
    case B::Endless:
        writeHead(r, std::nullopt);
        m_endless = true;
        feedEndless();
        break;
    }
}

void FakeServices::Connection::onBytesWritten()
{
    if (m_endless)
        feedEndless();
    if (m_resetWhenFlushed && m_socket->bytesToWrite() == 0) {
        m_resetWhenFlushed = false;
        // A moment for the client to take in what was sent before the reset hits it.
        QTimer::singleShot(20, this, &Connection::resetNow);
    }
}

void FakeServices::Connection::feedEndless()
{
    static const QByteArray chunk(endlessChunk, 'x');
    // Keep a little queued, but only as much as the client actually takes.
    while (m_endless && m_socket->state() == QAbstractSocket::ConnectedState
           && m_socket->bytesToWrite() < 4 * endlessChunk)
        m_socket->write(chunk);
}

void FakeServices::Connection::resetNow()
{
#ifdef Q_OS_UNIX
    // A zero linger time makes the close send RST instead of FIN.
    const qintptr fd = m_socket->socketDescriptor();
    if (fd >= 0) {
        const linger hard {1, 0};
        ::setsockopt(int(fd), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
#endif
    close();
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
    m_routes.insert(routeKey(route, m_ignoredItems), response);
}

void FakeServices::setFallback(const FakeResponse &response)
{
    m_fallback = response;
}

void FakeServices::clearRoutes()
{
    m_routes.clear();
    m_fallback = defaultFallback();
}

QList<RecordedRequest> FakeServices::requests() const
{
    return m_requests;
}

QList<RecordedRequest> FakeServices::requestsTo(const QString &route) const
{
    QString key = routeKey(route, m_ignoredItems);
    const bool tlsOnly = key.startsWith(httpsOnly);
    if (tlsOnly)
        key = key.mid(httpsOnly.size());
    QList<RecordedRequest> matching;
    for (const RecordedRequest &request : m_requests) {
        const RouteKeys keys = keysFor(request, m_ignoredItems);
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
    const RouteKeys keys = keysFor(request, m_ignoredItems);
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
