#include "fakeservices/fakeservices.h"
#include "query/addresses.h"
#include "shell/chimeplayer.h"
#include "shell/mainwindowlifecycle.h"
#include "shell/supportfiles.h"
#include "support/recordingdesktop.h"
#include "support/scriptedprompt.h"
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
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

Q_DECLARE_METATYPE(FakeResponse)
Q_DECLARE_METATYPE(Prompt::Answer)

namespace {

// Records what the desktop was asked, in one ordered log.
class OrderedDesktop : public RecordingDesktop
{
public:
    void openAddress(const QString &address) override
    {
        RecordingDesktop::openAddress(address);
        log.append(QStringLiteral("open ") + address);
    }
    void startProgram(const QString &path) override
    {
        RecordingDesktop::startProgram(path);
        log.append(QStringLiteral("start ") + path);
    }
    void endProcess() override
    {
        RecordingDesktop::endProcess();
        log.append(QStringLiteral("end"));
    }
    QStringList log;
};

// The fake-service route of an address: host and path.
QString routeOf(const QString &address)
{
    const QUrl url(address);
    return url.host() + url.path();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

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
    void openWindow();
    QTimer *timer2() const { return m_window->findChild<QTimer *>(QStringLiteral("Timer2")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeServices> m_fake;
    std::unique_ptr<WebClient> m_web;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<OrderedDesktop> m_desktop;
    std::unique_ptr<MainWindow> m_window;
};

void TestLifecycle::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_fake = std::make_unique<FakeServices>();
    QVERIFY(m_fake->listen());
    // Should the check's timer fire in a test about something else, it finds the site.
    m_fake->on(routeOf(Addresses::reachabilityProbe()), FakeResponse::text("<html>qq</html>"));
    m_web = std::make_unique<WebClient>();
    m_web->setProxy(m_fake->proxy());
    m_web->setDeadlineMs(3000);
    m_prompt = std::make_unique<ScriptedPrompt>();
    m_desktop = std::make_unique<OrderedDesktop>();
}

void TestLifecycle::cleanup()
{
    m_window.reset();
    m_web.reset();
    m_fake.reset();
    m_dir.reset();
    qApp->setStyleSheet({});
}

void TestLifecycle::openWindow()
{
    const AppServices services {m_web.get(), m_prompt.get(), m_desktop.get(), m_dir->path(), {}};
    m_window = MainWindowLifecycle::openMainWindow(services);
}

void TestLifecycle::startVisitsTheForumHomeQuietly()
{
    openWindow();
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());

    const QString forum = routeOf(SiteLinks::forumHome());
    QTRY_COMPARE(m_fake->requestsTo(forum).size(), 1);
    QCOMPARE(m_fake->requestsTo(forum).first().method, QByteArray("GET"));
    QVERIFY(m_prompt->asked().isEmpty());
    QVERIFY(m_desktop->log.isEmpty());

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
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTreeWidget *list = m_window->findChild<QTreeWidget *>("ListView1");
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
    QTest::addColumn<Prompt::Answer>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QStringList>("desktopLog");

    const QStringList forumAndEnd {QStringLiteral("open ") + SiteLinks::forumHome(),
                                   QStringLiteral("end")};
    for (bool endd : {false, true}) {
        const char *via = endd ? "endd" : "close box";
        QTest::addRow("%s, Yes", via) << endd << Prompt::Answer::Yes << true << forumAndEnd;
        QTest::addRow("%s, No", via) << endd << Prompt::Answer::No << true << QStringList();
        QTest::addRow("%s, Cancel", via)
                << endd << Prompt::Answer::Cancel << false << QStringList();
    }
}

void TestLifecycle::exitPrompt()
{
    QFETCH(bool, throughEndd);
    QFETCH(Prompt::Answer, answer);
    QFETCH(bool, closes);
    QFETCH(QStringList, desktopLog);

    openWindow();
    QTreeWidget *list = m_window->findChild<QTreeWidget *>("ListView1");
    list->addTopLevelItem(new QTreeWidgetItem(QStringList {"10001", "甲"}));
    list->addTopLevelItem(new QTreeWidgetItem(QStringList {"10002", "乙"}));

    m_prompt->answerNext(answer);
    if (throughEndd)
        m_window->findChild<QAction *>("endd")->trigger();
    else
        m_window->close();

    QCOMPARE(m_prompt->asked().size(), 1);
    QCOMPARE(m_prompt->asked().first().kind, ScriptedPrompt::Kind::YesNoCancel);
    QCOMPARE(m_prompt->asked().first().text,
             QStringLiteral("感谢您对Tavi、对Zv系列的软件的支持!\r \r"
                            "是否退出并到论坛可以下载更多Zv系列原创免费软件?"));
    QCOMPARE(m_window->isVisible(), !closes);
    QCOMPARE(m_desktop->log, desktopLog);
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
    m_prompt->answerNext(answer);
    QTest::mouseClick(m_window->findChild<QPushButton *>("Command7"), Qt::LeftButton);

    QCOMPARE(m_prompt->asked().size(), 1);
    QCOMPARE(m_prompt->asked().first().kind, ScriptedPrompt::Kind::YesNo);
    QCOMPARE(m_prompt->asked().first().text, QStringLiteral("确定要重启程序?"));
    if (answer == Prompt::Answer::No) {
        QVERIFY(m_desktop->log.isEmpty());
        QVERIFY(m_window->isVisible());
        return;
    }
    QCOMPARE(m_desktop->log,
             QStringList({QStringLiteral("start ") + QCoreApplication::applicationFilePath(),
                          QStringLiteral("end")}));
    // The process is ending: the window goes without the exit prompt.
    QVERIFY(m_window->close());
    QCOMPARE(m_prompt->asked().size(), 1);
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
    if (auto *button = m_window->findChild<QPushButton *>(control))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        m_window->findChild<QAction *>(control)->trigger();
    QCOMPARE(m_desktop->log, QStringList {QStringLiteral("open ") + address});
    QVERIFY(m_prompt->asked().isEmpty());
    QVERIFY(m_window->isVisible());
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
    m_fake->on(probe, answer);
    openWindow();
    timer2()->setInterval(10); // a faster clock; the check must still fetch only once

    QTRY_VERIFY(!timer2()->isActive());
    QCOMPARE(m_fake->requestsTo(probe).size(), 1);
    QVERIFY(m_prompt->asked().isEmpty());
    QVERIFY(m_desktop->log.isEmpty());
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
    m_fake->on(routeOf(Addresses::reachabilityProbe()), answer);
    m_web->setDeadlineMs(300);
    if (proxyDown) {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        m_web->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port));
    }
    QStringList logWhenWarned;
    m_prompt->setOnAsk([&](const ScriptedPrompt::Asked &) { logWhenWarned = m_desktop->log; });
    openWindow();
    timer2()->setInterval(10);

    QTRY_COMPARE(m_desktop->log, QStringList {"end"});
    QCOMPARE(m_prompt->asked().size(), 1);
    QCOMPARE(m_prompt->asked().first().kind, ScriptedPrompt::Kind::Warning);
    QCOMPARE(m_prompt->asked().first().text,
             QStringLiteral("抱歉!经检测您未联网!请联网后再使用本软件!"));
    QVERIFY(logWhenWarned.isEmpty()); // the user is told before the process ends
    QVERIFY(!timer2()->isActive());
    // Ending the process this way asks nothing more.
    QVERIFY(m_window->close());
    QCOMPARE(m_prompt->asked().size(), 1);
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

    QCOMPARE(SupportFiles::writeAll(m_dir->path()), 9);
    const QString modulePath = m_dir->filePath("SkinH_VB6.dll");
    const QString skinPath = m_dir->filePath("skinh.she");
    if (!module)
        QVERIFY(QFile::remove(modulePath));
    if (!moduleBytes.isEmpty())
        QVERIFY(writeFile(modulePath, moduleBytes));
    if (!skinFile.isEmpty())
        QVERIFY(writeFile(skinPath, skinFile));
    QFile skin(skinPath);
    QVERIFY(skin.open(QIODevice::ReadOnly));
    const QString sheet = QString::fromUtf8(skin.readAll().mid(4));

    openWindow();
    if (applied) {
        QVERIFY(sheet.contains(QStringLiteral("#Form1")));
        QCOMPARE(qApp->styleSheet(), sheet);
    } else {
        QCOMPARE(qApp->styleSheet(), QString());
    }
    QVERIFY(m_prompt->asked().isEmpty());
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
        QCOMPARE(SupportFiles::writeAll(m_dir->path()), 9);
    else if (!clip.isEmpty())
        QVERIFY(writeFile(m_dir->filePath("zv.mp3"), clip));

    openWindow();
    QVERIFY(m_window->isVisible());
    auto *player = m_window->findChild<ChimePlayer *>(QStringLiteral("W1"));
    QVERIFY(player);
    QCOMPARE(player->volume(), 0.5);
    QVERIFY(m_prompt->asked().isEmpty());
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
    m_window.reset();
    openWindow();
    QVERIFY(m_window->findChild<ChimePlayer *>()->isPlaying());
    m_window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
