#pragma once

#include "fakeservices/fakeresponse.h"
#include "fakeservices/testauthority.h"

#include <functional>
#include <optional>

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QNetworkProxy>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

class QTcpServer;

// An HTTP/1.1 server on 127.0.0.1 standing in for every web service, meant to be set as the
// client's HTTP proxy. Requests come in absolute form ("GET http://g.qzone.qq.com/x HTTP/1.1");
// origin form with a Host header is accepted too.
//
// Everything runs on the event loop of the thread that made it: no threads, no blocking waits.
// Each answer closes its connection. Clients may disconnect at any moment; destroying the
// object closes every connection.
//
// Routes: "host/path?query", "host/path", "/path?query" or "/path". The host matches without
// the port and case-insensitively; paths and queries are compared percent-decoded. The most
// specific route wins, in that order; unmatched requests get the fallback (by default a 404
// with a short body). A leading "http://" on a route is ignored; a leading "https://" makes the
// route answer https requests only, before the same route without it. Query items named by
// ignoreQueryItem() are left out of the comparison, and so are, on the same host and path, the
// items a route gives the value "*" (it matches any value) for the routes set after it. A gate,
// when set, may answer a request before any route does. HEAD gets the headers only. CONNECT (https
// through the proxy) is refused with 501 until a TLS identity is set; then the tunnel is served
// over TLS with that identity, one request inside it, recorded as "https://host/path" after the
// CONNECT itself.
class FakeServices : public QObject
{
    Q_OBJECT
public:
    explicit FakeServices(QObject *parent = nullptr);
    ~FakeServices() override;

    // Starts listening on 127.0.0.1 on `port`, or on a port the system picks when it is 0.
    bool listen(quint16 port = 0);
    quint16 port() const;
    // HttpProxy 127.0.0.1:port(), for WebClient::setProxy().
    QNetworkProxy proxy() const;

    // Sets (or replaces) the answer for a route. The answer is copied when a request arrives,
    // so changing a route does not affect requests already being answered.
    void on(const QString &route, const FakeResponse &response);
    void setFallback(const FakeResponse &response);
    void clearRoutes(); // also restores the default fallback
    // Leaves the query item `name` out when matching requests to the routes set after this
    // call (a token that changes from client to client, say).
    void ignoreQueryItem(const QString &name) { m_ignoredItems.append(name); }
    // Asked first for every request but CONNECT: an answer it gives is played instead of the
    // route's. An empty function removes the gate.
    using Gate = std::function<std::optional<FakeResponse>(const RecordedRequest &)>;
    void setGate(Gate gate) { m_gate = std::move(gate); }
    // The certificate and key every https tunnel presents, whatever host it is for.
    void setTlsIdentity(const TlsIdentity &identity) { m_tlsIdentity = identity; }

    QList<RecordedRequest> requests() const;
    // Requests the route would match, whether or not a more specific route answered them.
    QList<RecordedRequest> requestsTo(const QString &route) const;
    void clearRequests();

    // Client connections still open (being read, answered, or left waiting).
    int openConnections() const;

signals:
    // A whole request has been read and recorded; emitted before the answer is chosen, so a
    // slot may still change the routes for this very request.
    void requestReceived(const RecordedRequest &request);

private:
    class Connection;
    friend class Connection;

    void acceptConnections();
    void handle(Connection *connection, RecordedRequest request);
    FakeResponse responseFor(const RecordedRequest &request) const;
    // "host/path" of a route, without its query and scheme.
    QString hostPathOf(const QString &route) const;
    // The query items left out when matching `request`.
    QStringList ignoredFor(const RecordedRequest &request) const;

    QTcpServer *m_server;
    QElapsedTimer m_clock;
    QHash<QString, FakeResponse> m_routes;
    FakeResponse m_fallback;
    TlsIdentity m_tlsIdentity;
    QStringList m_ignoredItems;
    QHash<QString, QStringList> m_wildcards; // by "host/path": items that match any value
    Gate m_gate;
    QList<RecordedRequest> m_requests;
    QSet<Connection *> m_connections;
};
