#include "session/qrsignin.h"

#include "session/cookiesfile.h"
#include "web/httpstatus.h"
#include "web/session.h"
#include "web/webclient.h"

#include <QCoroTimer>
#include <QDateTime>
#include <QElapsedTimer>
#include <QPointer>
#include <QRandomGenerator>
#include <QSet>

using QrLogin::State;

namespace {

// What a lookup needs of the session: nothing else is kept.
const QSet<QByteArray> lookupCookieNames = {"uin", "skey", "p_uin", "p_skey", "pt4_token"};
constexpr int restrictedStatus = 403;
const QByteArray pngSignature = QByteArrayLiteral("\x89PNG\r\n\x1a\n");

// The last value the login set for `name`; empty when none.
QByteArray cookieValue(const QList<QNetworkCookie> &cookies, const QByteArray &name)
{
    for (qsizetype i = cookies.size() - 1; i >= 0; --i) {
        if (cookies.at(i).name() == name)
            return cookies.at(i).value();
    }
    return {};
}

// The cookies a lookup sends, as the cookies file keeps them: of the session site, the last of
// each name, domain and path, without those a later answer deleted.
QList<SessionCookie> lookupCookies(const QList<QNetworkCookie> &given)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<SessionCookie> kept;
    for (const QNetworkCookie &c : given) {
        if (!lookupCookieNames.contains(c.name()))
            continue;
        SessionCookie cookie;
        cookie.includeSubdomains = c.domain().startsWith(u'.');
        cookie.domain = c.domain().mid(cookie.includeSubdomains ? 1 : 0).toLower();
        cookie.path = c.path().isEmpty() ? QStringLiteral("/") : c.path();
        cookie.secure = c.isSecure();
        cookie.httpOnly = c.isHttpOnly();
        cookie.expires = c.isSessionCookie() ? 0 : c.expirationDate().toSecsSinceEpoch();
        cookie.name = c.name();
        cookie.value = c.value();
        kept.removeIf([&cookie](const SessionCookie &elder) {
            return elder.name == cookie.name && elder.domain == cookie.domain
                    && elder.path == cookie.path;
        });
        const bool deleted
                = c.value().isEmpty() || (!c.isSessionCookie() && c.expirationDate() <= now);
        if (!deleted)
            kept.append(cookie);
    }
    return kept;
}

// Why a step failed, in the words mirelo-lookup uses, never Qt's text: that can carry the
// address, and the addresses carry the login's token and signature.
QString failureOf(const FetchResult &fetch)
{
    switch (fetch.failure) {
    case FetchResult::Failure::Timeout:
        return QStringLiteral("timeout");
    case FetchResult::Failure::NotAnAnswer:
        return QStringLiteral("not-an-answer");
    case FetchResult::Failure::Certificate:
        return QStringLiteral("certificate");
    case FetchResult::Failure::None:
    case FetchResult::Failure::Unreachable:
    case FetchResult::Failure::Cancelled:
        break;
    }
    return QStringLiteral("unreachable");
}

} // namespace

QrSignIn::QrSignIn(WebClient *web, QString sessionPath, QObject *parent)
    : QObject(parent), m_web(web), m_sessionPath(std::move(sessionPath))
{ }

QrSignIn::~QrSignIn() = default;

void QrSignIn::start()
{
    if (std::exchange(m_started, true))
        return;
    run();
}

void QrSignIn::cancel()
{
    if (m_finished)
        return;
    if (m_transfer)
        m_transfer->abort();
    finish(State::Cancelled);
}

