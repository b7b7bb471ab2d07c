#include "web/addressrules.h"

#include "web/transfer.h"

#include <QCoreApplication>
#include <QUrl>

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty()
            && (scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0
                || scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0);
}

QString redirectRefusal(const QUrl &from, const QUrl &target, int nth)
{
    if (!isWebAddress(target))
        return Transfer::tr("Redirected to a non-web address: %1").arg(target.toDisplayString());
    if (from.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
        && target.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0)
        return Transfer::tr("Redirected from https to plain http: %1")
                .arg(target.toDisplayString());
    if (nth > Transfer::maxRedirects)
        return Transfer::tr("Redirected more than %1 times.").arg(Transfer::maxRedirects);
    return {};
}
