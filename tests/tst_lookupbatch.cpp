// A batch of numbers against the services, as mirelo-lookup runs it: each service's problem
// named, the order kept, the pauses the services ask for, what the batch keeps from one number
// to the next, and its lanes running at once.

#include "cli/backoff.h"
#include "cli/lookupbatch.h"
#include "cli/progressline.h"
#include "cli/resultformats.h"
#include "fakeservices/signedin.h"
#include "session/cookiesfile.h"
#include "support/lookupfixture.h"
#include "web/session.h"

#include <algorithm>

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>

using namespace DemoAnswers;

Q_DECLARE_METATYPE(FakeResponse)

class TestLookupBatch : public LookupFixture
{
    Q_OBJECT

private slots:
    void init() { startServices(); }
    void cleanup() { stopServices(); }

    void serviceProblems_data();
    void serviceProblems();
    void orderKeptWhenAnswersComeBackReversed();
    void pausesVaryBothWays();
    void batchStateResets_data();
    void batchStateResets();
    void lanesRunAtOnce_data();
    void lanesRunAtOnce();
    void progressLineHasOneForm();
};

// One service answers otherwise than the public account's, or all of them do: its values are
// null, never made up, and the problem gets its name.
void TestLookupBatch::serviceProblems_data()
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
            << visitors << FakeResponse::behaving(FakeResponse::Behaviour::CloseWithoutAnswer)
            << QByteArray(R"("today_visits":null,"total_visits":null,"restricted":null)")
            << QByteArray(R"("status":"partial","problems":{"visitors":"unreachable"}})");
    QTest::newRow("flower vine never answers")
            << vine << FakeResponse::behaving(FakeResponse::Behaviour::NeverAnswer)
            << QByteArray(R"("sunshine":null,"rain":null,"love":null,"nutrition":null,)"
                          R"("vine_level":null)")
            << QByteArray(R"("status":"partial","problems":{"flower_vine":"timeout"}})");
}

void TestLookupBatch::serviceProblems()
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

void TestLookupBatch::orderKeptWhenAnswersComeBackReversed()
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
void TestLookupBatch::pausesVaryBothWays()
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
void TestLookupBatch::batchStateResets_data()
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

void TestLookupBatch::batchStateResets()
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

void TestLookupBatch::lanesRunAtOnce_data()
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

void TestLookupBatch::lanesRunAtOnce()
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

// From the first number to the last, the line reads the same way: done of the numbers taken so
// far, then the counts and the rate; an unknown number fails without changing its form.
void TestLookupBatch::progressLineHasOneForm()
{
    routeAccount(*m_services, DemoAccount {});
    QByteArray err;
    ProgressLine progress([&err](const QByteArray &bytes) { err += bytes; }, true);
    LookupBatch batch(m_web.get(), paceOf(1));
    connect(&batch, &LookupBatch::progressed, &progress, &ProgressLine::show);
    QSignalSpy finished(&batch, &LookupBatch::finished);
    progress.follow(&batch);
    // The input still open after the first result: the total is what was taken so far.
    batch.add(QStringLiteral("10001"));
    batch.add(QStringLiteral("55555"));
    QTRY_VERIFY_WITH_TIMEOUT(batch.done() >= 1, 15000);
    batch.add(QStringLiteral("10001"));
    batch.close();
    QVERIFY(finished.wait(15000));
    progress.keep();
    const QList<QByteArray> drawn = err.split('\r');
    QCOMPARE(drawn.first(), QByteArray());
    QCOMPARE(drawn.size(), 4); // one line after each of the three numbers
    const QRegularExpression form(
            uR"(^\x1b\[K[123]/[23] done, 0 partial, [01] failed, \d+\.\d numbers/s\n?$)"_qs);
    for (const QByteArray &line : drawn.mid(1))
        QVERIFY2(form.match(QString::fromUtf8(line)).hasMatch(), line.constData());
    QVERIFY2(drawn.at(1).startsWith("\x1b[K1/2 done, "), drawn.at(1).constData());
    QVERIFY2(drawn.last().startsWith("\x1b[K3/3 done, 0 partial, 1 failed, ")
                     && drawn.last().endsWith('\n'),
             drawn.last().constData());
}

QTEST_GUILESS_MAIN(TestLookupBatch)
#include "tst_lookupbatch.moc"
