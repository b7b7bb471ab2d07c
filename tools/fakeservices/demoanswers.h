#pragma once

#include "fakeservices/fakeservices.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>

// Answers shaped like the real services' answers, for one account.
struct DemoAccount
{
    QString qq = QStringLiteral("10001");
    QString nickname = QStringLiteral("小明");
    double points = 7840;
    int todayVisits = 12;
    int totalVisits = 34567;
    int moods = 37;
    int blogs = 3;
    int songs = 20;
    QString sunshine = QStringLiteral("120");
    QString rain = QStringLiteral("45");
    QString love = QStringLiteral("6");
    QString nutrition = QStringLiteral("78");
    QString vineLevel = QStringLiteral("3");
};

namespace DemoAnswers {

// Every address one query asks: the six services and the two portrait pictures.
enum class Endpoint {
    Visitors,
    Portrait,
    Moods,
    Blog,
    Music,
    FlowerVine,
    QZonePortrait,
    QQPortrait
};

// What one service answers for an account, and where: the response carries the body with the
// content type and charset the real service sends it with.
struct ServiceAnswer
{
    Endpoint endpoint;
    QString address;
    FakeResponse response;
};

// One row per endpoint, in the order of Endpoint: the services as they were built, asked
// without a session.
QList<ServiceAnswer> serviceAnswers(const DemoAccount &account);
ServiceAnswer serviceAnswer(const DemoAccount &account, Endpoint endpoint);
// The same for the services as they answer a signed-in user today: at today's addresses over
// https, in today's shapes. The addresses are routes: their g_tk, the signed-in user's number
// and the year match any value.
QList<ServiceAnswer> currentAnswers(const DemoAccount &account);
ServiceAnswer currentAnswer(const DemoAccount &account, Endpoint endpoint);

QByteArray visitors(const DemoAccount &account);
// Sent without a charset, in GBK, as the portrait service does.
QByteArray portraitGbk(const DemoAccount &account);
QByteArray moods(const DemoAccount &account);
QByteArray blog(const DemoAccount &account);
QByteArray music(const DemoAccount &account);
QByteArray flowerVine(const DemoAccount &account);
// Today's answers where their shape has changed.
QByteArray currentMoods(const DemoAccount &account);
QByteArray currentBlog(const DemoAccount &account);
QByteArray png(int width, int height, const QColor &colour);

// Every host the rows of both lists go to, each once: what a test authority must vouch for.
QStringList serviceHosts();

// The route FakeServices matches for an address ("http://" taken off; an https address stays
// as it is, a route for https alone).
QString routeOf(const QString &address);
// Answers every row of serviceAnswers(account) on `services` (with `httpsOnly`, to requests over
// https alone) and every row of currentAnswers(account).
void routeAccount(FakeServices &services, const DemoAccount &account, int delayMs = 0,
                  bool httpsOnly = false);

} // namespace DemoAnswers
