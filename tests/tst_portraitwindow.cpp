#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "query/addresses.h"
#include "support/files.h"
#include "support/servedwindow.h"
#include "ui/mainwindow.h"
#include "ui/portraitpicture.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;
using Asked = ScriptedPrompt::Asked;

Q_DECLARE_METATYPE(FakeResponse)

namespace {
const QString noPortraitMessage = u"此Q没有高清大图头像"_s;

QString hdRoute(const QString &qq)
{
    return DemoAnswers::routeOf(Addresses::qqPortraitHd(qq));
}

FakeResponse picture(int width, int height, int delayMs = 0)
{
    FakeResponse response
            = FakeResponse::bytes(DemoAnswers::png(width, height, Qt::darkGreen), "image/png");
    response.delayMs = delayMs;
    return response;
}
} // namespace

// The "HD" button and the high-definition portrait window it opens.
class TestPortraitWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void needsCompletedQuery();
    void noPortrait_data();
    void noPortrait();
    void portraitShownCentredAndModal();
    void twoClicksDownloadTwice_data();
    void twoClicksDownloadTwice();
    void downloadsNumberBeingQueried();
    void mainWindowClosedMidDownload();
    void pictureSizeLimit_data();
    void pictureSizeLimit();

private:
    template<class T> T *control(const char *name) const
    {
        return m_served.app->window()->findChild<T *>(QLatin1String(name));
    }
    QPushButton *hdButton() const { return control<QPushButton>("Command4"); }
    QWidget *form2() const { return control<QWidget>("Form2"); }
    // False when the query did not complete in time; callers stop the test then.
    [[nodiscard]] bool completeQuery(const QString &qq);
    QString head2() const { return m_served.app->programFile(u"head2.bmp"_s); }

    ServedWindow m_served;
};

void TestPortraitWindow::init()
{
    QVERIFY(m_served.start(5000, QueryWindow::Open::Now, ServedWindow::Unrouted::EmptyPage));
    QVERIFY(QTest::qWaitForWindowExposed(m_served.app->window()));
}

void TestPortraitWindow::cleanup()
{
    m_served.stop();
}

bool TestPortraitWindow::completeQuery(const QString &qq)
{
    m_served.app->startQuery(qq);
    const bool done
            = QTest::qWaitFor([&] { return m_served.app->window()->lastQueriedQq() == qq; }, 10000);
    m_served.services->clearRequests();
    return done;
}

void TestPortraitWindow::needsCompletedQuery()
{
    QTest::mouseClick(hdButton(), Qt::LeftButton);

    QCOMPARE(m_served.app->prompt().asked(), {Asked::information(u"请先查询在查看QQ高清头像!"_s)});
    QVERIFY(hdButton()->isEnabled());
    QVERIFY(!form2());
    QVERIFY(m_served.services->requests().isEmpty());
}

void TestPortraitWindow::noPortrait_data()
{
    QTest::addColumn<FakeResponse>("answer");
    QTest::addColumn<bool>("fileLeft"); // the answer itself ends up in head2.bmp

    QTest::newRow("html page") << FakeResponse::text("<html>no such user</html>") << true;
    FakeResponse dropped;
    dropped.behaviour = FakeResponse::Behaviour::CloseWithoutAnswer;
    QTest::newRow("connection dropped") << dropped << false;
    QTest::newRow("empty body") << FakeResponse::bytes({}) << true;
    // Declares a size far past any portrait; decoding it could take all the memory.
    QTest::newRow("absurdly wide picture") << picture(20000, 1) << true;
}

