// mirelo-lookup's options and what it writes: the options parsed, each output format, text
// from outside (hostile or merely odd) kept in its field, and the table fitted to the terminal.

#include "cli/displaywidth.h"
#include "cli/lookupprogram.h"
#include "cli/resultformats.h"
#include "query/queryrecord.h"
#include "support/lookupfixture.h"

#include <algorithm>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace DemoAnswers;

class TestLookupFormats : public LookupFixture
{
    Q_OBJECT

private slots:
    void init() { startServices(); }
    void cleanup() { stopServices(); }

    void optionsParsed_data();
    void optionsParsed();
    void formats_data();
    void formats();
    void hostileTextRoundTrips_data();
    void hostileTextRoundTrips();
    void outsideTextStaysInItsField_data();
    void outsideTextStaysInItsField();
    void tableFitsTheTerminal_data();
    void tableFitsTheTerminal();
};

// Every option at both ends of its range and past them, the values that are no numbers, the
// options that go together or not, and what --help, --version and "--" do beside the rest.
void TestLookupFormats::optionsParsed_data()
{
    QTest::addColumn<QStringList>("arguments"); // after the program's name
    QTest::addColumn<QString>("parsed"); // described()

    const auto row = [](const char *name, const QStringList &arguments, const char *parsed) {
        QTest::newRow(name) << arguments << QString::fromUtf8(parsed);
    };
    const char *usage = "usage error message=yes";
    row("nothing: numbers from the input", {}, "run");
    row("numbers", {"10001", "10002"}, "run numbers=10001|10002");
    row("--parallel 0", {"--parallel", "0"}, usage);
    row("--parallel 1", {"--parallel", "1"}, "run parallel=1");
    row("--parallel 16", {"--parallel=16"}, "run parallel=16");
    row("--parallel 17", {"--parallel", "17"}, usage);
    row("--parallel -1", {"--parallel", "-1"}, usage);
    row("--interval -1", {"--interval", "-1"}, usage);
    row("--interval 0", {"--interval", "0"}, "run interval=0");
    row("--interval 3600000", {"--interval", "3600000"}, "run interval=3600000");
    row("--interval 3600001", {"--interval", "3600001"}, usage);
    row("a word", {"--parallel", "four"}, usage);
    row("a unit", {"--interval", "500ms"}, usage);
    row("a fraction", {"--parallel", "1.5"}, usage);
    row("hex", {"--parallel", "0x4"}, usage);
    row("full-width digits", {"--parallel", "４"}, usage);
    row("an empty value", {"--parallel="}, usage);
    row("no value at all", {"--interval"}, usage);
    row("a plus sign", {"--parallel", "+4"}, "run parallel=4");
    row("minus zero", {"--interval", "-0"}, "run interval=0");
    row("leading zeros", {"--parallel", "016"}, "run parallel=16");
    row("leading zeros are no octal", {"--parallel", "017"}, usage);
    row("2^32 + 1, not 1", {"--parallel", "4294967297"}, usage);
    row("past an int", {"--interval", "99999999999"}, usage);
    // Once the last of two won; which one was meant is no guess to make.
    row("the last of two wins", {"--parallel", "2", "--parallel", "3"}, usage);
    row("--interval twice", {"--interval", "0", "--interval=0"}, usage);
    row("--format twice", {"--format", "csv", "--format", "json"}, usage);
    row("--format table", {"--format", "table"}, "run format=table");
    row("--format csv", {"--format=csv"}, "run format=csv");
    row("--format json", {"--format", "json"}, "run format=json");
    row("--format JSON", {"--format", "JSON"}, usage);
    row("--format xml", {"--format", "xml"}, usage);
    row("--format empty", {"--format="}, usage);
    row("--cookies", {"--cookies", "c.txt", "10001"}, "run cookies=c.txt numbers=10001");
    row("--cookies empty", {"--cookies="}, usage);
    row("--cookies-from-browser", {"--cookies-from-browser", "firefox:work"},
        "run browser=firefox:work");
    row("--cookies-from-browser empty", {"--cookies-from-browser="}, usage);
    row("--cookies and --cookies-from-browser",
        {"--cookies", "c.txt", "--cookies-from-browser", "firefox"}, usage);
    row("--cookies twice", {"--cookies", "a.txt", "--cookies", "b.txt"}, usage);
    row("--sign-in", {"--sign-in", "--cookies", "c.txt"}, "sign in");
    row("--sign-out", {"--sign-out"}, "sign out");
    row("--sign-in with a number", {"--sign-in", "10001"}, usage);
    row("--sign-in from a browser", {"--sign-in", "--cookies-from-browser", "firefox"}, usage);
    row("--sign-in and --sign-out", {"--sign-in", "--sign-out"}, usage);
    row("--check-session", {"--check-session", "--cookies-from-browser", "firefox"},
        "check session");
    row("--check-session with a number", {"--check-session", "10001"}, usage);
    row("--check-session and --sign-out", {"--check-session", "--sign-out"}, usage);
    row("two authorities and a file",
        {"--ca-certificate", "a.pem", "--cookies", "c.txt", "--ca-certificate", "b.pem"},
        "run cookies=c.txt ca=a.pem|b.pem");
    row("an authority and a browser",
        {"--ca-certificate", "a.pem", "--cookies-from-browser", "firefox"},
        "run browser=firefox ca=a.pem");
    row("an empty authority among others", {"--ca-certificate", "a.pem", "--ca-certificate="},
        usage);
    row("unknown option", {"--bogus", "10001"}, usage);
    row("unknown short option", {"-x"}, usage);
    row("unknown option with escapes", {"--\x1b]0;owned\x07\u009b2J"}, usage);
    row("--help", {"--help"}, "help");
    row("-h beside numbers", {"10001", "-h"}, "help");
    row("--help over a bad value", {"--parallel", "0", "--help", "--format", "xml"}, "help");
    row("--help over --version", {"--version", "--help"}, "help");
    row("--version over a bad value", {"--version", "--interval", "-1"}, "version");
    row("an unknown option over --help", {"--bogus", "--help"}, usage);
    row("numbers after --", {"--", "-10001", "--parallel", "--help"},
        "run numbers=-10001|--parallel|--help");
    row("options before --", {"--parallel", "2", "--", "10001"}, "run parallel=2 numbers=10001");
    row("options after numbers", {"10001", "--parallel", "2"}, "run parallel=2 numbers=10001");
    row("a lone dash is a number", {"-"}, "run numbers=-");
}

