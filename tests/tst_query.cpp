#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "query/addresses.h"
#include "query/queryrecord.h"
#include "support/files.h"
#include "support/refusedproxy.h"
#include "support/servedwindow.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"
#include "web/webclient.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

using namespace DemoAnswers;

namespace {
// Sets or clears the immutable flag, which keeps even root from deleting or replacing a file.
bool setImmutable(const QString &path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}
} // namespace

class TestQuery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void validation_data();
    void validation();
    void enterStartsQuery();
    void roadOfOneQuery();
    void requestsAreExactAndStartTogether();
    void getBodyRequestsCarryIfModifiedSince();
    void allServicesUnreachable();
    void sameNumberTwice();
    void vinePanelKeepsLastAnswer();
    void cellsFollowStepOrderWhatever();
    void longBlogListDoesNotOverflow();
    void portraitsClearedLeaveFilesAlone();
    void portraitsTickedWriteAndShowFiles();
    void portraitsTickedMidQueryAreFetched();
    void portraitsNeverShowAnEarlierQuerysFiles();
    void closingMidQueryIsSafe();
    void closingWhileEachStepWaits_data();
    void closingWhileEachStepWaits();

private:
    Ui::MainWindow *ui() const { return m_served.app->ui(); }

    ServedWindow m_served;
};

void TestQuery::init()
{
    QVERIFY(m_served.start(5000, QueryWindow::Open::Now, ServedWindow::Unrouted::EmptyPage));
    QVERIFY(QTest::qWaitForWindowActive(m_served.app->window()));
}

void TestQuery::cleanup()
{
    m_served.stop();
}

void TestQuery::validation_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("warned");

    const QString digitsOnly = QStringLiteral("您输入的内容错误!QQ号为纯数字!");
    QTest::newRow("empty") << QString() << QStringLiteral("请输入QQ号码!") << false;
    QTest::newRow("four digits") << QStringLiteral("1234") << QStringLiteral("QQ号码位数不正确!")
                                 << false;
    QTest::newRow("eleven digits")
            << QStringLiteral("12345678901") << QStringLiteral("QQ号码位数不正确!") << false;
    QTest::newRow("letter among five") << QStringLiteral("1234a") << digitsOnly << true;
    QTest::newRow("leading blank") << QStringLiteral(" 12345") << digitsOnly << true;
    QTest::newRow("full-width digits") << QStringLiteral("１２３４５") << digitsOnly << true;
    QTest::newRow("short with letter")
            << QStringLiteral("12a") << QStringLiteral("QQ号码位数不正确!") << false;
    // The ends of the length range, from inside: these start a query.
    QTest::newRow("five digits") << QStringLiteral("12345")
                                 << QStringLiteral("QQ号码[12345]查询中...") << false;
    QTest::newRow("ten digits") << QStringLiteral("1234567890")
                                << QStringLiteral("QQ号码[1234567890]查询中...") << false;
}

void TestQuery::validation()
{
    QFETCH(QString, typed);
    QFETCH(QString, status);
    QFETCH(bool, warned);

    m_served.app->startQuery(typed);
    QCOMPARE(m_served.app->window()->statusText(), status);
    if (warned) {
        QCOMPARE(m_served.app->prompt().asked(), {ScriptedPrompt::Asked::warning(status)});
    } else {
        QVERIFY(m_served.app->prompt().asked().isEmpty());
    }
    const bool starts = status.endsWith(QStringLiteral("查询中..."));
    QCOMPARE(ui()->ListView1->topLevelItemCount(), starts ? 1 : 0);
    QCOMPARE(ui()->Command1->isEnabled(), !starts);
    QCOMPARE(ui()->Text1->isEnabled(), !starts);
    QCOMPARE(ui()->Text1->text(), typed);
    if (starts) {
        QVERIFY(m_served.app->waitIdle());
        QCOMPARE(m_served.app->window()->lastQueriedQq(), typed);
    } else {
        QVERIFY(m_served.services->requests().isEmpty());
    }
}

