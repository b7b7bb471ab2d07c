#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "query/addresses.h"
#include "shell/chimeplayer.h"
#include "shell/mainwindowlifecycle.h"
#include "shell/supportfiles.h"
#include "support/files.h"
#include "support/refusedproxy.h"
#include "support/servedwindow.h"
#include "ui/mainwindow.h"
#include "ui/sitelinks.h"
#include "web/webclient.h"

#include <memory>

#include <QAction>
#include <QApplication>
#include <QAudioDevice>
#include <QAudioSink>
#include <QFile>
#include <QHeaderView>
#include <QMediaDevices>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

Q_DECLARE_METATYPE(FakeResponse)
Q_DECLARE_METATYPE(Prompt::Answer)

using Asked = ScriptedPrompt::Asked;
using DemoAnswers::routeOf;

namespace {

QList<int> columnWidths(const QHeaderView *header)
{
    QList<int> widths;
    for (int i = 0; i < header->count(); ++i)
        widths.append(header->sectionSize(i));
    return widths;
}

// A drag from the divider right of `section` and a double-click on it, as a user would.
void dragDivider(QHeaderView *header, int section, int by)
{
    const QPoint divider(header->sectionViewportPosition(section) + header->sectionSize(section)
                                 - 1,
                         header->height() / 2);
    QWidget *viewport = header->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, divider);
    QTest::mouseMove(viewport, divider + QPoint(by / 2, 0));
    QTest::mouseMove(viewport, divider + QPoint(by, 0));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, divider + QPoint(by, 0));
}

void doubleClickDivider(QHeaderView *header, int section)
{
    const QPoint divider(header->sectionViewportPosition(section) + header->sectionSize(section)
                                 - 1,
                         header->height() / 2);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, divider);
}

enum class Gesture { Drag, DoubleClick };

} // namespace

class TestLifecycle : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startVisitsTheForumHomeQuietly();
    void columnWidthsAreLocked_data();
    void columnWidthsAreLocked();
    void exitPrompt_data();
    void exitPrompt();
    void restart_data();
    void restart();
    void forumLinks_data();
    void forumLinks();
    void reachabilityCheckRunsOnce_data();
    void reachabilityCheckRunsOnce();
    void offlineEndsTheProcess_data();
    void offlineEndsTheProcess();
    void skin_data();
    void skin();
    void audioPlaysTheClipOnce_data();
    void audioPlaysTheClipOnce();

private:
    // The main window as the program opens it: started, centred and shown.
    void openWindow() { m_served.app->openWindow(MainWindowLifecycle::openMainWindow); }
    MainWindow *window() const { return m_served.app->window(); }
    QTimer *timer2() const { return window()->findChild<QTimer *>(QStringLiteral("Timer2")); }

    ServedWindow m_served;
};

void TestLifecycle::init()
{
    QVERIFY(m_served.start(3000, QueryWindow::Open::Later));
    // Should the check's timer fire in a test about something else, it finds the site.
    m_served.services->on(routeOf(Addresses::reachabilityProbe()),
                          FakeResponse::text("<html>qq</html>"));
}

void TestLifecycle::cleanup()
{
    m_served.stop();
    qApp->setStyleSheet({});
}

void TestLifecycle::startVisitsTheForumHomeQuietly()
{
    openWindow();
    QVERIFY(window()->isVisible());
    QCOMPARE(window()->minimumSize(), window()->maximumSize());

    const QString forum = routeOf(SiteLinks::forumHome());
    QTRY_COMPARE(m_served.services->requestsTo(forum).size(), 1);
    QCOMPARE(m_served.services->requestsTo(forum).first().method, QByteArray("GET"));
    // Opened as a page: a body fetch would send If-Modified-Since.
    QVERIFY(!m_served.services->requestsTo(forum).first().hasHeader("If-Modified-Since"));
    QVERIFY(m_served.app->prompt().asked().isEmpty());
    QVERIFY(m_served.app->desktop().log.isEmpty());

    // The check waits for its own tick.
    QVERIFY(timer2()->isActive());
    QCOMPARE(timer2()->interval(), 2000);
    QVERIFY(!timer2()->isSingleShot());
}