void TestLookupFormats::optionsParsed()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, parsed);

    const LookupOptions options
            = LookupOptions::parse(QStringList {QStringLiteral("mirelo-lookup")} + arguments);
    QCOMPARE(described(options), parsed);
    // A message may echo an argument, which may come from a file of numbers (through xargs).
    const QByteArray message = LookupOptions::usageErrorText(options.error).toUtf8();
    QVERIFY2(!carriesControl(message), message.constData());
}

void TestLookupFormats::formats_data()
{
    QTest::addColumn<QString>("account");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("line");

    const int table = int(OutputFormat::Table), csv = int(OutputFormat::Csv),
              json = int(OutputFormat::Json);
    QTest::newRow("public table")
            << QStringLiteral("public") << table
            << "10001       小明              7840分      35级      20首    3篇     37条        "
               "12人        34567人     120       45      6       78         3\n";
    QTest::newRow("public csv") << QStringLiteral("public") << csv
                                << "10001,小明,7840,35,20,3,37,12,34567,false,120,45,6,78,3,ok\r\n";
    QTest::newRow("public json")
            << QStringLiteral("public") << json
            << R"({"qq":"10001","nickname":"小明","points":7840,"level":35,"music":20,)"
               R"("blogs":3,"moods":37,"today_visits":12,"total_visits":34567,)"
               R"("restricted":false,"sunshine":120,"rain":45,"love":6,"nutrition":78,)"
               R"("vine_level":3,"status":"ok","problems":{}})"
               "\n";
    QTest::newRow("restricted table")
            << QStringLiteral("restricted") << table
            << "10001       小明              7840分      35级      20首    3篇     空间有权限  "
               "空间有权限  空间有权限  120       45      6       78         3\n";
    QTest::newRow("restricted csv") << QStringLiteral("restricted") << csv
                                    << "10001,小明,7840,35,20,3,,,,true,120,45,6,78,3,ok\r\n";
    QTest::newRow("restricted json")
            << QStringLiteral("restricted") << json
            << R"({"qq":"10001","nickname":"小明","points":7840,"level":35,"music":20,)"
               R"("blogs":3,"moods":null,"today_visits":null,"total_visits":null,)"
               R"("restricted":true,"sunshine":120,"rain":45,"love":6,"nutrition":78,)"
               R"("vine_level":3,"status":"ok","problems":{}})"
               "\n";
    // Not the window's "0分" and "0级": nothing was learnt, so nothing is shown.
    QTest::newRow("unreachable table")
            << QStringLiteral("unreachable") << table
            << "10001\n  failed: visitors unreachable, portrait unreachable, moods unreachable, "
               "blog unreachable, music unreachable, flower_vine unreachable\n";
    QTest::newRow("unreachable csv")
            << QStringLiteral("unreachable") << csv << "10001,,,,,,,,,,,,,,,failed\r\n";
    QTest::newRow("unreachable json")
            << QStringLiteral("unreachable") << json
            << R"({"qq":"10001","nickname":null,"points":null,"level":null,"music":null,)"
               R"("blogs":null,"moods":null,"today_visits":null,"total_visits":null,)"
               R"("restricted":null,"sunshine":null,"rain":null,"love":null,"nutrition":null,)"
               R"("vine_level":null,"status":"failed","problems":{"visitors":"unreachable",)"
               R"("portrait":"unreachable","moods":"unreachable","blog":"unreachable",)"
               R"("music":"unreachable","flower_vine":"unreachable"}})"
               "\n";
}

