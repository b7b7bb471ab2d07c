// A signed-in session, from the file (or the Firefox profile) to the services, against fake
// services that answer the way today's do: their values only to the right session cookie with
// its g_tk, "please sign in" to anything else.

#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "fakeservices/signedin.h"
#include "fakeservices/testauthority.h"
#include "query/addresses.h"
#include "query/queryrecord.h"
#include "query/services.h"
#include "session/cookiesfile.h"
#include "session/firefoxprofile.h"
#include "support/querywindow.h"
#include "ui/mainwindow.h"
#include "ui/sessionstatus.h"
#include "ui/sitelinks.h"
#include "ui_mainwindow.h"
#include "web/webclient.h"

#include <unistd.h>

#include <QCoroTask>
#include <QLabel>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

namespace {

// Every cookie value below contains this; nothing the program says may.
const QByteArray secretMark = "SECRET";

QByteArray line(const char *domain, const char *sub, const char *path, const char *secure,
                const char *expires, const char *name, const char *value)
{
    return QByteArray(domain) + '\t' + sub + '\t' + path + '\t' + secure + '\t' + expires + '\t'
            + name + '\t' + value + '\n';
}

// In every session: cookies that test the rules, each named after where it may go.
const QByteArray ruleCookies = line(".qq.com", "TRUE", "/", "FALSE", "0", "uin", "o0010001")
        + line(".qq.com", "TRUE", "/", "TRUE", "4102444800", "p_uin", "o0010001")
        + line(".qq.com", "TRUE", "/cgi-bin", "FALSE", "0", "onlyCgiBin", "SECRET-c")
        + line(".qq.com", "TRUE", "/cgi", "FALSE", "0", "never1", "SECRET-p") // not "/cgi-bin"
        + line("g.qzone.qq.com", "FALSE", "/", "FALSE", "0", "onlyVisitors", "SECRET-g")
        + line(".qq.com", "TRUE", "/", "FALSE", "1000000000", "never2", "SECRET-x") // 2001
        + line(".example.com", "TRUE", "/", "FALSE", "0", "never3", "SECRET-o");
const QByteArray skey = line(".qq.com", "TRUE", "/", "FALSE", "0", "skey", "@SECRET-sk");
const QByteArray pSkeyA = line(".qq.com", "TRUE", "/", "FALSE", "0", "p_skey", "Pskey-SECRET-a1");

bool allowedOn(const QByteArray &name, const RecordedRequest &request)
{
    if (name == "onlyCgiBin")
        return request.url.path().startsWith(QLatin1String("/cgi-bin/"));
    if (name == "onlyVisitors")
        return request.host == "g.qzone.qq.com";
    return !name.startsWith("never");
}

// A Firefox profile under `home` holding `cookies` (cookies.txt lines) in its moz_cookies, the
// newest in the write-ahead log: the writing connection stays open, as a running Firefox's does.
struct FirefoxHome
{
    QTemporaryDir home;
    QString connection = QStringLiteral("test-firefox");

    // `root`: where under the home folder the profiles are; a database of `notSqlite`, when
    // given, instead of one.
    bool build(const QByteArray &cookies, const QString &root = QStringLiteral(".mozilla/firefox"),
               const QByteArray &notSqlite = {})
    {
        const QString profile = home.filePath(root + QStringLiteral("/ab12.default"));
        QFile ini(home.filePath(root + QStringLiteral("/profiles.ini")));
        if (!QDir().mkpath(profile) || !ini.open(QIODevice::WriteOnly))
            return false;
        ini.write("[Profile0]\nName=default\nIsRelative=1\nPath=ab12.default\nDefault=1\n");
        ini.close();
        if (!notSqlite.isEmpty()) {
            QFile database(profile + QStringLiteral("/cookies.sqlite"));
            return database.open(QIODevice::WriteOnly) && database.write(notSqlite) > 0;
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(profile + QStringLiteral("/cookies.sqlite"));
        QSqlQuery q(db);
        bool ok = db.open() && q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))
                && q.exec(QStringLiteral(
                        "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT "
                        "NOT NULL DEFAULT '', name TEXT, value TEXT, host TEXT, path TEXT, expiry "
                        "INTEGER, lastAccessed INTEGER, creationTime INTEGER, isSecure INTEGER, "
                        "isHttpOnly INTEGER, inBrowserElement INTEGER DEFAULT 0, sameSite INTEGER "
                        "DEFAULT 0, rawSameSite INTEGER DEFAULT 0, schemeMap INTEGER DEFAULT 0)"));
        // A container's cookie, which is not the normal browsing context's session.
        ok = ok
                && q.exec(QStringLiteral(
                        "INSERT INTO moz_cookies (originAttributes, host, path, isSecure, expiry, "
                        "name, value, isHttpOnly) VALUES ('^userContextId=2', '.qq.com', '/', 0, "
                        "0, 'inContainer', 'SECRET-k', 0)"));
        // The host column is the cookies.txt domain: a leading dot for the subdomains too.
        for (const QByteArray &row : cookies.split('\n')) {
            const QList<QByteArray> f = row.split('\t');
            if (!ok || f.size() != 7)
                continue;
            ok = q.prepare(QStringLiteral("INSERT INTO moz_cookies (host, path, isSecure, expiry, "
                                          "name, value, isHttpOnly) VALUES (?,?,?,?,?,?,0)"));
            const auto text = [&f](int i) { return QVariant(QString::fromLatin1(f.at(i))); };
            for (const QVariant &v : {text(0), text(2), QVariant(f.at(3) == "TRUE" ? 1 : 0),
                                      QVariant(f.at(4).toLongLong()), text(5), text(6)})
                q.addBindValue(v);
            ok = ok && q.exec();
        }
        return ok;
    }
    ~FirefoxHome()
    {
        QSqlDatabase::database(connection, false).close();
        QSqlDatabase::removeDatabase(connection);
    }
};

