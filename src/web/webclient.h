#pragma once

#include "web/transfer.h"

#include <memory>
#include <optional>

#include <QCoroTask>
#include <QList>
#include <QNetworkProxy>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>

class QNetworkAccessManager;
class Session;

// The three fetch operations over one QNetworkAccessManager. Method GET, system proxy
// honoured, at most 5 redirects and only to http/https, an overall deadline per request and
// a body cap (4 MiB for text, 16 MiB for files). No cookie is ever stored or sent on its own:
// only a request given a session carries cookies, and only that session's.
class WebClient : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultDeadlineMs = 10000;
    static constexpr qint64 textBodyCap = 4 * 1024 * 1024;
    static constexpr qint64 fileBodyCap = 16 * 1024 * 1024;
    // What today's services are asked with: a current desktop browser.
    static constexpr char browserUserAgent[]
            = "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
              "Chrome/131.0.0.0 Safari/537.36";

    explicit WebClient(QObject *parent = nullptr);
    ~WebClient() override;

    // Seams for tests and tools: a fixed proxy instead of the system's, a shorter deadline,
    // smaller caps.
    void setProxy(const QNetworkProxy &proxy);
    void setDeadlineMs(int ms) { m_deadlineMs = ms; }
    int deadlineMs() const { return m_deadlineMs; }
    void setBodyCaps(qint64 text, qint64 file)
    {
        m_textCap = text;
        m_fileCap = file;
    }
    // Trusts `authority` for https besides the system's store, or besides the authorities
    // SSL_CERT_FILE and SSL_CERT_DIR name instead of it (read when the client is made).
    void addCaCertificate(const QSslCertificate &authority);

    // A client with a manager of its own and this one's settings (proxy, deadline, caps,
    // trusted authorities). Qt opens at most six connections per host and manager, so work
    // that needs more at once spreads over siblings.
    std::unique_ptr<WebClient> makeSibling() const;

    // Text decoded by the declared charset, UTF-8 when none; sends "If-Modified-Since: 0".
    // With a `session`, the request (https only) carries its cookies by the cookie rules and
    // the Referer of signed-in pages, on every hop.
    std::unique_ptr<Transfer> startGetBody(const QString &url,
                                           std::shared_ptr<const Session> session = {});
    // Text decoded by the declared charset, GBK (as GB18030) when none.
    std::unique_ptr<Transfer> startOpenUrl(const QString &url,
                                           std::shared_ptr<const Session> session = {});
    // A request of today's services, as their own pages send it: over https only, the session's
    // cookies by the cookie rules on every hop, a desktop browser's User-Agent (their firewall
    // turns other clients away) and `referer`. The text is decoded as declared, else as UTF-8
    // when it is valid UTF-8, else as GB18030.
    std::unique_ptr<Transfer> startSignedIn(const QString &url,
                                            std::shared_ptr<const Session> session,
                                            const QByteArray &referer);
    // A step of the sign-in, as the login pages send it: a browser's User-Agent, `referer`, the
    // Cookie header `cookies` (none when empty), no redirect followed; the result keeps the
    // cookies each answer set.
    std::unique_ptr<Transfer> startSignIn(const QString &url, const QByteArray &cookies,
                                          const QByteArray &referer);
    // Raw body for a file; see writeFileWhole().
    std::unique_ptr<Transfer> startDownload(const QString &url);

    QCoro::Task<FetchResult> GetBody(QString url);
    QCoro::Task<FetchResult> OpenURL(QString url);
    // Downloads `url` into `filePath`: the body replaces the file only when the whole transfer
    // succeeded; a failed one writes nothing (a file already there is left as it was).
    QCoro::Task<bool> URLDownloadToFile(QString url, QString filePath);

private:
    std::unique_ptr<Transfer> start(const QString &url, Transfer::Kind kind,
                                    std::shared_ptr<const Session> session = {},
                                    const QByteArray &referer = {}, const QByteArray &cookies = {});

    QNetworkAccessManager *m_nam;
    // Transfers still running, failed when this client goes away with its manager.
    QList<QPointer<Transfer>> m_running;
    // Empty until a seam adds an authority: then every request carries it.
    std::optional<QSslConfiguration> m_tls;
    // Empty: the system's proxy for each request.
    std::optional<QNetworkProxy> m_proxy;
    int m_deadlineMs = defaultDeadlineMs;
    qint64 m_textCap = textBodyCap;
    qint64 m_fileCap = fileBodyCap;
};