void TestLookupFormats::formats()
{
    QFETCH(QString, account);
    QFETCH(int, format);
    QFETCH(QString, line);

    if (account == QLatin1String("public"))
        routeAccount(*m_services, DemoAccount {});
    else if (account == QLatin1String("restricted"))
        routeRestricted(*m_services, DemoAccount {});
    const QList<LookupResult> results = lookUp({QStringLiteral("10001")});
    QCOMPARE(results.size(), 1);
    QCOMPARE(QString::fromUtf8(formatResult(OutputFormat(format), results.first())), line);
    if (OutputFormat(format) == OutputFormat::Table && account != QLatin1String("unreachable")) {
        // The last column starts where its caption does, CJK counted twice.
        const QString header = QString::fromUtf8(formatHeader(OutputFormat::Table));
        const auto beforeLast = [](const QString &text) {
            return displayWidth(text.left(text.lastIndexOf(QStringLiteral("  ")) + 2));
        };
        QCOMPARE(beforeLast(line), beforeLast(header));
    }
}

// A nickname with every kind of character that needs care, written in each format and read back
// with a real parser: json exactly, csv guarded against formulas and with its controls
// replaced, and neither the table nor standard error ever carries a raw control.
void TestLookupFormats::hostileTextRoundTrips_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("inCsv"); // as a csv reader reads the field back
    QTest::addColumn<QString>("inJson");

    // Quote, backslash, comma, CR, LF, TAB, both ends of C0, ESC, BEL, DEL, both ends of C1 and
    // CSI, a right-to-left override and isolate, characters outside the BMP.
    const QString every
            = u"q\"b\\c,d\re\nf\tg\x01h\x1fi\x1bj\x07k\x7fl\u0080m\u009bn\u009fo\u202Ep\u2066q😀𠀀"_qs;
    QTest::newRow("every kind at once")
            << every
            << u"q\"b\\c,d\uFFFDe\uFFFDf\uFFFDg\uFFFDh\uFFFDi\uFFFDj\uFFFDk\uFFFDl\uFFFDm\uFFFDn"
               u"\uFFFDo\uFFFDp\uFFFDq😀𠀀"_qs
            << every;
    for (const QString &formula : {u"=1+2"_qs, u"+1"_qs, u"-1"_qs, u"@SUM(A1)"_qs})
        QTest::newRow(qPrintable(u"starts with "_qs + formula.front()))
                << formula << u'\'' + formula << formula;
    QTest::newRow("starts with a tab") << u"\t=1"_qs << u"'\uFFFD=1"_qs << u"\t=1"_qs;
    QTest::newRow("starts with a CR") << u"\r=1"_qs << u"'\uFFFD=1"_qs << u"\r=1"_qs;
    QTest::newRow("a quoted formula is text") << u"\"=1\""_qs << u"\"=1\""_qs << u"\"=1\""_qs;
    // A half of a pair, which no text the services send can hold, cannot be written in UTF-8:
    // it is marked as replaced rather than made a question mark.
    QString halves = u"a"_qs;
    halves += QChar(0xD800);
    halves += u'b';
    halves += QChar(0xDC00); // a low half before a high one is no pair either
    halves += QChar(0xD83D);
    QTest::newRow("lone surrogates")
            << halves << u"a\uFFFDb\uFFFD\uFFFD"_qs << u"a\uFFFDb\uFFFD\uFFFD"_qs;
    QTest::newRow("empty, not null") << u""_qs << QString() << u""_qs;
}

