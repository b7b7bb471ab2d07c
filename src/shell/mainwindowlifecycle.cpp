#include "shell/mainwindowlifecycle.h"

#include "query/addresses.h"
#include "shell/aboutwindow.h"
#include "shell/chimeplayer.h"
#include "skin/skinentry.h"
#include "ui/desktop.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "ui/sitelinks.h"
#include "ui/windowplacement.h"
#include "ui_mainwindow.h"
#include "web/webclient.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QLibrary>
#include <QTimer>
#include <QTreeWidget>

namespace {
// Support files the splash has just written into the program directory.
const QString audioFile = QStringLiteral("zv.mp3");
const QString skinModule = QStringLiteral("SkinH_VB6.dll");
const QString skinFile = QStringLiteral("skinh.she");

// Lines split by carriage returns alone; the middle line is one space.
const QString exitPromptText = QStringLiteral("感谢您对Tavi、对Zv系列的软件的支持!\r \r"
                                              "是否退出并到论坛可以下载更多Zv系列原创免费软件?");
const QString restartPromptText = QStringLiteral("确定要重启程序?");
const QString offlineText = QStringLiteral("抱歉!经检测您未联网!请联网后再使用本软件!");
} // namespace

MainWindowLifecycle *MainWindowLifecycle::attach(MainWindow *window)
{
    return new MainWindowLifecycle(window);
}

std::unique_ptr<MainWindow> MainWindowLifecycle::openMainWindow(const AppServices &services)
{
    auto window = std::make_unique<MainWindow>(services);
    attach(window.get());
    centreOnScreen(window.get());
    window->show();
    return window;
}

MainWindowLifecycle::MainWindowLifecycle(MainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_services(window->services())
    , m_timer2(new QTimer(window))
{
    setObjectName(QStringLiteral("MainWindowLifecycle"));
    Ui::MainWindow *form = window->form();

    // The start sequence; no step depends on the outcome of another.
    playAudio();
    applySkin();
    visitForumHome();
    lockColumns();

    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(reachabilityDelayMs);
    connect(m_timer2, &QTimer::timeout, this, &MainWindowLifecycle::onTimer2Timeout);
    m_timer2->start();

    window->installEventFilter(this);
    connect(form->Command5, &QPushButton::clicked, this, &MainWindowLifecycle::onCommand5Clicked);
    connect(form->Command6, &QPushButton::clicked, this, &MainWindowLifecycle::onCommand6Clicked);
    connect(form->Command7, &QPushButton::clicked, this, &MainWindowLifecycle::onCommand7Clicked);
    connect(form->cx, &QAction::triggered, this, &MainWindowLifecycle::onCxTriggered);
    connect(form->cxxx, &QAction::triggered, this, &MainWindowLifecycle::onCxxxTriggered);
    connect(form->endd, &QAction::triggered, this, &MainWindowLifecycle::onEnddTriggered);
}

MainWindowLifecycle::~MainWindowLifecycle() = default;

void MainWindowLifecycle::playAudio()
{
    // Whatever goes wrong (no clip, a broken one, no sound server) the window stays silent.
    m_player = new ChimePlayer(m_window);
    m_player->setObjectName(QStringLiteral("W1"));
    m_player->play(QDir(m_services.programDir).absoluteFilePath(audioFile), 0.5);
}

void MainWindowLifecycle::applySkin()
{
    // dlopen does not search the working directory: the module is named by its full path.
    const QDir dir(m_services.programDir);
    QLibrary module(dir.absoluteFilePath(skinModule));
    const auto attachSkin = reinterpret_cast<SkinAttachEx>(module.resolve(skinAttachExSymbol));
    if (!attachSkin)
        return; // the platform's own look
    const QByteArray skinPath = dir.absoluteFilePath(skinFile).toLocal8Bit();
    attachSkin(skinPath.constData(), "");
}

void MainWindowLifecycle::visitForumHome()
{
    // Nobody reads the answer; the transfer is only kept until it ends.
    m_forumVisit = m_services.web->startOpenUrl(SiteLinks::forumHome());
    if (m_forumVisit->isFinished()) {
        m_forumVisit.reset();
        return;
    }
    connect(m_forumVisit.get(), &Transfer::finished, this, [this] { m_forumVisit.reset(); });
}

void MainWindowLifecycle::lockColumns()
{
    QHeaderView *header = m_window->form()->ListView1->header();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsMovable(false);
}

void MainWindowLifecycle::onTimer2Timeout()
{
    if (m_probe)
        return; // the last check is still fetching
    m_probe = m_services.web->startOpenUrl(Addresses::reachabilityProbe());
    if (m_probe->isFinished()) {
        onProbeFinished();
        return;
    }
    connect(m_probe.get(), &Transfer::finished, this, &MainWindowLifecycle::onProbeFinished);
}

void MainWindowLifecycle::onProbeFinished()
{
    const bool reached = !m_probe->result().text.isEmpty();
    m_probe.reset();
    // One check per run, whatever it found.
    m_timer2->stop();
    if (reached)
        return;
    m_services.prompt->warn(m_window, offlineText);
    endProcess();
}

bool MainWindowLifecycle::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Close && !m_ending) {
        if (!confirmClose()) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool MainWindowLifecycle::confirmClose()
{
    // A second close request while the prompt is up (a session ending) waits for its answer.
    if (m_askingToClose)
        return false;
    m_askingToClose = true;
    const Prompt::Answer answer = m_services.prompt->askYesNoCancel(m_window, exitPromptText);
    m_askingToClose = false;
    switch (answer) {
    case Prompt::Answer::Yes:
        m_services.desktop->openAddress(SiteLinks::forumHome());
        endProcess();
        return true;
    case Prompt::Answer::No:
        return true;
    default:
        return false;
    }
}

void MainWindowLifecycle::onCommand5Clicked()
{
    m_services.desktop->openAddress(SiteLinks::forumVineThread());
}

void MainWindowLifecycle::onCommand6Clicked()
{
    m_services.desktop->openAddress(SiteLinks::forumHome());
}

void MainWindowLifecycle::onCommand7Clicked()
{
    if (m_services.prompt->askYesNo(m_window, restartPromptText) != Prompt::Answer::Yes)
        return;
    m_services.desktop->startProgram(QCoreApplication::applicationFilePath());
    endProcess();
}

void MainWindowLifecycle::onCxTriggered()
{
    m_services.desktop->openAddress(SiteLinks::forumUpdates());
}

void MainWindowLifecycle::onCxxxTriggered()
{
    auto *about = new AboutWindow(m_services.desktop, m_window);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setWindowModality(Qt::ApplicationModal);
    about->show();
}

void MainWindowLifecycle::onEnddTriggered()
{
    m_window->close();
}

void MainWindowLifecycle::endProcess()
{
    // Whatever closes the window from here on must not ask again.
    m_ending = true;
    m_services.desktop->endProcess();
}