void TestQuery::enterStartsQuery()
{
    routeAccount(*m_served.services, DemoAccount {});
    QVERIFY(!ui()->Check1->isChecked());
    ui()->Text1->setFocus();
    QTest::keyClicks(ui()->Text1, QStringLiteral("10001"));
    QTest::keyClick(ui()->Text1, Qt::Key_Return);
    QCOMPARE(ui()->ListView1->topLevelItemCount(), 1);
    QVERIFY(m_served.app->waitIdle());
    QCOMPARE(m_served.app->window()->lastQueriedQq(), QStringLiteral("10001"));
}

void TestQuery::roadOfOneQuery()
{
    DemoAccount account;
    account.nickname = QStringLiteral(" 小明 同学 ");
    routeAccount(*m_served.services, account, 100);

    m_served.app->startQuery(QStringLiteral("10001"));
    // Locked and reporting progress while the answers are on their way.
    QCOMPARE(ui()->Command1->text(), QStringLiteral("查询中.."));
    QVERIFY(!ui()->Command1->isEnabled());
    QVERIFY(!ui()->Text1->isEnabled());
    for (QAction *action : {ui()->cpp, ui()->cll, ui()->cppt, ui()->ycxxx})
        QVERIFY(!action->isEnabled());
    QCOMPARE(m_served.app->window()->statusText(), QStringLiteral("QQ号码[10001]查询中..."));
    QCOMPARE(ui()->ListView1->topLevelItemCount(), 1);
    QCOMPARE(m_served.app->cell(0, ColumnKey::num), QStringLiteral("10001"));
    QCOMPARE(ui()->ListView1->currentItem(), ui()->ListView1->topLevelItem(0));
    QVERIFY(ui()->ListView1->topLevelItem(0)->isSelected());
    QCOMPARE(QApplication::focusWidget(), ui()->ListView1);

    QVERIFY(m_served.app->waitIdle());
    QCOMPARE(m_served.app->cell(0, ColumnKey::nam), QStringLiteral("小明 同学"));
    QCOMPARE(m_served.app->cell(0, ColumnKey::jf), QStringLiteral("7840分"));
    QCOMPARE(m_served.app->cell(0, ColumnKey::dj), QStringLiteral("35级"));
    QCOMPARE(m_served.app->cell(0, ColumnKey::qqm2), QStringLiteral("20首"));
    QCOMPARE(m_served.app->cell(0, ColumnKey::blog), QStringLiteral("3篇"));
    QCOMPARE(m_served.app->cell(0, ColumnKey::ss), QStringLiteral("37条"));
    QCOMPARE(m_served.app->cell(0, ColumnKey::jr), QStringLiteral("12人"));
    QCOMPARE(m_served.app->cell(0, ColumnKey::ls), QStringLiteral("34567人"));

    QCOMPARE(ui()->Frame4->title(), QStringLiteral("QQ空间花藤信息:(3)级"));
    QCOMPARE(ui()->Label2->text(), QStringLiteral("花藤阳光值:120"));
    QCOMPARE(ui()->Label3->text(), QStringLiteral("花藤雨露值:45"));
    QCOMPARE(ui()->Label5->text(), QStringLiteral("花藤爱心值:6"));
    QCOMPARE(ui()->Label6->text(), QStringLiteral("花藤营养值:78"));

    QCOMPARE(m_served.app->window()->statusText(), QStringLiteral("QQ号码[10001]查询成功..."));
    QCOMPARE(m_served.app->window()->lastQueriedQq(), QStringLiteral("10001"));
    QCOMPARE(ui()->Command1->text(), QStringLiteral("开始查询"));
    QVERIFY(ui()->Command1->isEnabled());
    QVERIFY(ui()->Text1->isEnabled());
    QVERIFY(ui()->Text1->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), ui()->Text1);
    for (QAction *action : {ui()->cpp, ui()->cll, ui()->cppt, ui()->ycxxx})
        QVERIFY(action->isEnabled());
    QVERIFY(m_served.app->prompt().asked().isEmpty());
}