void TestLookupFormats::hostileTextRoundTrips()
{
    QFETCH(QString, nickname);
    QFETCH(QString, inCsv);
    QFETCH(QString, inJson);

    LookupResult r;
    r.qq = QStringLiteral("10001");
    r.cells = {{QString::fromLatin1(ColumnKey::num), r.qq},
               {QString::fromLatin1(ColumnKey::nam), nickname}};
    r.nickname = nickname;
    r.status = LookupResult::Status::Partial;
    r.problems = {{Service::Blog, ServiceOutcome {ServiceProblem::Http, 503}},
                  {Service::Music, ServiceOutcome {ServiceProblem::RateLimited}}};

    const QByteArray json = formatResult(OutputFormat::Json, r);
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(json, &error).object();
    // Every C0 control escaped but the line end, as RFC 8259 wants: Qt's reader takes them raw.
    const auto isC0 = [](char c) { return uchar(c) < ' '; };
    QVERIFY2(error.error == QJsonParseError::NoError && json.endsWith('\n')
                     && std::count_if(json.begin(), json.end(), isC0) == 1,
             json.constData());
    QCOMPARE(object.value(u"nickname"_qs), QJsonValue(inJson));
    QCOMPARE(object.value(u"status"_qs), QJsonValue(u"partial"_qs));
    QCOMPARE(object.value(u"problems"_qs).toObject(),
             QJsonObject({{u"blog"_qs, u"http-503"_qs}, {u"music"_qs, u"rate-limited"_qs}}));

    const QByteArray csv = formatHeader(OutputFormat::Csv) + formatResult(OutputFormat::Csv, r);
    const std::optional<QList<QStringList>> records = readCsv(QString::fromUtf8(csv));
    QVERIFY2(records && records->size() == 2, csv.constData());
    QCOMPARE(records->first(), csvHeader.split(u','));
    QStringList expected(records->first().size(), QString());
    expected.first() = r.qq;
    expected[1] = inCsv;
    expected.last() = QStringLiteral("partial");
    QCOMPARE(records->last(), expected);

    const QByteArray table = formatResult(OutputFormat::Table, r);
    QVERIFY2(table.count('\n') == 2
                     && table.endsWith("  partial: blog http-503, music rate-limited\n"),
             table.constData());
    QVERIFY2(!carriesControl(table), table.constData());
    // Behind every bidirectional control, each written out in bidiControls, neither.
    LookupResult turned = r;
    turned.nickname = bidiControls + nickname;
    turned.cells[QString::fromLatin1(ColumnKey::nam)] = *turned.nickname;
    const QByteArray turnedTable = formatResult(OutputFormat::Table, turned);
    QVERIFY2(!carriesControl(turnedTable), turnedTable.constData());
    // Refused as a number, the same text is echoed on standard error, line by line.
    QByteArray err;
    LookupProgram::Terminal terminal;
    terminal.out = [](const QByteArray &) { return 0; };
    terminal.err = [&err](const QByteArray &b) { err += b; };
    const int fd = pipeHolding(nickname.toUtf8() + '\n');
    LookupProgram program(m_web.get(), {}, fd, terminal);
    QSignalSpy finished(&program, &LookupProgram::finished);
    program.start();
    QVERIFY(finished.wait(15000));
    ::close(fd);
    QCOMPARE(finished.first().first().toInt(), nickname.isEmpty() ? 0 : 1);
    QVERIFY2(!carriesControl(err), err.constData());
}