void TestPortraitWindow::noPortrait()
{
    QFETCH(FakeResponse, answer);
    QFETCH(bool, fileLeft);

    QVERIFY(completeQuery(u"10001"_s));
    // An earlier portrait, still loadable.
    QVERIFY(writeFile(head2(), DemoAnswers::png(40, 30, Qt::red)));
    m_served.services->on(hdRoute(u"10001"_s), answer);

    QTest::mouseClick(hdButton(), Qt::LeftButton);
    QVERIFY(!hdButton()->isEnabled());
    const QList<Asked> told {Asked::information(noPortraitMessage)};
    QTRY_COMPARE_WITH_TIMEOUT(m_served.app->prompt().asked(), told, 10000);
    QTRY_VERIFY(hdButton()->isEnabled());
    QTRY_VERIFY(!form2());
    QVERIFY(!m_served.services->requestsTo(hdRoute(u"10001"_s)).isEmpty());
    QCOMPARE(QFile::exists(head2()), fileLeft);
    if (fileLeft)
        QCOMPARE(readFile(head2()), answer.body);
}

void TestPortraitWindow::portraitShownCentredAndModal()
{
    QVERIFY(completeQuery(u"10001"_s));
    m_served.services->on(hdRoute(u"10001"_s), picture(320, 240, 200));

    QTest::mouseClick(hdButton(), Qt::LeftButton);
    // While the portrait downloads the window stays hidden and the main window usable.
    QVERIFY(form2());
    QVERIFY(!form2()->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!hdButton()->isEnabled());

    QTRY_VERIFY_WITH_TIMEOUT(form2() && form2()->isVisible(), 10000);
    QWidget *window = form2();
    QCOMPARE(window->windowTitle(), u"高清大图"_s);
    QCOMPARE(control<QLabel>("Picture1")->size(), QSize(320, 240));
    QCOMPARE(window->size(), QSize(320, 240));
    QVERIFY(!window->findChild<QLabel *>(u"Label1"_s)->isVisible());
    // Centred by its outer size: the frame's corner sits where the formula puts it.
    const QRect screen = m_served.app->window()->screen()->availableGeometry();
    const QSize outer = window->frameGeometry().size();
    QCOMPARE(window->frameGeometry().topLeft(),
             screen.topLeft()
                     + QPoint((screen.width() - outer.width()) / 2,
                              (screen.height() - outer.height()) / 2));
    QCOMPARE(QApplication::activeModalWidget(), window);
    QVERIFY(!hdButton()->isEnabled());
    QVERIFY(m_served.app->prompt().asked().isEmpty());

    window->close();
    QTRY_VERIFY(hdButton()->isEnabled());
    QTRY_VERIFY(!form2());
}

void TestPortraitWindow::twoClicksDownloadTwice_data()
{
    QTest::addColumn<FakeResponse>("answer");
    QTest::addColumn<bool>("shown");
    QTest::newRow("portrait") << picture(64, 48) << true;
    QTest::newRow("no portrait") << FakeResponse::text("<html>no such user</html>") << false;
}

void TestPortraitWindow::twoClicksDownloadTwice()
{
    QFETCH(FakeResponse, answer);
    QFETCH(bool, shown);
    QVERIFY(completeQuery(u"10001"_s));
    m_served.services->on(hdRoute(u"10001"_s), answer);

    // Each window, shown or not, gives the button back for the next click.
    for (int click = 1; click <= 2; ++click) {
        QTest::mouseClick(hdButton(), Qt::LeftButton);
        QVERIFY(!hdButton()->isEnabled());
        if (shown) {
            QTRY_VERIFY_WITH_TIMEOUT(form2() && form2()->isVisible(), 10000);
            form2()->close();
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(m_served.app->prompt().asked().size(), click, 10000);
        }
        QTRY_VERIFY(hdButton()->isEnabled() && !form2());
        QCOMPARE(m_served.services->requestsTo(hdRoute(u"10001"_s)).size(), click);
    }
    QCOMPARE(m_served.app->prompt().asked(),
             shown ? QList<Asked>() : QList<Asked>(2, Asked::information(noPortraitMessage)));
}

