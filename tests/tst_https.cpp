#include "query/addresses.h"
#include "query/queryrecord.h"
#include "support/demoanswers.h"
#include "support/fakeservices.h"
#include "support/querywindow.h"
#include "support/testauthority.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"
#include "web/webclient.h"

#include <QFile>
#include <QTest>
#include <QUrl>

using namespace DemoAnswers;

Q_DECLARE_METATYPE(TestAuthority::Kind)

namespace {

QString hostOf(const QString &address)
{
    return QUrl(address).host();
}

// The services a query asks, by their addresses for one number.
QStringList queryAddresses(const QString &qq)
{
    return {Addresses::visitors(qq),      Addresses::portrait(qq),  Addresses::moods(qq),
            Addresses::blog(qq),          Addresses::music(qq),     Addresses::flowerVine(qq),
            Addresses::qzonePortrait(qq), Addresses::qqPortrait(qq)};
}

QString overHttps(const QString &address)
{
    QUrl url(address);
    url.setScheme(QStringLiteral("https"));
    return url.toString();
}

// How often `address` was asked for with its own scheme.
int timesAsked(const FakeServices &services, const QString &address)
{
    const QString scheme = QUrl(address).scheme();
    int times = 0;
    for (const RecordedRequest &request :
         services.requestsTo(address.section(QStringLiteral("://"), 1)))
        times += request.url.scheme() == scheme ? 1 : 0;
    return times;
}

} // namespace

// Services that have moved to https: the plain address redirects there, the fake services
// serve the tunnel with a certificate of the kind under test, and only a good one gives data.
class TestHttps : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void redirectedToHttps_data();
    void redirectedToHttps();
    void wholeQueryOverHttps();

private:
    Ui::MainWindow *ui() const { return m_app->ui(); }

    std::unique_ptr<TestAuthority> m_authority;
    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<QueryWindow> m_app;
};

void TestHttps::initTestCase()
{
    QStringList hosts;
    for (const QString &address : queryAddresses(QStringLiteral("10001")))
        hosts.append(hostOf(address));
    hosts.removeDuplicates();
    m_authority = std::make_unique<TestAuthority>(hosts);
    QVERIFY2(m_authority->isValid(), qPrintable(m_authority->error()));
}

void TestHttps::init()
{
    m_services = std::make_unique<FakeServices>();
    QVERIFY(m_services->listen());
    m_services->setFallback(FakeResponse::text({}));
    m_app = std::make_unique<QueryWindow>(m_services->proxy(), 5000);
    m_app->web().addCaCertificate(m_authority->certificate());
    QVERIFY(QTest::qWaitForWindowActive(m_app->window()));
}

void TestHttps::cleanup()
{
    m_app.reset();
    m_services.reset();
}

void TestHttps::redirectedToHttps_data()
{
    using Kind = TestAuthority::Kind;
    QTest::addColumn<Kind>("certificate");
    QTest::addColumn<bool>("backToHttp"); // the https page redirects to plain http
    QTest::addColumn<QString>("blogCell");
    QTest::newRow("good certificate") << Kind::Good << false << QStringLiteral("3篇");
    QTest::newRow("another host's") << Kind::WrongHost << false << QString();
    QTest::newRow("expired") << Kind::Expired << false << QString();
    QTest::newRow("self-signed") << Kind::SelfSigned << false << QString();
    QTest::newRow("unknown authority") << Kind::UnknownAuthority << false << QString();
    QTest::newRow("https to http") << Kind::Good << true << QString();
}

void TestHttps::redirectedToHttps()
{
    QFETCH(TestAuthority::Kind, certificate);
    QFETCH(bool, backToHttp);
    QFETCH(QString, blogCell);
    DemoAccount account;
    routeAccount(*m_services, account);
    m_services->setTlsIdentity(m_authority->identity(certificate));
    const QString blog = Addresses::blog(account.qq);
    const QString secure = overHttps(blog);
    const QString downgraded = blog + QStringLiteral("&again=1");
    m_services->on(routeOf(blog), FakeResponse::redirect(secure.toLatin1()));
    m_services->on(QStringLiteral("https://") + routeOf(blog),
                   backToHttp ? FakeResponse::redirect(downgraded.toLatin1())
                              : FakeResponse::text(DemoAnswers::blog(account), "utf-8"));
    m_services->on(routeOf(downgraded), FakeResponse::text(DemoAnswers::blog(account), "utf-8"));

    m_app->startQuery(account.qq);
    QVERIFY(m_app->waitIdle());
    // Only the blog count came from the https page; a refused one leaves it empty, quietly.
    QCOMPARE(m_app->cell(0, ColumnKey::blog), blogCell);
    QCOMPARE(m_app->cell(0, ColumnKey::nam), account.nickname);
    QCOMPARE(m_app->window()->statusText(), QStringLiteral("QQ号码[10001]查询成功..."));
    QVERIFY(m_app->prompt().asked().isEmpty());
    // One tunnel and no second try; the plain page behind the downgrade is never asked.
    QCOMPARE(timesAsked(*m_services, blog), 1);
    int tunnels = 0;
    for (const RecordedRequest &request : m_services->requests())
        tunnels += request.method == "CONNECT" ? 1 : 0;
    QCOMPARE(tunnels, 1);
    const bool handshakeOk = certificate == TestAuthority::Kind::Good;
    QCOMPARE(timesAsked(*m_services, secure), handshakeOk ? 1 : 0);
    QCOMPARE(timesAsked(*m_services, downgraded), 0);
}

void TestHttps::wholeQueryOverHttps()
{
    DemoAccount account;
    routeAccount(*m_services, account, 0, true);
    m_services->setTlsIdentity(m_authority->identity(TestAuthority::Kind::Good));
    for (const QString &address : queryAddresses(account.qq))
        m_services->on(routeOf(address), FakeResponse::redirect(overHttps(address).toLatin1()));
    ui()->Check1->setChecked(true);

    m_app->startQuery(account.qq);
    QVERIFY(m_app->waitIdle());
    QCOMPARE(m_app->cell(0, ColumnKey::nam), account.nickname);
    QCOMPARE(m_app->cell(0, ColumnKey::jf), QStringLiteral("7840分"));
    QCOMPARE(m_app->cell(0, ColumnKey::qqm2), QStringLiteral("20首"));
    QCOMPARE(m_app->cell(0, ColumnKey::blog), QStringLiteral("3篇"));
    QCOMPARE(m_app->cell(0, ColumnKey::ss), QStringLiteral("37条"));
    QCOMPARE(m_app->cell(0, ColumnKey::ls), QStringLiteral("34567人"));
    QCOMPARE(ui()->Label2->text(), QStringLiteral("花藤阳光值:120"));
    QVERIFY(QFile::exists(m_app->programFile(QStringLiteral("face"))));
    QVERIFY(QFile::exists(m_app->programFile(QStringLiteral("head"))));
    for (const QString &address : queryAddresses(account.qq))
        QCOMPARE(timesAsked(*m_services, overHttps(address)), 1);
}

QTEST_MAIN(TestHttps)
#include "tst_https.moc"
