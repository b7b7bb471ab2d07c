#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "fakeservices/testauthority.h"
#include "query/addresses.h"
#include "query/queryrecord.h"
#include "support/servedwindow.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"
#include "web/webclient.h"

#include <algorithm>

#include <QCoroTask>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

using namespace DemoAnswers;
using Kind = TestAuthority::Kind;

Q_DECLARE_METATYPE(TestAuthority::Kind)

namespace {

QString overHttps(const QString &address)
{
    return QStringLiteral("https://") + routeOf(address);
}

// How often `address` was asked for, over its own scheme.
int timesAsked(const FakeServices &services, const QString &address)
{
    int times = 0;
    for (const RecordedRequest &request : services.requestsTo(address.section(u':', 1).mid(2)))
        times += address.startsWith(request.url.scheme() + u':') ? 1 : 0;
    return times;
}

} // namespace

// Services that have moved to https: the plain address redirects there, and the fake services
// serve the tunnel with a certificate of the kind under test. Only a good one gives data.
class TestHttps : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestAuthority> m_authority;
    ServedWindow m_served;

private slots:
    void initTestCase()
    {
        QStringList hosts;
        for (const ServiceAnswer &row : serviceAnswers(DemoAccount {}))
            hosts.append(QUrl(row.address).host());
        hosts.removeDuplicates();
        m_authority = std::make_unique<TestAuthority>(hosts);
        QVERIFY2(m_authority->isValid(), qPrintable(m_authority->error()));
    }

    void init()
    {
        QVERIFY(m_served.start(5000, QueryWindow::Open::Now, ServedWindow::Unrouted::NotFound,
                               m_authority.get()));
    }

    void cleanup() { m_served.stop(); }

    void blogMovedToHttps_data()
    {
        QTest::addColumn<Kind>("certificate");
        QTest::addColumn<bool>("backToHttp"); // the https page redirects to plain http
        QTest::newRow("good certificate") << Kind::Good << false;
        QTest::newRow("another host's") << Kind::WrongHost << false;
        QTest::newRow("expired") << Kind::Expired << false;
        QTest::newRow("self-signed") << Kind::SelfSigned << false;
        QTest::newRow("unknown authority") << Kind::UnknownAuthority << false;
        QTest::newRow("https to http") << Kind::Good << true;
    }

    void blogMovedToHttps()
    {
        QFETCH(Kind, certificate);
        QFETCH(bool, backToHttp);
        DemoAccount account;
        routeAccount(*m_served.services, account);
        m_served.services->setTlsIdentity(m_authority->identity(certificate));
        const QString blog = Addresses::blog(account.qq);
        const QString downgraded = blog + QStringLiteral("&again=1");
        const FakeResponse page = FakeResponse::text(DemoAnswers::blog(account), "utf-8");
        m_served.services->on(routeOf(blog), FakeResponse::redirect(overHttps(blog).toLatin1()));
        m_served.services->on(overHttps(blog),
                              backToHttp ? FakeResponse::redirect(downgraded.toLatin1()) : page);
        m_served.services->on(routeOf(downgraded), page);

        m_served.app->startQuery(account.qq);
        QVERIFY(m_served.app->waitIdle());
        // A refused https page leaves the count empty, quietly; the rest of the query stands.
        const bool served = certificate == Kind::Good && !backToHttp;
        QCOMPARE(m_served.app->cell(0, ColumnKey::blog),
                 served ? QStringLiteral("3篇") : QString());
        QCOMPARE(m_served.app->cell(0, ColumnKey::nam), account.nickname);
        QCOMPARE(m_served.app->window()->statusText(), QStringLiteral("QQ号码[10001]查询成功..."));
        QVERIFY(m_served.app->prompt().asked().isEmpty());
        // One tunnel, no second try, and nothing asked behind a downgrade.
        const QList<RecordedRequest> sent = m_served.services->requests();
        QCOMPARE(std::count_if(sent.cbegin(), sent.cend(),
                               [](const RecordedRequest &r) { return r.method == "CONNECT"; }),
                 1);
        QCOMPARE(timesAsked(*m_served.services, blog), 1);
        QCOMPARE(timesAsked(*m_served.services, overHttps(blog)),
                 certificate == Kind::Good ? 1 : 0);
        QCOMPARE(timesAsked(*m_served.services, downgraded), 0);
    }

    void wholeQueryOverHttps()
    {
        DemoAccount account;
        routeAccount(*m_served.services, account, 0, true);
        m_served.services->setTlsIdentity(m_authority->identity(Kind::Good));
        for (const ServiceAnswer &row : serviceAnswers(account)) {
            m_served.services->on(routeOf(row.address),
                                  FakeResponse::redirect(overHttps(row.address).toLatin1()));
        }
        m_served.app->ui()->Check1->setChecked(true);

        m_served.app->startQuery(account.qq);
        QVERIFY(m_served.app->waitIdle());
        QCOMPARE(m_served.app->cell(0, ColumnKey::jf), QStringLiteral("7840分"));
        QCOMPARE(m_served.app->cell(0, ColumnKey::blog), QStringLiteral("3篇"));
        QCOMPARE(m_served.app->cell(0, ColumnKey::ss), QStringLiteral("37条"));
        QCOMPARE(m_served.app->ui()->Label2->text(), QStringLiteral("花藤阳光值:120"));
        QVERIFY(QFile::exists(m_served.app->programFile(QStringLiteral("head"))));
        for (const ServiceAnswer &row : serviceAnswers(account))
            QCOMPARE(timesAsked(*m_served.services, overHttps(row.address)), 1);
    }

    // SSL_CERT_FILE and SSL_CERT_DIR name the authorities to trust instead of the system's.
    void namedAuthoritiesReplaceTheSystems_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<bool>("folder"); // the authority's folder rather than its file
        QTest::addColumn<bool>("trusted");
        QTest::newRow("SSL_CERT_FILE") << QByteArray("SSL_CERT_FILE") << false << true;
        QTest::newRow("SSL_CERT_DIR") << QByteArray("SSL_CERT_DIR") << true << true;
        QTest::newRow("SSL_CERT_FILE naming no authority")
                << QByteArray("SSL_CERT_FILE") << true << false;
    }

    void namedAuthoritiesReplaceTheSystems()
    {
        QFETCH(QByteArray, variable);
        QFETCH(bool, folder);
        QFETCH(bool, trusted);
        const QString file = m_authority->certificateFile();
        const QString named = folder ? QFileInfo(file).absolutePath() : file;
        const bool wasSet = qEnvironmentVariableIsSet(variable.constData());
        const QByteArray was = qgetenv(variable.constData());
        qputenv(variable.constData(), named.toLocal8Bit());
        const auto restore = qScopeGuard([&] {
            if (wasSet)
                qputenv(variable.constData(), was);
            else
                qunsetenv(variable.constData());
        });
        m_served.services->setTlsIdentity(m_authority->identity(Kind::Good));
        m_served.services->on(QStringLiteral("https://r.qzone.qq.com/card"),
                              FakeResponse::text("ok"));
        WebClient client;
        client.setProxy(m_served.services->proxy());
        const FetchResult r = QCoro::waitFor(client.GetBody(u"https://r.qzone.qq.com/card"_qs));
        QVERIFY2(r.ok == trusted, qPrintable(r.error));
    }
};

QTEST_MAIN(TestHttps)
#include "tst_https.moc"
