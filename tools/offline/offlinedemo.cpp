#include "offlinedemo.h"

#include "config/deployment.h"
#include "query/addresses.h"

#include <array>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTime>
#include <QUrl>
#include <QUrlQuery>

namespace OfflineDemo {
namespace {

// Routes of this many numbers are kept; past it they are dropped and made again on demand,
// so a server left running for days does not grow.
constexpr qsizetype routedNumbersKept = 200;

QByteArray htmlPage(const QString &title, const QString &text)
{
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>"
                          "</head>\n<body><h1>%1</h1><p>%2</p></body></html>\n")
            .arg(title, text)
            .toUtf8();
}

// Small steady pseudo-random numbers from one seed (a linear congruential step each).
class Dice
{
public:
    explicit Dice(quint32 seed) : m_state(seed) { }
    int upTo(int limit) // 0 .. limit-1
    {
        m_state = m_state * 1664525u + 1013904223u;
        return int((m_state >> 8) % quint32(limit));
    }

private:
    quint32 m_state;
};

Account genericAccount(const QString &qq)
{
    static const std::array nicknames = {
            QStringLiteral("晴天"),     QStringLiteral("木子李"), QStringLiteral("浅笑安然"),
            QStringLiteral("阿杰"),     QStringLiteral("Sunny"),  QStringLiteral("南风知我意"),
            QStringLiteral("一只小猫"), QStringLiteral("星河"),
    };
    Dice dice(seedOf(qq));
    Account a;
    DemoAccount &v = a.values;
    v.qq = qq;
    v.nickname = nicknames.at(std::size_t(dice.upTo(int(nicknames.size()))));
    v.points = 50 + dice.upTo(25000);
    v.todayVisits = dice.upTo(60);
    v.totalVisits = 200 + dice.upTo(90000);
    v.moods = dice.upTo(400);
    v.blogs = dice.upTo(40);
    v.songs = dice.upTo(60);
    v.sunshine = QString::number(dice.upTo(500));
    v.rain = QString::number(dice.upTo(300));
    v.love = QString::number(dice.upTo(50));
    v.nutrition = QString::number(dice.upTo(200));
    v.vineLevel = QString::number(1 + dice.upTo(12));
    return a;
}

void paintFace(QPainter &p, quint32 seed)
{
    const int hue = int(seed % 360);
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor::fromHsv(hue, 70, 250));
    sky.setColorAt(1, QColor::fromHsv(hue, 150, 215));
    p.fillRect(QRectF(0, 0, 100, 100), sky);

    // Shoulders in a shirt of the opposite hue.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromHsv((hue + 180) % 360, 170, 200));
    p.drawEllipse(QRectF(16, 72, 68, 56));
    // Head, hair, eyes, cheeks and a smile.
    p.setBrush(QColor(0xf6, 0xd0, 0xa8));
    p.drawEllipse(QPointF(50, 45), 23, 25);
    p.setBrush(QColor::fromHsv(int(seed / 360 % 40), 160, 70));
    p.drawChord(QRectF(26, 18, 48, 40), 10 * 16, 160 * 16);
    p.setBrush(QColor(0x33, 0x28, 0x22));
    p.drawEllipse(QPointF(41.5, 47), 2.8, 3.3);
    p.drawEllipse(QPointF(58.5, 47), 2.8, 3.3);
    p.setBrush(QColor(0xf2, 0x8f, 0x8f, 150));
    p.drawEllipse(QPointF(36, 55), 4, 2.5);
    p.drawEllipse(QPointF(64, 55), 4, 2.5);
    QPen mouth(QColor(0x9a, 0x3b, 0x2e), 2.2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(mouth);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(42, 48, 16, 11), 200 * 16, 140 * 16);
}

