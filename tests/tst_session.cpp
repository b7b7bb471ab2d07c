// A signed-in session, from the file (or the Firefox profile) to the services, against fake
// services that answer the way today's do: their values only to the right session cookie with
// its g_tk, "please sign in" to anything else.

#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "fakeservices/signedin.h"
#include "fakeservices/testauthority.h"
#include "lookup/firefoxprofile.h"
#include "query/addresses.h"
#include "query/queryrecord.h"
#include "support/querywindow.h"
#include "ui/mainwindow.h"
#include "ui/sitelinks.h"
#include "ui_mainwindow.h"
#include "web/cookiesfile.h"
#include "web/webclient.h"

#include <QCoroTask>
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

    bool build(const QByteArray &cookies)
    {
        const QString profile = home.filePath(QStringLiteral(".mozilla/firefox/ab12.default"));
        QFile ini(home.filePath(QStringLiteral(".mozilla/firefox/profiles.ini")));
        if (!QDir().mkpath(profile) || !ini.open(QIODevice::WriteOnly))
            return false;
        ini.write("[Profile0]\nName=default\nIsRelative=1\nPath=ab12.default\nDefault=1\n");
        ini.close();
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
        QTest::newRow("expired p_skey: g_tk from skey")
                << ruleCookies + skey
                        + line(".qq.com", "TRUE", "/", "FALSE", "1000000000", "p_skey", a1)
                << 0600 << false << QByteArray("skey") << sk << QString() << 0 << false
                << 339578582u << true;
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
