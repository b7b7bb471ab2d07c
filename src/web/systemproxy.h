#pragma once

#include <QList>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>

// The proxies the system names for a request (environment or desktop settings, through
// libproxy, no_proxy honoured): http_proxy for http, https_proxy for https, none otherwise.
QList<QNetworkProxy> systemProxiesFor(const QNetworkProxyQuery &query);

// Asks the system for every request, whatever the application-wide proxy setting is.
class SystemProxyFactory : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        return systemProxiesFor(query);
    }
};
