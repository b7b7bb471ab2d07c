#include "web/webclient.h"

#include <utility>

#include <QCoroFuture>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

const QByteArray userAgent = QByteArrayLiteral("Mozilla/5.0 (compatible; Mirelo/6.0)");

bool isWebScheme(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0
            || scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

// Errors Qt derives from the HTTP status of a complete answer. Those answers are data here: a
// 404 page is returned like any other page.
bool isStatusError(QNetworkReply::NetworkError error)
{
    return (error >= QNetworkReply::ContentAccessDenied
            && error <= QNetworkReply::UnknownContentError)
            || (error >= QNetworkReply::InternalServerError
                && error <= QNetworkReply::UnknownServerError)
            || error == QNetworkReply::ProtocolInvalidOperationError;
}

bool environmentHas(const char *lower, const char *upper)
{
    return !qEnvironmentVariableIsEmpty(lower) || !qEnvironmentVariableIsEmpty(upper);
}

// Asks the system for every request, whatever the application-wide proxy setting is.
class SystemProxyFactory : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        return systemProxiesFor(query);
    }
};

} // namespace

Transfer::Transfer(QNetworkReply *reply, Kind kind, qint64 bodyCap, int deadlineMs)
    : m_reply(reply), m_kind(kind), m_bodyCap(bodyCap)
{
    m_done.start();
    if (!reply)
        return;
    watch(reply);
    // Qt's own transfer timeout only measures silence; a server dripping bytes would never
    // trip it, so the whole transfer gets one deadline. Zero or less means none.
    if (deadlineMs > 0) {
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this, deadlineMs] {
            fail(tr("No complete answer within %1 ms.").arg(deadlineMs));
        });
        m_deadline.start(deadlineMs);
    }
}

Transfer::~Transfer()
{
    if (m_finished)
        return;
    // Quietly: nobody hears `finished`, but waiters still wake up with a failure.
    m_finished = true;
    m_result = FetchResult {};
    m_result.error = tr("The transfer was cancelled.");
    dropReply();
    m_done.addResult(m_result);
    m_done.finish();
}

void Transfer::abort()
{
    fail(tr("The transfer was cancelled."));
}

QCoro::Task<FetchResult> Transfer::wait()
{
    // A copy: QCoro's return_value() moves from an lvalue operand, which would empty m_result.
    if (m_finished)
        co_return FetchResult(m_result);
    // The future is shared state: it stays valid here even if this transfer is destroyed.
    const QFuture<FetchResult> done = m_done.future();
    co_return co_await done;
}

void Transfer::watch(QNetworkReply *reply)
{
    m_reply = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, &Transfer::onMetaDataChanged);
    connect(reply, &QNetworkReply::readyRead, this, &Transfer::onReadyRead);
    connect(reply, &QNetworkReply::finished, this, &Transfer::onFinished);
}

void Transfer::onMetaDataChanged()
{
    if (m_finished || !m_reply)
        return;
    // Refuse an announced oversize body before any of it arrives.
    bool known = false;
    const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && length > m_bodyCap)
        fail(tr("The answer is too large (%1 bytes announced).").arg(length));
}

void Transfer::onReadyRead()
{
    if (m_finished || !m_reply)
        return;
    takeAvailable();
}

// Moves what has arrived into the body; fails the transfer and returns false past the cap.
bool Transfer::takeAvailable()
{
    // One byte more than the room left is enough to know the cap is exceeded.
    m_body += m_reply->read(m_bodyCap - m_body.size() + 1);
    if (m_body.size() <= m_bodyCap)
        return true;
    fail(tr("The answer is larger than %1 bytes.").arg(m_bodyCap));
    return false;
}

void Transfer::onFinished()
{
    if (m_finished || !m_reply)
        return;
    const QNetworkReply::NetworkError error = m_reply->error();
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (error != QNetworkReply::NoError && !(status.isValid() && isStatusError(error))) {
        fail(m_reply->errorString());
        return;
    }
    // Without a final status line nothing was answered, whatever the error code says.
    if (!status.isValid() || status.toInt() < 200) {
        fail(tr("The server sent no answer."));
        return;
    }
    if (followRedirect() || !takeAvailable())
        return;
    m_result.status = status.toInt();
    succeed();
}

