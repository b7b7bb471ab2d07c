#pragma once

#include "ui/appservices.h"

#include <functional>

#include <QObject>

class MainWindow;

// The main window's application commands: the forum links (Command5, Command6 and the menu's
// cx), the restart button (Command7), the About window (cxxx) and the menu's exit item (endd).
// The row commands of the result list are ResultListMenu's.
class AppCommands : public QObject
{
    Q_OBJECT
public:
    // `endProcess` ends the program without the exit prompt.
    AppCommands(MainWindow *window, std::function<void()> endProcess);

private:
    void onCommand5Clicked();
    void onCommand6Clicked();
    void onCommand7Clicked();
    void onCxTriggered();
    void onCxxxTriggered();
    void onEnddTriggered();

    MainWindow *m_window;
    AppServices m_services;
    std::function<void()> m_endProcess;
};
