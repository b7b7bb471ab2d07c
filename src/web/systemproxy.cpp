#include "web/systemproxy.h"

namespace {

bool environmentHas(const char *lower, const char *upper)
{
    return !qEnvironmentVariableIsEmpty(lower) || !qEnvironmentVariableIsEmpty(upper);
}

} // namespace

QList<QNetworkProxy> systemProxiesFor(const QNetworkProxyQuery &query)
{
    // libproxy falls back to http_proxy for an https address when https_proxy is unset; the
    // usual rule is https_proxy or none, so a proxy meant for plain http never sees a tunnel.
    if (query.url().scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
        && !environmentHas("https_proxy", "HTTPS_PROXY")
        && environmentHas("http_proxy", "HTTP_PROXY"))
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    return QNetworkProxyFactory::systemProxyForQuery(query);
}
