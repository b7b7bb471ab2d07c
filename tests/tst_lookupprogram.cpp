// mirelo-lookup as a whole: the lines of its input it refuses and its exit status, in-process,
// and the real executable, run from outside with its files, environment and signals.

#include "cli/lookupprogram.h"
#include "config/deployment.h"
#include "fakeservices/signedin.h"
#include "query/addresses.h"
#include "support/lookupfixture.h"

#include <algorithm>
#include <csignal>
#include <unistd.h>

#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

using namespace DemoAnswers;

class TestLookupProgram : public LookupFixture
{
    Q_OBJECT

private slots:
    void init() { startServices(); }
    void cleanup() { stopServices(); }

    void refusedLinesAndExitStatus_data();
    void refusedLinesAndExitStatus();
    void executable_data();
    void executable();
    void executableStartsEachLineAsItArrives();
    void executableStopsWholeOnInterrupt_data();
    void executableStopsWholeOnInterrupt();

private:
    QProcess *startExecutable(const QStringList &arguments, const QStringList &environment = {},
                              const QString &shell = {});
};

void TestLookupProgram::refusedLinesAndExitStatus_data()
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

void TestLookupProgram::refusedLinesAndExitStatus()
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

// `shell`, when given, runs the program through bash as "$0" with its arguments as "$@".
QProcess *TestLookupProgram::startExecutable(const QStringList &arguments,
                                             const QStringList &environment, const QString &shell)
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
void TestLookupProgram::executable_data()
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

void TestLookupProgram::executable()
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

void TestLookupProgram::executableStartsEachLineAsItArrives()
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

void TestLookupProgram::executableStopsWholeOnInterrupt_data()
{
    QTest::addColumn<bool>("slowedDown"); // 10002 is told to slow down rather than left waiting

    QTest::newRow("waiting for an answer") << false;
    QTest::newRow("in a pause the services asked for") << true;
}

void TestLookupProgram::executableStopsWholeOnInterrupt()
{
    QFETCH(bool, slowedDown);

    routeAccount(*m_services, DemoAccount {});
    m_services->setFallback(FakeResponse::behaving(FakeResponse::Behaviour::NeverAnswer));
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

QTEST_GUILESS_MAIN(TestLookupProgram)
#include "tst_lookupprogram.moc"
