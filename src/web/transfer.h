#pragma once

#include "web/fetchresult.h"

#include <memory>

#include <QCoroTask>
#include <QNetworkCookie>
#include <QObject>
#include <QPointer>
#include <QPromise>
#include <QTimer>

class QNetworkReply;
class QUrl;
class Session;

// One GET in flight. It starts when it is made; its result can be awaited any time later,
// also after it has finished. Destroying it aborts the transfer.
class Transfer : public QObject
{
    Q_OBJECT
public:
    enum class Kind {
        GetBody,
        OpenUrl,
        Download,
        SignedIn, // a request of today's services: text in either of their encodings
        SignIn, // a step of the sign-in: as SignedIn, its cookies kept, no redirect followed
    };

    static constexpr int maxRedirects = 5;

    ~Transfer() override;

    bool isFinished() const { return m_finished; }
    const FetchResult &result() const { return m_result; }
    // Ends the transfer now as a failure (no-op when it has finished already).
    void abort();

    // A request not yet sent (still in Qt's queue, or still connecting) fails after this many
    // times the deadline, so no wait is unbounded.
    static constexpr int unsentLimitFactor = 2;
    // Waits for the end of the transfer without blocking the thread.
    QCoro::Task<FetchResult> wait();

signals:
    // Emitted once, from the event loop after the end; a receiver may destroy the transfer.
    void finished();

private:
    friend class WebClient;
    // A null `reply` makes a transfer that has to be failed at once by its maker.
    Transfer(QNetworkReply *reply, Kind kind, qint64 bodyCap, int deadlineMs);
    // The session the request carries: each redirect gets its cookies anew.
    void setSession(std::shared_ptr<const Session> session) { m_session = std::move(session); }
    void watch(QNetworkReply *reply);
    void onRequestSent();
    void onMetaDataChanged();
    void onReadyRead();
    void onFinished();
    void keepCookies();
    bool followRedirect();
    bool takeAvailable();
    void succeed();
    void fail(FetchResult::Failure failure, const QString &why);
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
    int m_deadlineMs;
    QTimer m_deadline; // from the first time the request is sent
    QTimer m_unsentLimit; // from the making, until the request is sent
    int m_redirects = 0;
    bool m_finished = false;
    std::shared_ptr<const Session> m_session;
    QList<QNetworkCookie> m_cookies; // for Kind::SignIn
    QString m_certificateProblem; // why the last server's certificate was not trusted
};
