#include "ui/sitelinks.h"

#include "config/deployment.h"

namespace SiteLinks {
namespace {
QString on(const char *host, const QString &pathAndQuery)
{
    return QStringLiteral("http://") + QLatin1String(host) + pathAndQuery;
}
} // namespace

QString forumHome()
{
    return on(Deployment::forumHost, QStringLiteral("/bbs"));
}

QString forumVineThread()
{
    return on(Deployment::forumHost,
              QStringLiteral("/bbs/forum.php?mod=viewthread&tid=30&extra=page%3D1"));
}

QString forumUpdates()
{
    return on(Deployment::forumHost, QStringLiteral("/bbs/forum.php?mod=forumdisplay&fid=2"));
}

QString fanSite()
{
    return on(Deployment::fanSiteHost, QStringLiteral("/"));
}

} // namespace SiteLinks
