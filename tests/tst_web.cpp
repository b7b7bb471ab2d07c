#include "fakeservices/fakeroutes.h"
#include "fakeservices/fakeservices.h"
#include "support/files.h"
#include "support/refusedproxy.h"
#include "web/charset.h"
#include "web/systemproxy.h"
#include "web/webclient.h"
#include "web/wholefile.h"

#include <memory>

#include <QCoroTask>
#include <QDir>
#include <QFile>
#include <QNetworkProxyFactory>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(FakeResponse)
Q_DECLARE_METATYPE(Transfer::Kind)
Q_DECLARE_METATYPE(FetchResult::Failure)

namespace {

using Behaviour = FakeResponse::Behaviour;

// Upper bound for every transfer here, so a fault shows as a failure rather than a hang.
constexpr int testDeadlineMs = 5000;

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QByteArray binaryBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 256) & 0xff); // every byte value, NULs included
    return bytes;
}

} // namespace

class TestWeb : public QObject
{
    Q_OBJECT

private:
    FetchResult fetch(Transfer::Kind kind, const QString &url)
    {
        switch (kind) {
        case Transfer::Kind::GetBody:
            return QCoro::waitFor(m_client->GetBody(url));
        case Transfer::Kind::OpenUrl:
            return QCoro::waitFor(m_client->OpenURL(url));
        case Transfer::Kind::SignedIn:
            return QCoro::waitFor(m_client->startSignedIn(url, {}, {})->wait());
        case Transfer::Kind::SignIn:
            return QCoro::waitFor(m_client->startSignIn(url, {}, {})->wait());
        case Transfer::Kind::Download:
            break;
        }
        return QCoro::waitFor(m_client->startDownload(url)->wait());
    }

    std::unique_ptr<FakeServices> m_fake;
    std::unique_ptr<WebClient> m_client;

private slots:
    void init()
    {
        m_fake = std::make_unique<FakeServices>();
        QVERIFY(m_fake->listen());
        m_client = std::make_unique<WebClient>();
        m_client->setProxy(m_fake->proxy());
        m_client->setDeadlineMs(testDeadlineMs);
    }

    void cleanup()
    {
        m_client.reset();
        m_fake.reset();
    }

    // --- requests as they leave ---

    void requestReachesProxyWithRealHost()
    {
        m_fake->on(QStringLiteral("g.qzone.qq.com/cgi-bin/visitors?uin=10001&t=2"),
                   FakeResponse::text("visitors"));
        const FetchResult r = QCoro::waitFor(m_client->GetBody(
                QStringLiteral("http://g.qzone.qq.com/cgi-bin/visitors?uin=10001&t=2")));
        QVERIFY(r.ok);
        QCOMPARE(r.text, QStringLiteral("visitors"));

        QCOMPARE(m_fake->requests().size(), 1);
        const RecordedRequest sent = m_fake->requests().first();
        QCOMPARE(sent.method, QByteArray("GET"));
        QCOMPARE(sent.url,
                 QUrl(QStringLiteral("http://g.qzone.qq.com/cgi-bin/visitors?uin=10001&t=2")));
        QCOMPARE(sent.host, QByteArray("g.qzone.qq.com"));
        QCOMPARE(sent.header("Host"), QByteArray("g.qzone.qq.com"));
        QVERIFY(!sent.header("User-Agent").isEmpty());
        // Blanks around an address, as a copied one may have, leave the same address.
        QVERIFY(QCoro::waitFor(m_client->GetBody(QStringLiteral(
                                       " http://g.qzone.qq.com/cgi-bin/visitors?uin=10001&t=2\n")))
                        .ok);
    }

    void getBodySendsIfModifiedSinceEveryTime()
    {
        const QString url = QStringLiteral("http://taotao.qq.com/moods?uin=10001");
        m_fake->on(QStringLiteral("taotao.qq.com/moods?uin=10001"), FakeResponse::text("m"));
        // The same address twice: the second request must not be sent differently.
        for (int i = 0; i < 2; ++i)
            QVERIFY(QCoro::waitFor(m_client->GetBody(url)).ok);

        const QList<RecordedRequest> sent
                = m_fake->requestsTo(QStringLiteral("taotao.qq.com/moods"));
        QCOMPARE(sent.size(), 2);
        for (const RecordedRequest &request : sent)
            QCOMPARE(request.header("If-Modified-Since"), QByteArray("0"));
    }

    void requestStartsWithoutBeingAwaited()
    {
        m_fake->setFallback(FakeResponse::behaving(Behaviour::NeverAnswer));
        m_client->setDeadlineMs(0); // unfinished below because unanswered, not because quick
        const std::unique_ptr<Transfer> transfers[] = {
                m_client->startGetBody(QStringLiteral("http://a.qq.com/1")),
                m_client->startOpenUrl(QStringLiteral("http://a.qq.com/2")),
                m_client->startDownload(QStringLiteral("http://a.qq.com/3")),
        };
        QTRY_COMPARE_WITH_TIMEOUT(m_fake->requests().size(), 3, testDeadlineMs);
        for (const auto &transfer : transfers)
            QVERIFY(!transfer->isFinished());
    }

