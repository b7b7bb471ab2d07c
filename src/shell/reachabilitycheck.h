#pragma once

#include <functional>
#include <memory>

#include <QObject>

class Prompt;
class QTimer;
class QWidget;
class Transfer;
class WebClient;

// Timer2: once, this long after the main window opens, fetches a well-known public page. With
// no answer the user is told there is no network and the program ends; otherwise nothing
// happens and the check never runs again.
class ReachabilityCheck : public QObject
{
    Q_OBJECT
public:
    static constexpr int delayMs = 2000;

    // `endProcess` ends the program without the exit prompt.
    ReachabilityCheck(QWidget *window, WebClient *web, Prompt *prompt,
                      std::function<void()> endProcess);
    ~ReachabilityCheck() override;

private:
    void onTimer2Timeout();
    void onProbeFinished();

    QWidget *m_window;
    WebClient *m_web;
    Prompt *m_prompt;
    std::function<void()> m_endProcess;
    QTimer *m_timer2;
    std::unique_ptr<Transfer> m_probe;
};
