#include "shell/chineseqttexts.h"
#include "shell/mainwindowlifecycle.h"
#include "shell/platformchoice.h"
#include "shell/splashwindow.h"
#include "shell/workingfolder.h"
#include "ui/desktop.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "web/webclient.h"

#include <QApplication>

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
    const AppServices services {&web, &prompt, &desktop, WorkingFolder::forThisRun(), {}};

    // Every run begins with the splash; its fade-out ends by opening the main window.
    std::unique_ptr<MainWindow> window;
    auto *splash = new SplashWindow(services.programDir);
    QObject::connect(splash, &SplashWindow::handOver,
                     [&] { window = MainWindowLifecycle::openMainWindow(services); });
    splash->show();
    return app.exec();
}
