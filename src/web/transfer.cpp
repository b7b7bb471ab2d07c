#include "web/transfer.h"

#include "web/addressrules.h"
#include "web/charset.h"
#include "web/httpstatus.h"
#include "web/networkerrors.h"
#include "web/session.h"

#include <utility>

#include <QCoroFuture>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

Transfer::Transfer(QNetworkReply *reply, Kind kind, qint64 bodyCap, int deadlineMs)
    : m_reply(reply), m_kind(kind), m_bodyCap(bodyCap), m_deadlineMs(deadlineMs)
{
    m_done.start();
    if (!reply)
        return;
    watch(reply);
    // Qt's own transfer timeout only measures silence; a server dripping bytes would never
    // trip it, so the whole transfer gets one deadline. It counts from the sending: Qt keeps at
    // most six connections per host and holds further requests back, and that wait is not the
    // service's. Zero or less means none.
    if (deadlineMs > 0) {
        // Never shorter than it says: a coarse timer may fire up to 5 % early.
        m_deadline.setTimerType(Qt::PreciseTimer);
        m_deadline.setSingleShot(true);
        connect(&m_deadline, &QTimer::timeout, this, [this] {
            fail(FetchResult::Failure::Timeout,
                 tr("No complete answer within %1 ms of sending.").arg(m_deadlineMs));
        });
        m_unsentLimit.setSingleShot(true);
        connect(&m_unsentLimit, &QTimer::timeout, this, [this] {
            fail(FetchResult::Failure::Timeout,
                 tr("Not sent within %1 ms.").arg(m_unsentLimit.interval()));
        });
        m_unsentLimit.start(unsentLimitFactor * deadlineMs);
    }
}

Transfer::~Transfer()
{
    if (m_finished)
        return;
    // Quietly: nobody hears `finished`, but waiters still wake up with a failure.
    m_finished = true;
    m_result = FetchResult {};
    m_result.failure = FetchResult::Failure::Cancelled;
    m_result.error = tr("The transfer was cancelled.");
    dropReply();
    m_done.addResult(m_result);
    m_done.finish();
}

void Transfer::abort()
{
    fail(FetchResult::Failure::Cancelled, tr("The transfer was cancelled."));
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
    connect(reply, &QNetworkReply::requestSent, this, &Transfer::onRequestSent);
    connect(reply, &QNetworkReply::metaDataChanged, this, &Transfer::onMetaDataChanged);
    connect(reply, &QNetworkReply::readyRead, this, &Transfer::onReadyRead);
    connect(reply, &QNetworkReply::finished, this, &Transfer::onFinished);
    connect(reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError> &errors) {
        if (!errors.isEmpty() && m_reply)
            m_certificateProblem
                    = m_reply->url().host() + QStringLiteral(": ") + errors.first().errorString();
    });
}

void Transfer::onRequestSent()
{
    // Only the first sending starts the deadline: redirects and Qt's own resending stay within
    // it. (socketStartedConnecting is no help here: Qt 6.4 emits it on another reply of the
    // same connection.) Any answer also proves the request went out.
    if (m_finished || !m_unsentLimit.isActive())
        return;
    m_unsentLimit.stop();
    m_deadline.start(m_deadlineMs);
}

void Transfer::onMetaDataChanged()
{
    if (m_finished || !m_reply)
        return;
    onRequestSent();
    // Refuse an announced oversize body before any of it arrives.
    bool known = false;
    const qint64 length = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && length > m_bodyCap)
        fail(FetchResult::Failure::NotAnAnswer,
             tr("The answer is too large (%1 bytes announced).").arg(length));
}

void Transfer::onReadyRead()
{
    if (m_finished || !m_reply)
        return;
    onRequestSent();
    takeAvailable();
}

// Moves what has arrived into the body; fails the transfer and returns false past the cap.
bool Transfer::takeAvailable()
{
    // One byte more than the room left is enough to know the cap is exceeded.
    m_body += m_reply->read(m_bodyCap - m_body.size() + 1);
    if (m_body.size() <= m_bodyCap)
        return true;
    fail(FetchResult::Failure::NotAnAnswer,
         tr("The answer is larger than %1 bytes.").arg(m_bodyCap));
    return false;
}

void Transfer::onFinished()
{
    if (m_finished || !m_reply)
        return;
    const QNetworkReply::NetworkError error = m_reply->error();
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // A certificate that could not be verified is named apart: a proxy that inspects https, or
    // a missing authority, is not an unreachable service.
    if (error == QNetworkReply::SslHandshakeFailedError && !m_certificateProblem.isEmpty()) {
        fail(FetchResult::Failure::Certificate, m_certificateProblem);
        return;
    }
    if (error != QNetworkReply::NoError && !(status.isValid() && isStatusError(error))) {
        fail(failureOf(error), m_reply->errorString());
        return;
    }
    // Without a final status line nothing was answered, whatever the error code says.
    if (!status.isValid() || status.toInt() < HttpStatus::firstFinal) {
        fail(FetchResult::Failure::Unreachable, tr("The server sent no answer."));
        return;
    }
    if (m_kind == Kind::SignIn)
        keepCookies();
    if (followRedirect() || !takeAvailable())
        return;
    m_result.status = status.toInt();
    succeed();
}

void Transfer::keepCookies()
{
    const QUrl from = m_reply->url();
    for (QNetworkCookie cookie :
         m_reply->header(QNetworkRequest::SetCookieHeader).value<QList<QNetworkCookie>>()) {
        cookie.normalize(from);
        m_cookies.append(cookie);
    }
}

// Redirects are followed here rather than by Qt: Qt 6.4 sends a request several times after
// the second redirect it is allowed to follow under UserVerifiedRedirectPolicy, and then can
// report an empty success. Returns true when the answer was a redirect and has been dealt with.
bool Transfer::followRedirect()
{
    // The sign-in reads what a redirect sets and goes on by itself.
    if (m_kind == Kind::SignIn)
        return false;
    if (!HttpStatus::isRedirect(
                m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()))
        return false;
    const QUrl location = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (location.isEmpty())
        return false; // nowhere to go: the page itself is the answer
    const QUrl target = m_reply->url().resolved(location);
    if (const QString refusal = redirectRefusal(m_reply->url(), target, ++m_redirects);
        !refusal.isEmpty()) {
        fail(FetchResult::Failure::NotAnAnswer, refusal);
        return true;
    }
    QNetworkAccessManager *manager = m_reply->manager();
    QNetworkRequest request = m_reply->request(); // same headers on every hop
    request.setUrl(target);
    if (m_session)
        applySession(request, *m_session); // only the cookies meant for the new address
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
    case Kind::SignedIn:
    case Kind::SignIn:
        m_result.text = decodeDeclaredOrSniffed(
                m_body,
                charsetFromContentType(
                        m_reply->header(QNetworkRequest::ContentTypeHeader).toByteArray()));
        break;
    case Kind::Download:
        break;
    }
    m_result.body = std::exchange(m_body, {});
    m_result.cookies = std::exchange(m_cookies, {});
    settle();
}

void Transfer::fail(FetchResult::Failure failure, const QString &why)
{
    if (m_finished)
        return;
    m_result = FetchResult {};
    m_result.failure = failure;
    m_result.error = why;
    m_body.clear();
    settle();
}

void Transfer::settle()
{
    m_finished = true;
    m_deadline.stop();
    m_unsentLimit.stop();
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