void TestLifecycle::columnWidthsAreLocked_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::newRow("drag a divider") << Gesture::Drag;
    QTest::newRow("double-click a divider") << Gesture::DoubleClick;
}

void TestLifecycle::columnWidthsAreLocked()
{
    QFETCH(Gesture, gesture);
    openWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    QTreeWidget *list = window()->findChild<QTreeWidget *>("ListView1");
    QHeaderView *header = list->header();

    // The same gesture on a list of the same make without the lock does change a width.
    QTreeWidget unlocked;
    unlocked.setColumnCount(list->columnCount());
    unlocked.setHeaderItem(list->headerItem()->clone());
    for (int i = 0; i < list->columnCount(); ++i)
        unlocked.setColumnWidth(i, header->sectionSize(i));
    unlocked.resize(list->size());
    unlocked.show();
    QVERIFY(QTest::qWaitForWindowExposed(&unlocked));

    for (QHeaderView *h : {unlocked.header(), header}) {
        const QList<int> before = columnWidths(h);
        for (int section : {0, 1, 7}) {
            if (gesture == Gesture::Drag)
                dragDivider(h, section, 40);
            else
                doubleClickDivider(h, section);
        }
        QCoreApplication::processEvents();
        if (h == header)
            QCOMPARE(columnWidths(h), before);
        else
            QVERIFY(columnWidths(h) != before);
    }
    QVERIFY(!header->sectionsMovable());
}

void TestLifecycle::exitPrompt_data()
{
    QTest::addColumn<bool>("throughEndd");
    QTest::addColumn<QList<Prompt::Answer>>("answers"); // one close request each
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QStringList>("desktopLog");

    const QStringList forumAndEnd {QStringLiteral("open ") + SiteLinks::forumHome(),
                                   QStringLiteral("end")};
    using A = Prompt::Answer;
    for (bool endd : {false, true}) {
        const char *via = endd ? "endd" : "close box";
        QTest::addRow("%s, Yes", via) << endd << QList {A::Yes} << true << forumAndEnd;
        QTest::addRow("%s, No", via) << endd << QList {A::No} << true << QStringList();
        QTest::addRow("%s, Cancel", via) << endd << QList {A::Cancel} << false << QStringList();
        // Cancelled, the question is asked again next time, and answered anew.
        QTest::addRow("%s, Cancel then No", via)
                << endd << QList {A::Cancel, A::No} << true << QStringList();
        QTest::addRow("%s, Cancel twice then Yes", via)
                << endd << QList {A::Cancel, A::Cancel, A::Yes} << true << forumAndEnd;
    }
}

void TestLifecycle::exitPrompt()
{
    QFETCH(bool, throughEndd);
    QFETCH(QList<Prompt::Answer>, answers);
    QFETCH(bool, closes);
    QFETCH(QStringList, desktopLog);

    openWindow();
    QTreeWidget *list = window()->findChild<QTreeWidget *>("ListView1");
    list->addTopLevelItem(new QTreeWidgetItem(QStringList {"10001", "甲"}));
    list->addTopLevelItem(new QTreeWidgetItem(QStringList {"10002", "乙"}));

    for (const Prompt::Answer answer : answers) {
        m_served.app->prompt().answerNext(answer);
        if (throughEndd)
            window()->findChild<QAction *>("endd")->trigger();
        else
            window()->close();
    }

    const Asked exitPrompt
            = Asked::yesNoCancel(QStringLiteral("感谢您对Tavi、对Zv系列的软件的支持!\r \r"
                                                "是否退出并到论坛可以下载更多Zv系列原创免费软件?"));
    QCOMPARE(m_served.app->prompt().asked(), QList<Asked>(answers.size(), exitPrompt));
    QCOMPARE(window()->isVisible(), !closes);
    QCOMPARE(m_served.app->desktop().log, desktopLog);
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("乙"));
}

void TestLifecycle::restart_data()
{
    QTest::addColumn<Prompt::Answer>("answer");
    QTest::newRow("Yes") << Prompt::Answer::Yes;
    QTest::newRow("No") << Prompt::Answer::No;
}

