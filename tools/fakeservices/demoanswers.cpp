#include "fakeservices/demoanswers.h"

#include "fakeservices/fakeservices.h"
#include "query/addresses.h"

#include <algorithm>

#include <QBuffer>
#include <QImage>
#include <QLocale>
#include <QStringEncoder>
#include <QUrl>

namespace DemoAnswers {

QByteArray visitors(const DemoAccount &a)
{
    return QStringLiteral("_Callback({\"code\":0,\"subcode\":0,\"message\":\"\",\"default\":0,"
                          "\"data\":{\"modvisitcount\":[{\"mod\":0,\"todaycount\":%1,"
                          "\"totalcount\":%2},{\"mod\":1,\"todaycount\":0,\"totalcount\":0}]}});")
            .arg(a.todayVisits)
            .arg(a.totalVisits)
            .toUtf8();
}

QByteArray portraitGbk(const DemoAccount &a)
{
    const QString text
            = QStringLiteral("portraitCallback({\"%1\":[\"http://qlogo2.store.qq.com/qzone/"
                             "%1/%1/100\",%2,-1,0,0,0,\"%3\",0]})")
                      .arg(a.qq)
                      // As the service writes it: 7840, not 7840.000000.
                      .arg(QString::number(a.points, 'f', QLocale::FloatingPointShortest))
                      .arg(a.nickname);
    QStringEncoder gbk("GB18030");
    return gbk.encode(text);
}

QByteArray moods(const DemoAccount &a)
{
    return QStringLiteral("_Callback({\"code\":0,\"msglist\":[],\"num\":new Number(20),"
                          "\"total\":new Number(%1),\"usrinfo\":{\"msgnum\":new Number(%1)}});")
            .arg(a.moods)
            .toUtf8();
}

QByteArray blog(const DemoAccount &a)
{
    QByteArray body = "_Callback({\"code\":0,\"subcode\":0,\"data\":{\"list\":[";
    for (int i = 0; i < a.blogs; ++i)
        body += "{\"blogid\":" + QByteArray::number(1000 + i) + ",\"title\":\"t\"},";
    return body + "]}});";
}

QByteArray music(const DemoAccount &a)
{
    QByteArray body = "jsonCallback({\"code\":0,\"data\":{\"songlist\":[";
    for (int i = 0; i < a.songs; ++i)
        body += "{\"xqusic_id\":" + QByteArray::number(500 + i) + ",\"xsong_name\":\"s\"},";
    return body + "]}})";
}

QByteArray flowerVine(const DemoAccount &a)
{
    return QStringLiteral("{\"code\":0,\"data\":{\"iGardener\":%5,\"iSun\":%1,\"iRain\":%2,"
                          "\"iLove\":%3,\"iNutri\":%4,\"iFruitNum\":0}}")
            .arg(a.sunshine, a.rain, a.love, a.nutrition, a.vineLevel)
            .toUtf8();
}

QByteArray currentMoods(const DemoAccount &a)
{
    return QStringLiteral("_preloadCallback({\"code\":0,\"subcode\":0,\"message\":\"\","
                          "\"default\":0,\"total\":%1,\"msglist\":[{\"tid\":\"a1\","
                          "\"content\":\"今天天气不错\"}],\"usrinfo\":{\"uin\":%2,"
                          "\"name\":\"%3\",\"msgnum\":%1}});")
            .arg(a.moods)
            .arg(a.qq, a.nickname)
            .toUtf8();
}

QByteArray currentBlog(const DemoAccount &a)
{
    QByteArray list;
    for (int i = 0; i < std::min(a.blogs, 1); ++i)
        list += "{\"blogId\":" + QByteArray::number(1000 + i) + ",\"title\":\"t\"}";
    return "_Callback({\"code\":0,\"subcode\":0,\"message\":\"\",\"data\":{\"totalNum\":"
            + QByteArray::number(a.blogs) + ",\"list\":[" + list + "]}});";
}

QByteArray png(int width, int height, const QColor &colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QString routeOf(const QString &address)
{
    const QLatin1String plain("http://");
    return address.startsWith(plain) ? address.mid(plain.size()) : address;
}

QList<ServiceAnswer> serviceAnswers(const DemoAccount &a)
{
    const QByteArray utf8 = "utf-8";
    const QByteArray pngType = "image/png";
    return {
            {Endpoint::Visitors, Addresses::visitors(a.qq), FakeResponse::text(visitors(a))},
            {Endpoint::Portrait, Addresses::portrait(a.qq), FakeResponse::text(portraitGbk(a))},
            {Endpoint::Moods, Addresses::moods(a.qq), FakeResponse::text(moods(a), utf8)},
            {Endpoint::Blog, Addresses::blog(a.qq), FakeResponse::text(blog(a), utf8)},
            {Endpoint::Music, Addresses::music(a.qq), FakeResponse::text(music(a), utf8)},
            {Endpoint::FlowerVine, Addresses::flowerVine(a.qq), FakeResponse::text(flowerVine(a))},
            {Endpoint::QZonePortrait, Addresses::qzonePortrait(a.qq),
             FakeResponse::bytes(png(100, 100, Qt::darkCyan), pngType)},
            {Endpoint::QQPortrait, Addresses::qqPortrait(a.qq),
             FakeResponse::bytes(png(100, 100, Qt::darkRed), pngType)},
    };
}

namespace {

// A signed-in address as a route: the items that differ from session to session match any value.
QString anyToken(const QString &address)
{
    QString route = Addresses::signedIn(address, 0);
    return route.replace(QLatin1String("g_tk=0"), QLatin1String("g_tk=*"));
}

} // namespace

QList<ServiceAnswer> currentAnswers(const DemoAccount &a)
{
    using namespace Addresses;
    const QByteArray utf8 = "utf-8";
    QString blogRoute = anyToken(Current::blog(a.qq, QStringLiteral("*"), 0));
    blogRoute.replace(QLatin1String("statYear=0"), QLatin1String("statYear=*"));
    QList<ServiceAnswer> rows = serviceAnswers(a);
    rows[qsizetype(Endpoint::Visitors)].address = anyToken(Current::visitors(a.qq));
    rows[qsizetype(Endpoint::Portrait)].address = anyToken(Current::portrait(a.qq));
    rows[qsizetype(Endpoint::Moods)] = {Endpoint::Moods, anyToken(Current::moods(a.qq)),
                                        FakeResponse::text(currentMoods(a), utf8)};
    rows[qsizetype(Endpoint::Blog)]
            = {Endpoint::Blog, blogRoute, FakeResponse::text(currentBlog(a), utf8)};
    rows[qsizetype(Endpoint::Music)].address = anyToken(Addresses::music(a.qq));
    rows[qsizetype(Endpoint::FlowerVine)].address = anyToken(Addresses::flowerVine(a.qq));
    rows[qsizetype(Endpoint::QQPortrait)].address = qqPortrait(a.qq, true);
    return rows;
}

ServiceAnswer currentAnswer(const DemoAccount &account, Endpoint endpoint)
{
    return currentAnswers(account).at(qsizetype(endpoint));
}

QStringList serviceHosts()
{
    QStringList hosts;
    for (const QList<ServiceAnswer> &rows : {serviceAnswers({}), currentAnswers({})}) {
        for (const ServiceAnswer &row : rows)
            hosts.append(QUrl(row.address).host());
    }
    hosts.removeDuplicates();
    return hosts;
}

ServiceAnswer serviceAnswer(const DemoAccount &account, Endpoint endpoint)
{
    ServiceAnswer row = serviceAnswers(account).at(qsizetype(endpoint));
    Q_ASSERT(row.endpoint == endpoint);
    return row;
}

void routeAccount(FakeServices &services, const DemoAccount &a, int delayMs, bool httpsOnly)
{
    // Today's first: their wildcards apply to the routes set after them.
    for (ServiceAnswer row : currentAnswers(a)) {
        row.response.delayMs = delayMs;
        services.on(row.address, row.response);
    }
    const QString prefix = httpsOnly ? QStringLiteral("https://") : QString();
    for (ServiceAnswer row : serviceAnswers(a)) {
        row.response.delayMs = delayMs;
        services.on(prefix + routeOf(row.address), row.response);
    }
}

} // namespace DemoAnswers
