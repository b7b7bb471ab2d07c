// The offline trial server answers what the README promises for each demo number, through the
// real window and fetcher.

#include "accounts.h"
#include "cli/qrterminal.h"
#include "demosession.h"
#include "offlineserver.h"
#include "portraits.h"
#include "query/addresses.h"
#include "query/extract.h"
#include "query/queryrecord.h"
#include "session/cookiesfile.h"
#include "session/qrsignin.h"
#include "support/querywindow.h"
#include "ui/mainwindow.h"
#include "ui/sessionstatus.h"
#include "ui/signinwindow.h"
#include "ui/sitelinks.h"
#include "ui_mainwindow.h"
#include "web/session.h"
#include "web/webclient.h"

#include <QCoroTask>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <qrencode.h>

using namespace OfflineDemo;

class TestOfflineDemo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rows_data();
    void rows();
    void portraitsOfPublicAccount();
    void noPortraitsShowsDefaults();
    void hdPortrait_data();
    void hdPortrait();
    void probeAndForumAnswer();
    void otherNumbersAreSteady();
    void numberIn_data();
    void numberIn();
    void everyRequestIsLogged();
    void manyNumbersStillAnswer();
    void signedInOnly_data();
    void signedInOnly();
    void signInEndings_data();
    void signInEndings();
    void signInFromTheWindow();
    void codeReadsBackForTheTerminal_data();
    void codeReadsBackForTheTerminal();

private:
    Ui::MainWindow *ui() const { return m_app->ui(); }
    QString cell(const char *key) const { return m_app->cell(0, key); }
    bool query(const QString &qq);
    QString file(const QString &name) const { return m_app->programFile(name); }

    std::unique_ptr<OfflineServer> m_server;
    std::unique_ptr<QueryWindow> m_app;
};

void TestOfflineDemo::init()
{
    m_server = std::make_unique<OfflineServer>();
    QVERIFY(m_server->listen(0));
    m_app = std::make_unique<QueryWindow>(
            QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), m_server->port()),
            5000);
    QVERIFY(QTest::qWaitForWindowExposed(m_app->window()));
}

void TestOfflineDemo::cleanup()
{
    m_app.reset();
    m_server.reset();
}

bool TestOfflineDemo::query(const QString &qq)
{
    m_app->startQuery(qq);
    return m_app->waitIdle(10000) && m_app->window()->lastQueriedQq() == qq;
}

void TestOfflineDemo::rows_data()
{
    QTest::addColumn<QString>("qq");
    QTest::addColumn<QStringList>("cells"); // nam jf qqm2 blog ss jr ls
    QTest::addColumn<QString>("vineTitle");

    const QString restricted = QStringLiteral("空间有权限");
    QTest::newRow("10001 public") << QStringLiteral("10001")
                                  << QStringList {u"小明"_qs, u"7840分"_qs, u"20首"_qs,   u"3篇"_qs,
                                                  u"37条"_qs, u"12人"_qs,   u"34567人"_qs}
                                  << QStringLiteral("QQ空间花藤信息:(3)级");
    QTest::newRow("10002 restricted")
            << QStringLiteral("10002")
            << QStringList {u"秘密花园"_qs, u"2150分"_qs, u"8首"_qs, u"0篇"_qs,
                            restricted,     restricted,   restricted}
            << QStringLiteral("QQ空间花藤信息:(1)级");
    QTest::newRow("10003 no portraits")
            << QStringLiteral("10003")
            << QStringList {u"路人甲"_qs, u"365分"_qs, u"0首"_qs,  u"1篇"_qs,
                            u"5条"_qs,    u"0人"_qs,   u"213人"_qs}
            << QStringLiteral("QQ空间花藤信息:(0)级");

    // Any other number: a public account made up from the number.
    const QString other = QStringLiteral("123456789");
    const DemoAccount v = accountFor(other).values;
    QTest::newRow("other number") << other
                                  << QStringList {v.nickname,
                                                  formatPoints(v.points) + u"分"_qs,
                                                  QString::number(v.songs) + u"首"_qs,
                                                  QString::number(v.blogs) + u"篇"_qs,
                                                  QString::number(v.moods) + u"条"_qs,
                                                  QString::number(v.todayVisits) + u"人"_qs,
                                                  QString::number(v.totalVisits) + u"人"_qs}
                                  << QStringLiteral("QQ空间花藤信息:(%1)级").arg(v.vineLevel);
}

