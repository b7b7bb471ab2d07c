#include "query/addresses.h"
#include "ui/rowreport.h"
#include "ui/sitelinks.h"

#include <QTest>

Q_DECLARE_METATYPE(RowReportInput)

namespace {

const QString footer
        = QStringLiteral("信息来源于：Zv系列软件のMirelo | 官方论坛:") + SiteLinks::forumHome();

RowReportInput input(const QStringList &cells, const QString &sunshine = QString(),
                     const QString &rain = QString(), const QString &love = QString(),
                     const QString &nutrition = QString())
{
    return RowReportInput {QStringLiteral("10001"), cells, sunshine, rain, love, nutrition};
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void lineBreaks_data();
    void lineBreaks();
    void footerText();
    void portraitAddress();
};

void TestReport::lines_data()
{
    QTest::addColumn<RowReportInput>("row");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("full row") << input(
            {QStringLiteral("小明"), QStringLiteral("1234分"), QStringLiteral("32级"),
             QStringLiteral("20首"), QStringLiteral("15篇"), QStringLiteral("37条"),
             QStringLiteral("3"), QStringLiteral("1200")},
            QStringLiteral("花藤阳光值:12"), QStringLiteral("花藤雨露值:30"),
            QStringLiteral("花藤爱心值:7"), QStringLiteral("花藤养分值:45"))
                              << QStringList {QStringLiteral("QQ号码:10001"),
                                              QStringLiteral("QQ昵称:小明"),
                                              QStringLiteral("QQ空间积分:1234分"),
                                              QStringLiteral("QQ空间等级:32级"),
                                              QStringLiteral("QQ空间音乐:20首"),
                                              QStringLiteral("QQ空间日志:15篇"),
                                              QStringLiteral("QQ空间说说:37条"),
                                              QStringLiteral("QQ空间今日访问:3"),
                                              QStringLiteral("QQ空间历史访问:1200"),
                                              QStringLiteral("QQ空间"),
                                              QStringLiteral("QQ空间"),
                                              QStringLiteral("QQ空间花藤阳光值:12"),
                                              QStringLiteral("QQ空间花藤雨露值:30"),
                                              QStringLiteral("QQ空间花藤爱心值:7"),
                                              QStringLiteral("QQ空间花藤养分值:45"),
                                              footer};

    const QString denied = QStringLiteral("空间有权限");
    QTest::newRow("every lookup failed, before any vine lookup")
            << input({QString(), QStringLiteral("0分"), QStringLiteral("0级"), QString(), QString(),
                      denied, denied, denied},
                     QStringLiteral("花藤阳光值:未查询"), QStringLiteral("花藤雨露值:未查询"),
                     QStringLiteral("花藤爱心值:未查询"), QStringLiteral("花藤养分值:未查询"))
            << QStringList {QStringLiteral("QQ号码:10001"),
                            QStringLiteral("QQ昵称:"),
                            QStringLiteral("QQ空间积分:0分"),
                            QStringLiteral("QQ空间等级:0级"),
                            QStringLiteral("QQ空间音乐:"),
                            QStringLiteral("QQ空间日志:"),
                            QStringLiteral("QQ空间说说:空间有权限"),
                            QStringLiteral("QQ空间今日访问:空间有权限"),
                            QStringLiteral("QQ空间历史访问:空间有权限"),
                            QStringLiteral("QQ空间"),
                            QStringLiteral("QQ空间"),
                            QStringLiteral("QQ空间花藤阳光值:未查询"),
                            QStringLiteral("QQ空间花藤雨露值:未查询"),
                            QStringLiteral("QQ空间花藤爱心值:未查询"),
                            QStringLiteral("QQ空间花藤养分值:未查询"),
                            footer};

    QTest::newRow("only the nickname is trimmed, of blanks only")
            << input({QStringLiteral("  a b  "), QStringLiteral(" 1分 "), QStringLiteral("\t1级"),
                      QString(), QString(), QString(), QString(), QString()},
                     QStringLiteral(" x "))
            << QStringList {QStringLiteral("QQ号码:10001"),     QStringLiteral("QQ昵称:a b"),
                            QStringLiteral("QQ空间积分: 1分 "), QStringLiteral("QQ空间等级:\t1级"),
                            QStringLiteral("QQ空间音乐:"),      QStringLiteral("QQ空间日志:"),
                            QStringLiteral("QQ空间说说:"),      QStringLiteral("QQ空间今日访问:"),
                            QStringLiteral("QQ空间历史访问:"),  QStringLiteral("QQ空间"),
                            QStringLiteral("QQ空间"),           QStringLiteral("QQ空间 x "),
                            QStringLiteral("QQ空间"),           QStringLiteral("QQ空间"),
                            QStringLiteral("QQ空间"),           footer};

    QTest::newRow("tabs around the nickname stay")
            << input({QStringLiteral(" \ta\t ")})
            << QStringList {QStringLiteral("QQ号码:10001"),    QStringLiteral("QQ昵称:\ta\t"),
                            QStringLiteral("QQ空间积分:"),     QStringLiteral("QQ空间等级:"),
                            QStringLiteral("QQ空间音乐:"),     QStringLiteral("QQ空间日志:"),
                            QStringLiteral("QQ空间说说:"),     QStringLiteral("QQ空间今日访问:"),
                            QStringLiteral("QQ空间历史访问:"), QStringLiteral("QQ空间"),
                            QStringLiteral("QQ空间"),          QStringLiteral("QQ空间"),
                            QStringLiteral("QQ空间"),          QStringLiteral("QQ空间"),
                            QStringLiteral("QQ空间"),          footer};

    QTest::newRow("no cells at all")
            << input({})
            << QStringList {QStringLiteral("QQ号码:10001"),    QStringLiteral("QQ昵称:"),
                            QStringLiteral("QQ空间积分:"),     QStringLiteral("QQ空间等级:"),
                            QStringLiteral("QQ空间音乐:"),     QStringLiteral("QQ空间日志:"),
                            QStringLiteral("QQ空间说说:"),     QStringLiteral("QQ空间今日访问:"),
                            QStringLiteral("QQ空间历史访问:"), QStringLiteral("QQ空间"),
                            QStringLiteral("QQ空间"),          QStringLiteral("QQ空间"),
                            QStringLiteral("QQ空间"),          QStringLiteral("QQ空间"),
                            QStringLiteral("QQ空间"),          footer};
}

void TestReport::lines()
{
    QFETCH(RowReportInput, row);
    QFETCH(QStringList, expected);

    const QStringList actual = BuildRowReport(row).split(QStringLiteral("\r\n"));
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(actual.at(i), expected.at(i));
    }
}

