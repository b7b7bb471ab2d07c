#include "accounts.h"

#include <array>

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace OfflineDemo {
namespace {

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
         {QStringLiteral("hostUin"), QStringLiteral("uin"), QStringLiteral("uins"),
          QStringLiteral("qq"), QStringLiteral("nk")}) {
        QString value = query.queryItemValue(key, QUrl::FullyDecoded);
        if (number.match(value).hasMatch())
            return value;
    }
    const QRegularExpressionMatch inPath = store.match(url.path(QUrl::FullyDecoded));
    return inPath.hasMatch() ? inPath.captured(1) : QString();
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

QByteArray restrictedCurrent()
{
    return QStringLiteral("_Callback({\"code\":-10031,\"subcode\":2,\"message\":\"对不起,主人"
                          "设置了保密,您没有权限查看\",\"notice\":0,\"time\":1700000000,"
                          "\"tips\":\"0000-0\",\"default\":0});")
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
