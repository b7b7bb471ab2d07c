#pragma once

#include "ui/appservices.h"

#include <memory>

#include <QObject>

class MainWindow;
class Transfer;

// The main window's life around its queries: the start sequence (audio, skin, a quiet visit of
// the forum's home page, locked column widths), the reachability check and the application
// commands it attaches, and the exit prompt before every close. Lives as a child of its window.
class MainWindowLifecycle : public QObject
{
    Q_OBJECT
public:
    // Runs the start sequence on `window` and stays attached to it for its life.
    static MainWindowLifecycle *attach(MainWindow *window);
    // The hand-over from the splash: a new main window, started, centred and shown.
    static std::unique_ptr<MainWindow> openMainWindow(const AppServices &services);

    ~MainWindowLifecycle() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit MainWindowLifecycle(MainWindow *window);

    void playAudio();
    void applySkin();
    void visitForumHome();
    void lockColumns();

    bool confirmClose();
    // Ends the program; from here on nothing asks before the window closes.
    void endProcess();

    MainWindow *m_window;
    AppServices m_services;
    std::unique_ptr<Transfer> m_forumVisit;
    bool m_askingToClose = false;
    bool m_ending = false;
};