// Redirects are followed here rather than by Qt: Qt 6.4 sends a request several times after
// the second redirect it is allowed to follow under UserVerifiedRedirectPolicy, and then can
// report an empty success. Returns true when the answer was a redirect and has been dealt with.
bool Transfer::followRedirect()
{
    switch (m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()) {
    case 301:
    case 302:
    case 303:
    case 307:
    case 308:
        break;
    default:
        return false;
    }
    const QUrl location = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (location.isEmpty())
        return false; // nowhere to go: the page itself is the answer
    const QUrl from = m_reply->url();
    const QUrl target = from.resolved(location);
    if (!isWebScheme(target) || target.host().isEmpty()) {
        fail(tr("Redirected to a non-web address: %1").arg(target.toDisplayString()));
        return true;
    }
    if (from.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
        && target.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0) {
        fail(tr("Redirected from https to plain http: %1").arg(target.toDisplayString()));
        return true;
    }
    if (++m_redirects > WebClient::maxRedirects) {
        fail(tr("Redirected more than %1 times.").arg(WebClient::maxRedirects));
        return true;
    }
    QNetworkAccessManager *manager = m_reply->manager();
    QNetworkRequest request = m_reply->request(); // same headers on every hop
    request.setUrl(target);
    dropReply();
    m_body.clear(); // what the redirect page said does not belong to the answer
    watch(manager->get(request));
    return true;
}

void Transfer::succeed()
{
    m_result.ok = true;
    m_result.error.clear();
    switch (m_kind) {
    case Kind::GetBody:
    case Kind::OpenUrl: {
        const QByteArray declared = charsetFromContentType(
                m_reply->header(QNetworkRequest::ContentTypeHeader).toByteArray());
        m_result.text = decodeBody(m_body, declared, m_kind == Kind::GetBody ? "UTF-8" : "GB18030");
        break;
    }
    case Kind::Download:
        break;
    }
    m_result.body = std::exchange(m_body, {});
    settle();
}

void Transfer::fail(const QString &why)
{
    if (m_finished)
        return;
    m_result = FetchResult {};
    m_result.error = why;
    m_body.clear();
    settle();
}

void Transfer::settle()
{
    m_finished = true;
    m_deadline.stop();
    dropReply();
    // Announced from the event loop, never from inside the reply's signal, the deadline timer
    // or abort(): a receiver may destroy this transfer, and then none of its code is running.
    // Destroyed first, it takes the announcement with it. Posted before the waiters are woken,
    // so receivers hear it first.
    QMetaObject::invokeMethod(
            this, [this] { emit finished(); }, Qt::QueuedConnection);
    m_done.addResult(m_result);
    m_done.finish();
}

void Transfer::dropReply()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    m_reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    // No-op when it has finished; otherwise closes the connection now.
    reply->abort();
    // Later: this may run inside one of the reply's own signals.
    reply->deleteLater();
}

WebClient::WebClient(QObject *parent) : QObject(parent), m_nam(new QNetworkAccessManager(this))
{
    m_nam->setProxyFactory(new SystemProxyFactory);
}

WebClient::~WebClient()
{
    // The manager deletes its replies with it; end their transfers properly first. Taken out
    // of the list, so nothing started meanwhile is failed with them.
    const QList<QPointer<Transfer>> running = std::exchange(m_running, {});
    for (const QPointer<Transfer> &transfer : running) {
        if (transfer)
            transfer->fail(tr("The web client was closed."));
    }
}

void WebClient::setProxy(const QNetworkProxy &proxy)
{
    // Replaces (and deletes) the system proxy factory.
    m_nam->setProxy(proxy);
}

void WebClient::addCaCertificate(const QSslCertificate &authority)
{
    if (!m_tls) {
        // Named authorities replace Qt's on-demand reading of the store, so the store's own
        // are listed too.
        m_tls = QSslConfiguration::defaultConfiguration();
        m_tls->setCaCertificates(QSslConfiguration::systemCaCertificates());
    }
    m_tls->addCaCertificate(authority);
}

