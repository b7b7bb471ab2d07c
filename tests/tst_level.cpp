#include "level/leveltable.h"

#include <limits>

#include <QTest>

class TestLevel : public QObject
{
    Q_OBJECT

private slots:
    void entries_data();
    void entries();
    void pointsToLevel_data();
    void pointsToLevel();
    void levelText_data();
    void levelText();
    void levelToPoints_data();
    void levelToPoints();
    void everyThresholdStartsItsLevel();
};

void TestLevel::entries_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("points");

    QTest::newRow("first") << 1 << 5;
    QTest::newRow("last before the square rule") << 9 << 75;
    QTest::newRow("square rule starts") << 10 << 90;
    QTest::newRow("11") << 11 << 160;
    QTest::newRow("20") << 20 << 1690;
    QTest::newRow("21") << 21 << 1960;
    QTest::newRow("35") << 35 << 7840;
    QTest::newRow("40") << 40 << 10890;
    QTest::newRow("41") << 41 << 11560;
    QTest::newRow("50") << 50 << 18490;
    QTest::newRow("100") << 100 << 86490;
    QTest::newRow("126") << 126 << 141610;
    QTest::newRow("127") << 127 << 144000;
    QTest::newRow("134") << 134 << 161290;
    QTest::newRow("135") << 135 << 163840;
    QTest::newRow("149") << 149 << 201640;
    QTest::newRow("150") << 150 << 204490;
    QTest::newRow("below the table") << 0 << 0;
    QTest::newRow("past the table") << 151 << 0;
}

void TestLevel::entries()
{
    QFETCH(int, level);
    QFETCH(int, points);
    QCOMPARE(LevelTable::entry(level), points);
}

void TestLevel::pointsToLevel_data()
{
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("above150");
    QTest::addColumn<int>("level");

    const double inf = std::numeric_limits<double>::infinity();

    QTest::newRow("negative") << -20.0 << false << 0;
    QTest::newRow("zero") << 0.0 << false << 0;
    QTest::newRow("just below 5") << 4.99 << false << 0;
    QTest::newRow("5") << 5.0 << false << 1;
    QTest::newRow("just below 10") << 9.99 << false << 1;
    QTest::newRow("10") << 10.0 << false << 2;
    QTest::newRow("90") << 90.0 << false << 10;
    QTest::newRow("159") << 159.0 << false << 10;
    QTest::newRow("160") << 160.0 << false << 11;
    QTest::newRow("7839") << 7839.0 << false << 34;
    QTest::newRow("7840") << 7840.0 << false << 35;
    QTest::newRow("10890") << 10890.0 << false << 40;
    QTest::newRow("11560") << 11560.0 << false << 41;
    QTest::newRow("141609") << 141609.0 << false << 125;
    QTest::newRow("141610") << 141610.0 << false << 126;
    QTest::newRow("143999") << 143999.0 << false << 126;
    QTest::newRow("144000") << 144000.0 << false << 127;
    QTest::newRow("161289") << 161289.0 << false << 133;
    QTest::newRow("161290") << 161290.0 << false << 134;
    QTest::newRow("163839") << 163839.0 << false << 134;
    QTest::newRow("163840") << 163840.0 << false << 135;
    QTest::newRow("201640") << 201640.0 << false << 149;
    QTest::newRow("half a point below 150") << 204489.5 << false << 149;
    QTest::newRow("204490") << 204490.0 << true << 0;
    QTest::newRow("a billion") << 1e9 << true << 0;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false << 0;
    QTest::newRow("-inf") << -inf << false << 0;
    QTest::newRow("+inf") << inf << true << 0;
}

void TestLevel::pointsToLevel()
{
    QFETCH(double, points);
    QFETCH(bool, above150);
    QFETCH(int, level);

    const LevelTable::LevelOutcome outcome = LevelTable::GetLevelForPoints(points);
    QCOMPARE(outcome.above150, above150);
    if (!above150) {
        QCOMPARE(outcome.level, level);
    }
}

void TestLevel::levelText_data()
{
    QTest::addColumn<double>("points");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0.0 << QStringLiteral("0级");
    QTest::newRow("negative") << -20.0 << QStringLiteral("0级");
    QTest::newRow("level 1") << 5.0 << QStringLiteral("1级");
    QTest::newRow("level 149") << 204489.5 << QStringLiteral("149级");
    QTest::newRow("204490") << 204490.0 << QStringLiteral("超150级!");
    QTest::newRow("a billion") << 1e9 << QStringLiteral("超150级!");
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << QStringLiteral("0级");
}

void TestLevel::levelText()
{
    QFETCH(double, points);
    QFETCH(QString, text);
    QCOMPARE(LevelTable::GetLevelText(points), text);
}

void TestLevel::levelToPoints_data()
{
    QTest::addColumn<double>("level");
    QTest::addColumn<bool>("known");
    QTest::addColumn<int>("points");

    QTest::newRow("1") << 1.0 << true << 5;
    QTest::newRow("2") << 2.0 << true << 10;
    QTest::newRow("9") << 9.0 << true << 75;
    QTest::newRow("10") << 10.0 << true << 90;
    QTest::newRow("35") << 35.0 << true << 7840;
    QTest::newRow("40") << 40.0 << true << 10890;
    QTest::newRow("41") << 41.0 << true << 11560;
    QTest::newRow("126") << 126.0 << true << 141610;
    QTest::newRow("150") << 150.0 << true << 204490;
    QTest::newRow("0") << 0.0 << false << 0;
    QTest::newRow("just below 1") << 0.999 << false << 0;
    QTest::newRow("1.5") << 1.5 << false << 0;
    QTest::newRow("2.5") << 2.5 << false << 0;
    QTest::newRow("a hair above 150") << 150.0000001 << false << 0;
    QTest::newRow("151") << 151.0 << false << 0;
    QTest::newRow("negative") << -3.0 << false << 0;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false << 0;
    QTest::newRow("+inf") << std::numeric_limits<double>::infinity() << false << 0;
}

void TestLevel::levelToPoints()
{
    QFETCH(double, level);
    QFETCH(bool, known);
    QFETCH(int, points);

    const std::optional<int> result = LevelTable::GetPointsForLevel(level);
    QCOMPARE(result.has_value(), known);
    if (known) {
        QCOMPARE(*result, points);
    }
}

void TestLevel::everyThresholdStartsItsLevel()
{
    for (int n = 1; n <= LevelTable::maxLevel; ++n) {
        const int threshold = LevelTable::entry(n);
        QVERIFY2(n == 1 || threshold > LevelTable::entry(n - 1),
                 qPrintable(QStringLiteral("T(%1) does not increase").arg(n)));
        QCOMPARE(LevelTable::GetPointsForLevel(n).value_or(-1), threshold);

        const LevelTable::LevelOutcome reached = LevelTable::GetLevelForPoints(threshold);
        if (n < LevelTable::maxLevel) {
            QVERIFY(!reached.above150);
            QCOMPARE(reached.level, n);
        } else {
            QVERIFY(reached.above150);
        }

        // Half a point short still leaves the previous level.
        const LevelTable::LevelOutcome shortOf = LevelTable::GetLevelForPoints(threshold - 0.5);
        QVERIFY(!shortOf.above150);
        QCOMPARE(shortOf.level, n - 1);
    }
}

QTEST_GUILESS_MAIN(TestLevel)
#include "tst_level.moc"
