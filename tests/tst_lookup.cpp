#include "cli/backoff.h"
#include "cli/displaywidth.h"
#include "cli/lookupbatch.h"
#include "cli/lookupprogram.h"
#include "cli/resultformats.h"
#include "config/deployment.h"
#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "fakeservices/signedin.h"
#include "fakeservices/testauthority.h"
#include "query/addresses.h"
#include "query/queryrecord.h"
#include "session/cookiesfile.h"
#include "web/session.h"
#include "web/webclient.h"

#include <algorithm>
#include <csignal>
#include <unistd.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

using namespace DemoAnswers;

namespace {

// Friends only: both services answer, but with no counts in them.
void routeRestricted(FakeServices &services, const DemoAccount &account)
{
    routeAccount(services, account);
    services.on(routeOf(Addresses::visitors(account.qq)),
                FakeResponse::text(R"(_Callback({"code":-4009,"data":{}});)", "utf-8"));
    services.on(routeOf(Addresses::moods(account.qq)),
                FakeResponse::text(R"(_Callback({"code":-10031,"usrinfo":{}});)", "utf-8"));
}

FakeResponse behaving(FakeResponse::Behaviour behaviour)
{
    FakeResponse r;
    r.behaviour = behaviour;
    return r;
}

FakeResponse maintenancePage()
{
    return FakeResponse::text("<html>Service temporarily unavailable</html>");
}

// The read end of a pipe that holds `bytes` and then ends.
int pipeHolding(const QByteArray &bytes)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    [[maybe_unused]] const ssize_t written = ::write(fds[1], bytes.constData(), bytes.size());
    ::close(fds[1]);
    return fds[0];
}

QString addressOf(Service service, const QString &qq)
{
    switch (service) {
    case Service::Visitors:
        return Addresses::visitors(qq);
    case Service::Portrait:
        return Addresses::portrait(qq);
    case Service::Moods:
        return Addresses::moods(qq);
    case Service::Blog:
        return Addresses::blog(qq);
    case Service::Music:
        return Addresses::music(qq);
    case Service::FlowerVine:
        break;
    }
    return Addresses::flowerVine(qq);
}

// Longer than the interval between two starts with a session, even with its jitter and a timer
// that fires 5 % early.
constexpr int slowerThanInterval = Pace::sessionIntervalMs * 3 / 2;

// A back-off of a few hundred milliseconds instead of the services' minutes.
const BackOff shortBackOff {100, 150, 0, 3};

// `parallel` lanes, no interval, and `backOff` when told to slow down.
Pace paceOf(int parallel, const BackOff &backOff = shortBackOff)
{
    Pace pace;
    pace.parallel = parallel;
    pace.backOff = backOff;
    return pace;
}

// The session the signed-in fake services accept; nothing the program says may contain it.
const QByteArray sessionKey = "Pskey-SECRET-7f3c";
// The csv header as users' scripts read it, written out here rather than taken from the code.
const QString csvHeader = QStringLiteral(
        "qq,nickname,points,level,music,blogs,moods,today_visits,total_visits,restricted,"
        "sunshine,rain,love,nutrition,vine_level,status");

const QByteArray sessionCookies = ".qq.com\tTRUE\t/\tFALSE\t0\tuin\to0010001\n"
                                  ".qq.com\tTRUE\t/\tFALSE\t0\tp_skey\t"
        + sessionKey + '\n';

// Writes `text` to `path` (its folder made too) with `permissions`.
bool writeFile(const QString &path, const QByteArray &text, QFile::Permissions permissions)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
            && file.write(text) == text.size() && file.setPermissions(permissions);
}

// Whether `bytes` hold what a terminal may take as a command or what turns the text around it:
// a C0 control other than the line end, DEL, a C1 control, a bidirectional control, or bytes
// that are no UTF-8 at all.
bool carriesControl(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    constexpr char32_t space = 0x20, del = 0x7F, lastC1 = 0x9F;
    const auto isBidiControl = [](char32_t c) {
        return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E)
                || (c >= 0x2066 && c <= 0x2069);
    };
    const QList<uint> characters = text.toUcs4();
    return utf8.hasError() || std::any_of(characters.begin(), characters.end(), [&](char32_t c) {
               return (c < space && c != u'\n') || (c >= del && c <= lastC1) || isBidiControl(c);
           });
}

// The records of an RFC 4180 text, each a list of fields; nothing when it is not well formed
// (a bare quote or line break, text after a closing quote, a record without its CRLF).
std::optional<QList<QStringList>> readCsv(const QString &text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool inQuotes = false, quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (inQuotes) {
            if (c != u'"')
                field += c;
            else if (next == u'"')
                field += text.at(++i);
            else
                inQuotes = false;
        } else if (c == u'"' && field.isEmpty() && !quoted) {
            inQuotes = quoted = true;
        } else if (c == u',' || (c == u'\r' && next == u'\n')) {
            record.append(std::exchange(field, {}));
            quoted = false;
            if (c == u'\r') {
                records.append(std::exchange(record, {}));
                ++i;
            }
        } else if (c == u'"' || c == u'\r' || c == u'\n' || quoted) {
            return std::nullopt;
        } else {
            field += c;
        }
    }
    if (inQuotes || quoted || !field.isEmpty() || !record.isEmpty())
        return std::nullopt;
    return records;
}

// The parsed options in one line: the action, whether there is a message, and every field
// that is set, so that a row compares the whole result.
QString described(const LookupOptions &options)
{
    // In Action's order.
    const char *const actions[]
            = {"run", "help", "version", "usage error", "sign in", "sign out", "check session"};
    QString text = QLatin1String(actions[int(options.action)]);
    const auto add = [&text](const char *name, const QString &value) {
        if (!value.isEmpty())
            text += u' ' + QLatin1String(name) + u'=' + value;
    };
    const auto number = [](std::optional<int> n) { return n ? QString::number(*n) : QString(); };
    add("message", options.error.isEmpty() ? QString() : QStringLiteral("yes"));
    if (options.action != LookupOptions::Action::Run)
        return text;
    const char *const formatNames[] = {"table", "csv", "json"};
    add("format",
        options.format ? QLatin1String(formatNames[int(*options.format)]) : QLatin1String());
    add("parallel", number(options.parallel));
    add("interval", number(options.intervalMs));
    add("cookies", options.cookiesFile);
    add("browser", options.cookiesBrowser);
    add("ca", options.caCertificates.join(u'|'));
    add("numbers", options.numbers.join(u'|'));
    return text;
}

} // namespace