void TestOfflineDemo::rows()
{
    QFETCH(QString, qq);
    QFETCH(QStringList, cells);
    QFETCH(QString, vineTitle);

    QVERIFY(query(qq));
    const QStringList got {cell(ColumnKey::nam),  cell(ColumnKey::jf), cell(ColumnKey::qqm2),
                           cell(ColumnKey::blog), cell(ColumnKey::ss), cell(ColumnKey::jr),
                           cell(ColumnKey::ls)};
    QCOMPARE(got, cells);
    QVERIFY(!cell(ColumnKey::nam).isEmpty());
    QCOMPARE(ui()->Frame4->title(), vineTitle);
    QVERIFY(m_app->prompt().asked().isEmpty());
}

void TestOfflineDemo::portraitsOfPublicAccount()
{
    ui()->Check1->setChecked(true);
    QVERIFY(query(QStringLiteral("10001")));

    const QImage face(file(QStringLiteral("face")));
    const QImage head(file(QStringLiteral("head")));
    QCOMPARE(face.size(), QSize(100, 100));
    QCOMPARE(head.size(), QSize(100, 100));
    QVERIFY(face != head);
    // Shown instead of the built-in pictures.
    const QImage shownFace = ui()->aicAlphaImage1->pixmap().toImage();
    QCOMPARE(shownFace.convertToFormat(QImage::Format_RGB32),
             face.convertToFormat(QImage::Format_RGB32));
    QVERIFY(ui()->aicAlphaImage1->pixmap().toImage()
            != QImage(QStringLiteral(":/images/portrait-qzone.png")));
    // And drawn in their own colours (a disabled label would grey them out).
    for (const auto &[label, picture] :
         {std::pair {ui()->aicAlphaImage1, face}, std::pair {ui()->aicAlphaImage2, head}}) {
        const QImage drawn = label->grab().toImage();
        for (const QPoint at : {QPoint(50, 50), QPoint(50, 90), QPoint(10, 10)})
            QCOMPARE(drawn.pixelColor(at), picture.pixelColor(at));
    }
}

void TestOfflineDemo::noPortraitsShowsDefaults()
{
    ui()->Check1->setChecked(true);
    QVERIFY(query(QStringLiteral("10001")));
    QVERIFY(query(QStringLiteral("10003")));

    // Whatever landed in the files is no picture.
    for (const char *name : {"face", "head"})
        QVERIFY2(QImage(file(QLatin1String(name))).isNull(), name);
    const auto shown = [](QLabel *label) {
        return label->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    };
    const auto builtIn = [](const char *path) {
        return QImage(QLatin1String(path)).convertToFormat(QImage::Format_ARGB32);
    };
    QCOMPARE(shown(ui()->aicAlphaImage1), builtIn(":/images/portrait-qzone.png"));
    QCOMPARE(shown(ui()->aicAlphaImage2), builtIn(":/images/portrait-qq.png"));
}

void TestOfflineDemo::hdPortrait_data()
{
    QTest::addColumn<QString>("qq");
    QTest::addColumn<QSize>("size"); // invalid: no picture
    QTest::newRow("10001") << QStringLiteral("10001") << QSize(640, 640);
    QTest::newRow("10002") << QStringLiteral("10002") << QSize();
    QTest::newRow("10003") << QStringLiteral("10003") << QSize();
    QTest::newRow("other") << QStringLiteral("55555") << QSize(640, 640);
}

void TestOfflineDemo::hdPortrait()
{
    QFETCH(QString, qq);
    QFETCH(QSize, size);
    const QString path = file(QStringLiteral("head2.bmp"));
    QVERIFY(QCoro::waitFor(m_app->web().URLDownloadToFile(Addresses::qqPortraitHd(qq), path)));
    QImageReader reader(path);
    QCOMPARE(reader.size(), size);
    if (size.isValid())
        QCOMPARE(reader.format(), QByteArray("png"));
}