void paintGarden(QPainter &p, quint32 seed)
{
    // Petal hues that stand out from the green hills: pink, red, purple, orange, blue, magenta.
    static constexpr std::array petalHues = {335, 355, 275, 30, 210, 305};
    const int hue = petalHues.at((seed >> 3) % petalHues.size());
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(0x8e, 0xc9, 0xf0));
    sky.setColorAt(1, QColor(0xe3, 0xf4, 0xfd));
    p.fillRect(QRectF(0, 0, 100, 100), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xd5, 0x4a));
    p.drawEllipse(QPointF(78, 22), 11, 11);
    // Two hills.
    p.setBrush(QColor(0x7c, 0xc5, 0x76));
    p.drawEllipse(QRectF(-30, 70, 110, 70));
    p.setBrush(QColor(0x4f, 0xa8, 0x5a));
    p.drawEllipse(QRectF(35, 78, 100, 60));
    // The vine's flower: a stem, two leaves, five petals around a heart.
    p.setPen(QPen(QColor(0x2e, 0x7d, 0x32), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(48, 88), QPointF(48, 52));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x43, 0xa0, 0x47));
    p.drawEllipse(QRectF(35, 68, 13, 6));
    p.drawEllipse(QRectF(48, 62, 13, 6));
    p.setBrush(QColor::fromHsv(hue, 150, 245));
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.translate(48, 44);
        p.rotate(72.0 * i);
        p.drawEllipse(QPointF(0, -9), 6.5, 9);
        p.restore();
    }
    p.setBrush(QColor(0xff, 0xc1, 0x07));
    p.drawEllipse(QPointF(48, 44), 5, 5);
}

} // namespace

quint32 seedOf(const QString &qq)
{
    // FNV-1a: steady from run to run, unlike qHash.
    quint32 h = 2166136261u;
    for (const char c : qq.toLatin1()) {
        h ^= quint8(c);
        h *= 16777619u;
    }
    return h;
}

Account accountFor(const QString &qq)
{
    Account a;
    DemoAccount &v = a.values;
    v.qq = qq;
    if (qq == QLatin1String(publicNumber))
        return a; // DemoAccount's own values: 小明, 7840 points, every count
    if (qq == QLatin1String(restrictedNumber)) {
        v.nickname = QStringLiteral("秘密花园");
        v.points = 2150;
        v.songs = 8;
        v.blogs = 0;
        v.sunshine = QStringLiteral("36");
        v.rain = QStringLiteral("12");
        v.love = QStringLiteral("2");
        v.nutrition = QStringLiteral("20");
        v.vineLevel = QStringLiteral("1");
        a.space = Space::Restricted;
        a.hdPortrait = false;
        return a;
    }
    if (qq == QLatin1String(noPortraitNumber)) {
        v.nickname = QStringLiteral("路人甲");
        v.points = 365;
        v.todayVisits = 0;
        v.totalVisits = 213;
        v.moods = 5;
        v.blogs = 1;
        v.songs = 0;
        v.sunshine = QStringLiteral("0");
        v.rain = QStringLiteral("0");
        v.love = QStringLiteral("0");
        v.nutrition = QStringLiteral("0");
        v.vineLevel = QStringLiteral("0");
        a.portraits = false;
        a.hdPortrait = false;
        return a;
    }
    return genericAccount(qq);
}

QString numberIn(const QUrl &url)
{
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,15}$"));
    static const QRegularExpression store(QStringLiteral("^/qzone/([0-9]{1,15})/"));
    const QUrlQuery query(url);
    for (const QString &key :
         {QStringLiteral("uin"), QStringLiteral("uins"), QStringLiteral("qq")}) {
        const QString value = query.queryItemValue(key, QUrl::FullyDecoded);
        if (number.match(value).hasMatch())
            return value;
    }
    const QRegularExpressionMatch inPath = store.match(url.path(QUrl::FullyDecoded));
    return inPath.hasMatch() ? inPath.captured(1) : QString();
}

