#include "query/extract.h"

#include <cmath>
#include <limits>

#include <QTest>

namespace {

const QString portraitAnswer
        = QStringLiteral("portraitCallback({\"10001\":[\"http://qlogo1.store.qq.com/qzone/10001/"
                         "10001/100\",1234,-1,0,0,0,\"小明\",0]})");

// A portrait answer with `points` and `nickname` in their usual places.
QString portraitWith(const QString &points, const QString &nickname)
{
    return QStringLiteral("portraitCallback({\"10001\":[\"http://qlogo1.store.qq.com/qzone/10001/"
                          "10001/100\",")
            + points + QStringLiteral(",-1,0,0,0,") + nickname + QStringLiteral(",0]})");
}

QString repeated(const QString &unit, int times)
{
    QString text;
    text.reserve(unit.size() * times);
    for (int i = 0; i < times; ++i) {
        text += unit;
    }
    return text;
}

} // namespace

class TestExtract : public QObject
{
    Q_OBJECT

private slots:
    void visitorCounts_data();
    void visitorCounts();
    void points_data();
    void points();
    void nickname_data();
    void nickname();
    void moodCount_data();
    void moodCount();
    void countMarker_data();
    void countMarker();
    void flowerVine_data();
    void flowerVine();
    void formatPoints_data();
    void formatPoints();
    void plainCount_data();
    void plainCount();
};

void TestExtract::visitorCounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("today");
    QTest::addColumn<QString>("total");

    QTest::newRow("service answer") << QStringLiteral(
            "_Callback({\"code\":0,\"data\":{\"modvisitcount\":[{\"mod\":0,\"todaycount\":3,"
            "\"totalcount\":1200},{\"mod\":1,\"todaycount\":0,\"totalcount\":5}]}});")
                                    << QStringLiteral("3") << QStringLiteral("1200");
    QTest::newRow("bare object") << QStringLiteral("{\"todaycount\":3,\"totalcount\":1200}")
                                 << QStringLiteral("3") << QStringLiteral("1200");
    QTest::newRow("empty") << QString() << QString() << QString();
    QTest::newRow("no todaycount")
            << QStringLiteral("{\"totalcount\":1200}") << QString() << QStringLiteral("1200");
    QTest::newRow("no totalcount")
            << QStringLiteral("{\"todaycount\":3,\"x\":1}") << QStringLiteral("3") << QString();
    QTest::newRow("todaycount last before brace")
            << QStringLiteral("{\"totalcount\":5,\"todaycount\":3}") << QString()
            << QStringLiteral("5,\"todaycount\":3");
    QTest::newRow("no brace at all")
            << QStringLiteral("{\"todaycount\":3,\"totalcount\":1200") << QString() << QString();
    QTest::newRow("more before the brace stays in total")
            << QStringLiteral("{\"todaycount\":3,\"totalcount\":12 ,\"x\":1}")
            << QStringLiteral("3") << QStringLiteral("12 ,\"x\":1");
    QTest::newRow("blanks in today stay") << QStringLiteral("{\"todaycount\": 3 ,\"totalcount\":1}")
                                          << QStringLiteral(" 3 ") << QStringLiteral("1");
    QTest::newRow("markers are case-sensitive")
            << QStringLiteral("{\"TodayCount\":3,\"TotalCount\":1200}") << QString() << QString();
}

void TestExtract::visitorCounts()
{
    QFETCH(QString, text);
    QFETCH(QString, today);
    QFETCH(QString, total);

    const VisitorCounts counts = ExtractVisitorCounts(text);
    QCOMPARE(counts.today, today);
    QCOMPARE(counts.total, total);
}

void TestExtract::points_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("service answer") << portraitAnswer << 1234.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("no comma") << QStringLiteral("1234") << 0.0;
    QTest::newRow("empty piece") << portraitWith(QString(), QStringLiteral("\"a\"")) << 0.0;
    QTest::newRow("not a number") << portraitWith(QStringLiteral("abc"), QString()) << 0.0;
    QTest::newRow("quoted number") << portraitWith(QStringLiteral("\"12\""), QString()) << 0.0;
    QTest::newRow("padded with blanks")
            << portraitWith(QStringLiteral(" 12.5 "), QString()) << 12.5;
    QTest::newRow("padded with tabs") << portraitWith(QStringLiteral("\t7\t"), QString()) << 7.0;
    QTest::newRow("plus sign") << portraitWith(QStringLiteral("+7"), QString()) << 7.0;
    QTest::newRow("minus sign") << portraitWith(QStringLiteral("-3"), QString()) << -3.0;
    QTest::newRow("minus zero") << portraitWith(QStringLiteral("-0"), QString()) << 0.0;
    QTest::newRow("trailing point") << portraitWith(QStringLiteral("12."), QString()) << 12.0;
    QTest::newRow("leading point") << portraitWith(QStringLiteral(".5"), QString()) << 0.5;
    QTest::newRow("point alone") << portraitWith(QStringLiteral("."), QString()) << 0.0;
    QTest::newRow("exponent") << portraitWith(QStringLiteral("1e3"), QString()) << 0.0;
    QTest::newRow("hex") << portraitWith(QStringLiteral("0x10"), QString()) << 0.0;
    QTest::newRow("inf") << portraitWith(QStringLiteral("inf"), QString()) << 0.0;
    QTest::newRow("nan") << portraitWith(QStringLiteral("nan"), QString()) << 0.0;
    QTest::newRow("blank inside") << portraitWith(QStringLiteral("1 2"), QString()) << 0.0;
    QTest::newRow("trailing line feed") << portraitWith(QStringLiteral("12\n"), QString()) << 0.0;
    QTest::newRow("full-width digits") << portraitWith(QStringLiteral("１２"), QString()) << 0.0;
    QTest::newRow("too long for a double") << portraitWith(QString(400, u'9'), QString()) << 0.0;
}