void TestOfflineDemo::probeAndForumAnswer()
{
    for (const QString &address :
         {Addresses::reachabilityProbe(), SiteLinks::forumHome(), SiteLinks::forumVineThread(),
          SiteLinks::fanSite(), SiteLinks::forumHome() + u"/any/page.php?x=1"_qs}) {
        const FetchResult r = QCoro::waitFor(m_app->web().OpenURL(address));
        QVERIFY2(r.ok, qPrintable(address));
        QCOMPARE(r.status, 200);
        QVERIFY2(r.text.contains(u"<html>"_qs), qPrintable(r.text));
    }
    // Other unknown addresses are not there, also right after a forum page.
    const FetchResult missing
            = QCoro::waitFor(m_app->web().OpenURL(u"http://g.qzone.qq.com/no/such/page"_qs));
    QCOMPARE(missing.status, 404);
}

void TestOfflineDemo::otherNumbersAreSteady()
{
    const Account a = accountFor(QStringLiteral("987654"));
    const Account b = accountFor(QStringLiteral("987654"));
    QCOMPARE(a.values.nickname, b.values.nickname);
    QCOMPARE(a.values.points, b.values.points);
    QCOMPARE(a.values.totalVisits, b.values.totalVisits);
    QCOMPARE(avatarPng(AvatarStyle::Face, 100, seedOf(a.values.qq)),
             avatarPng(AvatarStyle::Face, 100, seedOf(b.values.qq)));
    // Different numbers look different.
    QVERIFY(avatarPng(AvatarStyle::Face, 100, seedOf(u"987654"_qs))
            != avatarPng(AvatarStyle::Face, 100, seedOf(u"987655"_qs)));
    QCOMPARE(a.space, Space::Public);
    QVERIFY(a.portraits);
}

void TestOfflineDemo::numberIn_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("number");
    const QString n = QStringLiteral("24680");
    for (const QString &address :
         {Addresses::visitors(n), Addresses::portrait(n), Addresses::moods(n), Addresses::blog(n),
          Addresses::music(n), Addresses::flowerVine(n), Addresses::qzonePortrait(n),
          Addresses::qqPortrait(n), Addresses::qqPortraitHd(n)})
        QTest::newRow(qPrintable(address)) << address << n;
    QTest::newRow("probe") << Addresses::reachabilityProbe() << QString();
    QTest::newRow("forum") << SiteLinks::forumVineThread() << QString();
    QTest::newRow("letters") << QStringLiteral("http://g.qzone.qq.com/x?uin=12ab") << QString();
    QTest::newRow("empty uin") << QStringLiteral("http://g.qzone.qq.com/x?uin=") << QString();
}

void TestOfflineDemo::numberIn()
{
    QFETCH(QString, address);
    QFETCH(QString, number);
    QCOMPARE(OfflineDemo::numberIn(QUrl(address)), number);
}

void TestOfflineDemo::everyRequestIsLogged()
{
    QSignalSpy logged(m_server.get(), &OfflineServer::requestLogged);
    QVERIFY(query(QStringLiteral("10001")));
    QCOMPARE(logged.size(), 6); // visitors, portrait, moods, blog, music, flower-vine
    const QString visitorsLine = u"GET "_qs + Addresses::visitors(u"10001"_qs);
    bool found = false;
    for (const QList<QVariant> &args : logged) {
        const QString line = args.first().toString();
        QVERIFY2(!line.contains(u'\n'), qPrintable(line));
        found = found || line.endsWith(visitorsLine);
    }
    QVERIFY2(found, qPrintable(visitorsLine));
}

void TestOfflineDemo::manyNumbersStillAnswer()
{
    // Far more numbers than the server keeps routes for: each still gets its own answer, and
    // the demo numbers keep theirs.
    for (int i = 0; i < 450; ++i) {
        const QString qq = QString::number(20000 + i);
        const FetchResult r = QCoro::waitFor(m_app->web().OpenURL(Addresses::portrait(qq)));
        QCOMPARE(r.status, 200);
        QCOMPARE(ExtractNickname(r.text), accountFor(qq).values.nickname);
    }
    QVERIFY(query(QStringLiteral("10002")));
    QCOMPARE(cell(ColumnKey::jr), QStringLiteral("空间有权限"));
    QVERIFY(query(QStringLiteral("20000")));
    QCOMPARE(cell(ColumnKey::nam), accountFor(u"20000"_qs).values.nickname);
    // The pages that carry no number survive the clean-up too.
    const FetchResult probe = QCoro::waitFor(m_app->web().OpenURL(Addresses::reachabilityProbe()));
    QCOMPARE(probe.status, 200);
    QVERIFY(!probe.text.isEmpty());
}

