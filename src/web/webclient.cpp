#include "web/webclient.h"

#include "config/deployment.h"
#include "web/addressrules.h"
#include "web/environmentauthorities.h"
#include "web/session.h"
#include "web/systemproxy.h"
#include "web/wholefile.h"

#include <utility>

#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkRequest>

namespace {
const QByteArray userAgent = QByteArrayLiteral("Mozilla/5.0 (compatible; Mirelo/6.0)");

// The services set cookies; a jar would keep them and send them on to every host of their
// domain, the portrait hosts and the reachability probe included.
class NoCookieJar : public QNetworkCookieJar
{
public:
    using QNetworkCookieJar::QNetworkCookieJar;
    QList<QNetworkCookie> cookiesForUrl(const QUrl &) const override { return {}; }
    bool setCookiesFromUrl(const QList<QNetworkCookie> &, const QUrl &) override { return false; }
    bool insertCookie(const QNetworkCookie &) override { return false; }
};
} // namespace

WebClient::WebClient(QObject *parent) : QObject(parent), m_nam(new QNetworkAccessManager(this))
{
    m_nam->setProxyFactory(new SystemProxyFactory);
    m_nam->setCookieJar(new NoCookieJar(m_nam));
    // Behind an https-inspecting proxy the user names its authority as for other programs.
    if (const std::optional<QList<QSslCertificate>> named = authoritiesFromEnvironment()) {
        m_tls = QSslConfiguration::defaultConfiguration();
        m_tls->setCaCertificates(*named);
    }
}

WebClient::~WebClient()
{
    // The manager deletes its replies with it; end their transfers properly first. Taken out
    // of the list, so nothing started meanwhile is failed with them.
    const QList<QPointer<Transfer>> running = std::exchange(m_running, {});
    for (const QPointer<Transfer> &transfer : running) {
        if (transfer)
            transfer->fail(FetchResult::Failure::Cancelled, tr("The web client was closed."));
    }
}

void WebClient::setProxy(const QNetworkProxy &proxy)
{
    // Replaces (and deletes) the system proxy factory.
    m_nam->setProxy(proxy);
    m_proxy = proxy;
}

std::unique_ptr<WebClient> WebClient::makeSibling() const
{
    auto sibling = std::make_unique<WebClient>();
    if (m_proxy)
        sibling->setProxy(*m_proxy);
    sibling->m_tls = m_tls;
    sibling->m_deadlineMs = m_deadlineMs;
    sibling->m_textCap = m_textCap;
    sibling->m_fileCap = m_fileCap;
    return sibling;
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

std::unique_ptr<Transfer> WebClient::startGetBody(const QString &url,
                                                  std::shared_ptr<const Session> session)
{
    return start(url, Transfer::Kind::GetBody, std::move(session));
}

std::unique_ptr<Transfer> WebClient::startOpenUrl(const QString &url,
                                                  std::shared_ptr<const Session> session)
{
    return start(url, Transfer::Kind::OpenUrl, std::move(session));
}

std::unique_ptr<Transfer> WebClient::startSignedIn(const QString &url,
                                                   std::shared_ptr<const Session> session,
                                                   const QByteArray &referer)
{
    return start(url, Transfer::Kind::SignedIn, std::move(session), referer);
}

std::unique_ptr<Transfer> WebClient::startSignIn(const QString &url, const QByteArray &cookies,
                                                 const QByteArray &referer)
{
    return start(url, Transfer::Kind::SignIn, {}, referer, cookies);
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

std::unique_ptr<Transfer> WebClient::start(const QString &url, Transfer::Kind kind,
                                           std::shared_ptr<const Session> session,
                                           const QByteArray &referer, const QByteArray &cookies)
{
    const qint64 cap = kind == Transfer::Kind::Download ? m_fileCap : m_textCap;
    const QUrl target(url.trimmed());
    // QNetworkAccessManager would also read file:, data: and qrc: addresses; only the web may
    // be asked.
    if (!isWebAddress(target)) {
        std::unique_ptr<Transfer> refused(new Transfer(nullptr, kind, cap, 0));
        refused->fail(FetchResult::Failure::NotAnAnswer, tr("Not a web address: %1").arg(url));
        return refused;
    }
    // Not even a first hop that would be redirected to https: the cookies would be out already.
    if (session && target.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0) {
        std::unique_ptr<Transfer> refused(new Transfer(nullptr, kind, cap, 0));
        refused->fail(FetchResult::Failure::NotAnAnswer,
                      tr("A signed-in request goes over https only: %1").arg(url));
        return refused;
    }

    QNetworkRequest request(target);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    const bool signedIn = kind == Transfer::Kind::SignedIn || kind == Transfer::Kind::SignIn;
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      signedIn ? QByteArray(browserUserAgent) : userAgent);
    if (kind == Transfer::Kind::GetBody)
        request.setRawHeader("If-Modified-Since", "0"); // defeats caches on the way
    if (m_tls)
        request.setSslConfiguration(*m_tls); // kept on every redirect: the request is copied
    // Besides the empty jar: whatever manager sends this, no jar is asked or filled.
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    if (session)
        applySession(request, *session);
    // On the one request: a sign-in step follows no redirect, so no other host gets it.
    if (!cookies.isEmpty())
        request.setRawHeader("Cookie", cookies);
    if (!referer.isEmpty() && !session)
        request.setRawHeader("Referer", referer);
    // Kept on every redirect: the request is copied.
    if (session)
        request.setRawHeader("Referer",
                             referer.isEmpty() ? QByteArray(Deployment::sessionReferer) : referer);

    std::unique_ptr<Transfer> transfer(new Transfer(m_nam->get(request), kind, cap, m_deadlineMs));
    transfer->setSession(std::move(session));
    m_running.removeAll(nullptr);
    m_running.append(transfer.get());
    return transfer;
}
