#include "shell/appcommands.h"

#include "shell/aboutwindow.h"
#include "ui/desktop.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "ui/sitelinks.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>

AppCommands::AppCommands(MainWindow *window, std::function<void()> endProcess)
    : QObject(window)
    , m_window(window)
    , m_services(window->services())
    , m_endProcess(std::move(endProcess))
{
    Ui::MainWindow *form = window->form();
    connect(form->Command5, &QPushButton::clicked, this, &AppCommands::onCommand5Clicked);
    connect(form->Command6, &QPushButton::clicked, this, &AppCommands::onCommand6Clicked);
    connect(form->Command7, &QPushButton::clicked, this, &AppCommands::onCommand7Clicked);
    connect(form->cx, &QAction::triggered, this, &AppCommands::onCxTriggered);
    connect(form->cxxx, &QAction::triggered, this, &AppCommands::onCxxxTriggered);
    connect(form->endd, &QAction::triggered, this, &AppCommands::onEnddTriggered);
}

void AppCommands::onCommand5Clicked()
{
    m_services.desktop->openAddress(SiteLinks::forumVineThread());
}

void AppCommands::onCommand6Clicked()
{
    m_services.desktop->openAddress(SiteLinks::forumHome());
}

void AppCommands::onCommand7Clicked()
{
    if (m_services.prompt->askYesNo(m_window, QStringLiteral("确定要重启程序?"))
        != Prompt::Answer::Yes)
        return;
    m_services.desktop->startProgram(QCoreApplication::applicationFilePath());
    m_endProcess();
}

void AppCommands::onCxTriggered()
{
    m_services.desktop->openAddress(SiteLinks::forumUpdates());
}

void AppCommands::onCxxxTriggered()
{
    auto *about = new AboutWindow(m_services.desktop, m_window);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setWindowModality(Qt::ApplicationModal);
    about->show();
}

void AppCommands::onEnddTriggered()
{
    // The same close as the close box, exit prompt included.
    m_window->close();
}
