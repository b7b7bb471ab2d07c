#include "level/calculator.h"

#include <cmath>
#include <limits>

#include <QTest>

namespace {

const QString fourHundredNines = QString(400, u'9');

const QString levelPrefix = QStringLiteral("您输入的积分值能达到:");
const QString godlike = QStringLiteral("您输入的积分超过150级!你是神!");
const QString pointsPrefix = QStringLiteral("您输入的等级,若达到该等级,需要积分为:");
const QString outOfRange = QStringLiteral("抱歉!目前仅支持查询150级及150级以内的积分!");
const QString levelTooLow = QStringLiteral("请输入大于等于1的等级!");

} // namespace

class TestCalculator : public QObject
{
    Q_OBJECT

private slots:
    void readTypedNumber_data();
    void readTypedNumber();
    void pointsToLevel_data();
    void pointsToLevel();
    void levelToPoints_data();
    void levelToPoints();
};

void TestCalculator::readTypedNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    const double inf = std::numeric_limits<double>::infinity();

    // Blanks ignored wherever they stand.
    QTest::newRow("blank inside") << QStringLiteral("1 000") << 1000.0;
    QTest::newRow("tab, LF inside") << QStringLiteral("\t1\n2 3 ") << 123.0;
    QTest::newRow("CR ends the number") << QStringLiteral("1\r2") << 1.0;
    QTest::newRow("CR LF ends the number") << QStringLiteral("12\r\n3") << 12.0;
    QTest::newRow("blank after sign") << QStringLiteral("- 5") << -5.0;
    QTest::newRow("blanks around exponent") << QStringLiteral("1 e 3") << 1000.0;

    // The longest leading number.
    QTest::newRow("plain") << QStringLiteral("42") << 42.0;
    QTest::newRow("plus sign") << QStringLiteral("+7") << 7.0;
    QTest::newRow("minus sign") << QStringLiteral("-20") << -20.0;
    QTest::newRow("fraction") << QStringLiteral("9.99") << 9.99;
    QTest::newRow("leading point") << QStringLiteral(".5") << 0.5;
    QTest::newRow("trailing point") << QStringLiteral("5.") << 5.0;
    QTest::newRow("second point ends it") << QStringLiteral("1.2.3") << 1.2;
    QTest::newRow("exponent") << QStringLiteral("1e3") << 1000.0;
    QTest::newRow("capital exponent, negative") << QStringLiteral("25E-1") << 2.5;
    QTest::newRow("exponent with plus") << QStringLiteral("2e+2") << 200.0;
    QTest::newRow("e without digits") << QStringLiteral("12e") << 12.0;
    QTest::newRow("e and sign without digits") << QStringLiteral("12e+") << 12.0;
    QTest::newRow("zero mantissa, huge exponent") << QStringLiteral("0e999") << 0.0;

    // The rest ignored.
    QTest::newRow("letters after") << QStringLiteral("12abc") << 12.0;
    QTest::newRow("thousands comma") << QStringLiteral("1,000") << 1.0;
    QTest::newRow("Chinese after") << QStringLiteral("3.5级") << 3.5;
    QTest::newRow("no D exponent") << QStringLiteral("1D3") << 1.0;

    // No number at the start.
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("letters") << QStringLiteral("abc") << 0.0;
    QTest::newRow("point alone") << QStringLiteral(".") << 0.0;
    QTest::newRow("sign alone") << QStringLiteral("-") << 0.0;
    QTest::newRow("two signs") << QStringLiteral("--5") << 0.0;
    QTest::newRow("hex prefix") << QStringLiteral("&H10") << 0.0;
    QTest::newRow("C hex prefix") << QStringLiteral("0x10") << 0.0;
    QTest::newRow("full-width digit") << QStringLiteral("１２") << 0.0;
    // U+0130 shares its low byte with '0'; it must not pass for one.
    QTest::newRow("non-ASCII after digits") << QStringLiteral("5İ") << 5.0;
    QTest::newRow("inf spelled") << QStringLiteral("inf") << 0.0;
    QTest::newRow("nan spelled") << QStringLiteral("nan") << 0.0;

    // Past a double's range.
    QTest::newRow("1e400") << QStringLiteral("1e400") << inf;
    QTest::newRow("-1e400") << QStringLiteral("-1e400") << -inf;
    QTest::newRow("400 nines") << fourHundredNines << inf;
    QTest::newRow("tiny digits, huge exponent") << QStringLiteral("0.0001e400") << inf;
    QTest::newRow("exponent past int range") << QStringLiteral("1e99999999999999999999") << inf;
    QTest::newRow("underflow") << QStringLiteral("1e-400") << 0.0;
    QTest::newRow("big digits, tiny exponent") << QStringLiteral("1000e-400") << 0.0;
}

void TestCalculator::readTypedNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);

    const double value = Calculator::readTypedNumber(text);
    QVERIFY(!std::isnan(value));
    if (std::isinf(expected)) {
        QCOMPARE(value, expected);
    } else {
        // Exact: these all have one nearest double.
        QVERIFY2(value == expected,
                 qPrintable(QStringLiteral("read %1, expected %2")
                                    .arg(value, 0, 'g', 17)
                                    .arg(expected, 0, 'g', 17)));
    }
}