Q_DECLARE_METATYPE(FakeResponse)

class TestLookup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void optionsParsed_data();
    void optionsParsed();
    void formats_data();
    void formats();
    void hostileTextRoundTrips_data();
    void hostileTextRoundTrips();
    void serviceProblems_data();
    void serviceProblems();
    void outsideTextStaysInItsField_data();
    void outsideTextStaysInItsField();
    void tableFitsTheTerminal_data();
    void tableFitsTheTerminal();
    void orderKeptWhenAnswersComeBackReversed();
    void pausesVaryBothWays();
    void batchStateResets_data();
    void batchStateResets();
    void lanesRunAtOnce_data();
    void lanesRunAtOnce();
    void refusedLinesAndExitStatus_data();
    void refusedLinesAndExitStatus();
    void executable_data();
    void executable();
    void executableStartsEachLineAsItArrives();
    void executableStopsWholeOnInterrupt_data();
    void executableStopsWholeOnInterrupt();

private:
    QList<LookupResult> lookUp(const QStringList &numbers, int parallel = 4);
    bool serveHttps();
    QProcess *startExecutable(const QStringList &arguments, const QStringList &environment = {},
                              const QString &shell = {});

    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<WebClient> m_web;
    std::unique_ptr<TestAuthority> m_authority; // made for the first signed-in row
};

void TestLookup::init()
{
    m_services = std::make_unique<FakeServices>();
    QVERIFY(m_services->listen());
    m_services->setFallback(behaving(FakeResponse::Behaviour::CloseWithoutAnswer));
    m_web = std::make_unique<WebClient>();
    m_web->setProxy(m_services->proxy());
    m_web->setDeadlineMs(5000);
}

void TestLookup::cleanup()
{
    m_web.reset();
    m_services.reset();
}

QList<LookupResult> TestLookup::lookUp(const QStringList &numbers, int parallel)
{
    LookupBatch batch(m_web.get(), paceOf(parallel));
    QList<LookupResult> results;
    connect(&batch, &LookupBatch::resultReady, this,
            [&results](const LookupResult &r) { results.append(r); });
    QSignalSpy finished(&batch, &LookupBatch::finished);
    for (const QString &number : numbers)
        batch.add(number);
    batch.close();
    [&] { QVERIFY(finished.wait(15000)); }();
    return results;
}

// Every option at both ends of its range and past them, the values that are no numbers, the
// options that go together or not, and what --help, --version and "--" do beside the rest.
void TestLookup::optionsParsed_data()
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

void TestLookup::optionsParsed()
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

void TestLookup::formats_data()
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

void TestLookup::formats()
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
void TestLookup::hostileTextRoundTrips_data()
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

void TestLookup::hostileTextRoundTrips()
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

// One service answers otherwise than the public account's, or all of them do: its values are
// null, never made up, and the problem gets its name.
void TestLookup::serviceProblems_data()
{
    QTest::addColumn<int>("service"); // -1: every service
    QTest::addColumn<FakeResponse>("answer");
    QTest::addColumn<QByteArray>("nulls"); // json fields that must be null
    QTest::addColumn<QByteArray>("ending"); // the json line's status and problems

    const auto code = [](const char *body) { return FakeResponse::text(body, "utf-8"); };
    const auto status = [](int httpStatus) {
        FakeResponse r = FakeResponse::text("<html>error</html>");
        r.status = httpStatus;
        return r;
    };
    const int all = -1, visitors = int(Service::Visitors), portrait = int(Service::Portrait),
              moods = int(Service::Moods), blog = int(Service::Blog), music = int(Service::Music),
              vine = int(Service::FlowerVine);

    QTest::newRow("maintenance pages everywhere")
            << all << maintenancePage()
            << QByteArray(R"("nickname":null,"points":null,"level":null,"music":null,)"
                          R"("blogs":null,"moods":null,"today_visits":null,)"
                          R"("total_visits":null,"restricted":null,"sunshine":null)")
            << QByteArray(R"("status":"failed","problems":{"visitors":"not-an-answer",)"
                          R"("portrait":"not-an-answer","moods":"not-an-answer",)"
                          R"("blog":"not-an-answer","music":"not-an-answer",)"
                          R"("flower_vine":"not-an-answer"}})");
    QTest::newRow("portrait error page")
            << portrait << maintenancePage()
            << QByteArray(R"("nickname":null,"points":null,"level":null,)")
            << QByteArray(R"("status":"partial","problems":{"portrait":"not-an-answer"}})");
    QTest::newRow("blog 503") << blog << status(503) << QByteArray(R"("blogs":null)")
                              << QByteArray(
                                         R"("status":"partial","problems":{"blog":"http-503"}})");
    QTest::newRow("visitors 429")
            << visitors << status(429)
            << QByteArray(R"("today_visits":null,"total_visits":null,"restricted":null)")
            << QByteArray(R"("status":"partial","problems":{"visitors":"rate-limited"}})");
    QTest::newRow("moods rate-limited by code")
            << moods << code(R"(_Callback({"code":-10000,"message":"busy"});)")
            << QByteArray(R"("moods":null,"today_visits":12)")
            << QByteArray(R"("status":"partial","problems":{"moods":"rate-limited"}})");
    QTest::newRow("sign-in needed by subcode")
            << music << code(R"(jsonCallback({"code":-1,"subcode":-4001,"message":"login"}))")
            << QByteArray(R"("music":null)")
            << QByteArray(R"("status":"partial","problems":{"music":"signin-needed"}})");
    QTest::newRow("blog of a space never opened")
            << blog << code(R"(_Callback({"code":-4013,"data":{}});)")
            << QByteArray(R"("blogs":null)")
            << QByteArray(R"("status":"partial","problems":{"blog":"not-opened"}})");
    QTest::newRow("closed space")
            << vine << code(R"({"code":-4014})") << QByteArray(R"("sunshine":null)")
            << QByteArray(R"("status":"partial","problems":{"flower_vine":"closed"}})");
    QTest::newRow("busy") << music << code(R"(jsonCallback({"code":-30002}))")
                          << QByteArray(R"("music":null)")
                          << QByteArray(R"("status":"partial","problems":{"music":"busy"}})");
    // Friends only is a finding on the visitor service, a failure on the blog's.
    QTest::newRow("friends-only visitors")
            << visitors << code(R"(_Callback({"code":-4009,"data":{}});)")
            << QByteArray(R"("moods":null,"today_visits":null,"total_visits":null,)"
                          R"("restricted":true)")
            << QByteArray(R"("status":"ok","problems":{}})");
    QTest::newRow("friends-only blog")
            << blog << code(R"(_Callback({"code":-4009,"subcode":-4009,"data":{}});)")
            << QByteArray(R"("blogs":null)")
            << QByteArray(R"("status":"partial","problems":{"blog":"no-permission"}})");
    // A subcode names a failure more precisely; beside a success it names nothing.
    QTest::newRow("success with a subcode")
            << blog
            << FakeResponse::text(DemoAnswers::blog(DemoAccount())
                                          .replace(R"("subcode":0)", R"("subcode":-4001)"),
                                  "utf-8")
            << QByteArray(R"("blogs":3,)") << QByteArray(R"("status":"ok","problems":{}})");
    QTest::newRow("empty blog list is a true 0")
            << blog << code(R"(_Callback({"code":0,"data":{"list":[]}});)")
            << QByteArray(R"("blogs":0,)") << QByteArray(R"("status":"ok","problems":{}})");
    QTest::newRow("music list in a changed format")
            << music << code(R"(jsonCallback({"songs":[]}))") << QByteArray(R"("music":null)")
            << QByteArray(R"("status":"partial","problems":{"music":"not-an-answer"}})");
    QTest::newRow("visitors hang up")
            << visitors << behaving(FakeResponse::Behaviour::CloseWithoutAnswer)
            << QByteArray(R"("today_visits":null,"total_visits":null,"restricted":null)")
            << QByteArray(R"("status":"partial","problems":{"visitors":"unreachable"}})");
    QTest::newRow("flower vine never answers")
            << vine << behaving(FakeResponse::Behaviour::NeverAnswer)
            << QByteArray(R"("sunshine":null,"rain":null,"love":null,"nutrition":null,)"
                          R"("vine_level":null)")
            << QByteArray(R"("status":"partial","problems":{"flower_vine":"timeout"}})");
}