void TestExtract::points()
{
    QFETCH(QString, text);
    QFETCH(double, expected);

    const double value = ExtractPoints(text);
    QVERIFY2(value == expected, qPrintable(QString::number(value, 'g', 17)));
    QCOMPARE(std::signbit(value), std::signbit(expected));
}

void TestExtract::nickname_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("nickname");

    QTest::newRow("service answer") << portraitAnswer << QStringLiteral("小明");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("five commas") << QStringLiteral("a,b,c,d,e,f") << QString();
    QTest::newRow("six commas, empty piece") << QStringLiteral("a,b,c,d,e,f,") << QString();
    QTest::newRow("blanks inside quotes")
            << portraitWith(QStringLiteral("0"), QStringLiteral("\"  a b  \""))
            << QStringLiteral("a b");
    QTest::newRow("tabs are kept") << portraitWith(QStringLiteral("0"), QStringLiteral("\"\ta\t\""))
                                   << QStringLiteral("\ta\t");
    QTest::newRow("every quote removed")
            << portraitWith(QStringLiteral("0"), QStringLiteral("\"a\"\"b\""))
            << QStringLiteral("ab");
    QTest::newRow("comma cuts the nickname")
            << portraitWith(QStringLiteral("0"), QStringLiteral("\"小,明\""))
            << QStringLiteral("小");
}

void TestExtract::nickname()
{
    QFETCH(QString, text);
    QFETCH(QString, nickname);
    QCOMPARE(ExtractNickname(text), nickname);
}

void TestExtract::moodCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("count");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("one occurrence") << QStringLiteral("a new Number(5) b") << QString();
    QTest::newRow("two occurrences")
            << QStringLiteral("a new Number(5) b new Number(37) c") << QStringLiteral("37");
    QTest::newRow("three occurrences")
            << QStringLiteral("new Number(1) new Number(22) new Number(333)")
            << QStringLiteral("22");
    QTest::newRow("missing parenthesis")
            << QStringLiteral("new Number(1) new Number(22") << QString();
    QTest::newRow("everything up to the parenthesis")
            << QStringLiteral("new Number(1) new Number(4 x) y") << QStringLiteral("4 x");
    QTest::newRow("case-sensitive") << QStringLiteral("new number(5) new number(6)") << QString();
}

void TestExtract::moodCount()
{
    QFETCH(QString, text);
    QFETCH(QString, count);
    QCOMPARE(ExtractMoodCount(text), count);
}

void TestExtract::countMarker_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<qint64>("count");

    const QString blog = QString::fromLatin1(blogMarker);
    const QString music = QString::fromLatin1(musicMarker);

    QTest::newRow("empty text") << QString() << blog << qint64(0);
    QTest::newRow("none") << QStringLiteral("{\"title\":\"x\"}") << blog << qint64(0);
    QTest::newRow("three") << QStringLiteral("{\"blogid\":1},{\"blogid\":2},{\"blogid\":3}") << blog
                           << qint64(3);
    QTest::newRow("twenty songs") << repeated(QStringLiteral("{\"xqusic_id\":9},"), 20) << music
                                  << qint64(20);
    QTest::newRow("at the very end") << QStringLiteral("x blogid") << blog << qint64(1);
    QTest::newRow("marker is the whole text") << blog << blog << qint64(1);
    QTest::newRow("case-sensitive") << QStringLiteral("BLOGID blogId") << blog << qint64(0);
    QTest::newRow("overlapping matches")
            << QStringLiteral("aaaa") << QStringLiteral("aa") << qint64(3);
    QTest::newRow("empty marker") << QStringLiteral("abc") << QString() << qint64(0);
    // Past a signed and an unsigned 16-bit counter.
    QTest::newRow("40000") << repeated(blog, 40000) << blog << qint64(40000);
    QTest::newRow("70000") << repeated(blog, 70000) << blog << qint64(70000);
}

void TestExtract::countMarker()
{
    QFETCH(QString, text);
    QFETCH(QString, marker);
    QFETCH(qint64, count);
    QCOMPARE(qint64(::countMarker(text, marker)), count);
}

