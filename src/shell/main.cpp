#include "session/sessionfiles.h"
#include "shell/chineseqttexts.h"
#include "shell/mainwindowlifecycle.h"
#include "shell/platformchoice.h"
#include "shell/splashwindow.h"
#include "shell/workingfolder.h"
#include "ui/desktop.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "web/webclient.h"

#include <cstdio>

#include <QApplication>

namespace {

// The user's session from the default file, when there is one. A file that cannot be used is
// said on stderr and in the status bar, and the program goes on without it: the window never
// waits on it.
SessionLoad defaultSession()
{
    SessionLoad load = SessionFiles::readDefault();
    for (const QString &line : std::as_const(load.warnings))
        std::fputs(QStringLiteral("mirelo: %1\n").arg(line).toLocal8Bit().constData(), stderr);
    return load;
}

} // namespace

int main(int argc, char *argv[])
{
    applyPlatformChoice();
    QApplication app(argc, argv);
    restorePlatformChoice();
    // Also names the user's data folder, ~/.local/share/Mirelo: no organisation name, so the
    // path is not doubled.
    QApplication::setApplicationName(QStringLiteral("Mirelo"));
    installChineseQtTexts(&app);

    WebClient web;
    MessageBoxPrompt prompt;
    SystemDesktop desktop;
    const SessionLoad session = defaultSession();
    const AppServices services {&web,
                                &prompt,
                                &desktop,
                                WorkingFolder::forThisRun(),
                                session.session,
                                SessionFiles::defaultPath(),
                                session.error};

    // Every run begins with the splash; its fade-out ends by opening the main window.
    std::unique_ptr<MainWindow> window;
    auto *splash = new SplashWindow(services.programDir);
    QObject::connect(splash, &SplashWindow::handOver,
                     [&] { window = MainWindowLifecycle::openMainWindow(services); });
    splash->show();
    return app.exec();
}
