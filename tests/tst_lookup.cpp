#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "lookup/displaywidth.h"
#include "lookup/lookupbatch.h"
#include "lookup/lookupprogram.h"
#include "lookup/resultformats.h"
#include "query/addresses.h"
#include "query/queryrecord.h"
#include "web/webclient.h"

#include <csignal>

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

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

FakeResponse hangingUp()
{
    FakeResponse r;
    r.behaviour = FakeResponse::Behaviour::CloseWithoutAnswer;
    return r;
}

} // namespace

class TestLookup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void formats_data();
    void formats();
    void outsideTextStaysInItsField();
    void orderKeptWhenAnswersComeBackReversed();
    void parallelBoundRespected();
    void refusedLinesAndExitStatus_data();
    void refusedLinesAndExitStatus();
    void executableReadsStdinAndReportsStatus();
    void executableStopsWholeOnInterrupt();

private:
    QList<LookupResult> lookUp(const QStringList &numbers, int parallel = 4);
    QProcess *startExecutable(const QStringList &arguments);

    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<WebClient> m_web;
};

void TestLookup::init()
{
    m_services = std::make_unique<FakeServices>();
    QVERIFY(m_services->listen());
    m_services->setFallback(hangingUp());
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
    LookupBatch batch(m_web.get(), numbers, parallel, 0);
    QList<LookupResult> results;
    connect(&batch, &LookupBatch::resultReady, this,
            [&results](const LookupResult &r) { results.append(r); });
    QSignalSpy finished(&batch, &LookupBatch::finished);
    batch.start();
    [&] { QVERIFY(finished.wait(15000)); }();
    return results;
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
               "12人        34567人     120     45      6       78      3\n";
    QTest::newRow("public csv") << QStringLiteral("public") << csv
                                << "10001,小明,7840,35,20,3,37,12,34567,false,120,45,6,78,3\r\n";
    QTest::newRow("public json")
            << QStringLiteral("public") << json
            << R"({"qq":"10001","nickname":"小明","points":7840,"level":35,"music":20,)"
               R"("blogs":3,"moods":37,"today_visits":12,"total_visits":34567,)"
               R"("restricted":false,"sunshine":120,"rain":45,"love":6,"nutrition":78,)"
               R"("vine_level":3})"
               "\n";
    QTest::newRow("restricted table")
            << QStringLiteral("restricted") << table
            << "10001       小明              7840分      35级      20首    3篇     空间有权限  "
               "空间有权限  空间有权限  120     45      6       78      3\n";
    QTest::newRow("restricted csv") << QStringLiteral("restricted") << csv
                                    << "10001,小明,7840,35,20,3,,,,true,120,45,6,78,3\r\n";
    QTest::newRow("restricted json")
            << QStringLiteral("restricted") << json
            << R"({"qq":"10001","nickname":"小明","points":7840,"level":35,"music":20,)"
               R"("blogs":3,"moods":null,"today_visits":null,"total_visits":null,)"
               R"("restricted":true,"sunshine":120,"rain":45,"love":6,"nutrition":78,)"
               R"("vine_level":3})"
               "\n";
    // Not the window's "0分" and "0级": nothing was learnt, so nothing is shown.
    QTest::newRow("unreachable table") << QStringLiteral("unreachable") << table << "10001\n";
    QTest::newRow("unreachable csv")
            << QStringLiteral("unreachable") << csv << "10001,,,,,,,,,,,,,,\r\n";
    QTest::newRow("unreachable json")
            << QStringLiteral("unreachable") << json
            << R"({"qq":"10001","nickname":null,"points":null,"level":null,"music":null,)"
               R"("blogs":null,"moods":null,"today_visits":null,"total_visits":null,)"
               R"("restricted":null,"sunshine":null,"rain":null,"love":null,"nutrition":null,)"
               R"("vine_level":null})"
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
    QCOMPARE(results.first().failed, account == QLatin1String("unreachable"));
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

void TestLookup::outsideTextStaysInItsField()
{
    DemoAccount account;
    // The services' own cut drops commas and quotes; line ends and escapes get through.
    account.nickname = QStringLiteral("a\r\nb\x1b[31m");
    account.points = 1e300; // beyond the level table
    routeAccount(*m_services, account);
    const LookupResult r = lookUp({QStringLiteral("10001")}).value(0);
    QCOMPARE(r.level, 150);

    const QByteArray csv = formatResult(OutputFormat::Csv, r);
    QVERIFY2(csv.startsWith("10001,\"a\r\nb\x1b[31m\",1" + QByteArray(300, '0') + ",150,"),
             csv.constData());
    const QByteArray json = formatResult(OutputFormat::Json, r);
    const QByteArray nickname = "\"nickname\":\"a\\r\\nb\\u001b[31m\",";
    QVERIFY2(json.contains(nickname), json.constData());
    // A terminal is not steered by the name.
    const QByteArray table = formatResult(OutputFormat::Table, r);
    QVERIFY(!table.contains('\x1b') && table.count('\n') == 1);
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
        QVERIFY(!results.at(i).failed);
    }
}

