#include "shell/mainwindowlifecycle.h"

#include "shell/appcommands.h"
#include "shell/chimeplayer.h"
#include "shell/reachabilitycheck.h"
#include "skin/skinloader.h"
#include "ui/desktop.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "ui/sitelinks.h"
#include "ui/windowframe.h"
#include "ui_mainwindow.h"
#include "web/webclient.h"

#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QTreeWidget>

namespace {
// Support files the splash has just written into the program directory.
const QString audioFile = QStringLiteral("zv.mp3");
const QString skinModule = QStringLiteral("SkinH_VB6.dll");
const QString skinFile = QStringLiteral("skinh.she");

// Lines split by carriage returns alone; the middle line is one space.
const QString exitPromptText = QStringLiteral("感谢您对Tavi、对Zv系列的软件的支持!\r \r"
                                              "是否退出并到论坛可以下载更多Zv系列原创免费软件?");
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
    : QObject(window), m_window(window), m_services(window->services())
{
    setObjectName(QStringLiteral("MainWindowLifecycle"));

    // The start sequence; no step depends on the outcome of another.
    playAudio();
    applySkin();
    visitForumHome();
    lockColumns();

    new ReachabilityCheck(window, m_services.web, m_services.prompt, [this] { endProcess(); });
    new AppCommands(window, [this] { endProcess(); });
    window->installEventFilter(this);
}

MainWindowLifecycle::~MainWindowLifecycle() = default;

void MainWindowLifecycle::playAudio()
{
    // Whatever goes wrong (no clip, a broken one, no sound server) the window stays silent.
    auto *player = new ChimePlayer(m_window);
    player->setObjectName(QStringLiteral("W1"));
    player->play(QDir(m_services.programDir).absoluteFilePath(audioFile), 0.5);
}

void MainWindowLifecycle::applySkin()
{
    // Without the module the windows keep the platform's own look.
    const QDir dir(m_services.programDir);
    ::applySkin(dir.absoluteFilePath(skinModule), dir.absoluteFilePath(skinFile));
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

void MainWindowLifecycle::endProcess()
{
    m_ending = true;
    m_services.desktop->endProcess();
}