    void systemProxyByDefault()
    {
        // Debian's Qt asks libproxy, which reads http_proxy; other builds may not.
        const QByteArray saved = qgetenv("http_proxy");
        qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(m_fake->port()));
        const auto restore = qScopeGuard([&] {
            if (saved.isNull())
                qunsetenv("http_proxy");
            else
                qputenv("http_proxy", saved);
        });
        const QList<QNetworkProxy> system = QNetworkProxyFactory::systemProxyForQuery(
                QNetworkProxyQuery(QUrl(QStringLiteral("http://r.qzone.qq.com/"))));
        if (system.isEmpty() || system.first().type() != QNetworkProxy::HttpProxy)
            QSKIP("This Qt does not take the proxy from http_proxy.");

        m_fake->on(QStringLiteral("r.qzone.qq.com/card"), FakeResponse::text("via system proxy"));
        WebClient plain;
        plain.setDeadlineMs(testDeadlineMs);
        const FetchResult r
                = QCoro::waitFor(plain.GetBody(QStringLiteral("http://r.qzone.qq.com/card")));
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.text, QStringLiteral("via system proxy"));
    }

    void proxyFollowsTheScheme_data()
    {
        QTest::addColumn<QByteArray>("httpProxy");
        QTest::addColumn<QByteArray>("httpsProxy");
        QTest::addColumn<QByteArray>("noProxy");
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("port"); // of the proxy chosen; 0 for none
        const QByteArray http("http://127.0.0.1:18001"), https("http://127.0.0.1:18002");
        const QString plainUrl = QStringLiteral("http://b1.qzone.qq.com/x");
        const QString secureUrl = QStringLiteral("https://b1.qzone.qq.com/x");
        QTest::newRow("http, http_proxy") << http << https << QByteArray() << plainUrl << 18001;
        QTest::newRow("https, https_proxy") << http << https << QByteArray() << secureUrl << 18002;
        QTest::newRow("https, only http_proxy")
                << http << QByteArray() << QByteArray() << secureUrl << 0;
        QTest::newRow("http, only https_proxy")
                << QByteArray() << https << QByteArray() << plainUrl << 0;
        QTest::newRow("https, no_proxy")
                << http << https << QByteArray(".qq.com") << secureUrl << 0;
        // no_proxy as curl and wget read it.
        QTest::newRow("domain covers its hosts")
                << http << https << QByteArray("qq.com") << plainUrl << 0;
        QTest::newRow("everything") << http << https << QByteArray("*") << plainUrl << 0;
        QTest::newRow("a list with blanks")
                << http << https << QByteArray("localhost, example.org ,QZONE.qq.com") << plainUrl
                << 0;
        QTest::newRow("the port named")
                << http << https << QByteArray("qq.com:80") << plainUrl << 0;
        QTest::newRow("another port")
                << http << https << QByteArray("qq.com:8080") << plainUrl << 18001;
        QTest::newRow("a name that only ends alike")
                << http << https << QByteArray("zone.qq.com,q.com") << plainUrl << 18001;
        QTest::newRow("upper-case variable")
                << http << https << QByteArray("NO_PROXY=qq.com") << plainUrl << 0;
    }

    void proxyFollowsTheScheme()
    {
        QFETCH(QByteArray, httpProxy);
        QFETCH(QByteArray, httpsProxy);
        QFETCH(QByteArray, noProxy);
        QFETCH(QString, url);
        QFETCH(int, port);
        const bool upper = noProxy.startsWith("NO_PROXY=");
        const QByteArray noProxyValue = upper ? noProxy.mid(9) : noProxy;
        const QList<QPair<const char *, QByteArray>> wanted
                = {{"http_proxy", httpProxy},
                   {"https_proxy", httpsProxy},
                   {"no_proxy", upper ? QByteArray() : noProxyValue},
                   {"HTTP_PROXY", {}},
                   {"HTTPS_PROXY", {}},
                   {"NO_PROXY", upper ? noProxyValue : QByteArray()}};
        QList<QPair<const char *, QByteArray>> saved;
        const auto set = [](const auto &variables) {
            for (const auto &[name, value] : variables)
                value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
        };
        for (const auto &[name, value] : wanted)
            saved.append({name, qgetenv(name)});
        const auto restore = qScopeGuard([&] { set(saved); });
        set(wanted);

        const QList<QNetworkProxy> chosen = systemProxiesFor(QNetworkProxyQuery(QUrl(url)));
        QVERIFY(!chosen.isEmpty());
        QCOMPARE(chosen.first().type(), port ? QNetworkProxy::HttpProxy : QNetworkProxy::NoProxy);
        QCOMPARE(chosen.first().port(), port);
    }

    void onlyWebAddressesAreFetched_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("local file") << QStringLiteral("file:///etc/hostname");
        QTest::newRow("ftp") << QStringLiteral("ftp://b1.qzone.qq.com/list");
        QTest::newRow("data") << QStringLiteral("data:text/plain,hello");
        QTest::newRow("qt resource") << QStringLiteral("qrc:/images/logo.png");
        QTest::newRow("empty") << QString();
        QTest::newRow("no host") << QStringLiteral("http:///path");
        QTest::newRow("not an address") << QStringLiteral("just words");
    }

    void onlyWebAddressesAreFetched()
    {
        QFETCH(QString, url);
        for (const Transfer::Kind kind :
             {Transfer::Kind::GetBody, Transfer::Kind::OpenUrl, Transfer::Kind::Download}) {
            const FetchResult r = fetch(kind, url);
            QVERIFY(!r.ok);
            QVERIFY(r.body.isEmpty());
            QVERIFY(r.text.isEmpty());
            QVERIFY(!r.error.isEmpty());
        }
        QVERIFY(m_fake->requests().isEmpty());
    }

    // --- decoding ---

    void decoding_data()
    {
        QTest::addColumn<Transfer::Kind>("kind");
        QTest::addColumn<QByteArray>("charset");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");

        const auto openUrl = Transfer::Kind::OpenUrl;
        const auto getBody = Transfer::Kind::GetBody;
        const QString nickname = QStringLiteral("小明的空间");
        const QString gbkOnly = QStringLiteral("王堃喆"); // not in GB2312 proper

        QTest::newRow("open: no charset is GBK")
                << openUrl << QByteArray() << gbk(nickname) << nickname;
        QTest::newRow("open: GBK bytes as such")
                << openUrl << QByteArray() << QByteArray("\xD6\xD0\xCE\xC4")
                << QStringLiteral("中文");
        QTest::newRow("open: utf-8 declared")
                << openUrl << QByteArray("utf-8") << nickname.toUtf8() << nickname;
        QTest::newRow("open: gb2312 with GBK-only characters")
                << openUrl << QByteArray("gb2312") << gbk(gbkOnly) << gbkOnly;
        QTest::newRow("open: unknown charset is GBK")
                << openUrl << QByteArray("x-no-such") << gbk(nickname) << nickname;

        QTest::newRow("get: gb2312") << getBody << QByteArray("gb2312") << gbk(gbkOnly) << gbkOnly;
        QTest::newRow("get: GB2312 upper case")
                << getBody << QByteArray("GB2312") << gbk(nickname) << nickname;
        QTest::newRow("get: x-gbk") << getBody << QByteArray("x-gbk") << gbk(gbkOnly) << gbkOnly;
        QTest::newRow("get: quoted GBK")
                << getBody << QByteArray("\"GBK\"") << gbk(gbkOnly) << gbkOnly;
        QTest::newRow("get: utf-8")
                << getBody << QByteArray("utf-8") << nickname.toUtf8() << nickname;
        QTest::newRow("get: no charset is UTF-8")
                << getBody << QByteArray() << nickname.toUtf8() << nickname;
        QTest::newRow("get: unknown charset is UTF-8")
                << getBody << QByteArray("bogus-enc") << nickname.toUtf8() << nickname;
        QTest::newRow("get: big5") << getBody << QByteArray("big5")
                                   << QByteArray("\xA4\xA4\xA4\xE5") << QStringLiteral("中文");

        // Cut inside a character: what came before stays, the piece of the last one is dropped.
        QTest::newRow("get: utf-8 cut") << getBody << QByteArray("utf-8")
                                        << nickname.toUtf8().chopped(1) << nickname.chopped(1);
        QTest::newRow("open: GBK cut")
                << openUrl << QByteArray() << gbk(nickname).chopped(1) << nickname.chopped(1);
        const QString outsideBmp = QStringLiteral("a\U0001F600"); // four bytes in GB18030 too
        QTest::newRow("open: gb18030 cut in a four-byte character")
                << openUrl << QByteArray("gb18030") << gbk(outsideBmp).chopped(1)
                << QStringLiteral("a");
        QTest::newRow("open: gb18030 four-byte character")
                << openUrl << QByteArray("gb18030") << gbk(outsideBmp) << outsideBmp;
        // Another encoding midway: the start stays, the rest is garbled, never dropped, and the
        // decoder finds its feet again for what follows.
        QTest::newRow("get: utf-8 turning GBK")
                << getBody << QByteArray("utf-8") << "ok" + nickname.toUtf8() + gbk("小明") + "tail"
                << "ok" + nickname + QStringLiteral("\u0421\uFFFD\uFFFDtail");
        QTest::newRow("open: GBK turning utf-8")
                << openUrl << QByteArray()
                << "ok" + gbk(nickname) + QStringLiteral("小明").toUtf8() + "tail"
                << "ok" + nickname + QStringLiteral("灏忔槑tail");
        QTest::newRow("open: empty") << openUrl << QByteArray("gbk") << QByteArray() << QString();

        // Today's services send nicknames either way, mostly undeclared.
        const auto signedIn = Transfer::Kind::SignedIn;
        QTest::newRow("signed in: undeclared UTF-8")
                << signedIn << QByteArray() << nickname.toUtf8() << nickname;
        QTest::newRow("signed in: undeclared GBK")
                << signedIn << QByteArray() << gbk(gbkOnly) << gbkOnly;
        QTest::newRow("signed in: unknown charset, GBK")
                << signedIn << QByteArray("x-no-such") << gbk(nickname) << nickname;
        QTest::newRow("signed in: declared GBK wins")
                << signedIn << QByteArray("gbk") << QByteArray("\xD6\xD0\xCE\xC4")
                << QStringLiteral("中文");
    }

    void decoding()
    {
        QFETCH(Transfer::Kind, kind);
        QFETCH(QByteArray, charset);
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);

        // All at once, and a byte at a time, so that every character is split between reads.
        for (const Behaviour behaviour : {Behaviour::Normal, Behaviour::Drip}) {
            FakeResponse answer = FakeResponse::text(body, charset);
            answer.behaviour = behaviour;
            answer.dripIntervalMs = 1;
            m_fake->on(QStringLiteral("r.qzone.qq.com/card"), answer);
            const FetchResult r = fetch(kind, QStringLiteral("http://r.qzone.qq.com/card"));
            QVERIFY2(r.ok, qPrintable(r.error));
            QCOMPARE(r.text, expected);
            QCOMPARE(r.body, body);
        }
    }

    void charsetFromContentType_data()
    {
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QByteArray>("charset");
        QTest::newRow("plain") << QByteArray("text/html; charset=gb2312") << QByteArray("gb2312");
        QTest::newRow("no space") << QByteArray("application/json;charset=utf-8")
                                  << QByteArray("utf-8");
        QTest::newRow("double quotes")
                << QByteArray("text/html; charset=\"GBK\"") << QByteArray("GBK");
        QTest::newRow("single quotes")
                << QByteArray("text/html; charset='big5'") << QByteArray("big5");
        QTest::newRow("upper-case name")
                << QByteArray("TEXT/HTML; CHARSET=UTF-8") << QByteArray("UTF-8");
        QTest::newRow("after another parameter")
                << QByteArray("text/html; q=1; charset = gbk ") << QByteArray("gbk");
        QTest::newRow("none") << QByteArray("text/html") << QByteArray();
        QTest::newRow("empty header") << QByteArray() << QByteArray();
        QTest::newRow("empty value") << QByteArray("text/html; charset=") << QByteArray();
        QTest::newRow("other parameter ending in charset")
                << QByteArray("text/html; xcharset=utf-8") << QByteArray();
        QTest::newRow("media type is not a parameter") << QByteArray("charset=gbk") << QByteArray();
    }

    void charsetFromContentType()
    {
        QFETCH(QByteArray, contentType);
        QFETCH(QByteArray, charset);
        QCOMPARE(::charsetFromContentType(contentType), charset);
    }

    // --- what counts as an answer ---

    void statusIsNeverAFailure_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("404 page") << 404 << QByteArray("<html>no such page</html>");
        QTest::newRow("500 page") << 500 << QByteArray("server trouble");
        QTest::newRow("403 page") << 403 << QByteArray("forbidden");
        QTest::newRow("400 page") << 400 << QByteArray("bad");
        QTest::newRow("404 empty") << 404 << QByteArray();
        QTest::newRow("200 empty") << 200 << QByteArray();
    }

    void statusIsNeverAFailure()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        FakeResponse answer = FakeResponse::text(body);
        answer.status = status;
        m_fake->on(QStringLiteral("/page"), answer);
        for (const Transfer::Kind kind :
             {Transfer::Kind::GetBody, Transfer::Kind::OpenUrl, Transfer::Kind::Download}) {
            const FetchResult r = fetch(kind, QStringLiteral("http://b1.qzone.qq.com/page"));
            QVERIFY2(r.ok, qPrintable(r.error));
            QCOMPARE(r.status, status);
            QCOMPARE(r.body, body);
            if (kind != Transfer::Kind::Download)
                QCOMPARE(r.text, QString::fromUtf8(body));
        }
    }

    void transportFailures_data()
    {
        QTest::addColumn<FakeResponse>("answer");
        QTest::addColumn<int>("deadlineMs");
        QTest::addColumn<FetchResult::Failure>("failure");

        const auto unreachable = FetchResult::Failure::Unreachable;
        const auto timeout = FetchResult::Failure::Timeout;
        QTest::newRow("closed without answer")
                << FakeResponse::behaving(Behaviour::CloseWithoutAnswer) << testDeadlineMs
                << unreachable;
        QTest::newRow("reset mid-body")
                << FakeResponse::behaving(Behaviour::ResetMidBody, QByteArray(100000, 'a'))
                << testDeadlineMs << unreachable;
        FakeResponse brokenErrorPage
                = FakeResponse::behaving(Behaviour::ResetMidBody, QByteArray(100000, 'e'));
        brokenErrorPage.status = 404;
        QTest::newRow("404 page cut off") << brokenErrorPage << testDeadlineMs << unreachable;
        FakeResponse shortBody = FakeResponse::text("only this");
        shortBody.declaredLength = 100;
        QTest::newRow("body shorter than announced") << shortBody << testDeadlineMs << unreachable;
        QTest::newRow("never answers")
                << FakeResponse::behaving(Behaviour::NeverAnswer) << 300 << timeout;
        // A byte every 50 ms: never silent long enough for an idle timeout, done after 2 s.
        FakeResponse drip = FakeResponse::behaving(Behaviour::Drip, QByteArray(40, 'd'));
        drip.dripIntervalMs = 50;
        QTest::newRow("dripping past the deadline") << drip << 300 << timeout;
        FakeResponse late = FakeResponse::text("late");
        late.delayMs = 2000;
        QTest::newRow("answer after the deadline") << late << 300 << timeout;
    }

    void transportFailures()
    {
        QFETCH(FakeResponse, answer);
        QFETCH(int, deadlineMs);
        QFETCH(FetchResult::Failure, failure);
        m_fake->on(QStringLiteral("/x"), answer);
        m_client->setDeadlineMs(deadlineMs);
        for (const Transfer::Kind kind :
             {Transfer::Kind::GetBody, Transfer::Kind::OpenUrl, Transfer::Kind::Download}) {
            const FetchResult r = fetch(kind, QStringLiteral("http://qzone-music.qq.com/x"));
            QVERIFY(!r.ok);
            QCOMPARE(r.failure, failure);
            QVERIFY(r.body.isEmpty());
            QVERIFY(r.text.isEmpty());
            QVERIFY(!r.error.isEmpty());
        }
        // Whatever happened, the client let go of every connection.
        QTRY_COMPARE_WITH_TIMEOUT(m_fake->openConnections(), 0, testDeadlineMs);
    }

    void deadlineCountsFromSending()
    {
        // Qt opens six connections per host and holds the seventh and eighth request back
        // until two answers have come: that wait is not the service's.
        FakeResponse slow = FakeResponse::text("slow");
        slow.delayMs = 800;
        m_fake->on(QStringLiteral("/slow"), slow);
        m_client->setDeadlineMs(1200);
        std::vector<std::unique_ptr<Transfer>> transfers;
        transfers.reserve(8);
        for (int i = 0; i < 8; ++i)
            transfers.push_back(
                    m_client->startGetBody(QStringLiteral("http://b1.qzone.qq.com/slow")));
        for (const auto &transfer : transfers) {
            const FetchResult r = QCoro::waitFor(transfer->wait());
            QVERIFY2(r.ok, qPrintable(r.error));
        }
        QCOMPARE(m_fake->requests().size(), 8);
    }

    void refusedProxyFails()
    {
        m_client->setProxy(refusedProxy());

        const FetchResult r
                = QCoro::waitFor(m_client->GetBody(QStringLiteral("http://g.qzone.qq.com/")));
        QVERIFY(!r.ok);
        QCOMPARE(r.failure, FetchResult::Failure::Unreachable);
        QVERIFY(!r.error.isEmpty());
    }

    // --- size caps ---

    void bodyCaps_data()
    {
        QTest::addColumn<Transfer::Kind>("kind");
        QTest::addColumn<FakeResponse>("answer");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("defaultCaps");

        // Most rows run with small caps, set below: 4000 bytes of text, 8000 bytes of file.
        // The default caps are the ones promised, written out rather than read from the client.
        const auto text = Transfer::Kind::GetBody;
        const auto file = Transfer::Kind::Download;
        const struct
        {
            const char *name;
            Transfer::Kind kind;
            qint64 cap;
            bool defaultCaps;
        } caps[] = {
                {"text", text, 4000, false},
                {"file", file, 8000, false},
                {"4 MiB of text", Transfer::Kind::OpenUrl, qint64(4) * 1024 * 1024, true},
                {"16 MiB file", file, qint64(16) * 1024 * 1024, true},
        };
        for (const auto &c : caps) {
            for (const bool announced : {true, false}) {
                for (const qint64 size : {c.cap, c.cap + 1}) {
                    FakeResponse answer = c.kind == file
                            ? FakeResponse::bytes(binaryBytes(int(size)))
                            : FakeResponse::text(QByteArray(size, 't'));
                    answer.sendLength = announced;
                    QTest::addRow("%s %s, %s", c.name, size == c.cap ? "at the cap" : "one over",
                                  announced ? "announced" : "streamed")
                            << c.kind << answer << (size == c.cap) << c.defaultCaps;
                }
            }
        }
        QTest::newRow("text endless")
                << text << FakeResponse::behaving(Behaviour::Endless) << false << false;
        QTest::newRow("file endless")
                << file << FakeResponse::behaving(Behaviour::Endless) << false << false;
    }

    void bodyCaps()
    {
        QFETCH(Transfer::Kind, kind);
        QFETCH(FakeResponse, answer);
        QFETCH(bool, ok);
        QFETCH(bool, defaultCaps);
        if (!defaultCaps)
            m_client->setBodyCaps(4000, 8000);
        // Only the cap may end these: the deadline is far beyond the bounded wait below.
        m_client->setDeadlineMs(60000);
        m_fake->on(QStringLiteral("/big"), answer);

        const QString url = QStringLiteral("http://qlogo2.store.qq.com/big");
        const auto transfer = kind == Transfer::Kind::Download ? m_client->startDownload(url)
                : kind == Transfer::Kind::OpenUrl              ? m_client->startOpenUrl(url)
                                                               : m_client->startGetBody(url);
        QTRY_VERIFY_WITH_TIMEOUT(transfer->isFinished(), 20000);
        const FetchResult r = transfer->result();
        QCOMPARE(r.ok, ok);
        QVERIFY(r.body == (ok ? answer.body : QByteArray())); // no 16 MiB printout when not
        // An endless answer only ends because the client hung up.
        QTRY_COMPARE_WITH_TIMEOUT(m_fake->openConnections(), 0, testDeadlineMs);
    }

    void announcedOversizeFailsBeforeTheBody()
    {
        // Headers announce 100 MB, then nothing comes: only the announced length can end this
        // before the (long) deadline.
        FakeResponse huge = FakeResponse::behaving(Behaviour::Drip, "x");
        huge.declaredLength = 100 * 1024 * 1024;
        huge.dripIntervalMs = 60000;
        m_fake->on(QStringLiteral("/huge"), huge);
        m_client->setDeadlineMs(60000);

        const auto transfer
                = m_client->startGetBody(QStringLiteral("http://qlogo2.store.qq.com/huge"));
        QTRY_VERIFY_WITH_TIMEOUT(transfer->isFinished(), testDeadlineMs);
        QVERIFY(!transfer->result().ok);
    }

    // --- redirects ---

    void redirects_data()
    {
        QTest::addColumn<int>("hops"); // redirects before the final page
        QTest::addColumn<QByteArray>("firstLocation");
        QTest::addColumn<bool>("ok");
        QTest::newRow("once") << 1 << QByteArray() << true;
        QTest::newRow("relative location") << 1 << QByteArray("/final") << true;
        QTest::newRow("five times") << 5 << QByteArray() << true;
        QTest::newRow("six times") << 6 << QByteArray() << false;
    }

    void redirects()
    {
        QFETCH(int, hops);
        QFETCH(QByteArray, firstLocation);
        QFETCH(bool, ok);
        // /hop1 -> /hop2 -> ... -> /final, across hosts to be sure absolute targets work too.
        for (int i = 1; i <= hops; ++i) {
            const QByteArray next = i == hops
                    ? QByteArray("http://flower.qzone.qq.com/final")
                    : "http://flower.qzone.qq.com/hop" + QByteArray::number(i + 1);
            m_fake->on(QStringLiteral("/hop%1").arg(i),
                       FakeResponse::redirect(i == 1 && !firstLocation.isEmpty() ? firstLocation
                                                                                 : next,
                                              i % 2 ? 302 : 301));
        }
        m_fake->on(QStringLiteral("/final"), FakeResponse::text("final page"));

        const FetchResult r
                = QCoro::waitFor(m_client->GetBody(QStringLiteral("http://g.qzone.qq.com/hop1")));
        QCOMPARE(r.ok, ok);
        QCOMPARE(r.text, ok ? QStringLiteral("final page") : QString());
        QCOMPARE(r.status, ok ? 200 : 0);
        // Each hop asked once, and nothing after the hop too many.
        const QList<RecordedRequest> sent = m_fake->requests();
        QCOMPARE(sent.size(), ok ? hops + 1 : Transfer::maxRedirects + 1);
        QCOMPARE(sent.last().url.path(), ok ? QStringLiteral("/final") : QStringLiteral("/hop6"));
        for (const RecordedRequest &request : sent)
            QCOMPARE(request.header("If-Modified-Since"), QByteArray("0"));
    }

    void redirectLoopFails()
    {
        m_fake->on(QStringLiteral("/loop"), FakeResponse::redirect("/loop"));
        const FetchResult r
                = QCoro::waitFor(m_client->GetBody(QStringLiteral("http://g.qzone.qq.com/loop")));
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QVERIFY(m_fake->requests().size() <= 6);
    }

    void redirectOffTheWebFails_data()
    {
        QTest::addColumn<QByteArray>("location");
        QTest::newRow("file") << QByteArray("file:///etc/passwd");
        QTest::newRow("ftp") << QByteArray("ftp://g.qzone.qq.com/x");
        QTest::newRow("data") << QByteArray("data:text/html,gotcha");
        QTest::newRow("qrc") << QByteArray("qrc:/x");
    }

    void redirectOffTheWebFails()
    {
        QFETCH(QByteArray, location);
        m_fake->on(QStringLiteral("/r"), FakeResponse::redirect(location));
        for (const Transfer::Kind kind :
             {Transfer::Kind::GetBody, Transfer::Kind::OpenUrl, Transfer::Kind::Download}) {
            const FetchResult r = fetch(kind, QStringLiteral("http://g.qzone.qq.com/r"));
            QVERIFY(!r.ok);
            QVERIFY(r.body.isEmpty());
        }
    }

    // --- downloads ---

    void downloadWritesExactBytes()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("head.bmp"));
        QVERIFY(writeFile(path, "an older, longer file that must be replaced entirely"));
        const QByteArray image = binaryBytes(300 * 1024); // several reads' worth
        m_fake->on(QStringLiteral("/portrait"), FakeResponse::bytes(image, "image/png"));

        QVERIFY(QCoro::waitFor(m_client->URLDownloadToFile(
                QStringLiteral("http://qlogo2.store.qq.com/portrait"), path)));
        QCOMPARE(readFile(path), image);

        // The same bytes, undecoded, through the transfer itself.
        const auto transfer
                = m_client->startDownload(QStringLiteral("http://qlogo2.store.qq.com/portrait"));
        const FetchResult r = QCoro::waitFor(transfer->wait());
        QVERIFY(r.ok);
        QCOMPARE(r.body, image);
        QVERIFY(r.text.isEmpty());
    }

    void failedDownloadWritesNothing_data()
    {
        QTest::addColumn<FakeResponse>("answer");
        QTest::addColumn<bool>("fileExisted");
        const FakeResponse reset
                = FakeResponse::behaving(Behaviour::ResetMidBody, binaryBytes(200 * 1024));
        QTest::newRow("reset, no file before") << reset << false;
        QTest::newRow("reset, file before") << reset << true;
        QTest::newRow("over the cap") << FakeResponse::behaving(Behaviour::Endless) << false;
        QTest::newRow("over the cap, file before")
                << FakeResponse::behaving(Behaviour::Endless) << true;
    }

    void failedDownloadWritesNothing()
    {
        QFETCH(FakeResponse, answer);
        QFETCH(bool, fileExisted);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("face"));
        const QByteArray before("the previous portrait");
        if (fileExisted)
            QVERIFY(writeFile(path, before));
        m_client->setBodyCaps(4000, qint64(100) * 1024);
        m_fake->on(QStringLiteral("/portrait"), answer);

        QVERIFY(!QCoro::waitFor(m_client->URLDownloadToFile(
                QStringLiteral("http://qlogo2.store.qq.com/portrait"), path)));
        if (fileExisted)
            QCOMPARE(readFile(path), before);
        else
            QVERIFY(!QFile::exists(path));
        // No temporary file left lying around either.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(),
                 fileExisted ? 1 : 0);
    }

    void writeFileWholeReportsFailure()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(!writeFileWhole(dir.filePath(QStringLiteral("missing/dir/file")), "x"));
        const QString path = dir.filePath(QStringLiteral("empty"));
        QVERIFY(writeFileWhole(path, QByteArray()));
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFile(path).size(), 0);
    }

    // --- the life of a transfer ---

    void waitAfterFinishGivesTheSameResult()
    {
        m_fake->on(QStringLiteral("/a"), FakeResponse::text("answer"));
        const auto transfer = m_client->startGetBody(QStringLiteral("http://g.qzone.qq.com/a"));
        QSignalSpy finished(transfer.get(), &Transfer::finished);
        const FetchResult first = QCoro::waitFor(transfer->wait());
        QVERIFY(transfer->isFinished());
        const FetchResult again = QCoro::waitFor(transfer->wait());
        QVERIFY(first.ok && again.ok);
        QCOMPARE(again.text, first.text);
        QCOMPARE(transfer->result().text, QStringLiteral("answer"));
        QCOMPARE(finished.size(), 1);
        // Aborting a finished transfer changes nothing.
        transfer->abort();
        QVERIFY(transfer->result().ok);
        QCOMPARE(finished.size(), 1);
    }

    void abortEndsOnceAsFailure()
    {
        m_fake->on(QStringLiteral("/slow"), FakeResponse::behaving(Behaviour::NeverAnswer));
        const auto transfer = m_client->startOpenUrl(QStringLiteral("http://g.qzone.qq.com/slow"));
        QSignalSpy finished(transfer.get(), &Transfer::finished);
        auto waiting = transfer->wait();
        QTRY_COMPARE_WITH_TIMEOUT(m_fake->openConnections(), 1, testDeadlineMs);

        transfer->abort();
        QVERIFY(transfer->isFinished());
        QVERIFY(!transfer->result().ok);
        // Heard from the event loop, not from inside abort().
        QCOMPARE(finished.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, testDeadlineMs);
        transfer->abort();

        QTRY_VERIFY_WITH_TIMEOUT(waiting.isReady(), testDeadlineMs);
        QVERIFY(!QCoro::waitFor(waiting).ok);
        QTRY_COMPARE_WITH_TIMEOUT(m_fake->openConnections(), 0, testDeadlineMs);
        QCOMPARE(finished.size(), 1);
    }

    void destroyingTransferMidFlight()
    {
        m_fake->on(QStringLiteral("/slow"), FakeResponse::behaving(Behaviour::NeverAnswer));
        auto transfer = m_client->startGetBody(QStringLiteral("http://g.qzone.qq.com/slow"));
        QObject receiver;
        int signalled = 0;
        connect(transfer.get(), &Transfer::finished, &receiver, [&] { ++signalled; });
        auto waiting = transfer->wait();
        QTRY_COMPARE_WITH_TIMEOUT(m_fake->openConnections(), 1, testDeadlineMs);

        transfer.reset();
        // The connection is dropped, nobody is signalled, and a waiter still wakes up.
        QTRY_COMPARE_WITH_TIMEOUT(m_fake->openConnections(), 0, testDeadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(waiting.isReady(), testDeadlineMs);
        const FetchResult r = QCoro::waitFor(waiting);
        QVERIFY(!r.ok);
        QCOMPARE(signalled, 0);
    }

    void destroyingTransferInItsFinishedSlot()
    {
        m_fake->on(QStringLiteral("/a"), FakeResponse::text("answer"));
        m_fake->on(QStringLiteral("/slow"), FakeResponse::behaving(Behaviour::NeverAnswer));
        // No deadline: however slow the machine, only the abort below ends the slow transfer.
        m_client->setDeadlineMs(0);
        std::unique_ptr<Transfer> done
                = m_client->startGetBody(QStringLiteral("http://g.qzone.qq.com/a"));
        std::unique_ptr<Transfer> aborted
                = m_client->startGetBody(QStringLiteral("http://g.qzone.qq.com/slow"));
        std::unique_ptr<Transfer> timedOut;
        connect(done.get(), &Transfer::finished, this, [&] { done.reset(); });
        connect(aborted.get(), &Transfer::finished, this, [&] { aborted.reset(); });
        QTRY_VERIFY_WITH_TIMEOUT(!done, testDeadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(!m_fake->requestsTo(QStringLiteral("/slow")).isEmpty(),
                                 testDeadlineMs);
        QVERIFY(aborted && !aborted->isFinished());
        aborted->abort();
        QVERIFY(aborted); // not destroyed from inside abort()
        QTRY_VERIFY_WITH_TIMEOUT(!aborted, testDeadlineMs);

        m_client->setDeadlineMs(100);
        timedOut = m_client->startGetBody(QStringLiteral("http://g.qzone.qq.com/slow"));
        connect(timedOut.get(), &Transfer::finished, this, [&] { timedOut.reset(); });
        QTRY_VERIFY_WITH_TIMEOUT(!timedOut, testDeadlineMs);
    }

    void closingTheClientEndsItsTransfers()
    {
        m_fake->on(QStringLiteral("/slow"), FakeResponse::behaving(Behaviour::NeverAnswer));
        const auto transfer = m_client->startDownload(QStringLiteral("http://g.qzone.qq.com/slow"));
        QSignalSpy finished(transfer.get(), &Transfer::finished);
        QTRY_COMPARE_WITH_TIMEOUT(m_fake->openConnections(), 1, testDeadlineMs);

        m_client.reset();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, testDeadlineMs);
        QVERIFY(transfer->isFinished());
        QVERIFY(!transfer->result().ok);
        QVERIFY(!QCoro::waitFor(transfer->wait()).ok);
        QTRY_COMPARE_WITH_TIMEOUT(m_fake->openConnections(), 0, testDeadlineMs);
    }

    void transfersRunSideBySide()
    {
        // An unanswered request must not hold up the next one to the same host.
        m_fake->on(QStringLiteral("/slow"), FakeResponse::behaving(Behaviour::NeverAnswer));
        m_fake->on(QStringLiteral("/quick"), FakeResponse::text("quick"));
        const auto first = m_client->startGetBody(QStringLiteral("http://g.qzone.qq.com/slow"));
        const auto second = m_client->startGetBody(QStringLiteral("http://g.qzone.qq.com/quick"));
        QCOMPARE(QCoro::waitFor(second->wait()).text, QStringLiteral("quick"));
        QVERIFY(!first->isFinished());
    }

    // The fake services match a route however the test wrote it and the client spelled it.
    void fakeRoutesMatchTheirRequests()
    {
        using namespace FakeRoutes;
        const QStringList token {u"t"_qs};
        const std::tuple<QString, QString, QStringList, bool> rows[] = {
                {u"http://G.QQ.com:8080/a?b=1"_qs, u"http://g.qq.com/a?b=1"_qs, {}, true},
                {u"h/a b?q=中&r=x/y"_qs, u"http://h/a%20b?q=%E4%B8%AD&r=x%2Fy"_qs, {}, true},
                {u"h/p?x=1"_qs, u"http://h/p?t=5&x=1"_qs, token, true},
                {u"h/p"_qs, u"http://h/p?t=5"_qs, token, true},
                {u"h/p?x=1"_qs, u"http://h/p?x=2"_qs, {}, false},
        };
        for (const auto &[route, url, ignored, same] : rows) {
            RecordedRequest request;
            request.url = QUrl(url);
            request.host = request.url.host().toLatin1();
            QCOMPARE(routeKey(route, ignored) == keysFor(request, ignored).hostPathQuery, same);
        }
        QCOMPARE(wildcardItems(u"h/p?a=*&b=1&c=*"_qs), (QStringList {u"a"_qs, u"c"_qs}));
    }
};

QTEST_GUILESS_MAIN(TestWeb)
#include "tst_web.moc"