void TestPortraitWindow::downloadsNumberBeingQueried()
{
    QVERIFY(completeQuery(u"10001"_s));
    FakeResponse slow = FakeResponse::text({});
    slow.delayMs = 300;
    m_served.services->setFallback(slow);
    m_served.services->on(hdRoute(u"10002"_s), picture(64, 48));
    m_served.app->startQuery(u"10002"_s);
    QVERIFY(m_served.app->window()->isQuerying());

    QTest::mouseClick(hdButton(), Qt::LeftButton);

    QTRY_VERIFY_WITH_TIMEOUT(form2() && form2()->isVisible(), 10000);
    QCOMPARE(m_served.services->requestsTo(hdRoute(u"10002"_s)).size(), 1);
    QVERIFY(m_served.services->requestsTo(hdRoute(u"10001"_s)).isEmpty());
    form2()->close();
    QTRY_VERIFY_WITH_TIMEOUT(!m_served.app->window()->isQuerying(), 10000);
}

void TestPortraitWindow::mainWindowClosedMidDownload()
{
    QVERIFY(completeQuery(u"10001"_s));
    FakeResponse notAPicture = FakeResponse::text("<html>no such user</html>");
    notAPicture.delayMs = 200;
    m_served.services->on(hdRoute(u"10001"_s), notAPicture);

    QTest::mouseClick(hdButton(), Qt::LeftButton);
    QTRY_COMPARE(m_served.services->requestsTo(hdRoute(u"10001"_s)).size(), 1);
    m_served.app->destroyWindow();

    // The download still ends and writes its file; the window it was for must stay untouched.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(head2()), 10000);
    QTRY_COMPARE(m_served.services->openConnections(), 0);
    QVERIFY(m_served.app->prompt().asked().isEmpty());
}

void TestPortraitWindow::pictureSizeLimit_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("shown");
    // Each side is held to the limit on its own: a huge side is refused however thin the other.
    const int limit = 4096;
    QTest::newRow("wide, at the limit") << QSize(limit, 64) << true;
    QTest::newRow("wide, one over") << QSize(limit + 1, 64) << false;
    QTest::newRow("tall, at the limit") << QSize(64, limit) << true;
    QTest::newRow("tall, one over") << QSize(64, limit + 1) << false;
    // Scaled into the box, a sliver keeps at least one line of pixels.
    QTest::newRow("wide and very thin") << QSize(limit, 8) << true;
}

void TestPortraitWindow::pictureSizeLimit()
{
    QFETCH(QSize, size);
    QFETCH(bool, shown);
    const FakeResponse answer = picture(size.width(), size.height());
    const QString qq = u"10001"_s;

    QVERIFY(writeFile(head2(), answer.body));
    QCOMPARE(PortraitPicture::load(head2()).isNull(), !shown);

    // The main window's box: the picture, or the default one left in place.
    m_served.services->on(DemoAnswers::routeOf(Addresses::qzonePortrait(qq)), answer);
    control<QCheckBox>("Check1")->setChecked(true);
    auto *box = control<QLabel>("aicAlphaImage1");
    const QImage before = box->pixmap().toImage();
    QVERIFY(completeQuery(qq));
    QCOMPARE(box->pixmap().toImage() != before, shown);
    QVERIFY(!box->pixmap().isNull());

    // The HD window: shown at the picture's size, or the user is told there is none.
    m_served.services->on(hdRoute(qq), answer);
    QTest::mouseClick(hdButton(), Qt::LeftButton);
    if (shown) {
        QTRY_VERIFY_WITH_TIMEOUT(form2() && form2()->isVisible(), 10000);
        QCOMPARE(control<QLabel>("Picture1")->size(), size);
        form2()->close();
    } else {
        const QList<Asked> told {Asked::information(noPortraitMessage)};
        QTRY_COMPARE_WITH_TIMEOUT(m_served.app->prompt().asked(), told, 10000);
    }
    QTRY_VERIFY(hdButton()->isEnabled() && !form2());
}

QTEST_MAIN(TestPortraitWindow)
#include "tst_portraitwindow.moc"