void TestLookup::serviceProblems()
{
    QFETCH(int, service);
    QFETCH(FakeResponse, answer);
    QFETCH(QByteArray, nulls);
    QFETCH(QByteArray, ending);

    const DemoAccount account;
    routeAccount(*m_services, account);
    for (int s = 0; s < int(serviceCount); ++s) {
        if (service < 0 || s == service)
            m_services->on(routeOf(addressOf(Service(s), account.qq)), answer);
    }
    m_web->setDeadlineMs(1000);
    const QList<LookupResult> results = lookUp({account.qq});
    QCOMPARE(results.size(), 1);
    const QByteArray json = formatResult(OutputFormat::Json, results.first());
    QVERIFY2(json.contains(nulls), json.constData());
    QVERIFY2(json.endsWith(ending + '\n'), json.constData());
}

void TestLookup::outsideTextStaysInItsField_data()
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

void TestLookup::outsideTextStaysInItsField()
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

void TestLookup::tableFitsTheTerminal_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("asInAFile");

    QTest::newRow("not a terminal") << 0 << true;
    QTest::newRow("wide terminal") << 200 << true;
    QTest::newRow("80 columns") << 80 << false;
    QTest::newRow("60 columns") << 60 << false;
    QTest::newRow("24 columns") << 24 << false;
}

void TestLookup::tableFitsTheTerminal()
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

void TestLookup::orderKeptWhenAnswersComeBackReversed()
{
    const QStringList numbers
            = {QStringLiteral("10001"), QStringLiteral("10002"), QStringLiteral("10003")};
    for (int i = 0; i < numbers.size(); ++i) {
        DemoAccount account;
        account.qq = numbers.at(i);
        routeAccount(*m_services, account, 600 - 250 * i);
    }
    const QList<LookupResult> results = lookUp(numbers);
    QCOMPARE(results.size(), 3);
    for (int i = 0; i < numbers.size(); ++i) {
        QCOMPARE(results.at(i).qq, numbers.at(i));
        QCOMPARE(results.at(i).status, LookupResult::Status::Ok);
    }
}

// Clients told to slow down at once come back spread out: a pause is varied both shorter and
// longer, never past its share. (400 draws miss either outer tenth with a chance of 0.9^400.)
void TestLookup::pausesVaryBothWays()
{
    int shortest = 1000, longest = 1000;
    for (int i = 0; i < 400; ++i) {
        const int ms = jittered(1000, 0.25);
        shortest = std::min(shortest, ms);
        longest = std::max(longest, ms);
    }
    QVERIFY2(shortest >= 750 && shortest < 800 && longest > 1200 && longest <= 1250,
             qPrintable(QStringLiteral("%1 to %2 ms").arg(shortest).arg(longest)));
    QCOMPARE(jittered(1000, 0), 1000);
    QCOMPARE(jittered(-5, 0.25), 0);
}

