#include "cli/lookupresult.h"
#include "query/queryrecord.h"
#include "query/services.h"
#include "web/charset.h"
#include "web/fetchresult.h"

#include <QStringEncoder>
#include <QTest>

Q_DECLARE_METATYPE(Service)

namespace {

// The values a reading left in the record for `service`, as one line; empty: none.
QString valuesOf(Service service, const QueryRecord &r)
{
    const auto count = [](const std::optional<std::int64_t> &n) {
        return n ? QString::number(*n) : QString();
    };
    switch (service) {
    case Service::Visitors:
        return r.todayVisits.isEmpty() && r.totalVisits.isEmpty()
                ? QString()
                : r.todayVisits + u' ' + r.totalVisits;
    case Service::Portrait:
        return r.points == 0 && r.nickname.isEmpty()
                ? QString()
                : QString::number(r.points) + u' ' + r.nickname;
    case Service::Moods:
        return r.moodCount;
    case Service::Blog:
        return count(r.blogCount);
    case Service::Music:
        return count(r.musicCount);
    case Service::FlowerVine:
        break;
    }
    return r.vine ? r.vine->sunshine + u' ' + r.vine->level : QString();
}

QByteArray callback(const char *name, const QByteArray &json)
{
    return QByteArray(name) + '(' + json + ");";
}

} // namespace