void TestCalculator::pointsToLevel_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("warning");
    QTest::addColumn<QString>("text");

    QTest::newRow("nothing typed") << QString() << true << QStringLiteral("请输入积分值!");
    QTest::newRow("blank only") << QStringLiteral(" ") << false
                                << levelPrefix + QStringLiteral("0级");
    QTest::newRow("letters") << QStringLiteral("abc") << false
                             << levelPrefix + QStringLiteral("0级");
    QTest::newRow("negative") << QStringLiteral("-20") << false
                              << levelPrefix + QStringLiteral("0级");
    QTest::newRow("4.9") << QStringLiteral("4.9") << false << levelPrefix + QStringLiteral("0级");
    QTest::newRow("5") << QStringLiteral("5") << false << levelPrefix + QStringLiteral("1级");
    QTest::newRow("9.99") << QStringLiteral("9.99") << false << levelPrefix + QStringLiteral("1级");
    QTest::newRow("10") << QStringLiteral("10") << false << levelPrefix + QStringLiteral("2级");
    QTest::newRow("blank thousands")
            << QStringLiteral("1 000") << false << levelPrefix + QStringLiteral("17级");
    QTest::newRow("comma thousands")
            << QStringLiteral("1,000") << false << levelPrefix + QStringLiteral("0级");
    QTest::newRow("exponent") << QStringLiteral("1e3") << false
                              << levelPrefix + QStringLiteral("17级");
    QTest::newRow("7839") << QStringLiteral("7839") << false
                          << levelPrefix + QStringLiteral("34级");
    QTest::newRow("7840") << QStringLiteral("7840") << false
                          << levelPrefix + QStringLiteral("35级");
    QTest::newRow("141610") << QStringLiteral("141610") << false
                            << levelPrefix + QStringLiteral("126级");
    QTest::newRow("144000") << QStringLiteral("144000") << false
                            << levelPrefix + QStringLiteral("127级");
    QTest::newRow("161290") << QStringLiteral("161290") << false
                            << levelPrefix + QStringLiteral("134级");
    QTest::newRow("163840") << QStringLiteral("163840") << false
                            << levelPrefix + QStringLiteral("135级");
    QTest::newRow("204489") << QStringLiteral("204489") << false
                            << levelPrefix + QStringLiteral("149级");
    QTest::newRow("204490") << QStringLiteral("204490") << false << godlike;
    QTest::newRow("999999999") << QStringLiteral("999999999") << false << godlike;
    QTest::newRow("1e400") << QStringLiteral("1e400") << false << godlike;
    QTest::newRow("400 nines") << fourHundredNines << false << godlike;
    QTest::newRow("-1e400") << QStringLiteral("-1e400") << false
                            << levelPrefix + QStringLiteral("0级");
}

void TestCalculator::pointsToLevel()
{
    QFETCH(QString, typed);
    QFETCH(bool, warning);
    QFETCH(QString, text);

    const Calculator::Reply reply = Calculator::answerPointsToLevel(typed);
    QCOMPARE(reply.icon == Calculator::Reply::Icon::Warning, warning);
    QCOMPARE(reply.text, text);
}

void TestCalculator::levelToPoints_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("warning");
    QTest::addColumn<QString>("text");

    QTest::newRow("nothing typed") << QString() << true << QStringLiteral("请输入等级值!");
    QTest::newRow("0") << QStringLiteral("0") << true << levelTooLow;
    QTest::newRow("0.5") << QStringLiteral("0.5") << true << levelTooLow;
    QTest::newRow("-3") << QStringLiteral("-3") << true << levelTooLow;
    QTest::newRow("letters") << QStringLiteral("abc") << true << levelTooLow;
    QTest::newRow("blank only") << QStringLiteral(" ") << true << levelTooLow;
    QTest::newRow("-1e400") << QStringLiteral("-1e400") << true << levelTooLow;
    QTest::newRow("1") << QStringLiteral("1") << false << pointsPrefix + QStringLiteral("5分");
    QTest::newRow("leading zero") << QStringLiteral("01") << false
                                  << pointsPrefix + QStringLiteral("5分");
    QTest::newRow("1.0") << QStringLiteral("1.0") << false << pointsPrefix + QStringLiteral("5分");
    QTest::newRow("35") << QStringLiteral("35") << false << pointsPrefix + QStringLiteral("7840分");
    QTest::newRow("40") << QStringLiteral("40") << false
                        << pointsPrefix + QStringLiteral("10890分");
    QTest::newRow("41") << QStringLiteral("41") << false
                        << pointsPrefix + QStringLiteral("11560分");
    QTest::newRow("150") << QStringLiteral("150") << false
                         << pointsPrefix + QStringLiteral("204490分");
    QTest::newRow("1.5") << QStringLiteral("1.5") << false << outOfRange;
    QTest::newRow("151") << QStringLiteral("151") << false << outOfRange;
    QTest::newRow("9999") << QStringLiteral("9999") << false << outOfRange;
    QTest::newRow("1e400") << QStringLiteral("1e400") << false << outOfRange;
    QTest::newRow("400 nines") << fourHundredNines << false << outOfRange;
}

void TestCalculator::levelToPoints()
{
    QFETCH(QString, typed);
    QFETCH(bool, warning);
    QFETCH(QString, text);

    const Calculator::Reply reply = Calculator::answerLevelToPoints(typed);
    QCOMPARE(reply.icon == Calculator::Reply::Icon::Warning, warning);
    QCOMPARE(reply.text, text);
}

QTEST_GUILESS_MAIN(TestCalculator)
#include "tst_calculator.moc"
