#pragma once

#include "fakeservices/fakeservices.h"

#include <optional>

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QSslSocket;

// One client connection: reads one request, hands it to the owner, plays the answer.
class FakeServices::Connection : public QObject
{
public:
    Connection(FakeServices *owner, QSslSocket *socket);
    ~Connection() override;

    void answer(const FakeResponse &response, bool headersOnly);
    // Accepts a CONNECT: the tunnel turns into TLS with `identity`, and the next request is
    // read from inside it.
    void openTunnel(const TlsIdentity &identity);
    // Forgets the owner, which is going away.
    void detach() { m_owner = nullptr; }

private:
    void onReadyRead();
    void onBytesWritten();
    void play(const FakeResponse &response, bool headersOnly);
    void writeHead(const FakeResponse &response, std::optional<qint64> length);
    void feedEndless();
    void resetNow();
    void close();

    FakeServices *m_owner;
    QSslSocket *m_socket;
    QByteArray m_in;
    bool m_tunnelled = false;
    bool m_requestRead = false;
    bool m_closed = false;
    bool m_endless = false;
    bool m_resetWhenFlushed = false;
    QByteArray m_drip;
    qsizetype m_dripped = 0;
    QTimer m_dripTimer;
};