void TestExtract::flowerVine_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("sunshine");
    QTest::addColumn<QString>("rain");
    QTest::addColumn<QString>("love");
    QTest::addColumn<QString>("nutrition");
    QTest::addColumn<QString>("level");

    QTest::newRow("level and sunshine")
            << QStringLiteral("{\"iGardener\":3,\"iSun\":12,}") << QStringLiteral("12") << QString()
            << QString() << QString() << QStringLiteral("3");
    QTest::newRow("service answer, last value has no comma")
            << QStringLiteral("_Callback({\"code\":0,\"data\":{\"iGardener\":5,\"iSun\":120,"
                              "\"iRain\":30,\"iLove\":7,\"iNutri\":45}});")
            << QStringLiteral("120") << QStringLiteral("30") << QStringLiteral("7") << QString()
            << QStringLiteral("5");
    QTest::newRow("empty") << QString() << QString() << QString() << QString() << QString()
                           << QString();
    QTest::newRow("no markers") << QStringLiteral("{\"code\":-1,\"msg\":\"busy\"}") << QString()
                                << QString() << QString() << QString() << QString();
    QTest::newRow("value without comma after it")
            << QStringLiteral("{\"iRain\":30}") << QString() << QString() << QString() << QString()
            << QString();
    QTest::newRow("marker twice, value before the second")
            << QStringLiteral("{\"iSun\":1,\"x\":2,\"iSun\":3,}") << QStringLiteral("1")
            << QString() << QString() << QString() << QString();
    QTest::newRow("marker twice, no comma before the second")
            << QStringLiteral("{\"iSun\":99\"iSun\":3,}") << QString() << QString() << QString()
            << QString() << QString();
    QTest::newRow("level without comma") << QStringLiteral("{\"iGardener\":7}") << QString()
                                         << QString() << QString() << QString() << QString();
    QTest::newRow("level keeps quotes")
            << QStringLiteral("{\"iGardener\":\"7\",}") << QString() << QString() << QString()
            << QString() << QStringLiteral("\"7\"");
    QTest::newRow("level marker needs quote and colon")
            << QStringLiteral("{iGardener=7,\"iLove\":2,}") << QString() << QString()
            << QStringLiteral("2") << QString() << QString();
    QTest::newRow("blanks kept") << QStringLiteral(
            "{\"iGardener\": 4 ,\"iSun\": 1 ,\"iRain\":\" 2\",\"iLove\":3 ,\"iNutri\": 5,}")
                                 << QStringLiteral(" 1 ") << QStringLiteral(" 2")
                                 << QStringLiteral("3 ") << QStringLiteral(" 5")
                                 << QStringLiteral(" 4 ");
}

void TestExtract::flowerVine()
{
    QFETCH(QString, answer);
    QFETCH(QString, sunshine);
    QFETCH(QString, rain);
    QFETCH(QString, love);
    QFETCH(QString, nutrition);
    QFETCH(QString, level);

    const FlowerVineValues values = extractFlowerVine(answer);
    QCOMPARE(values.sunshine, sunshine);
    QCOMPARE(values.rain, rain);
    QCOMPARE(values.love, love);
    QCOMPARE(values.nutrition, nutrition);
    QCOMPARE(values.level, level);
}

void TestExtract::formatPoints_data()
{
    QTest::addColumn<double>("points");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 1234.0 << QStringLiteral("1234");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("minus zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("half") << 12.5 << QStringLiteral("12.5");
    QTest::newRow("shortest round trip") << 0.1 << QStringLiteral("0.1");
    QTest::newRow("negative") << -3.0 << QStringLiteral("-3");
    QTest::newRow("large, no exponent") << 1e21 << QStringLiteral("1000000000000000000000");
    QTest::newRow("small, no exponent") << 1e-7 << QStringLiteral("0.0000001");
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << QStringLiteral("0");
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << QStringLiteral("0");
}

void TestExtract::formatPoints()
{
    QFETCH(double, points);
    QFETCH(QString, text);
    QCOMPARE(::formatPoints(points), text);
}

// A count the services write as plain decimal digits; anything else is no count at all.
void TestExtract::plainCount_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("count"); // empty: none

    const auto row = [](const char *digits, const char *count) {
        QTest::newRow(digits) << QString::fromUtf8(digits) << QString::fromUtf8(count);
    };
    row("0", "0");
    row("9876543210", "9876543210"); // every digit
    row("-9", "-9");
    row("9223372036854775807", "9223372036854775807");
    row("9223372036854775808", "");
    row("", "");
    row("-", "");
    row(" 1", "");
    row("1 ", "");
    row("+1", "");
    row("1e3", "");
    row("0x1", "");
    row("１", ""); // a full-width digit
}

void TestExtract::plainCount()
{
    QFETCH(QString, digits);
    QFETCH(QString, count);

    const std::optional<std::int64_t> read = ::plainCount(digits);
    QCOMPARE(read ? QString::number(*read) : QString(), count);
}

QTEST_GUILESS_MAIN(TestExtract)
#include "tst_extract.moc"