void TestQuery::requestsAreExactAndStartTogether()
{
    ui()->Check1->setChecked(true);
    // Nothing answers until every request has arrived: a query that asked one service after
    // another would wait here for ever.
    m_served.services->setFallback([] {
        FakeResponse r = FakeResponse::text({});
        r.behaviour = FakeResponse::Behaviour::NeverAnswer;
        return r;
    }());
    m_served.app->startQuery(QStringLiteral("10001"));
    QTRY_COMPARE(m_served.services->requests().size(), 8);
    QVERIFY(m_served.app->window()->isQuerying());

    QStringList seen;
    for (const RecordedRequest &r : m_served.services->requests()) {
        QCOMPARE(r.method, QByteArray("GET"));
        seen.append(QString::fromLatin1(r.host + r.pathAndQuery));
    }
    seen.sort();
    QStringList expected = {
            QStringLiteral("g.qzone.qq.com/cgi-bin/friendshow/cgi_get_visitor_simple?uin=10001"),
            QStringLiteral("r.qzone.qq.com/fcg-bin/cgi_get_portrait.fcg?uins=10001&get_nick=1"),
            QStringLiteral(
                    "taotao.qq.com/cgi-bin/emotion_cgi_msglist?uin=10001&ftype=0&sort=0&num=20"
                    "&pos=20&g_tk=2750318846"),
            QStringLiteral(
                    "b1.qzone.qq.com/cgi-bin/blognew/blog_get_titlelist?uin=10001&vuin=0"
                    "&property=GoRE&category=&numperpage=100&sorttype=0&arch=0&pos=0&direct=1"
                    "&r=268242"),
            QStringLiteral(
                    "qzone-music.qq.com/fcg-bin/cgi_playlist_xml.fcg?uin=10001&json=1&comPic=1"
                    "&p=0.05110394364654258&inCharset=GB2312&outCharset=utf8&hostUin=10001"
                    "&notice=0&needNewCode=0&format=jsonp&platform=musicbox&utf8=1"
                    "&jsonpCallback=jsonCallback&g_tk=7302"),
            QStringLiteral("flower.qzone.qq.com/fcg-bin/fcg_get_user_flowerinfo?uin=10001"),
            QStringLiteral("qlogo2.store.qq.com/qzone/10001/10001/100"),
            QStringLiteral("q1.qlogo.cn/g?b=qq&nk=10001&s=100"),
    };
    expected.sort();
    QCOMPARE(seen, expected);
}

void TestQuery::getBodyRequestsCarryIfModifiedSince()
{
    routeAccount(*m_served.services, DemoAccount {});
    for (int i = 0; i < 2; ++i) {
        m_served.app->startQuery(QStringLiteral("10001"));
        QVERIFY(m_served.app->waitIdle());
    }
    for (const QString &address :
         {Addresses::moods(QStringLiteral("10001")), Addresses::blog(QStringLiteral("10001")),
          Addresses::music(QStringLiteral("10001"))}) {
        const QList<RecordedRequest> sent = m_served.services->requestsTo(routeOf(address));
        QCOMPARE(sent.size(), 2);
        for (const RecordedRequest &r : sent)
            QCOMPARE(r.header("If-Modified-Since"), QByteArray("0"));
    }
}

void TestQuery::allServicesUnreachable()
{
    m_served.app->web().setProxy(refusedProxy());
    ui()->Check1->setChecked(true);

    m_served.app->startQuery(QStringLiteral("10001"));
    QVERIFY(m_served.app->waitIdle());
    QCOMPARE(m_served.app->cell(0, ColumnKey::num), QStringLiteral("10001"));
    QCOMPARE(m_served.app->cell(0, ColumnKey::nam), QString());
    QCOMPARE(m_served.app->cell(0, ColumnKey::jf), QStringLiteral("0分"));
    QCOMPARE(m_served.app->cell(0, ColumnKey::dj), QStringLiteral("0级"));
    QCOMPARE(m_served.app->cell(0, ColumnKey::qqm2), QString());
    QCOMPARE(m_served.app->cell(0, ColumnKey::blog), QString());
    for (const char *key : {ColumnKey::ss, ColumnKey::jr, ColumnKey::ls})
        QCOMPARE(m_served.app->cell(0, key), QStringLiteral("空间有权限"));
    QCOMPARE(ui()->Label2->text(), QStringLiteral("花藤阳光值:未查询"));
    QCOMPARE(ui()->Frame4->title(), QStringLiteral("QQ空间花藤信息"));
    QCOMPARE(m_served.app->window()->statusText(), QStringLiteral("QQ号码[10001]查询成功..."));
    QVERIFY(ui()->Command1->isEnabled());
    QVERIFY(!QFile::exists(m_served.app->programFile(QStringLiteral("face"))));
    QVERIFY(!QFile::exists(m_served.app->programFile(QStringLiteral("head"))));
    QVERIFY(m_served.app->prompt().asked().isEmpty());
}