// Where a session is read from in the table of sources.
enum class Source { File, OtherUsersFile, Pipe, FirefoxInConfig, FirefoxNowhere, NotADatabase };

// The session `cookies` give, read as `source` (in the folder `dir`).
SessionLoad readFrom(Source source, const QByteArray &cookies, const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("cookies.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(cookies) != cookies.size()
        || !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return {nullptr, QStringLiteral("cannot write %1").arg(path), {}};
    file.close();
    constexpr uid_t nobody = 65534;
    FirefoxHome firefox;
    const QString config = firefox.home.filePath(QStringLiteral(".config"));
    const QString notSqlite = QStringLiteral("ab12.default/cookies.sqlite is not a database");
    switch (source) {
    case Source::File:
        return CookiesFile::read(path);
    case Source::OtherUsersFile:
        if (::chown(QFile::encodeName(path).constData(), nobody, nobody) != 0)
            return {nullptr, QStringLiteral("chown: only root can give a file away"), {}};
        return CookiesFile::read(path);
    case Source::Pipe: {
        // As `--cookies <(gpg -d …)` names it: the reading end of a pipe under /dev/fd.
        int ends[2];
        if (::pipe(ends) != 0 || ::write(ends[1], cookies.data(), size_t(cookies.size())) < 0)
            return {nullptr, QStringLiteral("no pipe"), {}};
        ::close(ends[1]);
        SessionLoad load = CookiesFile::read(QStringLiteral("/dev/fd/%1").arg(ends[0]));
        ::close(ends[0]);
        return load;
    }
    case Source::FirefoxInConfig:
        if (!firefox.build(cookies, QStringLiteral(".config/mozilla/firefox")))
            return {nullptr, QStringLiteral("cannot build the profile"), {}};
        return FirefoxProfile::readSession(QStringLiteral("firefox"), firefox.home.path(), config);
    case Source::FirefoxNowhere:
        return FirefoxProfile::readSession(QStringLiteral("firefox"), firefox.home.path(), config);
    case Source::NotADatabase:
        if (!firefox.build(cookies, QStringLiteral(".mozilla/firefox"), notSqlite.toUtf8()))
            return {nullptr, QStringLiteral("cannot build the profile"), {}};
        return FirefoxProfile::readSession(QStringLiteral("firefox"), firefox.home.path(), config);
    }
    return {};
}

QStringList messages;

void keepMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    messages.append(message);
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestAuthority> m_authority;

private slots:
    void initTestCase()
    {
        const QStringList hosts
                = QStringList {QStringLiteral("notqq.com")} + DemoAnswers::serviceHosts();
        m_authority = std::make_unique<TestAuthority>(hosts);
        QVERIFY2(m_authority->isValid(), qPrintable(m_authority->error()));
    }

    void signedInQuery_data()
    {
        QTest::addColumn<QByteArray>("cookies"); // a cookies.txt
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("fromFirefox"); // the same cookies, read from a Firefox profile
        QTest::addColumn<QByteArray>("serverCookie"); // what the services accept
        QTest::addColumn<QByteArray>("serverValue");
        QTest::addColumn<QString>("refusal"); // part of why there is no session
        QTest::addColumn<int>("warnings");
        QTest::addColumn<bool>("blogMoved"); // the blog redirects to another site
        // g_tk worked out apart from the code: h = h * 33 + c, modulo 2^32, then the low 31
        // bits ("a" gives 5381 * 33 + 97 = 177670).
        QTest::addColumn<quint32>("gtk");
        QTest::addColumn<bool>("served");

        const QByteArray a1 = "Pskey-SECRET-a1";
        const QByteArray sk = "@SECRET-sk";
        const QByteArray good = ruleCookies + skey + pSkeyA;
        QTest::newRow("good session") << good << 0600 << false << QByteArray("p_skey") << a1
                                      << QString() << 0 << false << 1420215683u << true;
        // The file's p_skey is not the one the services know, so neither is its g_tk.
        QTest::newRow("wrong g_tk") << ruleCookies + skey
                        + line(".qq.com", "TRUE", "/", "FALSE", "0", "p_skey", "Pskey-SECRET-b2")
                                    << 0600 << false << QByteArray("p_skey") << a1 << QString() << 0
                                    << false << 1420215717u << false;
        // Today's services want p_skey: a valid skey beside an expired one is no session.
        QTest::newRow("expired p_skey, valid skey")
                << ruleCookies + skey
                        + line(".qq.com", "TRUE", "/", "FALSE", "1000000000", "p_skey", a1)
                << 0600 << false << QByteArray("skey") << sk
                << QStringLiteral("expired on 2001-09-0") << 0 << false << 0u << false;
        QTest::newRow("skey only") << ruleCookies + skey << 0600 << false << QByteArray("skey")
                                   << sk << QString() << 0 << false << 339578582u << true;
        QTest::newRow("readable by others")
                << good << 0644 << false << QByteArray("p_skey") << a1
                << QStringLiteral("chmod 600") << 0 << false << 0u << false;
        QTest::newRow("readable by the group")
                << good << 0640 << false << QByteArray("p_skey") << a1
                << QStringLiteral("chmod 600") << 0 << false << 0u << false;
        QTest::newRow("no session cookie")
                << ruleCookies << 0600 << false << QByteArray("p_skey") << a1
                << QStringLiteral("no QZone session in") << 0 << false << 0u << false;
        QByteArray untidy = "# Netscape HTTP Cookie File\r\n\r\n" + ruleCookies + skey
                + "not\ta cookie\tSECRET-m\n" + "#HttpOnly_" + pSkeyA
                + line(".qq.com", "TRUE", "/", "FALSE", "soon", "bad", "SECRET-e")
                + ".qq.com\tTRUE\t/\tFALSE\t0\tnoValue\n"; // as some tools write an empty one
        untidy.replace("\n", "\r\n");
        QTest::newRow("CRLF, comments, HttpOnly, bad lines")
                << untidy << 0600 << false << QByteArray("p_skey") << a1 << QString() << 2 << false
                << 1420215683u << true;
        // An editor's byte-order mark: the first cookie stays, and no warning.
        QTest::newRow("a byte-order mark first")
                << "\xEF\xBB\xBF" + good << 0600 << false << QByteArray("p_skey") << a1 << QString()
                << 0 << false << 1420215683u << true;
        QTest::newRow("Firefox profile") << good << 0600 << true << QByteArray("p_skey") << a1
                                         << QString() << 0 << false << 1420215683u << true;
        QTest::newRow("redirect to another site")
                << good << 0600 << false << QByteArray("p_skey") << a1 << QString() << 0 << true
                << 1420215683u << true;
    }

    // Each rule a session's cookies are sent by, through the header a request gets.
    void cookieRules_data()
    {
        QTest::addColumn<QByteArray>("cookies");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("header");

        const QByteArray key = line(".qq.com", "TRUE", "/", "FALSE", "0", "skey", "k");
        const QByteArray secure = key + line(".qq.com", "TRUE", "/", "TRUE", "0", "s", "1");
        QTest::newRow("secure, over https")
                << secure << u"https://user.qzone.qq.com/1"_qs << QByteArray("skey=k; s=1");
        QTest::newRow("secure, never over http")
                << secure << u"http://user.qzone.qq.com/1"_qs << QByteArray("skey=k");
        const QByteArray paths = key + line(".qq.com", "TRUE", "/cgi-bin", "FALSE", "0", "c", "1")
                + line(".qq.com", "TRUE", "/cgi", "FALSE", "0", "p", "1");
        QTest::newRow("a path takes in its folder, not a longer name")
                << paths << u"https://g.qzone.qq.com/cgi-bin/x?uin=1"_qs
                << QByteArray("c=1; skey=k");
        QTest::newRow("a path takes in itself")
                << paths << u"https://g.qzone.qq.com/cgi"_qs << QByteArray("p=1; skey=k");
        QTest::newRow("one name on two paths: both, the more specific first")
                << key + line(".qq.com", "TRUE", "/", "FALSE", "0", "a", "1")
                        + line(".qq.com", "TRUE", "/proxy", "FALSE", "0", "a", "2")
                << u"https://user.qzone.qq.com/proxy/domain/x"_qs << QByteArray("a=2; skey=k; a=1");
        const QByteArray hostOnly
                = key + line("g.qzone.qq.com", "FALSE", "/", "FALSE", "0", "h", "1");
        QTest::newRow("host-only, on its host")
                << hostOnly << u"https://g.qzone.qq.com/"_qs << QByteArray("skey=k; h=1");
        QTest::newRow("host-only, not on a subdomain")
                << hostOnly << u"https://x.g.qzone.qq.com/"_qs << QByteArray("skey=k");
        QTest::newRow("a domain's, not on a look-alike")
                << key << u"https://notqq.com/"_qs << QByteArray();
        QTest::newRow("expired") << key
                        + line(".qq.com", "TRUE", "/", "FALSE", "1000000000", "e", "1")
                                 << u"https://user.qzone.qq.com/"_qs << QByteArray("skey=k");
    }

    void cookieRules()
    {
        QFETCH(QByteArray, cookies);
        QFETCH(QString, url);
        QFETCH(QByteArray, header);
        const QList<SessionCookie> parsed = CookiesFile::parse(cookies, nullptr);
        const std::optional<Session> session = Session::fromCookies(parsed, u"rules"_qs, nullptr);
        QVERIFY(session);
        QCOMPARE(session->cookieHeaderFor(QUrl(url)), header);
        // Expiry is also the sending's own rule, for a session that outlives a cookie.
        for (SessionCookie cookie : parsed) {
            cookie.domain.remove(QRegularExpression(u"^\\."_qs));
            if (cookie.expires != 0 && cookie.matches(QUrl(url), cookie.expires - 1))
                QVERIFY(!cookie.matches(QUrl(url), cookie.expires));
        }
    }

    // Sessions a lookup could not use, said before any of it is sent; and where else one is
    // read from.
    void sessionSources_data()
    {
        QTest::addColumn<Source>("source");
        QTest::addColumn<QByteArray>("cookies");
        QTest::addColumn<QString>("error"); // part of it; empty: a session
        const QByteArray good = ruleCookies + skey + pSkeyA;
        QTest::newRow("for qzone.qq.com only")
                << Source::File
                << line("qzone.qq.com", "FALSE", "/", "FALSE", "0", "p_skey", "SECRET-q")
                << u"reach none of the services: they are for qzone.qq.com"_qs;
        QTest::newRow("on a path no service has")
                << Source::File
                << line(".qq.com", "TRUE", "/nowhere", "FALSE", "0", "skey", "SECRET-n")
                << u"reach none of the services: they are for .qq.com/nowhere"_qs;
        QTest::newRow("another user's file")
                << Source::OtherUsersFile << good
                << u"belongs to another user: a session must be your own"_qs;
        QTest::newRow("a pipe") << Source::Pipe << good << QString();
        QTest::newRow("Firefox in the configuration folder")
                << Source::FirefoxInConfig << good << QString();
        QTest::newRow("no Firefox profile: every folder searched")
                << Source::FirefoxNowhere << good
                << u".config/mozilla/firefox, %1/.mozilla/firefox, %1/snap/firefox/common/"
                   ".mozilla/firefox, %1/.var/app/org.mozilla.firefox/.mozilla/firefox"_qs;
        QTest::newRow("no SQLite database")
                << Source::NotADatabase << good
                << u"ab12.default/cookies.sqlite is not a Firefox cookie database"_qs;
    }

    void sessionSources()
    {
        QFETCH(Source, source);
        QFETCH(QByteArray, cookies);
        QFETCH(QString, error);
        if (source == Source::OtherUsersFile && ::geteuid() != 0)
            QSKIP("only root can give a file to another user");
        QTemporaryDir dir;
        const SessionLoad load = readFrom(source, cookies, dir);
        // "%1": the home folder, made afresh for the row.
        const QString expected = QRegularExpression::escape(error).replace(u"\\%1"_qs, u".+"_qs);
        QVERIFY2(load.error.contains(QRegularExpression(expected)), qPrintable(load.error));
        QCOMPARE(bool(load.session), error.isEmpty());
        if (load.session)
            QVERIFY(load.session->cookieHeaderFor(QUrl(Addresses::Current::visitors(u"1"_qs)))
                            .contains("p_skey=Pskey-SECRET-a1"));
        QVERIFY(!load.error.toUtf8().contains(secretMark));
    }

    // A certificate that cannot be verified (a proxy that inspects https, a missing
    // authority) is named so in each service's outcome and at the window's session.
    void certificateNotVerified()
    {
        QTemporaryDir dir;
        const SessionLoad load = readFrom(Source::File, ruleCookies + skey + pSkeyA, dir);
        QVERIFY(load.session);
        FakeServices services;
        QVERIFY(services.listen());
        services.setTlsIdentity(m_authority->identity(TestAuthority::Kind::UnknownAuthority));
        const DemoAccount account;
        DemoAnswers::routeAccount(services, account);
        QueryWindow app(services.proxy(), 5000, QueryWindow::Open::Now, load.session);
        app.web().addCaCertificate(m_authority->certificate());
        app.startQuery(account.qq);
        QVERIFY(app.waitIdle());
        for (const ServiceRow &row : serviceTable())
            QCOMPARE(app.window()->queryRecord().outcomes.of(row.service)->name(),
                     u"certificate"_qs);
        const QLabel *status = app.window()->sessionStatus()->label();
        QCOMPARE(status->accessibleName(), u"已登录：QQ 10001 · 证书无法验证 · 退出登录"_qs);
        QVERIFY2(status->toolTip().contains(QRegularExpression(u"^[a-z0-9.]+qq\\.com: \\S"_qs)),
                 qPrintable(status->toolTip()));
    }

    void signedInQuery()
    {
        QFETCH(QByteArray, cookies);
        QFETCH(int, mode);
        QFETCH(bool, fromFirefox);
        QFETCH(QByteArray, serverCookie);
        QFETCH(QByteArray, serverValue);
        QFETCH(QString, refusal);
        QFETCH(int, warnings);
        QFETCH(bool, blogMoved);
        QFETCH(quint32, gtk);
        QFETCH(bool, served);
        messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
        const auto restore = qScopeGuard([previous] { qInstallMessageHandler(previous); });

        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("cookies.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(cookies) == cookies.size());
        file.close();
        const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
        QVERIFY(file.setPermissions(ownerOnly
                                    | (mode & 040 ? QFile::ReadGroup : QFile::Permissions())
                                    | (mode & 04 ? QFile::ReadOther : QFile::Permissions())));
        const SessionLoad load = CookiesFile::read(file.fileName());
        QStringList said = load.warnings;
        said << load.error;
        QCOMPARE(load.warnings.size(), warnings);
        for (const QString &warning : load.warnings)
            QVERIFY(warning.startsWith(file.fileName() + QStringLiteral(": line ")));
        QCOMPARE(bool(load.session), refusal.isEmpty());
        if (!refusal.isEmpty())
            QVERIFY2(load.error.contains(refusal) && load.error.contains(file.fileName()),
                     qPrintable(load.error));
        std::shared_ptr<const Session> session = load.session;
        FirefoxHome firefox;
        if (fromFirefox) {
            QVERIFY(firefox.build(cookies));
            const SessionLoad browser
                    = FirefoxProfile::readSession(QStringLiteral("firefox"), firefox.home.path());
            QVERIFY2(browser.session, qPrintable(browser.error));
            QVERIFY(*browser.session == *session);
            session = browser.session;
        }
        if (session)
            said << session->describe();

        FakeServices services;
        QVERIFY(services.listen());
        services.setTlsIdentity(m_authority->identity(TestAuthority::Kind::Good));
        services.ignoreQueryItem(QStringLiteral("g_tk"));
        services.setGate(SignedIn::signedInOnly(serverCookie, serverValue));
        const DemoAccount account;
        DemoAnswers::routeAccount(services, account);
        const QString movedBlog = QStringLiteral("https://notqq.com/blog?uin=10001");
        if (blogMoved) {
            services.on(DemoAnswers::currentAnswer(account, DemoAnswers::Endpoint::Blog).address,
                        FakeResponse::redirect(movedBlog.toLatin1()));
            services.on(movedBlog, FakeResponse::text(DemoAnswers::currentBlog(account), "utf-8"));
        }
        // A page that sets a cookie for the whole site: none may come back with a later request.
        FakeResponse probe = FakeResponse::text("<html>ok</html>", "utf-8");
        probe.headers.append(
                {QByteArray("Set-Cookie"), QByteArray("tracker=SECRET-t; Domain=.qq.com; Path=/")});
        services.on(DemoAnswers::routeOf(Addresses::reachabilityProbe()), probe);

        QueryWindow app(services.proxy(), 5000, QueryWindow::Open::Now, session);
        app.web().addCaCertificate(m_authority->certificate());
        app.ui()->Check1->setChecked(true);
        app.startQuery(account.qq);
        QVERIFY(app.waitIdle());
        // What the program asks without the session, the cookie-setting page first.
        for (const QString &page : {Addresses::reachabilityProbe(), Addresses::reachabilityProbe(),
                                    SiteLinks::forumHome(), Addresses::qqPortraitHd(account.qq)})
            QVERIFY(QCoro::waitFor(app.web().GetBody(page)).ok);
        // A session is refused plain http even as a first hop, whoever asks.
        if (session) {
            const auto plain = app.web().startGetBody(Addresses::visitors(account.qq), session);
            QVERIFY(!QCoro::waitFor(plain->wait()).ok);
        }

        const QStringList cells = {app.cell(0, ColumnKey::nam), app.cell(0, ColumnKey::jf),
                                   app.cell(0, ColumnKey::ss), app.cell(0, ColumnKey::blog),
                                   app.cell(0, ColumnKey::qqm2)};
        const QStringList values
                = {account.nickname, u"7840分"_qs, u"37条"_qs, u"3篇"_qs, u"20首"_qs};
        // Refused, today's services give no count: those cells stay empty.
        const QStringList empty
                = {QString(), u"0分"_qs, u"空间有权限"_qs, session ? QString() : u"0篇"_qs,
                   session ? QString() : u"0首"_qs};
        QCOMPARE(cells, served ? values : empty);
        // Refused or missing, the session shows as what the services said, service by service.
        for (const Service service : {Service::Visitors, Service::Portrait, Service::Moods,
                                      Service::Blog, Service::Music, Service::FlowerVine}) {
            const std::optional<ServiceOutcome> &outcome
                    = app.window()->queryRecord().outcomes.of(service);
            QVERIFY(outcome);
            QCOMPARE(outcome->name(), served ? u"answered"_qs : u"signin-needed"_qs);
        }

        int signedIn = 0;
        for (const RecordedRequest &request : services.requests()) {
            const QByteArray cookie = request.header("Cookie");
            const QString where
                    = QString::fromLatin1(request.method) + u' ' + request.url.toString();
            said << where;
            const bool service = SignedIn::isServiceRequest(request) && request.method == "GET";
            if (service)
                QCOMPARE(request.url.scheme(),
                         session ? QStringLiteral("https") : QStringLiteral("http"));
            // Only the six services get the session, over https; nothing else gets any cookie.
            if (!service || !session) {
                QVERIFY2(cookie.isEmpty(), qPrintable(where));
                continue;
            }
            ++signedIn;
            QCOMPARE(request.header("Referer"), QByteArray("https://user.qzone.qq.com/10001"));
            QCOMPARE(request.header("User-Agent"), QByteArray(WebClient::browserUserAgent));
            QCOMPARE(QUrlQuery(request.url).allQueryItemValues(QStringLiteral("g_tk")),
                     QStringList {QString::number(gtk)});
            QSet<QByteArray> names;
            for (const QByteArray &pair : cookie.split(';')) {
                const QByteArray name = pair.trimmed().split('=').first();
                QVERIFY2(allowedOn(name, request), qPrintable(where + u' ' + name));
                names.insert(name);
            }
            for (const char *name : {"onlyCgiBin", "onlyVisitors"})
                QCOMPARE(names.contains(name), allowedOn(name, request));
            QVERIFY(names.contains("uin") && names.contains("p_uin") && names.contains("skey"));
            // An expired p_skey stays home.
            QCOMPARE(names.contains("p_skey"), serverCookie == "p_skey");
        }
        QCOMPARE(signedIn, session ? 6 : 0);

        said << messages << app.window()->statusText();
        for (const QString &text : std::as_const(said))
            QVERIFY2(!text.toUtf8().contains(secretMark), qPrintable(text));
    }
};

QTEST_MAIN(TestSession)
#include "tst_session.moc"