std::unique_ptr<Transfer> WebClient::startGetBody(const QString &url)
{
    return start(url, Transfer::Kind::GetBody);
}

std::unique_ptr<Transfer> WebClient::startOpenUrl(const QString &url)
{
    return start(url, Transfer::Kind::OpenUrl);
}

std::unique_ptr<Transfer> WebClient::startDownload(const QString &url)
{
    return start(url, Transfer::Kind::Download);
}

QCoro::Task<FetchResult> WebClient::GetBody(QString url)
{
    const std::unique_ptr<Transfer> transfer = startGetBody(url);
    co_return co_await transfer->wait();
}

QCoro::Task<FetchResult> WebClient::OpenURL(QString url)
{
    const std::unique_ptr<Transfer> transfer = startOpenUrl(url);
    co_return co_await transfer->wait();
}

QCoro::Task<bool> WebClient::URLDownloadToFile(QString url, QString filePath)
{
    const std::unique_ptr<Transfer> transfer = startDownload(url);
    const FetchResult result = co_await transfer->wait();
    if (!result.ok)
        co_return false;
    co_return writeFileWhole(filePath, result.body);
}

std::unique_ptr<Transfer> WebClient::start(const QString &url, Transfer::Kind kind)
{
    const qint64 cap = kind == Transfer::Kind::Download ? m_fileCap : m_textCap;
    const QUrl target(url.trimmed());
    // QNetworkAccessManager would also read file:, data: and qrc: addresses; only the web may
    // be asked.
    if (!target.isValid() || !isWebScheme(target) || target.host().isEmpty()) {
        std::unique_ptr<Transfer> refused(new Transfer(nullptr, kind, cap, 0));
        refused->fail(tr("Not a web address: %1").arg(url));
        return refused;
    }

    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
    if (kind == Transfer::Kind::GetBody)
        request.setRawHeader("If-Modified-Since", "0"); // defeats caches on the way
    if (m_tls)
        request.setSslConfiguration(*m_tls); // kept on every redirect: the request is copied

    std::unique_ptr<Transfer> transfer(new Transfer(m_nam->get(request), kind, cap, m_deadlineMs));
    m_running.removeAll(nullptr);
    m_running.append(transfer.get());
    return transfer;
}

QList<QNetworkProxy> systemProxiesFor(const QNetworkProxyQuery &query)
{
    // libproxy falls back to http_proxy for an https address when https_proxy is unset; the
    // usual rule is https_proxy or none, so a proxy meant for plain http never sees a tunnel.
    if (query.url().scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
        && !environmentHas("https_proxy", "HTTPS_PROXY")
        && environmentHas("http_proxy", "HTTP_PROXY"))
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    return QNetworkProxyFactory::systemProxyForQuery(query);
}

bool writeFileWhole(const QString &filePath, const QByteArray &bytes)
{
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString decodeBody(const QByteArray &body, const QByteArray &declaredCharset, const char *fallback)
{
    QByteArray name = declaredCharset.trimmed().toLower();
    // ICU's gb2312 is strict and garbles GBK-only characters; browsers read all three as GB18030.
    if (name == "gb2312" || name == "gbk" || name == "x-gbk")
        name = "GB18030";
    QStringDecoder decoder;
    if (!name.isEmpty())
        decoder = QStringDecoder(name.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(fallback);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringConverter::Utf8);
    return decoder.decode(body);
}

QByteArray charsetFromContentType(const QByteArray &contentType)
{
    const QList<QByteArray> fields = contentType.split(';');
    // The first field is the media type itself.
    for (qsizetype i = 1; i < fields.size(); ++i) {
        const QByteArray field = fields.at(i).trimmed();
        const qsizetype eq = field.indexOf('=');
        if (eq < 0 || field.left(eq).trimmed().toLower() != "charset")
            continue;
        QByteArray value = field.mid(eq + 1).trimmed();
        if (value.size() >= 2
            && ((value.startsWith('"') && value.endsWith('"'))
                || (value.startsWith('\'') && value.endsWith('\''))))
            value = value.mid(1, value.size() - 2).trimmed();
        return value;
    }
    return {};
}