void TestReport::lineBreaks_data()
{
    QTest::addColumn<RowReportInput>("row");

    QTest::newRow("no cells") << input({});
    QTest::newRow("all cells") << input(
            {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
             QStringLiteral("e"), QStringLiteral("f"), QStringLiteral("g"), QStringLiteral("h")},
            QStringLiteral("s"), QStringLiteral("r"), QStringLiteral("l"), QStringLiteral("n"));
}

void TestReport::lineBreaks()
{
    QFETCH(RowReportInput, row);

    const QString report = BuildRowReport(row);
    QCOMPARE(report.count(QStringLiteral("\r\n")), 15);
    // Every LF belongs to a CR LF pair and so does every CR.
    QCOMPARE(report.count(u'\n'), 15);
    QCOMPARE(report.count(u'\r'), 15);
    QVERIFY(!report.endsWith(u'\n'));
    QVERIFY(!report.endsWith(u'\r'));
}

void TestReport::footerText()
{
    const QString report = BuildRowReport(input({}));
    const QString lastLine = report.mid(report.lastIndexOf(u'\n') + 1);
    // Full-width colon after the source, ASCII colon after the forum.
    QVERIFY2(lastLine.startsWith(u"信息来源于：Zv系列软件のMirelo | 官方论坛:http://"),
             qPrintable(lastLine));
    QVERIFY(lastLine.endsWith(SiteLinks::forumHome()));
}

void TestReport::portraitAddress()
{
    const QString address = PortraitAddress(QStringLiteral("10001"));
    QVERIFY2(address.startsWith(u"http://"), qPrintable(address));
    QVERIFY2(address.endsWith(u"/qzone/10001/10001/100"), qPrintable(address));
    QCOMPARE(address, Addresses::qzonePortrait(QStringLiteral("10001")));
}

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