// What a batch keeps from one number to the next: the run of "slow down"s ends with an answer,
// a pause counts once however many numbers were told at once, a number asked again is counted
// once, and a refused session is said once, starts nothing more and asks nothing again. Once
// finished, a batch takes no further number and finishes no second time.
void TestLookup::batchStateResets_data()
{
    QTest::addColumn<int>("parallel");
    // What the mood service tells each number (10001, 10002, …) on its first, second, … try:
    // s to slow down, r that the session is refused, o its values; in capitals a second late.
    // Past the end of its letters, its values.
    QTest::addColumn<QStringList>("moods");
    // The back-off's first pause, doubled with each further "slow down" up to 2.5 times.
    QTest::addColumn<int>("firstPauseMs");
    QTest::addColumn<QList<int>>("pauses");
    QTest::addColumn<QString>("end");

    const auto row = [](const char *name, int parallel, const QStringList &moods, int firstPauseMs,
                        const QList<int> &pauses, const char *end) {
        QTest::newRow(name) << parallel << moods << firstPauseMs << pauses
                            << QString::fromUtf8(end);
    };
    row("an answer ends the run of slow-downs", 1, {"ss", "o", "s"}, 100, {100, 200, 100},
        "3 done, 0 partial, 0 failed; handed on 10001 10002 10003; refused 0, finished 1");
    row("told at once, paused once", 2, {"s", "s"}, 100, {100},
        "2 done, 0 partial, 0 failed; handed on 10001 10002; refused 0, finished 1");
    row("slowed down on every try, counted once", 1, {"ssss", "o"}, 100, {100, 200, 250, 250},
        "2 done, 1 partial, 0 failed; handed on 10001 10002; refused 0, finished 1");
    row("refused: the rest never starts", 1, {"o", "r", "o"}, 100, {},
        "2 done, 1 partial, 0 failed; handed on 10001 10002; refused 1, finished 1");
    row("refused by two at once, said once", 2, {"r", "r"}, 100, {},
        "2 done, 2 partial, 0 failed; handed on 10001 10002; refused 1, finished 1");
    row("refused while another waits out a pause", 2, {"s", "R"}, 5000, {5000},
        "2 done, 2 partial, 0 failed; handed on 10001 10002; refused 1, finished 1");
    row("told to slow down after the refusal", 2, {"S", "r"}, 5000, {},
        "2 done, 2 partial, 0 failed; handed on 10001 10002; refused 1, finished 1");
}

void TestLookup::batchStateResets()
{
    QFETCH(int, parallel);
    QFETCH(QStringList, moods);
    QFETCH(int, firstPauseMs);
    QFETCH(QList<int>, pauses);
    QFETCH(QString, end);

    QVERIFY2(serveHttps(), qPrintable(m_authority->error()));
    const std::optional<Session> session = Session::fromCookies(
            CookiesFile::parse(sessionCookies, nullptr), QStringLiteral("test"), nullptr);
    QVERIFY(session);
    QStringList numbers;
    for (int i = 0; i < moods.size(); ++i) {
        DemoAccount account;
        account.qq = QString::number(10001 + i);
        routeAccount(*m_services, account);
        numbers.append(account.qq);
    }
    // Signed in, the moods are asked at today's address.
    const QString moodsPath = QUrl(currentAnswer({}, Endpoint::Moods).address).path();
    QHash<QString, int> tries;
    m_services->setGate([&](const RecordedRequest &r) -> std::optional<FakeResponse> {
        const QString qq = QUrlQuery(r.url).queryItemValue(QStringLiteral("uin"));
        const QString said = moods.value(numbers.indexOf(qq));
        const int nth = r.url.path() == moodsPath ? tries[qq]++ : int(said.size());
        const QChar step = nth < said.size() ? said.at(nth) : QChar();
        FakeResponse answer;
        if (step.toLower() == u's')
            answer = SignedIn::rateLimitedAnswer();
        else if (step.toLower() == u'r')
            answer = SignedIn::signInNeededAnswer();
        else
            return std::nullopt;
        answer.delayMs = step.isUpper() ? 1000 : 0;
        return answer;
    });

    LookupBatch batch(m_web.get(), paceOf(parallel, {firstPauseMs, firstPauseMs * 5 / 2, 0, 3}),
                      std::make_shared<const Session>(*session));
    QList<int> paused;
    QStringList handedOn;
    connect(&batch, &LookupBatch::paused, this, [&paused](int ms) { paused.append(ms); });
    connect(&batch, &LookupBatch::resultReady, this,
            [&handedOn](const LookupResult &r) { handedOn.append(r.qq); });
    QSignalSpy refused(&batch, &LookupBatch::sessionRefused);
    QSignalSpy finished(&batch, &LookupBatch::finished);
    // Fed as mirelo-lookup reads its input: only while the batch wants numbers, also when more
    // input arrives during a pause. Numbers added and not yet done never outnumber the lanes.
    qsizetype fed = 0;
    int mostOutstanding = 0;
    const auto feed = [&] {
        while (batch.wantsNumbers() && fed < numbers.size()) {
            batch.add(numbers.at(fed++));
            mostOutstanding = std::max(mostOutstanding, batch.total() - batch.done());
        }
        if (fed == numbers.size())
            batch.close();
    };
    connect(&batch, &LookupBatch::readyForMore, &batch, feed);
    connect(&batch, &LookupBatch::paused, &batch, feed, Qt::QueuedConnection);
    feed();
    QVERIFY(finished.wait(15000));
    QCOMPARE_LE(mostOutstanding, parallel);
    batch.close();
    batch.add(QStringLiteral("10009"));
    QCoreApplication::processEvents();

    QCOMPARE(paused, pauses);
    QCOMPARE(QStringLiteral("%1 done, %2 partial, %3 failed; handed on %4; refused %5, finished %6")
                     .arg(batch.done())
                     .arg(batch.partial())
                     .arg(batch.failed())
                     .arg(handedOn.join(u' '))
                     .arg(refused.size())
                     .arg(finished.size()),
             end);
    QCOMPARE(batch.total(), int(fed));
    QVERIFY(!batch.isPaused() && batch.inFlight() == 0 && !batch.wantsNumbers());

    // The next batch on the same client and session, with the services past their script,
    // starts clean.
    LookupBatch next(m_web.get(), paceOf(parallel, BackOff {}),
                     std::make_shared<const Session>(*session));
    QSignalSpy nextPaused(&next, &LookupBatch::paused);
    QSignalSpy nextFinished(&next, &LookupBatch::finished);
    for (const QString &number : numbers)
        next.add(number);
    next.close();
    QVERIFY(nextFinished.wait(15000));
    QVERIFY(next.done() == numbers.size() && next.partial() == 0 && nextPaused.isEmpty());
}

void TestLookup::lanesRunAtOnce_data()
{
    QTest::addColumn<int>("parallel");
    QTest::addColumn<int>("numbers");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("deadlineMs");

    QTest::newRow("two lanes") << 2 << 9 << 150 << 5000;
    // Above Qt's six connections per host and manager, and a deadline that a request held back
    // in a queue for two answers' time would miss.
    QTest::newRow("sixteen lanes, slow services") << 16 << 16 << 600 << 1500;
}

