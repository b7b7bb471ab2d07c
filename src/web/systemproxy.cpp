#include "web/systemproxy.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QUrl>

namespace {

bool environmentHas(const char *lower, const char *upper)
{
    return !qEnvironmentVariableIsEmpty(lower) || !qEnvironmentVariableIsEmpty(upper);
}

// The lower-case variable wins, as in curl.
QString environmentValue(const char *lower, const char *upper)
{
    return qEnvironmentVariableIsSet(lower) ? qEnvironmentVariable(lower)
                                            : qEnvironmentVariable(upper);
}

int defaultPort(const QUrl &url)
{
    constexpr int httpPort = 80;
    constexpr int httpsPort = 443;
    const bool https = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    return url.port(https ? httpsPort : httpPort);
}

bool entryCovers(QString entry, const QUrl &url)
{
    // "[::1]:8080", "[::1]", "host:8080"; a bare IPv6 address has more than one colon.
    std::optional<int> port;
    if (entry.startsWith(u'[')) {
        const qsizetype close = entry.indexOf(u']');
        if (close < 0)
            return false;
        const QString rest = entry.mid(close + 1);
        if (rest.startsWith(u':'))
            port = rest.mid(1).toInt();
        entry = entry.mid(1, close - 1);
    } else if (entry.count(u':') == 1) {
        const qsizetype colon = entry.indexOf(u':');
        port = entry.mid(colon + 1).toInt();
        entry.truncate(colon);
    }
    if (port && *port != defaultPort(url))
        return false;

    const QString host = url.host().toLower();
    QHostAddress address;
    if (address.setAddress(host)) {
        if (entry.contains(u'/')) {
            const auto network = QHostAddress::parseSubnet(entry);
            return network.second >= 0 && address.isInSubnet(network);
        }
        return QHostAddress(entry) == address;
    }
    while (entry.startsWith(u'.'))
        entry.remove(0, 1);
    while (entry.endsWith(u'.'))
        entry.chop(1);
    if (entry.isEmpty())
        return false;
    return host == entry || host.endsWith(u'.' + entry);
}

} // namespace

bool noProxyCovers(const QString &noProxy, const QUrl &url)
{
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    for (const QString &entry : noProxy.toLower().split(separators, Qt::SkipEmptyParts)) {
        if (entry == QLatin1String("*") || entryCovers(entry, url))
            return true;
    }
    return false;
}

QList<QNetworkProxy> systemProxiesFor(const QNetworkProxyQuery &query)
{
    // libproxy reads no_proxy more narrowly than curl and wget ("qq.com" misses its subdomains,
    // "*" is ignored); users write it for those.
    if (noProxyCovers(environmentValue("no_proxy", "NO_PROXY"), query.url()))
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    // libproxy falls back to http_proxy for an https address when https_proxy is unset; the
    // usual rule is https_proxy or none, so a proxy meant for plain http never sees a tunnel.
    if (query.url().scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
        && !environmentHas("https_proxy", "HTTPS_PROXY")
        && environmentHas("http_proxy", "HTTP_PROXY"))
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    return QNetworkProxyFactory::systemProxyForQuery(query);
}