// Today's answers, each read once into its value and outcome: only a whole answer gives values.
class TestReadings : public QObject
{
    Q_OBJECT

private slots:
    void currentAnswers_data()
    {
        QTest::addColumn<Service>("service");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("values");

        const QByteArray visitors = R"({"code":0,"subcode":0,"message":"","default":0,"data":
            {"modvisitcount":[{"mod":0,"todaycount":12,"totalcount":34567},
            {"mod":1,"todaycount":0,"totalcount":0}]}})";
        const QByteArray moods = R"({"code":0,"subcode":0,"message":"","total":37,"msglist":[],
            "usrinfo":{"uin":10001,"name":"小明","msgnum":37}})";
        const QByteArray blog = R"({"code":0,"subcode":0,"data":{"totalNum":3,
            "list":[{"blogId":1288,"title":"t"}]}})";
        const QByteArray portrait
                = R"({"10001":["http://qlogo2.store.qq.com/qzone/10001/10001/100",7840,-1,0,0,0,"小明",0]})";
        const QByteArray music = R"({"code":0,"data":{"xmusicnum":20,"songlist":[]}})";
        const struct
        {
            const char *name;
            Service service;
            QByteArray good;
            QString values;
        } services[] = {
                {"visitors", Service::Visitors, callback("_Callback", visitors), "12 34567"},
                {"moods", Service::Moods, callback("_preloadCallback", moods), "37"},
                {"blog", Service::Blog, callback("_Callback", blog), "3"},
                {"portrait", Service::Portrait, callback("portraitCallBack", portrait),
                 u"7840 小明"_qs},
                {"music", Service::Music, callback("jsonCallback", music), "20"},
        };
        const QByteArray friendsOnly = callback(
                "_Callback",
                R"({"code":-10031,"subcode":2,"message":"对不起,主人设置了保密,您没有权限查看"})");
        const QByteArray firewall = "<html><script>window.location.href=\"https://"
                                    "waf.tencent.com/501page.html?u=x\";</script></html>";
        for (const auto &s : services) {
            const auto row = [&s](const char *what) {
                return &QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(s.name, what)));
            };
            *row("good") << s.service << s.good << u"answered"_qs << s.values;
            // Friends only: a finding for visitors and moods, a failure for the others.
            *row("friends only") << s.service << friendsOnly << u"no-permission"_qs << QString();
            for (const char *code : {"-3000", "-4002"}) {
                *row(code) << s.service
                           << callback("_Callback",
                                       QByteArray(R"({"code":)") + code
                                               + R"(,"message":"请先登录"})")
                           << u"signin-needed"_qs << QString();
            }
            *row("firewall page") << s.service << firewall << u"blocked"_qs << QString();
            *row("no JSON in the callback")
                    << s.service << QByteArray("_Callback(<html>503</html>);")
                    << u"not-an-answer"_qs << QString();
        }
        QTest::newRow("login wanted, error object")
                << Service::Blog << QByteArray(R"({"error":{"type":"need login"}})")
                << u"signin-needed"_qs << QString();
        QTest::newRow("visitors: a missing count")
                << Service::Visitors
                << callback("_Callback",
                            R"({"code":0,"data":{"modvisitcount":[{"todaycount":1}]}})")
                << u"not-an-answer"_qs << QString();
        QTest::newRow("visitors: no integer")
                << Service::Visitors
                << callback(
                           "_Callback",
                           R"({"code":0,"data":{"modvisitcount":[{"todaycount":1.5,"totalcount":9}]}})")
                << u"not-an-answer"_qs << QString();
        QTest::newRow("moods: msgnum without total")
                << Service::Moods << callback("_Callback", R"({"code":0,"usrinfo":{"msgnum":5}})")
                << u"answered"_qs << u"5"_qs;
        QTest::newRow("moods: a count in a string")
                << Service::Moods << callback("_Callback", R"({"code":0,"total":"8"})")
                << u"answered"_qs << u"8"_qs;
        QTest::newRow("moods: a negative count")
                << Service::Moods << callback("_Callback", R"({"code":0,"total":-1})")
                << u"not-an-answer"_qs << QString();
        QTest::newRow("blog: no totalNum")
                << Service::Blog << callback("_Callback", R"({"code":0,"data":{"list":[]}})")
                << u"not-an-answer"_qs << QString();
        QTest::newRow("moods: an unknown code, a known subcode")
                << Service::Moods << callback("_Callback", R"({"code":-1,"subcode":-10000})")
                << u"rate-limited"_qs << QString();
        QTest::newRow("blog: an unknown failure")
                << Service::Blog << callback("_Callback", R"({"code":-7,"subcode":-7})")
                << u"not-an-answer"_qs << QString();
        QTest::newRow("portrait: no such account")
                << Service::Portrait << QByteArray("portraitCallBack({})") << u"no-such-account"_qs
                << QString();
        QTest::newRow("portrait: points no integer")
                << Service::Portrait
                << callback("portraitCallBack", R"({"10001":["u",78.5,-1,0,0,0,"n",0]})")
                << u"not-an-answer"_qs << QString();
        QTest::newRow("portrait: another number's entry")
                << Service::Portrait
                << callback("portraitCallBack", R"({"10002":["u",78,-1,0,0,0,"n",0]})")
                << u"not-an-answer"_qs << QString();
        QStringEncoder gb18030("GB18030");
        const QString gbkOnly = QStringLiteral("王堃喆");
        QTest::newRow("portrait: a GB18030 nickname")
                << Service::Portrait
                << QByteArray(gb18030.encode(
                           QStringLiteral(
                                   "portraitCallBack({\"10001\":[\"u\",7840,-1,0,0,0,\"%1\",0]})")
                                   .arg(gbkOnly)))
                << u"answered"_qs << u"7840 "_qs + gbkOnly;
        QTest::newRow("portrait: a UTF-8 nickname")
                << Service::Portrait
                << QStringLiteral("portraitCallBack({\"10001\":[\"u\",7840,-1,0,0,0,\"%1\",0]})")
                           .arg(gbkOnly)
                           .toUtf8()
                << u"answered"_qs << u"7840 "_qs + gbkOnly;
        QTest::newRow("music: without xmusicnum, entries counted")
                << Service::Music
                << QByteArray(R"(jsonCallback({"code":0,"data":{"songlist":[{"xqusic_id":1},)"
                              R"({"xqusic_id":2}]}}))")
                << u"answered"_qs << u"2"_qs;
        QTest::newRow("flower vine: as it was built")
                << Service::FlowerVine
                << QByteArray(R"({"code":0,"data":{"iGardener":3,"iSun":120,)"
                              R"("iRain":4,"iLove":5,"iNutri":6}})")
                << u"answered"_qs << u"120 3"_qs;
        QTest::newRow("flower vine: signed out, no values")
                << Service::FlowerVine
                << callback("_Callback", R"({"code":-3000,"iSun":1,"message":"请先登录"})")
                << u"signin-needed"_qs << QString();
    }

    void currentAnswers()
    {
        QFETCH(Service, service);
        QFETCH(QByteArray, body);
        QFETCH(QString, outcome);
        QFETCH(QString, values);

        FetchResult fetch;
        fetch.ok = true;
        fetch.status = 200;
        fetch.body = body;
        fetch.text = decodeDeclaredOrSniffed(body, {});
        QueryRecord record;
        record.qq = QStringLiteral("10001");
        const ServiceOutcome read = readAnswer(service, Edition::Current, fetch, record);
        QCOMPARE(read.name(), outcome);
        QCOMPARE(record.outcomes.of(service), std::optional<ServiceOutcome>(read));
        QCOMPARE(valuesOf(service, record), values);
    }

    // A service the record has no outcome of (not asked, or the query cut short) never counts
    // as answered, whatever values the record holds.
    void missingOutcomeIsNoAnswer()
    {
        QueryRecord record;
        record.qq = QStringLiteral("10001");
        record.musicCount = 20;
        record.vine = FlowerVineValues {u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs, u"5"_qs};
        for (const Service service :
             {Service::Visitors, Service::Portrait, Service::Moods, Service::Blog})
            record.outcomes.set(service, {});
        LookupResult result = LookupResult::from(record);
        QCOMPARE(result.status, LookupResult::Status::Partial);
        QCOMPARE(result.problems.size(), 2);
        QCOMPARE(serviceName(result.problems.at(0).first), u"music"_qs);
        QCOMPARE(result.problems.at(1).second.name(), u"unreachable"_qs);
        QVERIFY(!result.music && !result.vine);
        QVERIFY(!result.cells.contains(u"qqm2"_qs));

        result = LookupResult::from(QueryRecord {});
        QCOMPARE(result.status, LookupResult::Status::Failed);
        QCOMPARE(result.problems.size(), qsizetype(serviceCount));
    }
};

QTEST_GUILESS_MAIN(TestReadings)
#include "tst_readings.moc"
