#include "support/refusedproxy.h"

#include <QTcpServer>
#include <QTest>

QNetworkProxy refusedProxy()
{
    // A port the system has just handed out and taken back: free, and not handed out again soon.
    QTcpServer server;
    QTest::qVerify(server.listen(QHostAddress::LocalHost), "server.listen(QHostAddress::LocalHost)",
                   "", __FILE__, __LINE__);
    const quint16 port = server.serverPort();
    server.close();
    return {QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port};
}
