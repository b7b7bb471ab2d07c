#include "fakeservices/fakeconnection.h"

#include "fakeservices/fakeresponse.h"

#include <QSslConfiguration>
#include <QSslSocket>

#ifdef Q_OS_UNIX
#    include <sys/socket.h>
#endif

namespace {

constexpr qsizetype maxRequestHead = qsizetype(1024) * 1024;
constexpr qsizetype endlessChunk = qsizetype(64) * 1024;

} // namespace

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