void TestOfflineDemo::signedInOnly_data()
{
    QTest::addColumn<bool>("demoSession");
    QTest::addColumn<int>("rateLimit");
    QTest::addColumn<int>("queries");
    QTest::addColumn<bool>("served"); // the last query's row has the values

    QTest::newRow("demo session") << true << 0 << 1 << true;
    QTest::newRow("no session") << false << 0 << 1 << false;
    // Six answers a minute: one query's worth; the next one is told to slow down.
    QTest::newRow("rate limited") << true << 6 << 2 << false;
}

void TestOfflineDemo::signedInOnly()
{
    QFETCH(bool, demoSession);
    QFETCH(int, rateLimit);
    QFETCH(int, queries);
    QFETCH(bool, served);
    m_server->setSignedInOnly(true);
    m_server->setRateLimit(rateLimit);
    const QString https = m_server->offerHttps();
    QVERIFY2(https.isEmpty(), qPrintable(https));
    // The file written is one a user may keep: the reader refuses any other mode than 600.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"cookies.txt"_qs);
    QVERIFY(writeDemoCookies(path).isEmpty());
    const SessionLoad load = CookiesFile::read(path);
    QVERIFY2(load.session && load.warnings.isEmpty(), qPrintable(load.error));

    QueryWindow app(QNetworkProxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_qs, m_server->port()),
                    5000, QueryWindow::Open::Now, demoSession ? load.session : nullptr);
    app.web().addCaCertificate(m_server->authority()->certificate());
    for (int i = 0; i < queries; ++i) {
        app.startQuery(QStringLiteral("10001"));
        QVERIFY(app.waitIdle());
    }
    QCOMPARE(app.cell(0, ColumnKey::nam), served ? u"小明"_qs : QString());
    QCOMPARE(app.cell(0, ColumnKey::ss), served ? u"37条"_qs : u"空间有权限"_qs);
}

Q_DECLARE_METATYPE(QrLogin::State)
Q_DECLARE_METATYPE(SignInPlay::Ending)

void TestOfflineDemo::signInEndings_data()
{
    using State = QrLogin::State;
    QTest::addColumn<SignInPlay::Ending>("ending");
    QTest::addColumn<QList<State>>("states");
    QTest::addColumn<int>("codes");
    QTest::newRow("signed in") << SignInPlay::Ending::SignIn
                               << QList<State> {State::Waiting, State::Scanned, State::SignedIn}
                               << 1;
    QTest::newRow("refused on the phone")
            << SignInPlay::Ending::Refuse
            << QList<State> {State::Waiting, State::Scanned, State::Refused} << 1;
    // Three new codes after the first, then no more.
    QTest::newRow("expired") << SignInPlay::Ending::Expire
                             << QList<State> {State::Waiting, State::Renewed, State::Expired} << 4;
    QTest::newRow("restricted network")
            << SignInPlay::Ending::Restrict << QList<State> {State::Restricted} << 0;
}

