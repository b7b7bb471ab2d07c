#pragma once

#include <QList>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>

class QUrl;

// The proxies the system names for a request (environment or desktop settings, through
// libproxy): http_proxy for http, https_proxy for https, none otherwise, and none for the
// hosts no_proxy names.
QList<QNetworkProxy> systemProxiesFor(const QNetworkProxyQuery &query);

// Whether a no_proxy list names the host of `url`, as curl and wget read it: entries separated
// by commas or blanks; "*" names every host; "qq.com" and ".qq.com" name qq.com and every host
// under it; "host:port" only that port; an IP address only itself, or a network as "10.0.0.0/8".
bool noProxyCovers(const QString &noProxy, const QUrl &url);

// Asks the system for every request, whatever the application-wide proxy setting is.
class SystemProxyFactory : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override
    {
        return systemProxiesFor(query);
    }
};