void TestQuery::sameNumberTwice()
{
    routeAccount(*m_served.services, DemoAccount {});
    m_served.app->startQuery(QStringLiteral("10001"));
    QVERIFY(m_served.app->waitIdle());
    ui()->ListView1->topLevelItem(0)->setText(1, QStringLiteral("first"));
    m_served.app->startQuery(QStringLiteral("10001"));
    QVERIFY(m_served.app->waitIdle());
    QCOMPARE(ui()->ListView1->topLevelItemCount(), 2);
    QCOMPARE(m_served.app->cell(0, ColumnKey::nam), QStringLiteral("小明"));
    QCOMPARE(m_served.app->cell(1, ColumnKey::nam), QStringLiteral("first"));
    QCOMPARE(ui()->ListView1->currentItem(), ui()->ListView1->topLevelItem(0));
}

void TestQuery::vinePanelKeepsLastAnswer()
{
    routeAccount(*m_served.services, DemoAccount {});
    DemoAccount second;
    second.qq = QStringLiteral("10002");
    routeAccount(*m_served.services, second);
    m_served.services->on(routeOf(Addresses::flowerVine(second.qq)), FakeResponse::text({}));

    m_served.app->startQuery(QStringLiteral("10001"));
    QVERIFY(m_served.app->waitIdle());
    m_served.app->startQuery(QStringLiteral("10002"));
    QVERIFY(m_served.app->waitIdle());
    QCOMPARE(ui()->Label2->text(), QStringLiteral("花藤阳光值:120"));
    QCOMPARE(ui()->Frame4->title(), QStringLiteral("QQ空间花藤信息:(3)级"));
    QCOMPARE(m_served.app->window()->statusText(), QStringLiteral("QQ号码[10002]查询成功..."));
    QCOMPARE(m_served.app->window()->lastQueriedQq(), QStringLiteral("10002"));
}

void TestQuery::cellsFollowStepOrderWhatever()
{
    // The later a step, the sooner its answer comes.
    DemoAccount account;
    routeAccount(*m_served.services, account);
    const QList<QPair<Endpoint, int>> delays = {
            {Endpoint::Visitors, 700}, {Endpoint::Portrait, 600}, {Endpoint::Moods, 500},
            {Endpoint::Blog, 400},     {Endpoint::Music, 300},    {Endpoint::FlowerVine, 0},
    };
    for (const auto &[endpoint, delay] : delays) {
        ServiceAnswer row = serviceAnswer(account, endpoint);
        row.response.delayMs = delay;
        m_served.services->on(routeOf(row.address), row.response);
    }

    QStringList changes;
    QTreeWidget *list = ui()->ListView1;
    connect(list, &QTreeWidget::itemChanged, this, [&](QTreeWidgetItem *, int column) {
        changes.append(list->headerItem()->data(column, Qt::UserRole).toString());
    });
    connect(m_served.app->window(), &MainWindow::queryFinished, this, [&] {
        changes.append(ui()->Frame4->title());
        changes.append(QStringLiteral("done"));
    });
    m_served.app->startQuery(account.qq);
    QVERIFY(m_served.app->waitIdle());
    const QStringList expected = {
            QStringLiteral("blog"), QStringLiteral("qqm2"), QStringLiteral("jf"),
            QStringLiteral("nam"),  QStringLiteral("jr"),   QStringLiteral("ls"),
            QStringLiteral("ss"),   QStringLiteral("dj"),   QStringLiteral("QQ空间花藤信息:(3)级"),
            QStringLiteral("done")};
    QCOMPARE(changes, expected);
}

void TestQuery::longBlogListDoesNotOverflow()
{
    DemoAccount account;
    account.blogs = 40000;
    routeAccount(*m_served.services, account);
    m_served.app->startQuery(account.qq);
    QVERIFY(m_served.app->waitIdle());
    QCOMPARE(m_served.app->cell(0, ColumnKey::blog), QStringLiteral("40000篇"));
}