void TestLookup::lanesRunAtOnce()
{
    QFETCH(int, parallel);
    QFETCH(int, numbers);
    QFETCH(int, delayMs);
    QFETCH(int, deadlineMs);

    QStringList list;
    for (int i = 0; i < numbers; ++i) {
        DemoAccount account;
        account.qq = QString::number(20000 + i);
        routeAccount(*m_services, account, delayMs);
        list.append(account.qq);
    }
    m_web->setDeadlineMs(deadlineMs);
    // Each number asks six services (no portraits) and each answer closes its connection.
    const int perNumber = 6;
    int most = 0;
    connect(m_services.get(), &FakeServices::requestReceived, this,
            [&] { most = std::max(most, m_services->openConnections()); });
    const QList<LookupResult> results = lookUp(list, parallel);
    QCOMPARE(results.size(), numbers);
    for (const LookupResult &r : results)
        QCOMPARE(statusName(r.status), QStringLiteral("ok"));
    QCOMPARE(m_services->requests().size(), numbers * perNumber);
    QVERIFY2(most <= parallel * perNumber, QByteArray::number(most).constData());
    // More lanes than one at once, and above six per host when there are more than six lanes.
    QVERIFY2(most > perNumber * std::min(parallel - 1, 6), QByteArray::number(most).constData());
}

void TestLookup::refusedLinesAndExitStatus_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("lookedUp");
    QTest::addColumn<QStringList>("complaints");
    QTest::addColumn<int>("status");
    // The moods service says to slow down this often, then answers; the back-off is the short
    // one: 100 ms, then 150 ms.
    QTest::addColumn<int>("slowDowns");

    QTest::newRow("all good, blanks, comments and blanks around numbers")
            << QByteArray("10001\n\n  \n# friends\n\t# family\n10001\r\n 10001\n10001 \t\n")
            << QStringList {"10001", "10001", "10001", "10001"} << QStringList {} << 0 << 0;
    QTest::newRow("refused lines named")
            << QByteArray("10001\n1234\n１２３４５\n1\u202E0001\n" + QByteArray(5000, '7') + "\n"
                          + QByteArray(1024, '7') + "\n" + QByteArray(1025, '7') + "\n10001")
            << QStringList {"10001", "10001"}
            << QStringList {R"(line 2: "1234" refused: a QQ number has 5 to 10 digits)",
                            R"(line 3: "１２３４５" refused: a QQ number is digits only)",
                            "line 4: \"1\uFFFD0001\" refused: a QQ number is digits only",
                            "line 5: \"" + QString(40, u'7') + "…\" refused: the line is too long",
                            "line 6: \"" + QString(40, u'7')
                                    + "…\" refused: a QQ number has 5 to 10 digits",
                            "line 7: \"" + QString(40, u'7') + "…\" refused: the line is too long"}
            << 1 << 0;
    QTest::newRow("failed number")
            << QByteArray("10001\n55555\n") << QStringList {"10001", "55555"}
            << QStringList {"55555: failed: visitors unreachable, portrait unreachable, moods "
                            "unreachable, blog unreachable, music unreachable, flower_vine "
                            "unreachable"}
            << 1 << 0;
    // Each "slow down" holds back every start, the next number's too, and the number is asked
    // again. (The pause after the last try is said before the input is known to have ended.)
    const QString slowDown = QStringLiteral("a service asked to slow down: no new start for 1 s");
    QTest::newRow("slowed down twice, then answered")
            << QByteArray("10001\n10001\n") << QStringList {"10001", "10001"}
            << QStringList {slowDown, slowDown} << 0 << 2;
    QTest::newRow("slowed down on every try")
            << QByteArray("10001\n") << QStringList {"10001"}
            << QStringList {slowDown, slowDown, slowDown, slowDown,
                            "10001: partial: moods rate-limited"}
            << 1 << 4;
}

void TestLookup::refusedLinesAndExitStatus()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, lookedUp);
    QFETCH(QStringList, complaints);
    QFETCH(int, status);
    QFETCH(int, slowDowns);

    routeAccount(*m_services, DemoAccount {});
    const QByteArray moodsHost = QUrl(Addresses::moods({})).host().toLatin1();
    int moodsAsked = 0;
    m_services->setGate([&](const RecordedRequest &r) -> std::optional<FakeResponse> {
        if (r.host == moodsHost && ++moodsAsked <= slowDowns)
            return SignedIn::rateLimitedAnswer();
        return std::nullopt;
    });
    QByteArray out, err;
    LookupProgram::Terminal terminal;
    terminal.out = [&out](const QByteArray &b) {
        out += b;
        return 0;
    };
    terminal.err = [&err](const QByteArray &b) { err += b; };
    LookupOptions options;
    options.format = OutputFormat::Csv;
    options.parallel = 1;
    const int fd = pipeHolding(input);
    LookupProgram program(m_web.get(), {options, paceOf(1), nullptr, {}}, fd, terminal);
    QSignalSpy finished(&program, &LookupProgram::finished);
    program.start();
    QVERIFY(finished.wait(15000));
    ::close(fd);
    program.interrupt(); // Ctrl-C after the end changes nothing
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toInt(), status);

    QStringList lines = QString::fromUtf8(out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.takeFirst(), csvHeader);
    QCOMPARE(lines.size(), lookedUp.size());
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY(lines.at(i).startsWith(lookedUp.at(i) + u','));
    QStringList expectedErr;
    for (const QString &complaint : complaints)
        expectedErr.append(QStringLiteral("mirelo-lookup: ") + complaint);
    QCOMPARE(QString::fromUtf8(err).split(u'\n', Qt::SkipEmptyParts), expectedErr);

    // After the nth "slow down", the next request waited for the nth pause.
    QList<qint64> asked;
    for (const RecordedRequest &r : m_services->requests()) {
        if (r.host == moodsHost)
            asked.append(r.receivedAtMs);
    }
    if (slowDowns > 0)
        QCOMPARE(asked.size(), lookedUp.size() + std::min(slowDowns, shortBackOff.retries));
    for (int nth = 1; nth <= slowDowns && nth < asked.size(); ++nth) {
        const qint64 gap = asked.at(nth) - asked.at(nth - 1);
        QVERIFY2(gap >= shortBackOff.pauseMs(nth), qPrintable(QString::number(gap)));
    }
}