void TestOfflineDemo::signInEndings()
{
    QFETCH(SignInPlay::Ending, ending);
    QFETCH(QList<QrLogin::State>, states);
    QFETCH(int, codes);
    m_server->setSignedInOnly(true);
    m_server->setSignInEnding(ending);
    const QString https = m_server->offerHttps();
    QVERIFY2(https.isEmpty(), qPrintable(https));
    WebClient &web = m_app->web();
    web.addCaCertificate(m_server->authority()->certificate());
    QTemporaryDir dir;
    const QString path = dir.filePath(u"config/Mirelo/cookies.txt"_qs);

    QrSignIn signIn(&web, path);
    signIn.setTiming({5, 10, 60'000, 3});
    QList<QrLogin::State> seen;
    QList<QByteArray> shown;
    std::shared_ptr<const Session> session;
    QString number, message;
    connect(&signIn, &QrSignIn::stateChanged, [&seen](QrLogin::State state) {
        if (seen.isEmpty() || seen.last() != state)
            seen.append(state);
    });
    connect(&signIn, &QrSignIn::codeShown, [&shown](const QByteArray &png) { shown.append(png); });
    connect(&signIn, &QrSignIn::signedIn, [&](std::shared_ptr<const Session> s, const QString &n) {
        session = std::move(s);
        number = n;
    });
    QSignalSpy finished(&signIn, &QrSignIn::finished);
    signIn.start();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
    QCOMPARE(seen, states);
    QCOMPARE(shown.size(), codes);
    for (const QByteArray &png : std::as_const(shown))
        QVERIFY(!QImage::fromData(png, "PNG").isNull());
    const bool signedIn = ending == SignInPlay::Ending::SignIn;
    QCOMPARE(QFile::exists(path), signedIn);
    if (!signedIn)
        return;
    QCOMPARE(number, QLatin1String(publicNumber));
    const QFile::Permissions anyone = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther
            | QFile::WriteOther | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QCOMPARE(QFileInfo(path).permissions() & anyone, QFile::Permissions());
    // Only what a lookup needs: the login's own cookies stay behind.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QStringList names;
    for (const SessionCookie &cookie : CookiesFile::parse(file.readAll(), nullptr))
        names.append(QString::fromLatin1(cookie.name));
    names.sort();
    QCOMPARE(names,
             (QStringList {u"p_skey"_qs, u"p_uin"_qs, u"pt4_token"_qs, u"skey"_qs, u"uin"_qs}));

    QueryWindow app(QNetworkProxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_qs, m_server->port()),
                    5000, QueryWindow::Open::Now, session);
    app.web().addCaCertificate(m_server->authority()->certificate());
    app.startQuery(QLatin1String(publicNumber));
    QVERIFY(app.waitIdle());
    QCOMPARE(app.cell(0, ColumnKey::ss), u"37条"_qs);
}

// The status bar's link opens the sign-in, which ends signed in: the next lookup is, and signing
// out after the question deletes the session's file.
void TestOfflineDemo::signInFromTheWindow()
{
    m_server->setSignedInOnly(true);
    QVERIFY(m_server->offerHttps().isEmpty());
    m_app->web().addCaCertificate(m_server->authority()->certificate());
    SessionStatus *status = m_app->window()->sessionStatus();
    status->setSignInTiming({5, 10, 60'000, 3});
    QCOMPARE(status->label()->accessibleName(), u"未登录 · 扫码登录"_qs);

    // First every code expires: the last one stays, faded; 刷新 starts again.
    m_server->setSignInEnding(SignInPlay::Ending::Expire);
    emit status->label()->linkActivated(u"sign-in"_qs);
    QVERIFY(status->signInWindow());
    QCOMPARE(status->signInWindow()->windowTitle(), u"扫码登录"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(status->signInWindow()->stateText(),
                              u"扫码登录失败：65 二维码已失效。"_qs, 10000);
    const QImage dead = status->signInWindow()->findChild<QLabel *>(u"Code"_qs)->pixmap().toImage();
    QVERIFY(!dead.isNull());
    for (int i = 0; i < dead.width() * dead.height(); ++i)
        QVERIFY(qGray(dead.pixel(i % dead.width(), i / dead.width())) > 160);
    m_server->setSignInEnding(SignInPlay::Ending::SignIn);
    status->signInWindow()->findChild<QPushButton *>(u"Renew"_qs)->click();
    QTRY_VERIFY_WITH_TIMEOUT(
            status->signInWindow() && status->signInWindow()->stateText() == u"登录成功"_qs, 10000);
    QCOMPARE(status->label()->accessibleName(), u"已登录：QQ 10001 · 退出登录"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(!status->signInWindow(), 3000); // closed a second later
    const QString sessionFile = m_app->programFile(u"cookies.txt"_qs);
    QVERIFY(QFile::exists(sessionFile));
    QVERIFY(query(QLatin1String(publicNumber)));
    QCOMPARE(cell(ColumnKey::ss), u"37条"_qs);

    m_app->prompt().answerNext(Prompt::Answer::No);
    emit status->label()->linkActivated(u"sign-out"_qs);
    QVERIFY(QFile::exists(sessionFile));
    m_app->prompt().answerNext(Prompt::Answer::Yes);
    emit status->label()->linkActivated(u"sign-out"_qs);
    QVERIFY(!QFile::exists(sessionFile));
    QCOMPARE(status->label()->accessibleName(), u"未登录 · 扫码登录"_qs);
    QVERIFY(query(QLatin1String(publicNumber)));
    QCOMPARE(cell(ColumnKey::ss), u"空间有权限"_qs);

    // A session the services no longer take is shown so, with the way to scan again.
    SessionCookie stale;
    stale.domain = u"qq.com"_qs;
    stale.includeSubdomains = true;
    stale.name = "p_skey";
    stale.value = "stale-p_skey";
    const std::optional<Session> refused = Session::fromCookies({stale}, u"test"_qs, nullptr);
    QVERIFY(refused);
    m_app->window()->setSession(std::make_shared<const Session>(*refused));
    QVERIFY(query(QLatin1String(publicNumber)));
    QCOMPARE(status->label()->accessibleName(), u"登录已失效 · 重新扫码"_qs);
}

void TestOfflineDemo::codeReadsBackForTheTerminal_data()
{
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QByteArray>("text"); // empty: no code in the picture
    for (const QByteArray &text : {QByteArray("https://mirelo.invalid/offline-sign-in?code=1"),
                                   QByteArray("x"), QByteArray(300, 'q')})
        QTest::newRow(qPrintable(u"%1 characters"_qs.arg(text.size())))
                << SignInPlay::codePicture(text) << text;
    QTest::newRow("no picture") << QByteArray("\x89PNG\r\n\x1a\nnot really") << QByteArray();
    QTest::newRow("blank") << DemoAnswers::png(111, 111, Qt::white) << QByteArray();
    QTest::newRow("a dark square") << DemoAnswers::png(111, 111, Qt::black) << QByteArray();
    QTest::newRow("a portrait") << avatarPng(AvatarStyle::Face, 100, 7) << QByteArray();
}

// The login's picture read back into modules is the code libqrencode made, and the terminal's
// drawing holds the same modules, two rows to a line, inside a quiet zone of four.
void TestOfflineDemo::codeReadsBackForTheTerminal()
{
    QFETCH(QByteArray, picture);
    QFETCH(QByteArray, text);
    const std::optional<QrModules> modules = modulesOfPicture(picture);
    QCOMPARE(modules.has_value(), !text.isEmpty());
    if (!modules)
        return;
    QRcode *code = QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    QVERIFY(code);
    const auto freeCode = qScopeGuard([code] { QRcode_free(code); });
    QList<bool> expected;
    for (int i = 0; i < code->width * code->width; ++i)
        expected.append(code->data[i] & 1);
    QCOMPARE(modules->size, code->width);
    QCOMPARE(modules->dark, expected);

    const QStringList lines = drawForTerminal(*modules, false).split(u'\n', Qt::SkipEmptyParts);
    const int side = code->width + 8;
    QCOMPARE(lines.size(), (side + 1) / 2);
    for (int y = 0; y < side; ++y) {
        const QString &line = lines.at(y / 2);
        QCOMPARE(line.size(), side);
        for (int x = 0; x < side; ++x) {
            const QChar c = line.at(x);
            const bool drawn = y % 2 == 0 ? (c == u'█' || c == u'▀') : (c == u'█' || c == u'▄');
            const bool inside = x >= 4 && y >= 4 && x < side - 4 && y < side - 4;
            QCOMPARE(drawn, inside && modules->at(x - 4, y - 4));
        }
    }
    // In colour every line is set dark on light and back.
    for (const QString &line : drawForTerminal(*modules, true).split(u'\n', Qt::SkipEmptyParts))
        QVERIFY(line.startsWith(u"\x1b[30;107m"_qs) && line.endsWith(u"\x1b[0m"_qs));
}

QTEST_MAIN(TestOfflineDemo)
#include "tst_offlinedemo.moc"