void QrSignIn::setState(State state)
{
    if (m_finished || state == m_state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void QrSignIn::finish(State state, const QString &message)
{
    if (std::exchange(m_finished, true))
        return;
    m_state = state;
    emit stateChanged(state);
    emit finished(state, message);
}

QCoro::Task<FetchResult> QrSignIn::fetch(const QString &url, const QByteArray &cookies,
                                         const QByteArray &referer)
{
    m_transfer = m_web->startSignIn(url, cookies, referer);
    // The future outlives the transfer and this object: what follows checks for both.
    co_return co_await m_transfer->wait();
}

QCoro::Task<void> QrSignIn::run()
{
    const QPointer<QrSignIn> self(this);
    const auto over = [&self] { return !self || self->m_finished; };

    // The login page's signature: without it the poll still works.
    const FetchResult page = co_await fetch(QrLogin::loginPageAddress());
    if (over())
        co_return;
    m_cookies += page.cookies;
    const QByteArray loginSig = cookieValue(m_cookies, "pt_login_sig");

    int renewals = 0;
    QElapsedTimer unscanned;
    unscanned.start();
    for (;;) {
        const FetchResult code = co_await fetch(
                QrLogin::codeAddress(QRandomGenerator::global()->generateDouble()));
        if (over())
            co_return;
        if (code.ok && code.status == restrictedStatus)
            co_return finish(State::Restricted);
        const QByteArray qrsig = cookieValue(code.cookies, "qrsig");
        if (!code.ok || !HttpStatus::isSuccess(code.status) || qrsig.isEmpty()
            || !code.body.startsWith(pngSignature)) {
            co_return finish(
                    State::Failed,
                    code.ok ? tr("the code came without its picture (HTTP %1)").arg(code.status)
                            : failureOf(code));
        }
        m_cookies += code.cookies;
        emit codeShown(code.body);
        setState(renewals > 0 || m_state == State::Renewed ? State::Renewed : State::Waiting);
        m_renewWanted = false;

        // Poll this code until it is used up.
        bool scanned = false;
        for (;;) {
            const int pause = QRandomGenerator::global()->bounded(
                    m_timing.pollMinMs, std::max(m_timing.pollMinMs + 1, m_timing.pollMaxMs));
            co_await QCoro::sleepFor(std::chrono::milliseconds(pause));
            if (over())
                co_return;
            if (m_renewWanted)
                break;
            if (!scanned && unscanned.elapsed() > m_timing.unscannedMs)
                co_return finish(State::Expired);
            const FetchResult poll = co_await fetch(
                    QrLogin::pollAddress(QrLogin::hash33(QString::fromLatin1(qrsig)), loginSig,
                                         QDateTime::currentMSecsSinceEpoch()),
                    "qrsig=" + qrsig, QrLogin::pollReferer);
            if (over())
                co_return;
            if (!poll.ok)
                co_return finish(State::Failed, failureOf(poll));
            const std::optional<QrLogin::PollAnswer> answer = QrLogin::parsePollAnswer(poll.text);
            if (!answer || !HttpStatus::isSuccess(poll.status))
                co_return finish(State::Failed,
                                 tr("the login answered no state (HTTP %1)").arg(poll.status));
            const State state = QrLogin::stateOfCode(answer->code);
            const QString said = tr("%1 %2", "code, message").arg(answer->code, answer->message);
            if (state == State::Waiting)
                continue;
            if (state == State::Scanned) {
                if (!std::exchange(scanned, true))
                    unscanned.restart(); // the confirmation gets a wait of its own
                setState(State::Scanned);
                continue;
            }
            if (state == State::Renewed) {
                if (++renewals > m_timing.renewals)
                    co_return finish(State::Expired, said);
                setState(State::Renewed);
                unscanned.restart();
                break;
            }
            if (state != State::SignedIn)
                co_return finish(state, said);

            // Signed in: the check_sig address sets the rest of the session with its redirect.
            m_cookies += poll.cookies;
            const FetchResult check = co_await fetch(answer->url);
            if (over())
                co_return;
            if (!check.ok)
                co_return finish(State::Failed, failureOf(check));
            m_cookies += check.cookies;
            std::shared_ptr<const Session> session;
            const QString problem = keepSession(&session);
            if (!problem.isEmpty())
                co_return finish(State::Failed, problem);
            emit signedIn(session, session->ownNumber());
            co_return finish(State::SignedIn);
        }
    }
}

QString QrSignIn::keepSession(std::shared_ptr<const Session> *session)
{
    const QList<SessionCookie> cookies = lookupCookies(m_cookies);
    m_cookies.clear();
    if (const QString problem = CookiesFile::write(m_sessionPath, cookies); !problem.isEmpty())
        return tr("cannot write %1: %2").arg(m_sessionPath, problem);
    const SessionLoad load = CookiesFile::read(m_sessionPath);
    if (!load.session)
        return load.error;
    *session = load.session;
    return {};
}