// The services answer https too, vouched for by an authority that the test's client trusts.
bool TestLookup::serveHttps()
{
    if (!m_authority) {
        m_authority = std::make_unique<TestAuthority>(DemoAnswers::serviceHosts());
    }
    m_services->setTlsIdentity(m_authority->identity(TestAuthority::Kind::Good));
    m_services->ignoreQueryItem(QStringLiteral("g_tk"));
    m_web->addCaCertificate(m_authority->certificate());
    return m_authority->isValid();
}

// `shell`, when given, runs the program through bash as "$0" with its arguments as "$@".
QProcess *TestLookup::startExecutable(const QStringList &arguments, const QStringList &environment,
                                      const QString &shell)
{
    auto *process = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"http_proxy", "https_proxy"})
        env.insert(QLatin1String(name),
                   QStringLiteral("http://127.0.0.1:%1").arg(m_services->port()));
    // No session from the user who runs the tests: only the one a row gives.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("/nonexistent"));
    for (const char *name : {"no_proxy", "NO_PROXY", "LANG", "LC_ALL", "LC_MESSAGES"})
        env.remove(QLatin1String(name));
    for (const QString &assignment : environment)
        env.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));
    process->setProcessEnvironment(env);
    const QString program = QStringLiteral(MIRELO_LOOKUP_EXECUTABLE);
    if (shell.isEmpty())
        process->start(program, arguments);
    else
        process->start(QStringLiteral("/bin/bash"),
                       QStringList {QStringLiteral("-c"), shell, program} + arguments);
    return process;
}

// The real program, from outside: what reaches its standard output and error, and its status.
void TestLookup::executable_data()
{
    // public, slow, maintenance, formula, refused; signed-in (the values only to the session in
    // the files below, over https), paced (signed-in, 10001 slower than the session's interval:
    // the numbers must start one at a time, the interval apart) or expiring (the session works
    // for 10001 only).
    QTest::addColumn<QString>("services");
    QTest::addColumn<QString>("shell");
    // In both, @DIR@ is a folder with private.txt and config/Mirelo/cookies.txt (mode 600),
    // open.txt and openconfig/Mirelo/cookies.txt (mode 644), all with the session; @CA@ is the
    // certificate of the authority behind the services' https.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out"); // how standard output starts
    QTest::addColumn<QByteArray>("err"); // a part of standard error
    QTest::addColumn<int>("maxRequests"); // -1: any number

    const QString pub = QStringLiteral("public");
    const QStringList none;
    const QStringList csv = {QStringLiteral("--format"), QStringLiteral("csv")};
    const QStringList two = {QStringLiteral("10001"), QStringLiteral("10002")};
    const QByteArray fullDisk = "cannot write the results: No space left on device";

    QTest::newRow("version") << pub << QString() << QStringList {"--version"} << none << 0
                             << "mirelo-lookup " + QByteArray(Deployment::version) + "\n"
                             << QByteArray() << 0;
    QTest::newRow("results to a full disk") << pub << R"("$0" "$@" > /dev/full)" << two << none << 2
                                            << QByteArray() << fullDisk << -1;
    QTest::newRow("csv to a full disk") << pub << R"("$0" "$@" > /dev/full)" << csv + two << none
                                        << 2 << QByteArray() << fullDisk << 0;
    QTest::newRow("help to a full disk")
            << pub << R"("$0" "$@" > /dev/full)" << QStringList {"--help"} << none << 2
            << QByteArray() << fullDisk << 0;
    QTest::newRow("version to a closed output")
            << pub << R"("$0" "$@" >&-)" << QStringList {"--version"} << none << 2 << QByteArray()
            << QByteArray("cannot write the results: Bad file descriptor") << 0;
    QTest::newRow("results to a closed output")
            << pub << R"("$0" "$@" >&-)" << two << none << 2 << QByteArray()
            << QByteArray("cannot write the results: Bad file descriptor") << 0;
    // The reader goes after one line: nothing more is started, nothing said, and the status
    // tells the pipe was closed.
    QTest::newRow("head -1") << QStringLiteral(
            "slow") << R"(yes 10001 | head -400000 | "$0" "$@" | head -1; exit ${PIPESTATUS[2]})"
                             << QStringList {"--parallel", "1"} << none
                             << LookupProgram::brokenPipeStatus
                             << QByteArray(R"({"qq":"10001","nickname":"小明")") << QByteArray()
                             << 6 * 3;
    QTest::newRow("maintenance pages")
            << QStringLiteral("maintenance") << QString() << QStringList {"10001"} << none << 1
            << QByteArray(R"({"qq":"10001","nickname":null,"points":null,"level":null,)")
            << QByteArray("mirelo-lookup: 10001: failed: visitors not-an-answer, portrait "
                          "not-an-answer, moods not-an-answer,")
            << -1;
    QTest::newRow("refused proxy")
            << QStringLiteral("refused") << QString() << QStringList {"10001"} << none << 1
            << QByteArray(R"({"qq":"10001","nickname":null,)")
            << QByteArray("mirelo-lookup: 10001: failed: visitors unreachable, portrait "
                          "unreachable,")
            << -1;
    QTest::newRow("csv without a number")
            << pub << R"("$0" "$@" < /dev/null)" << csv << none << 0 << csvHeader.toUtf8() + "\r\n"
            << QByteArray() << 0;
    QTest::newRow("formula in csv")
            << QStringLiteral("formula") << QString() << csv + QStringList {"10001"} << none << 0
            << QByteArray("qq,nickname,") << QByteArray() << -1;
    QTest::newRow("unreadable input")
            << pub << R"("$0" "$@" < /)" << none << none << 2 << QByteArray()
            << QByteArray("cannot read the numbers: ") << 0;
    QTest::newRow("Chinese locale")
            << pub << QString() << QStringList {"1234"} << QStringList {"LANG=zh_CN.UTF-8"} << 1
            << QByteArray() << QByteArray("第 1 个参数：“1234”被拒绝：QQ号码应为5到10位数字") << 0;
    const QStringList ca = {QStringLiteral("--ca-certificate"), QStringLiteral("@CA@")};
    const QStringList cookies = ca + QStringList {"--cookies", "@DIR@/private.txt"};
    const QByteArray signedInRow = R"({"qq":"10001","nickname":"小明","points":7840,)";
    // Over https the tunnels (CONNECT) are not counted: how many Qt opens is its own affair.
    QTest::newRow("session from --cookies")
            << QStringLiteral("signed-in") << QString() << cookies + QStringList {"10001"} << none
            << 0 << signedInRow << QByteArray() << 6;
    // One at a time, 2 s give or take a quarter apart.
    QTest::newRow("session from the default file, paced")
            << QStringLiteral("paced") << QString() << ca + two + QStringList {"10003"}
            << QStringList {"XDG_CONFIG_HOME=@DIR@/config"} << 0 << signedInRow << QByteArray()
            << 18;
    QTest::newRow("readable default file: no session")
            << QStringLiteral("signed-in") << QString() << ca + QStringList {"10001"}
            << QStringList {"XDG_CONFIG_HOME=@DIR@/openconfig"} << 1
            << QByteArray(R"({"qq":"10001","nickname":null,)")
            << QByteArray("mirelo-lookup: @DIR@/openconfig/Mirelo/cookies.txt can be read by "
                          "group or others (mode 0644)")
            << 6;
    QTest::newRow("readable --cookies file")
            << QStringLiteral("signed-in") << QString()
            << ca + QStringList {"--cookies", "@DIR@/open.txt", "10001"} << none << 2
            << QByteArray() << QByteArray("chmod 600 @DIR@/open.txt\n") << 0;
    QTest::newRow("missing --cookies file")
            << pub << QString() << QStringList {"--cookies", "@DIR@/missing.txt", "10001"} << none
            << 2 << QByteArray() << QByteArray("mirelo-lookup: cannot read @DIR@/missing.txt") << 0;
    QTest::newRow("Chromium") << pub << QString()
                              << QStringList {"--cookies-from-browser", "chromium", "10001"} << none
                              << 2 << QByteArray()
                              << QByteArray("chromium keeps its cookies encrypted") << 0;
    QTest::newRow("missing certificate file")
            << pub << QString() << QStringList {"--ca-certificate", "@DIR@/missing.pem", "10001"}
            << none << 2 << QByteArray()
            << QByteArray("mirelo-lookup: cannot read @DIR@/missing.pem") << 0;
    // Refused at the second number: said once, the third never starts.
    QTest::newRow("session refused mid-batch")
            << QStringLiteral("expiring") << QString()
            << cookies + QStringList {"--interval", "0", "10001", "10002", "10003"} << none << 1
            << signedInRow
            << QByteArray("mirelo-lookup: the session in @DIR@/private.txt was refused: sign in "
                          "again and export the cookies anew\n")
            << 12;
    // Nothing is asked: what would be sent where, by name only, and whether it would be.
    const QStringList check = {QStringLiteral("--check-session")};
    QTest::newRow("check the session in a pipe")
            << pub << R"("$0" --check-session --cookies <(cat "$1"))"
            << QStringList {"@DIR@/private.txt"} << none << 0
            << QByteArray("session: /dev/fd/63 (2 cookies for .qq.com)\nsigned in as QQ 10001\n"
                          "cookie  expires                  sent to\n"
                          "uin     when the browser closes  visitors, portrait, moods, blog, "
                          "music, flower_vine\n"
                          "p_skey  when the browser closes  visitors, portrait,")
            << QByteArray() << 0;
    QTest::newRow("check a readable session")
            << pub << QString() << check + QStringList {"--cookies", "@DIR@/open.txt"} << none << 1
            << QByteArray()
            << QByteArray("chmod 600 @DIR@/open.txt\nmirelo-lookup: a lookup would not be "
                          "signed in\n")
            << 0;
    QTest::newRow("check without a session")
            << pub << QString() << check << QStringList {"XDG_CONFIG_HOME=@DIR@/none"} << 1
            << QByteArray()
            << QByteArray("no session: there is no @DIR@/none/Mirelo/cookies.txt; sign in with "
                          "mirelo-lookup --sign-in\n")
            << 0;
    QTest::newRow("C locale over LANG")
            << pub << QString() << QStringList {"1234"}
            << QStringList {"LANG=zh_CN.UTF-8", "LC_ALL=C"} << 1 << QByteArray()
            << QByteArray("argument 1: \"1234\" refused: a QQ number has 5 to 10 digits") << 0;
}