void TestQuery::portraitsClearedLeaveFilesAlone()
{
    routeAccount(*m_served.services, DemoAccount {});
    for (const QString &name : {QStringLiteral("face"), QStringLiteral("head")})
        QVERIFY(writeFile(m_served.app->programFile(name), "old " + name.toLatin1()));
    const QImage before = ui()->aicAlphaImage1->pixmap().toImage();
    m_served.app->startQuery(QStringLiteral("10001"));
    QVERIFY(m_served.app->waitIdle());
    for (const QString &name : {QStringLiteral("face"), QStringLiteral("head")})
        QCOMPARE(readFile(m_served.app->programFile(name)), "old " + name.toLatin1());
    QCOMPARE(ui()->aicAlphaImage1->pixmap().toImage(), before);
    QVERIFY(m_served.services
                    ->requestsTo(routeOf(Addresses::qzonePortrait(QStringLiteral("10001"))))
                    .isEmpty());
}

void TestQuery::portraitsTickedWriteAndShowFiles()
{
    DemoAccount account;
    routeAccount(*m_served.services, account);
    ui()->Check1->setChecked(true);
    m_served.app->startQuery(account.qq);
    QVERIFY(m_served.app->waitIdle());

    QCOMPARE(readFile(m_served.app->programFile(QStringLiteral("face"))),
             png(100, 100, Qt::darkCyan));
    QCOMPARE(readFile(m_served.app->programFile(QStringLiteral("head"))),
             png(100, 100, Qt::darkRed));
    QCOMPARE(ui()->aicAlphaImage1->pixmap().toImage().pixelColor(50, 50), QColor(Qt::darkCyan));
    QCOMPARE(ui()->aicAlphaImage2->pixmap().toImage().pixelColor(50, 50), QColor(Qt::darkRed));
}

void TestQuery::portraitsTickedMidQueryAreFetched()
{
    DemoAccount account;
    routeAccount(*m_served.services, account);
    // Ticked when the music request arrives: its answer, which the step before the portraits
    // waits for, has not even been chosen yet, however slow the machine.
    const QString music = routeOf(Addresses::music(account.qq));
    const QString qqPortrait = routeOf(Addresses::qqPortrait(account.qq));
    bool portraitAskedBeforeTick = false;
    QObject scope;
    connect(m_served.services.get(), &FakeServices::requestReceived, &scope, [&] {
        if (ui()->Check1->isChecked() || m_served.services->requestsTo(music).isEmpty())
            return;
        portraitAskedBeforeTick = !m_served.services->requestsTo(qqPortrait).isEmpty();
        ui()->Check1->setChecked(true);
    });
    m_served.app->startQuery(account.qq);
    QVERIFY(m_served.app->waitIdle());
    QVERIFY(ui()->Check1->isChecked());
    QVERIFY(!portraitAskedBeforeTick);
    QCOMPARE(m_served.services->requestsTo(qqPortrait).size(), 1);
    QVERIFY(QFile::exists(m_served.app->programFile(QStringLiteral("face"))));
    QVERIFY(QFile::exists(m_served.app->programFile(QStringLiteral("head"))));
}

void TestQuery::portraitsNeverShowAnEarlierQuerysFiles()
{
    // An earlier run's pictures that the program can neither delete nor replace: in a folder
    // it cannot write, or, for root, who writes anywhere, made immutable.
    const QStringList pictures {m_served.app->programFile(QStringLiteral("face")),
                                m_served.app->programFile(QStringLiteral("head"))};
    for (const QString &path : pictures)
        QVERIFY(writeFile(path, png(100, 100, Qt::yellow)));
    const QString folder = QFileInfo(pictures.first()).path();
    const auto writable = qScopeGuard([&] {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const QString &path : pictures)
            setImmutable(path, false);
    });
    if (geteuid() != 0) {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    } else if (!setImmutable(pictures.at(0), true) || !setImmutable(pictures.at(1), true)) {
        QSKIP("this file system cannot make a file immutable");
    }
    const QImage qzoneDefault = ui()->aicAlphaImage1->pixmap().toImage();
    const QImage qqDefault = ui()->aicAlphaImage2->pixmap().toImage();
    // Each box starts with its own built-in picture.
    QCOMPARE(qzoneDefault,
             QImage(u":/images/portrait-qzone.png"_qs).convertedTo(qzoneDefault.format()));
    QCOMPARE(qqDefault, QImage(u":/images/portrait-qq.png"_qs).convertedTo(qqDefault.format()));

    routeAccount(*m_served.services, DemoAccount {});
    ui()->Check1->setChecked(true);
    m_served.app->startQuery(QStringLiteral("10001"));
    QVERIFY(m_served.app->waitIdle());
    QCOMPARE(ui()->aicAlphaImage1->pixmap().toImage(), qzoneDefault);
    QCOMPARE(ui()->aicAlphaImage2->pixmap().toImage(), qqDefault);
}

