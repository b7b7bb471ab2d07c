#pragma once

#include "fakeservices/fakeservices.h"
#include "fakeservices/testauthority.h"
#include "signinplay.h"

#include <deque>
#include <memory>

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>

// FakeServices listening on 127.0.0.1 with the demo routes; numbers other than the demo ones
// are routed the first time a request carries them.
class OfflineServer : public QObject
{
    Q_OBJECT
public:
    explicit OfflineServer(QObject *parent = nullptr);

    // 0: a port the system picks.
    bool listen(quint16 port);
    quint16 port() const { return m_services.port(); }

    // Serves the six services over https too (CONNECT through this proxy), with certificates
    // of an authority made now; empty, or why not (openssl is needed).
    QString offerHttps();
    // The authority's certificate while https is offered: a client must trust it.
    const TestAuthority *authority() const { return m_authority.get(); }
    // The six services answer as they do today: at today's addresses (the old mood and blog
    // ones are gone), to a current browser only, and their values only to the demo account's
    // session.
    void setSignedInOnly(bool on) { m_signedInOnly = on; }
    // Past `perMinute` answered service requests in the last minute, the services say to
    // slow down; 0: never.
    void setRateLimit(int perMinute) { m_rateLimit = perMinute; }
    // How the sign-in by QR code ends.
    void setSignInEnding(SignInPlay::Ending ending) { m_signIn = SignInPlay(ending); }

signals:
    // One line per request, as received: time, method, absolute address.
    void requestLogged(const QString &line);

private:
    void onRequest(const RecordedRequest &request);
    void routeProbePage();
    void routeNumber(const QString &qq);
    std::optional<FakeResponse> gate(const RecordedRequest &request);
    // Whether `request` asks an address today's services no longer answer.
    static bool isGoneToday(const RecordedRequest &request);

    FakeServices m_services;
    std::unique_ptr<TestAuthority> m_authority;
    SignInPlay m_signIn;
    bool m_signedInOnly = false;
    int m_rateLimit = 0;
    QElapsedTimer m_clock;
    std::deque<qint64> m_answeredAt; // service requests answered in the last minute, in ms
    QSet<QString> m_routedNumbers;
    FakeResponse m_sitePage;
    FakeResponse m_notFound;
};
