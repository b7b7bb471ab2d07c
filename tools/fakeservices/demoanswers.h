#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

class FakeServices;
struct FakeResponse;

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

QByteArray visitors(const DemoAccount &account);
// Sent without a charset, in GBK, as the portrait service does.
QByteArray portraitGbk(const DemoAccount &account);
QByteArray moods(const DemoAccount &account);
QByteArray blog(const DemoAccount &account);
QByteArray music(const DemoAccount &account);
QByteArray flowerVine(const DemoAccount &account);
QByteArray png(int width, int height, const QColor &colour);

// The route FakeServices matches for an address ("http://" taken off).
QString routeOf(const QString &address);
// Answers every service of `account` (both portraits included) on `services`; with
// `httpsOnly`, to requests over https alone.
void routeAccount(FakeServices &services, const DemoAccount &account, int delayMs = 0,
                  bool httpsOnly = false);

} // namespace DemoAnswers