void TestLookupFormats::outsideTextStaysInItsField_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QByteArray>("csvField"); // as it follows "10001,"
    QTest::addColumn<QByteArray>("jsonField");

    const QByteArray replaced = "\xef\xbf\xbd"; // U+FFFD in UTF-8
    // The services' own cut drops commas and quotes; line ends and escapes get through.
    QTest::newRow("line break and escapes")
            << QStringLiteral("a\r\nb\x1b[31m\x07")
            << "a" + replaced + replaced + "b" + replaced + "[31m" + replaced + ","
            << QByteArray(R"("nickname":"a\r\nb\u001b[31m\u0007",)");
    QTest::newRow("formula") << QStringLiteral("=HYPERLINK(x)") << QByteArray("'=HYPERLINK(x),")
                             << QByteArray(R"x("nickname":"=HYPERLINK(x)",)x");
    QTest::newRow("plus, minus, at") << QStringLiteral("-2+3@") << QByteArray("'-2+3@,")
                                     << QByteArray(R"("nickname":"-2+3@",)");
    QTest::newRow("leading tab") << QStringLiteral("\tx") << "'" + replaced + "x,"
                                 << QByteArray(R"("nickname":"\tx",)");
    QTest::newRow("right-to-left override")
            << QStringLiteral("ab\u202Ecd") << "ab" + replaced + "cd,"
            << QByteArray("\"nickname\":\"ab\xe2\x80\xae"
                          "cd\",");
}

void TestLookupFormats::outsideTextStaysInItsField()
{
    QFETCH(QString, nickname);
    QFETCH(QByteArray, csvField);
    QFETCH(QByteArray, jsonField);

    DemoAccount account;
    account.nickname = nickname;
    account.points = 1e300; // beyond the level table
    routeAccount(*m_services, account);
    const LookupResult r = lookUp({QStringLiteral("10001")}).value(0);
    QCOMPARE(r.level, 150);

    const QByteArray csv = formatResult(OutputFormat::Csv, r);
    QVERIFY2(csv.startsWith("10001," + csvField + '1' + QByteArray(300, '0') + ",150,"),
             csv.constData());
    const QByteArray json = formatResult(OutputFormat::Json, r);
    QVERIFY2(json.contains(jsonField), json.constData());
    // A terminal is not steered by the name.
    const QByteArray table = formatResult(OutputFormat::Table, r);
    QVERIFY(!table.contains('\x1b') && !table.contains("\xe2\x80\xae") && table.count('\n') == 1);
}

void TestLookupFormats::tableFitsTheTerminal_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("asInAFile");

    QTest::newRow("not a terminal") << 0 << true;
    QTest::newRow("wide terminal") << 200 << true;
    QTest::newRow("80 columns") << 80 << false;
    QTest::newRow("60 columns") << 60 << false;
    QTest::newRow("24 columns") << 24 << false;
}

void TestLookupFormats::tableFitsTheTerminal()
{
    QFETCH(int, columns);
    QFETCH(bool, asInAFile);

    DemoAccount account;
    account.nickname = QStringLiteral("一个很长很长的名字也要放得下才行");
    routeRestricted(*m_services, account);
    LookupResult r = lookUp({QStringLiteral("10001")}).value(0);
    r.status = LookupResult::Status::Partial;
    r.problems = {{Service::Blog, ServiceOutcome {ServiceProblem::Timeout}},
                  {Service::Music, ServiceOutcome {ServiceProblem::Http, 502}}};

    const QByteArray shown = formatHeader(OutputFormat::Table, columns)
            + formatResult(OutputFormat::Table, r, columns);
    if (asInAFile) {
        QCOMPARE(shown, formatHeader(OutputFormat::Table) + formatResult(OutputFormat::Table, r));
        return;
    }
    for (const QString &line : QString::fromUtf8(shown).split(u'\n', Qt::SkipEmptyParts))
        QVERIFY2(displayWidth(line) <= columns, qPrintable(line));
    // Cut rather than wrapped by the terminal, and every cell still there in some form.
    QVERIFY(shown.contains("一个很长") && shown.contains("…"));
    QVERIFY2(shown.count("空间") == 3 && shown.contains("7840分"), shown.constData());
}

QTEST_GUILESS_MAIN(TestLookupFormats)
#include "tst_lookupformats.moc"
