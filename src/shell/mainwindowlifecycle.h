#pragma once

#include "ui/appservices.h"

#include <memory>

#include <QObject>

class ChimePlayer;
class MainWindow;
class QTimer;
class Transfer;

// Everything around the queries of the main window: its start (audio, skin, hidden forum
// visit, column lock), the one-time reachability check, the exit prompt, the restart button,
// the forum links and the About window. Lives as a child of its window.
class MainWindowLifecycle : public QObject
{
    Q_OBJECT
public:
    // The reachability check runs once, this long after the window is made.
    static constexpr int reachabilityDelayMs = 2000;

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

    void onTimer2Timeout();
    void onProbeFinished();
    bool confirmClose();
    void onCommand5Clicked();
    void onCommand6Clicked();
    void onCommand7Clicked();
    void onCxTriggered();
    void onCxxxTriggered();
    void onEnddTriggered();
    void endProcess();

    MainWindow *m_window;
    AppServices m_services;
    QTimer *m_timer2;
    ChimePlayer *m_player = nullptr;
    std::unique_ptr<Transfer> m_probe;
    std::unique_ptr<Transfer> m_forumVisit;
    bool m_askingToClose = false;
    bool m_ending = false;
};