void TestLookup::executable()
{
    QFETCH(QString, services);
    QFETCH(QString, shell);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(int, maxRequests);

    QTemporaryDir dir;
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    for (const char *name : {"private.txt", "config/Mirelo/cookies.txt", "open.txt",
                             "openconfig/Mirelo/cookies.txt"}) {
        const bool open = QByteArray(name).startsWith("open");
        QVERIFY(writeFile(dir.filePath(QLatin1String(name)), sessionCookies,
                          open ? ownerOnly | QFile::ReadGroup | QFile::ReadOther : ownerOnly));
    }
    const bool signedIn = services == QLatin1String("signed-in")
            || services == QLatin1String("paced") || services == QLatin1String("expiring");
    if (signedIn) {
        QVERIFY2(serveHttps(), qPrintable(m_authority->error()));
        // Expiring: the session stops working after 10001.
        const FakeServices::Gate gate = SignedIn::signedInOnly("p_skey", sessionKey);
        const bool expiring = services == QLatin1String("expiring");
        m_services->setGate([gate, expiring](const RecordedRequest &r) {
            const bool expired = expiring && !r.url.toString().contains(QLatin1String("10001"));
            return expired && SignedIn::isServiceRequest(r)
                    ? std::optional<FakeResponse>(SignedIn::signInNeededAnswer())
                    : gate(r);
        });
    }
    const auto placed = [&dir, this](QString text) {
        text.replace(QLatin1String("@DIR@"), dir.path());
        if (m_authority)
            text.replace(QLatin1String("@CA@"), m_authority->certificateFile());
        return text;
    };
    for (QString &argument : arguments)
        argument = placed(argument);
    for (QString &assignment : environment)
        assignment = placed(assignment);
    err = placed(QString::fromUtf8(err)).toUtf8();

    DemoAccount account;
    if (services == QLatin1String("formula"))
        account.nickname = QStringLiteral("=HYPERLINK(\"http://x.invalid\"\x07)");
    if (services != QLatin1String("maintenance"))
        routeAccount(*m_services, account, services == QLatin1String("slow") ? 250 : 0);
    const bool paced = services == QLatin1String("paced");
    if (signedIn) {
        // Paced: 10001 answers slower than the interval, so only one lane shows 10002 waiting.
        routeAccount(*m_services, account, paced ? slowerThanInterval : 0);
        for (const char *qq : {"10002", "10003"}) {
            DemoAccount other;
            other.qq = QLatin1String(qq);
            routeAccount(*m_services, other);
        }
    }
    m_services->setFallback(maintenancePage());
    if (services == QLatin1String("refused")) {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        environment.append(
                QStringLiteral("http_proxy=http://127.0.0.1:%1").arg(closed.serverPort()));
    }

    QProcess *process = startExecutable(arguments, environment, shell);
    // The fake services live on this thread: wait without blocking it.
    QTRY_COMPARE_WITH_TIMEOUT(process->state(), QProcess::NotRunning, 20000);
    const QByteArray stdOut = process->readAllStandardOutput();
    const QByteArray stdErr = process->readAllStandardError();
    QVERIFY2(stdOut.startsWith(out), stdOut.constData());
    QVERIFY2(stdErr.contains(err), stdErr.constData());
    QCOMPARE(process->exitCode(), status);
    if (maxRequests >= 0) {
        const QList<RecordedRequest> all = m_services->requests();
        const auto asked = std::count_if(all.begin(), all.end(), [](const RecordedRequest &r) {
            return r.method != "CONNECT";
        });
        QVERIFY2(asked <= maxRequests, QByteArray::number(asked).constData());
    }
    if (services == QLatin1String("formula"))
        QVERIFY2(stdOut.contains("\r\n10001,'=HYPERLINK(http://x.invalid\xef\xbf\xbd),"),
                 stdOut.constData());
    QVERIFY2(stdErr.count("was refused") <= 1, stdErr.constData());
    if (paced) {
        QHash<QString, qint64> firstAsked;
        for (const RecordedRequest &r : m_services->requests()) {
            const QString qq = QUrlQuery(r.url).queryItemValue(QStringLiteral("uin"));
            if (!qq.isEmpty() && !firstAsked.contains(qq))
                firstAsked.insert(qq, r.receivedAtMs);
        }
        QCOMPARE(firstAsked.size(), 3);
        const qint64 waitedForFirst = firstAsked.value(QStringLiteral("10002"))
                - firstAsked.value(QStringLiteral("10001"));
        const qint64 waitedForInterval = firstAsked.value(QStringLiteral("10003"))
                - firstAsked.value(QStringLiteral("10002"));
        QVERIFY2(waitedForFirst >= slowerThanInterval * 95 / 100,
                 qPrintable(QString::number(waitedForFirst)));
        QVERIFY2(waitedForInterval >= Pace::sessionIntervalMs * 3 / 4 * 95 / 100,
                 qPrintable(QString::number(waitedForInterval)));
    }
    // The session is a secret: not a word of it anywhere.
    QVERIFY(!stdOut.contains(sessionKey) && !stdErr.contains(sessionKey));
}