void TestLifecycle::restart()
{
    QFETCH(Prompt::Answer, answer);
    openWindow();
    m_served.app->prompt().answerNext(answer);
    QTest::mouseClick(window()->findChild<QPushButton *>("Command7"), Qt::LeftButton);

    QCOMPARE(m_served.app->prompt().asked(), {Asked::yesNo(QStringLiteral("确定要重启程序?"))});
    if (answer == Prompt::Answer::No) {
        QVERIFY(m_served.app->desktop().log.isEmpty());
        QVERIFY(window()->isVisible());
        return;
    }
    QCOMPARE(m_served.app->desktop().log,
             QStringList({QStringLiteral("start ") + QCoreApplication::applicationFilePath(),
                          QStringLiteral("end")}));
    // The process is ending: the window goes without the exit prompt.
    QVERIFY(window()->close());
    QCOMPARE(m_served.app->prompt().asked().size(), 1);
}

void TestLifecycle::forumLinks_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("address");
    QTest::newRow("Command5") << "Command5" << SiteLinks::forumVineThread();
    QTest::newRow("Command6") << "Command6" << SiteLinks::forumHome();
    QTest::newRow("cx") << "cx" << SiteLinks::forumUpdates();
}

void TestLifecycle::forumLinks()
{
    QFETCH(QString, control);
    QFETCH(QString, address);
    openWindow();
    if (auto *button = window()->findChild<QPushButton *>(control))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        window()->findChild<QAction *>(control)->trigger();
    QCOMPARE(m_served.app->desktop().log, QStringList {QStringLiteral("open ") + address});
    QVERIFY(m_served.app->prompt().asked().isEmpty());
    QVERIFY(window()->isVisible());
}

void TestLifecycle::reachabilityCheckRunsOnce_data()
{
    QTest::addColumn<FakeResponse>("answer");
    QTest::newRow("home page") << FakeResponse::text("<html>qq</html>");
    FakeResponse slow = FakeResponse::text("<html>slow</html>");
    slow.delayMs = 400; // many ticks arrive meanwhile
    QTest::newRow("slow home page") << slow;
    FakeResponse notFound = FakeResponse::text("not here");
    notFound.status = 404;
    QTest::newRow("error page with text") << notFound;
}

void TestLifecycle::reachabilityCheckRunsOnce()
{
    QFETCH(FakeResponse, answer);
    const QString probe = routeOf(Addresses::reachabilityProbe());
    m_served.services->on(probe, answer);
    openWindow();
    timer2()->setInterval(10); // a faster clock; the check must still fetch only once

    QTRY_VERIFY(!timer2()->isActive());
    QCOMPARE(m_served.services->requestsTo(probe).size(), 1);
    QVERIFY(m_served.app->prompt().asked().isEmpty());
    QVERIFY(m_served.app->desktop().log.isEmpty());
}

void TestLifecycle::offlineEndsTheProcess_data()
{
    QTest::addColumn<FakeResponse>("answer");
    QTest::addColumn<bool>("proxyDown");

    QTest::newRow("empty page") << FakeResponse::text({}) << false;
    FakeResponse serverError = FakeResponse::text({});
    serverError.status = 500;
    QTest::newRow("error without text") << serverError << false;
    FakeResponse silent;
    silent.behaviour = FakeResponse::Behaviour::NeverAnswer;
    QTest::newRow("no answer") << silent << false;
    FakeResponse hangUp;
    hangUp.behaviour = FakeResponse::Behaviour::CloseWithoutAnswer;
    QTest::newRow("connection closed") << hangUp << false;
    QTest::newRow("no connection") << FakeResponse() << true;
}

void TestLifecycle::offlineEndsTheProcess()
{
    QFETCH(FakeResponse, answer);
    QFETCH(bool, proxyDown);
    m_served.services->on(routeOf(Addresses::reachabilityProbe()), answer);
    m_served.app->web().setDeadlineMs(300);
    if (proxyDown)
        m_served.app->web().setProxy(refusedProxy());
    QStringList logWhenWarned;
    m_served.app->prompt().setOnAsk(
            [&](const ScriptedPrompt::Asked &) { logWhenWarned = m_served.app->desktop().log; });
    openWindow();
    timer2()->setInterval(10);

    QTRY_COMPARE(m_served.app->desktop().log, QStringList {"end"});
    QCOMPARE(m_served.app->prompt().asked(),
             {Asked::warning(QStringLiteral("抱歉!经检测您未联网!请联网后再使用本软件!"))});
    QVERIFY(logWhenWarned.isEmpty()); // the user is told before the process ends
    QVERIFY(!timer2()->isActive());
    // Ending the process this way asks nothing more.
    QVERIFY(window()->close());
    QCOMPARE(m_served.app->prompt().asked().size(), 1);
}

