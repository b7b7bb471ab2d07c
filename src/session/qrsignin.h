#pragma once

#include "session/qrlogin.h"

#include <memory>

#include <QCoreApplication>
#include <QCoroTask>
#include <QList>
#include <QNetworkCookie>
#include <QObject>

class Session;
class Transfer;
class WebClient;
struct FetchResult;

// Signing in by QR code: shows a code, polls until the phone has scanned and confirmed it (or
// refused, or it expired too often), then keeps the session the login set, in the cookies
// file at `sessionPath`, and hands it on. Every request has the client's deadline, the whole
// wait for a scan is bounded, and cancel() ends it in any state.
//
// Nothing here prints, logs or signals a secret: the code's cookie, its token, the address the
// login answers with and every cookie value stay inside, or go to the session file only.
class QrSignIn : public QObject
{
    Q_OBJECT
public:
    struct Timing
    {
        int pollMinMs = 2000; // between two polls, at random within these
        int pollMaxMs = 3000;
        int unscannedMs = 180'000; // how long a code may wait to be scanned, all codes together
        int renewals = 3; // new codes after an expired one
    };

    QrSignIn(WebClient *web, QString sessionPath, QObject *parent = nullptr);
    ~QrSignIn() override;

    void setTiming(const Timing &timing) { m_timing = timing; }
    // Starts (once); the states follow as signals.
    void start();
    // Shows a new code now, as after an expired one (not counted as one).
    void renew() { m_renewWanted = true; }
    // Ends the sign-in now: finished(Cancelled), and nothing after it.
    void cancel();

    QrLogin::State state() const { return m_state; }
    const QString &sessionPath() const { return m_sessionPath; }

signals:
    // A code to show: a PNG.
    void codeShown(const QByteArray &png);
    void stateChanged(QrLogin::State state);
    // Signed in: the session as read back from its file, and the user's own number.
    void signedIn(std::shared_ptr<const Session> session, const QString &number);
    // The end, in a final state; `message` names the login's code and its own words on a
    // failure, a file's problem, or nothing.
    void finished(QrLogin::State state, const QString &message);

private:
    QCoro::Task<void> run();
    QCoro::Task<FetchResult> fetch(const QString &url, const QByteArray &cookies = {},
                                   const QByteArray &referer = {});
    // The final state, said once.
    void finish(QrLogin::State state, const QString &message = {});
    void setState(QrLogin::State state);
    // Writes the lookup's cookies to the session file and reads them back; empty, or why not.
    QString keepSession(std::shared_ptr<const Session> *session);

    WebClient *m_web;
    QString m_sessionPath;
    Timing m_timing;
    QrLogin::State m_state = QrLogin::State::FetchingCode;
    bool m_started = false;
    bool m_finished = false;
    bool m_renewWanted = false;
    std::unique_ptr<Transfer> m_transfer; // the step in flight
    QList<QNetworkCookie> m_cookies; // every cookie the login set, in order
};