void TestLookup::executableStartsEachLineAsItArrives()
{
    routeAccount(*m_services, DemoAccount {});
    QProcess *process = startExecutable({QStringLiteral("--format"), QStringLiteral("json")});
    process->write("10001\n");
    // The first result comes while the input is still open.
    QTRY_VERIFY_WITH_TIMEOUT(process->canReadLine(), 15000);
    QVERIFY(process->readLine().startsWith(R"({"qq":"10001","nickname":"小明","points":7840,)"));
    process->write("x10001\n10001\n");
    process->closeWriteChannel();
    QTRY_COMPARE_WITH_TIMEOUT(process->state(), QProcess::NotRunning, 15000);
    QCOMPARE(process->exitCode(), 1);
    QCOMPARE(process->readAllStandardOutput().count('\n'), 1);
    QVERIFY(process->readAllStandardError().contains("line 2: \"x10001\" refused"));

    QProcess *usage = startExecutable({QStringLiteral("--format"), QStringLiteral("xml")});
    QTRY_COMPARE_WITH_TIMEOUT(usage->state(), QProcess::NotRunning, 15000);
    QCOMPARE(usage->exitCode(), 2);
}

void TestLookup::executableStopsWholeOnInterrupt_data()
{
    QTest::addColumn<bool>("slowedDown"); // 10002 is told to slow down rather than left waiting

    QTest::newRow("waiting for an answer") << false;
    QTest::newRow("in a pause the services asked for") << true;
}

void TestLookup::executableStopsWholeOnInterrupt()
{
    QFETCH(bool, slowedDown);

    routeAccount(*m_services, DemoAccount {});
    m_services->setFallback(behaving(FakeResponse::Behaviour::NeverAnswer));
    if (slowedDown) {
        m_services->setGate([](const RecordedRequest &r) -> std::optional<FakeResponse> {
            if (r.url.toString().contains(QLatin1String("10002")))
                return SignedIn::rateLimitedAnswer();
            return std::nullopt;
        });
    }
    QProcess *process = startExecutable({QStringLiteral("--format"), QStringLiteral("csv"),
                                         QStringLiteral("--parallel"), QStringLiteral("1"),
                                         QStringLiteral("10001"), QStringLiteral("10002")});
    // The first number answers; the program waits in its second one, or in the pause after it.
    QTRY_COMPARE_WITH_TIMEOUT(m_services->requests().size(), 12, 15000);
    QByteArray said;
    if (slowedDown)
        QTRY_VERIFY_WITH_TIMEOUT((said += process->readAllStandardError()).contains("no new start"),
                                 15000);
    ::kill(pid_t(process->processId()), SIGINT);
    QTRY_COMPARE_WITH_TIMEOUT(process->state(), QProcess::NotRunning, 3000);
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), LookupProgram::interruptedStatus);
    const QByteArray out = process->readAllStandardOutput();
    QVERIFY2(out.endsWith("\r\n") && out.count("\r\n") == 2, out.constData());
}

QTEST_GUILESS_MAIN(TestLookup)
#include "tst_lookup.moc"
