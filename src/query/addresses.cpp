#include "query/addresses.h"

#include "config/deployment.h"

namespace Addresses {
namespace {
QString on(const char *host, const QString &pathAndQuery)
{
    return QStringLiteral("http://") + QLatin1String(host) + pathAndQuery;
}

QString overHttpsOn(const char *host, const QString &pathAndQuery)
{
    return QStringLiteral("https://") + QLatin1String(host) + pathAndQuery;
}

// Today's front end reaches the visitor, mood and blog services through its own host.
QString throughQzoneProxy(const QString &domainPathAndQuery)
{
    return overHttpsOn(Deployment::qzoneUserHost, QStringLiteral("/proxy/domain/"))
            + domainPathAndQuery;
}

// QQ's public avatar service in `pixels` (100 or 640), or the outside service when named.
QString qqPortraitOf(const QString &qq, bool signedIn, int pixels)
{
    const QString size = QString::number(pixels);
    if (Deployment::qqPortraitHost[0] != '\0') {
        return on(Deployment::qqPortraitHost,
                  QStringLiteral("/api/getImg/type/qqlogo/size/") + size + QStringLiteral("?qq=")
                          + qq);
    }
    const QString pathAndQuery = QStringLiteral("/g?b=qq&nk=") + qq + QStringLiteral("&s=") + size;
    return signedIn ? overHttpsOn(Deployment::qqAvatarHost, pathAndQuery)
                    : on(Deployment::qqAvatarHost, pathAndQuery);
}
} // namespace

QString visitors(const QString &qq)
{
    return on(Deployment::visitorsHost,
              QStringLiteral("/cgi-bin/friendshow/cgi_get_visitor_simple?uin=") + qq);
}

QString portrait(const QString &qq)
{
    return on(Deployment::baseHost,
              QStringLiteral("/fcg-bin/cgi_get_portrait.fcg?uins=") + qq
                      + QStringLiteral("&get_nick=1"));
}

QString moods(const QString &qq)
{
    return on(Deployment::moodsHost,
              QStringLiteral("/cgi-bin/emotion_cgi_msglist?uin=") + qq
                      + QStringLiteral("&ftype=0&sort=0&num=20&pos=20&g_tk=2750318846"));
}

QString blog(const QString &qq)
{
    return on(Deployment::blogHost,
              QStringLiteral("/cgi-bin/blognew/blog_get_titlelist?uin=") + qq
                      + QStringLiteral("&vuin=0&property=GoRE&category=&numperpage=100&sorttype=0&"
                                       "arch=0&pos=0&direct=1&r=268242"));
}

QString music(const QString &qq)
{
    return on(Deployment::musicHost,
              QStringLiteral("/fcg-bin/cgi_playlist_xml.fcg?uin=") + qq
                      + QStringLiteral("&json=1&comPic=1&p=0.05110394364654258&inCharset=GB2312&"
                                       "outCharset=utf8&hostUin=")
                      + qq
                      + QStringLiteral("&notice=0&needNewCode=0&format=jsonp&platform=musicbox&"
                                       "utf8=1&jsonpCallback=jsonCallback&g_tk=7302"));
}

QString flowerVine(const QString &qq)
{
    return on(Deployment::flowerHost, QStringLiteral("/fcg-bin/fcg_get_user_flowerinfo?uin=") + qq);
}

QString qzonePortrait(const QString &qq)
{
    return on(Deployment::portraitStoreHost,
              QStringLiteral("/qzone/") + qq + QStringLiteral("/") + qq + QStringLiteral("/100"));
}

QString qqPortrait(const QString &qq, bool signedIn)
{
    constexpr int pixels = 100;
    return qqPortraitOf(qq, signedIn, pixels);
}

QString qqPortraitHd(const QString &qq, bool signedIn)
{
    constexpr int pixels = 640;
    return qqPortraitOf(qq, signedIn, pixels);
}

QString reachabilityProbe()
{
    return on(Deployment::probeHost, QStringLiteral("/"));
}

QString signedIn(const QString &address, quint32 gtk)
{
    QString signedAddress = address;
    if (signedAddress.startsWith(QLatin1String("http://")))
        signedAddress.replace(0, 4, QStringLiteral("https"));
    const QString value = QString::number(gtk);
    const qsizetype query = signedAddress.indexOf(QLatin1Char('?'));
    if (query < 0)
        return signedAddress + QStringLiteral("?g_tk=") + value;
    for (const QLatin1String name : {QLatin1String("?g_tk="), QLatin1String("&g_tk=")}) {
        const qsizetype at = signedAddress.indexOf(name, query);
        if (at < 0)
            continue;
        const qsizetype start = at + name.size();
        qsizetype end = signedAddress.indexOf(QLatin1Char('&'), start);
        if (end < 0)
            end = signedAddress.size();
        return signedAddress.replace(start, end - start, value);
    }
    return signedAddress + QStringLiteral("&g_tk=") + value;
}

namespace Current {

QString visitors(const QString &qq)
{
    return throughQzoneProxy(QStringLiteral("g.qzone.qq.com/cgi-bin/friendshow/"
                                            "cgi_get_visitor_simple?uin=")
                             + qq + QStringLiteral("&mask=2&page=1&fupdate=1"));
}

QString portrait(const QString &qq)
{
    return overHttpsOn(Deployment::baseHost,
                       QStringLiteral("/fcg-bin/cgi_get_portrait.fcg?uins=") + qq
                               + QStringLiteral("&get_nick=1"));
}

QString moods(const QString &qq)
{
    return throughQzoneProxy(
            QStringLiteral("taotao.qq.com/cgi-bin/emotion_cgi_msglist_v6?uin=") + qq
            + QStringLiteral("&ftype=0&sort=0&pos=0&num=1&replynum=0&code_version=1&format=jsonp&"
                             "need_private_comment=1"));
}

QString blog(const QString &qq, const QString &self, int year)
{
    return throughQzoneProxy(
            QStringLiteral("b.qzone.qq.com/cgi-bin/blognew/get_abs?hostUin=") + qq
            + QStringLiteral("&uin=") + self
            + QStringLiteral("&blogType=0&cateName=&cateHex=&statYear=") + QString::number(year)
            + QStringLiteral("&reqInfo=7&pos=0&num=1&sortType=0&absType=0&source=0&ref=qzone&"
                             "verbose=1&inCharset=utf-8&outCharset=utf-8&format=jsonp"));
}

} // namespace Current

} // namespace Addresses