QByteArray avatarPng(AvatarStyle style, int side, quint32 seed)
{
    QImage image(side, side, QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(side / 100.0, side / 100.0);
        if (style == AvatarStyle::Face)
            paintFace(p, seed);
        else
            paintGarden(p, seed);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray restrictedVisitors()
{
    return QStringLiteral("_Callback({\"code\":-4009,\"subcode\":-4009,\"message\":\"对不起,"
                          "您没有访问权限\","
                          "\"notice\":0,\"time\":1700000000,\"tips\":\"0000-0\",\"default\":0,"
                          "\"data\":{}});")
            .toUtf8();
}

QByteArray restrictedMoods(const DemoAccount &account)
{
    return QStringLiteral("_Callback({\"code\":-10031,\"subcode\":-10031,"
                          "\"message\":\"对不起,主人设置了保密,您没有权限查看\",\"notice\":0,"
                          "\"time\":1700000000,\"tips\":\"\",\"usrinfo\":{\"name\":\"%1\","
                          "\"uin\":%2}});")
            .arg(account.nickname, account.qq)
            .toUtf8();
}

QByteArray restrictedBlog()
{
    return QStringLiteral("_Callback({\"code\":-4009,\"subcode\":-4009,\"message\":\"对不起,"
                          "您没有访问权限\","
                          "\"data\":{}});")
            .toUtf8();
}

} // namespace OfflineDemo

using namespace OfflineDemo;

OfflineServer::OfflineServer(QObject *parent)
    : QObject(parent)
    , m_sitePage(FakeResponse::text(htmlPage(QStringLiteral("Zv系列软件官方论坛"),
                                             QStringLiteral("离线试用: 论坛页面只是一个示例。")),
                                    "utf-8"))
    , m_notFound(FakeResponse::text(htmlPage(QStringLiteral("404 Not Found"),
                                             QStringLiteral("离线试用的服务器没有这个页面。")),
                                    "utf-8"))
{
    m_notFound.status = 404;
    connect(&m_services, &FakeServices::requestReceived, this, &OfflineServer::onRequest);
    routeProbePage();
}

bool OfflineServer::listen(quint16 port)
{
    return m_services.listen(port);
}

void OfflineServer::onRequest(const RecordedRequest &request)
{
    // Nothing reads the record back: keep none.
    m_services.clearRequests();

    QString method = QString::fromLatin1(request.method);
    method.replace(QRegularExpression(QStringLiteral("[^A-Za-z]")), QStringLiteral("?"));
    emit requestLogged(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) + u' ' + method
                       + u' ' + QString::fromLatin1(request.url.toEncoded()));

    // Routes (and the fallback) set now still answer this very request.
    const QString qq = numberIn(request.url);
    if (!qq.isEmpty() && !m_routedNumbers.contains(qq))
        routeNumber(qq);
    // Every page of the forum and the fan-site is there; anything else unknown is not.
    const QString host = QString::fromLatin1(request.host);
    const bool sitePage = host == QLatin1String(Deployment::forumHost)
            || host == QLatin1String(Deployment::fanSiteHost);
    m_services.setFallback(sitePage ? m_sitePage : m_notFound);
}

void OfflineServer::routeProbePage()
{
    // Timer2's reachability check ends the program when this page comes back empty.
    const QByteArray page = htmlPage(QStringLiteral("Mirelo 离线试用"),
                                     QStringLiteral("这里是离线试用的服务器, 网络检测由它应答。"));
    m_services.on(DemoAnswers::routeOf(Addresses::reachabilityProbe()),
                  FakeResponse::text(page, "utf-8"));
}

void OfflineServer::routeNumber(const QString &qq)
{
    if (m_routedNumbers.size() >= routedNumbersKept) {
        m_services.clearRoutes();
        m_routedNumbers.clear();
        routeProbePage();
    }
    m_routedNumbers.insert(qq);

    using DemoAnswers::routeOf;
    const Account account = accountFor(qq);
    DemoAnswers::routeAccount(m_services, account.values);

    const quint32 seed = seedOf(qq);
    if (account.portraits) {
        m_services.on(routeOf(Addresses::qzonePortrait(qq)),
                      FakeResponse::bytes(avatarPng(AvatarStyle::Garden, 100, seed), "image/png"));
        m_services.on(routeOf(Addresses::qqPortrait(qq)),
                      FakeResponse::bytes(avatarPng(AvatarStyle::Face, 100, seed), "image/png"));
    } else {
        // The store has none; the other service says so in a page instead of a picture.
        m_services.on(routeOf(Addresses::qzonePortrait(qq)), m_notFound);
        m_services.on(routeOf(Addresses::qqPortrait(qq)),
                      FakeResponse::text(htmlPage(QStringLiteral("QQ头像"),
                                                  QStringLiteral("该用户没有设置头像。")),
                                         "utf-8"));
    }
    m_services.on(routeOf(Addresses::qqPortraitHd(qq)),
                  account.hdPortrait ? FakeResponse::bytes(avatarPng(AvatarStyle::Face, 640, seed),
                                                           "image/png")
                                     : m_notFound);

    if (account.space == Space::Restricted) {
        m_services.on(routeOf(Addresses::visitors(qq)),
                      FakeResponse::text(restrictedVisitors(), "utf-8"));
        m_services.on(routeOf(Addresses::moods(qq)),
                      FakeResponse::text(restrictedMoods(account.values), "utf-8"));
        m_services.on(routeOf(Addresses::blog(qq)), FakeResponse::text(restrictedBlog(), "utf-8"));
    }
}