void TestLifecycle::skin_data()
{
    QTest::addColumn<bool>("module");
    QTest::addColumn<QByteArray>("skinFile"); // empty: the embedded one
    QTest::addColumn<QByteArray>("moduleBytes"); // empty: the embedded one
    QTest::addColumn<bool>("applied");

    QTest::newRow("module and skin file") << true << QByteArray() << QByteArray() << true;
    QTest::newRow("no module") << false << QByteArray() << QByteArray() << false;
    QTest::newRow("skin file without its mark")
            << true << QByteArray("QWidget { color: red; }") << QByteArray() << false;
    QTest::newRow("module file that is no module")
            << true << QByteArray() << QByteArray("MZ this is not a library") << false;
}

void TestLifecycle::skin()
{
    QFETCH(bool, module);
    QFETCH(QByteArray, skinFile);
    QFETCH(QByteArray, moduleBytes);
    QFETCH(bool, applied);

    QCOMPARE(SupportFiles::writeAll(m_served.app->programDir()), 9);
    const QString modulePath = m_served.app->programFile("SkinH_VB6.dll");
    const QString skinPath = m_served.app->programFile("skinh.she");
    if (!module)
        QVERIFY(QFile::remove(modulePath));
    if (!moduleBytes.isEmpty())
        QVERIFY(writeFile(modulePath, moduleBytes));
    if (!skinFile.isEmpty())
        QVERIFY(writeFile(skinPath, skinFile));
    const QByteArray skin = readFile(skinPath);
    QVERIFY(!skin.isEmpty());
    const QString sheet = QString::fromUtf8(skin.mid(4));

    openWindow();
    if (applied) {
        QVERIFY(sheet.contains(QStringLiteral("#Form1")));
        QCOMPARE(qApp->styleSheet(), sheet);
    } else {
        QCOMPARE(qApp->styleSheet(), QString());
    }
    QVERIFY(m_served.app->prompt().asked().isEmpty());
}

void TestLifecycle::audioPlaysTheClipOnce_data()
{
    QTest::addColumn<QByteArray>("clip"); // "embedded": the one the splash writes
    QTest::addColumn<bool>("audible");

    QTest::newRow("the clip") << QByteArray("embedded") << true;
    QTest::newRow("no clip") << QByteArray() << false;
    QTest::newRow("web page") << QByteArray("<html>moved</html>") << false;
    QTest::newRow("one byte") << QByteArray("\xff") << false;
}

void TestLifecycle::audioPlaysTheClipOnce()
{
    QFETCH(QByteArray, clip);
    QFETCH(bool, audible);
    if (clip == "embedded")
        QCOMPARE(SupportFiles::writeAll(m_served.app->programDir()), 9);
    else if (!clip.isEmpty())
        QVERIFY(writeFile(m_served.app->programFile("zv.mp3"), clip));

    openWindow();
    QVERIFY(window()->isVisible());
    auto *player = window()->findChild<ChimePlayer *>(QStringLiteral("W1"));
    QVERIFY(player);
    QCOMPARE(player->volume(), 0.5);
    QVERIFY(m_served.app->prompt().asked().isEmpty());
    // With no sound server (as under CI) even the good clip stays silent.
    if (!audible || QMediaDevices::defaultAudioOutput().isNull()) {
        QVERIFY(!player->isPlaying());
        return;
    }
    QVERIFY(player->isPlaying());
    const QAudioSink *sink = player->sink();
    QVERIFY(sink);
    QVERIFY(qAbs(sink->volume() - 0.5) < 0.01);
    QSignalSpy finished(player, &ChimePlayer::finished);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QVERIFY(!player->isPlaying());

    // Closing the window mid-clip must not tear the sink down inside the window's destructor.
    m_served.app->destroyWindow();
    openWindow();
    QVERIFY(window()->findChild<ChimePlayer *>()->isPlaying());
    m_served.app->destroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