void TestLookup::parallelBoundRespected()
{
    QStringList numbers;
    for (int i = 0; i < 9; ++i) {
        DemoAccount account;
        account.qq = QString::number(20000 + i);
        routeAccount(*m_services, account, 150);
        numbers.append(account.qq);
    }
    // Each number asks six services (no portraits) and each answer closes its connection.
    const int parallel = 2, perNumber = 6;
    int most = 0;
    connect(m_services.get(), &FakeServices::requestReceived, this,
            [&] { most = std::max(most, m_services->openConnections()); });
    const QList<LookupResult> results = lookUp(numbers, parallel);
    QCOMPARE(results.size(), numbers.size());
    QCOMPARE(m_services->requests().size(), numbers.size() * perNumber);
    QVERIFY2(most <= parallel * perNumber, QByteArray::number(most).constData());
    QVERIFY2(most > perNumber, QByteArray::number(most).constData());
}

void TestLookup::refusedLinesAndExitStatus_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("lookedUp");
    QTest::addColumn<QStringList>("complaints");
    QTest::addColumn<int>("status");

    QTest::newRow("all good, blanks and comments")
            << QByteArray("10001\n\n  \n# friends\n10001\r\n") << QStringList {"10001", "10001"}
            << QStringList {} << 0;
    QTest::newRow("refused lines named")
            << QByteArray("10001\n 10001\n1234\n１２３４５\n10001")
            << QStringList {"10001", "10001"}
            << QStringList {R"(line 2: " 10001" refused: 您输入的内容错误!QQ号为纯数字!)",
                            R"(line 3: "1234" refused: QQ号码位数不正确!)",
                            R"(line 4: "１２３４５" refused: 您输入的内容错误!QQ号为纯数字!)"}
            << 1;
    QTest::newRow("failed number") << QByteArray("10001\n55555\n") << QStringList {"10001", "55555"}
                                   << QStringList {} << 1;
}

void TestLookup::refusedLinesAndExitStatus()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, lookedUp);
    QFETCH(QStringList, complaints);
    QFETCH(int, status);

    routeAccount(*m_services, DemoAccount {});
    QByteArray out, err;
    LookupProgram::Terminal terminal;
    terminal.out = [&out](const QByteArray &b) { out += b; };
    terminal.err = [&err](const QByteArray &b) { err += b; };
    LookupOptions options;
    options.format = OutputFormat::Csv;
    LookupProgram program(m_web.get(), options, LookupInput::fromLines(input), terminal);
    QSignalSpy finished(&program, &LookupProgram::finished);
    program.start();
    QVERIFY(finished.wait(15000));
    QCOMPARE(finished.first().first().toInt(), status);

    QStringList lines = QString::fromUtf8(out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.takeFirst(), plainFieldNames().join(u','));
    QCOMPARE(lines.size(), lookedUp.size());
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY(lines.at(i).startsWith(lookedUp.at(i) + u','));
    QStringList expectedErr;
    for (const QString &complaint : complaints)
        expectedErr.append(QStringLiteral("mirelo-lookup: ") + complaint);
    QCOMPARE(QString::fromUtf8(err).split(u'\n', Qt::SkipEmptyParts), expectedErr);
}

QProcess *TestLookup::startExecutable(const QStringList &arguments)
{
    auto *process = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("http_proxy"),
               QStringLiteral("http://127.0.0.1:%1").arg(m_services->port()));
    env.remove(QStringLiteral("no_proxy"));
    env.remove(QStringLiteral("NO_PROXY"));
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(MIRELO_LOOKUP_EXECUTABLE), arguments);
    return process;
}

void TestLookup::executableReadsStdinAndReportsStatus()
{
    routeAccount(*m_services, DemoAccount {});
    QProcess *process = startExecutable({QStringLiteral("--format"), QStringLiteral("json")});
    process->write("10001\nx10001\n");
    process->closeWriteChannel();
    // The fake services live on this thread: wait without blocking it.
    QTRY_COMPARE_WITH_TIMEOUT(process->state(), QProcess::NotRunning, 15000);
    QCOMPARE(process->exitCode(), 1);
    const QByteArray out = process->readAllStandardOutput();
    QVERIFY2(out.startsWith(R"({"qq":"10001","nickname":"小明","points":7840,)"), out.constData());
    QCOMPARE(out.count('\n'), 1);
    QVERIFY(process->readAllStandardError().contains("line 2: \"x10001\" refused"));

    QProcess *usage = startExecutable({QStringLiteral("--format"), QStringLiteral("xml")});
    QTRY_COMPARE_WITH_TIMEOUT(usage->state(), QProcess::NotRunning, 15000);
    QCOMPARE(usage->exitCode(), 2);
}

void TestLookup::executableStopsWholeOnInterrupt()
{
    routeAccount(*m_services, DemoAccount {});
    FakeResponse silent;
    silent.behaviour = FakeResponse::Behaviour::NeverAnswer;
    m_services->setFallback(silent);
    QProcess *process = startExecutable({QStringLiteral("--format"), QStringLiteral("csv"),
                                         QStringLiteral("--parallel"), QStringLiteral("1"),
                                         QStringLiteral("10001"), QStringLiteral("10002")});
    // The first number answers, the second never does: the program waits in its second one.
    QTRY_COMPARE_WITH_TIMEOUT(m_services->requests().size(), 12, 15000);
    ::kill(pid_t(process->processId()), SIGINT);
    QTRY_COMPARE_WITH_TIMEOUT(process->state(), QProcess::NotRunning, 3000);
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), LookupProgram::interruptedStatus);
    const QByteArray out = process->readAllStandardOutput();
    QVERIFY2(out.endsWith("\r\n") && out.count("\r\n") == 2, out.constData());
}

QTEST_GUILESS_MAIN(TestLookup)
#include "tst_lookup.moc"
