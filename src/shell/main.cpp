#include "ui/desktop.h"
#include "ui/mainwindow.h"
#include "ui/prompt.h"
#include "web/webclient.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirelo"));

    WebClient web;
    MessageBoxPrompt prompt;
    SystemDesktop desktop;
    const AppServices services{ &web, &prompt, &desktop, QApplication::applicationDirPath() };

    MainWindow window(services);
    window.show();
    return app.exec();
}