void TestQuery::closingMidQueryIsSafe()
{
    routeAccount(*m_served.services, DemoAccount {}, 2000);
    m_served.app->startQuery(QStringLiteral("10001"));
    QTRY_VERIFY(m_served.services->requests().size() >= 6);
    m_served.app->destroyWindow();
    // Every transfer of the abandoned query is dropped, and nothing touches the window.
    QTRY_COMPARE(m_served.services->openConnections(), 0);
}

void TestQuery::closingWhileEachStepWaits_data()
{
    // The service(s) the step waits for never answer; every other one answers at once.
    QTest::addColumn<QStringList>("waitingFor");
    QTest::addColumn<int>("step"); // its place in the query's order
    const QString qq = QStringLiteral("10001");
    QTest::newRow("visitors") << QStringList {Addresses::visitors(qq)} << 0;
    QTest::newRow("portrait") << QStringList {Addresses::portrait(qq)} << 1;
    QTest::newRow("moods") << QStringList {Addresses::moods(qq)} << 2;
    QTest::newRow("blog") << QStringList {Addresses::blog(qq)} << 3;
    QTest::newRow("music") << QStringList {Addresses::music(qq)} << 4;
    QTest::newRow("portraits") << QStringList {Addresses::qzonePortrait(qq),
                                               Addresses::qqPortrait(qq)}
                               << 5;
    QTest::newRow("flower vine, the rest shown") << QStringList {Addresses::flowerVine(qq)} << 6;
}

void TestQuery::closingWhileEachStepWaits()
{
    QFETCH(QStringList, waitingFor);
    QFETCH(int, step);
    DemoAccount account;
    routeAccount(*m_served.services, account);
    FakeResponse silent;
    silent.behaviour = FakeResponse::Behaviour::NeverAnswer;
    for (const QString &address : waitingFor)
        m_served.services->on(routeOf(address), silent);
    // Far beyond the wait below: only a cancelled transfer closes its connection in time.
    m_served.app->web().setDeadlineMs(60000);
    ui()->Check1->setChecked(true);

    m_served.app->startQuery(account.qq);
    // Every request first: until then the count of open connections can pass the mark early.
    QTRY_COMPARE(m_served.services->requests().size(), 8);
    QTRY_COMPARE(m_served.services->openConnections(), int(waitingFor.size()));
    // The step before the waiting one has taken its answer, so the run waits where it should.
    const auto previousDone = [&] {
        const QueryRecord &r = m_served.app->window()->queryRecord();
        const QString done[] = {account.qq,
                                r.visitorText,
                                r.portraitText,
                                r.moodsText,
                                r.blogText,
                                r.musicText,
                                m_served.app->cell(0, ColumnKey::nam)};
        return !done[step].isEmpty();
    };
    QTRY_VERIFY(previousDone());
    QVERIFY(m_served.app->window()->isQuerying());

    m_served.app->destroyWindow();
    QTRY_COMPARE_WITH_TIMEOUT(m_served.services->openConnections(), 0, 10000);
    // The run went on without its window: portraits already downloaded are not written for it.
    const bool portraitsShown = step > 5;
    QCOMPARE(QFile::exists(m_served.app->programFile(QStringLiteral("face"))), portraitsShown);
    QCOMPARE(QFile::exists(m_served.app->programFile(QStringLiteral("head"))), portraitsShown);
}

QTEST_MAIN(TestQuery)
#include "tst_query.moc"
