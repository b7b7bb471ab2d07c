#pragma once

#include "web/fetchresult.h"

#include <memory>
#include <optional>

#include <QCoroTask>
#include <QList>
#include <QNetworkProxy>
#include <QObject>
#include <QPointer>
#include <QPromise>
#include <QSslConfiguration>
#include <QTimer>

class QNetworkAccessManager;
class QNetworkReply;

// One GET in flight. It starts when it is made; its result can be awaited any time later,
// also after it has finished. Destroying it aborts the transfer.
class Transfer : public QObject
{
    Q_OBJECT
public:
    enum class Kind { GetBody, OpenUrl, Download };

    ~Transfer() override;

    bool isFinished() const { return m_finished; }
    const FetchResult &result() const { return m_result; }
    // Ends the transfer now as a failure (no-op when it has finished already).
    void abort();
    // Waits for the end of the transfer without blocking the thread.
    QCoro::Task<FetchResult> wait();

signals:
    // Emitted once, from the event loop after the end; a receiver may destroy the transfer.
    void finished();

private:
    friend class WebClient;
    // A null `reply` makes a transfer that has to be failed at once by its maker.
    Transfer(QNetworkReply *reply, Kind kind, qint64 bodyCap, int deadlineMs);
    void watch(QNetworkReply *reply);
    void onMetaDataChanged();
    void onReadyRead();
    void onFinished();
    bool followRedirect();
    bool takeAvailable();
    void succeed();
    void fail(const QString &why);
    void settle();
    void dropReply();

    // The manager owns the reply; it may delete it first when the WebClient goes away.
    QPointer<QNetworkReply> m_reply;
    Kind m_kind;
    qint64 m_bodyCap;
    QByteArray m_body;
    FetchResult m_result;
    // Waiters await this rather than the signal, so they wake up even when the transfer is
    // destroyed while they wait.
    QPromise<FetchResult> m_done;
    QTimer m_deadline;
    int m_redirects = 0;
    bool m_finished = false;
};

// The three fetch operations over one QNetworkAccessManager. Method GET, system proxy
// honoured, at most 5 redirects and only to http/https, an overall deadline per request and
// a body cap (4 MiB for text, 16 MiB for files).
class WebClient : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultDeadlineMs = 10000;
    static constexpr qint64 textBodyCap = 4 * 1024 * 1024;
    static constexpr qint64 fileBodyCap = 16 * 1024 * 1024;
    static constexpr int maxRedirects = 5;

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
    // Trusts `authority` for https besides the system's store (Qt reads no environment
    // variable for this).
    void addCaCertificate(const QSslCertificate &authority);

    // Text decoded by the declared charset, UTF-8 when none; sends "If-Modified-Since: 0".
    std::unique_ptr<Transfer> startGetBody(const QString &url);
    // Text decoded by the declared charset, GBK (as GB18030) when none.
    std::unique_ptr<Transfer> startOpenUrl(const QString &url);
    // Raw body for a file; see writeFileWhole().
    std::unique_ptr<Transfer> startDownload(const QString &url);

    QCoro::Task<FetchResult> GetBody(QString url);
    QCoro::Task<FetchResult> OpenURL(QString url);
    // Downloads `url` into `filePath`: the body replaces the file only when the whole transfer
    // succeeded; a failed one writes nothing (a file already there is left as it was).
    QCoro::Task<bool> URLDownloadToFile(QString url, QString filePath);

private:
    std::unique_ptr<Transfer> start(const QString &url, Transfer::Kind kind);

    QNetworkAccessManager *m_nam;
    // Transfers still running, failed when this client goes away with its manager.
    QList<QPointer<Transfer>> m_running;
    // Empty until a seam adds an authority: then every request carries it.
    std::optional<QSslConfiguration> m_tls;
    int m_deadlineMs = defaultDeadlineMs;
    qint64 m_textCap = textBodyCap;
    qint64 m_fileCap = fileBodyCap;
};

// The proxies the system names for a request (environment or desktop settings, through
// libproxy, no_proxy honoured): http_proxy for http, https_proxy for https, none otherwise.
QList<QNetworkProxy> systemProxiesFor(const QNetworkProxyQuery &query);

// Writes `bytes` to `filePath` through a temporary file renamed into place; false on failure.
bool writeFileWhole(const QString &filePath, const QByteArray &bytes);

// Charset rule: "gb2312", "gbk" and "x-gbk" decode as GB18030; an unknown or missing charset
// falls back to `fallback` ("UTF-8" or "GB18030").
QString decodeBody(const QByteArray &body, const QByteArray &declaredCharset, const char *fallback);
// The charset parameter of a Content-Type header value, unquoted; empty when absent.
QByteArray charsetFromContentType(const QByteArray &contentType);
