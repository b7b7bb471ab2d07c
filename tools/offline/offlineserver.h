#pragma once

#include "fakeservices/fakeservices.h"

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

signals:
    // One line per request, as received: time, method, absolute address.
    void requestLogged(const QString &line);

private:
    void onRequest(const RecordedRequest &request);
    void routeProbePage();
    void routeNumber(const QString &qq);

    FakeServices m_services;
    QSet<QString> m_routedNumbers;
    FakeResponse m_sitePage;
    FakeResponse m_notFound;
};
