#pragma once

#include <functional>

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class LookupBatch;

// The line on a terminal's standard error that tells how far a batch is, redrawn in place:
// "3/10 done, 1 partial, 0 failed, 2.5 numbers/s", and during a pause when the next start
// comes. A single number gets none, but a pause always does.
class ProgressLine : public QObject
{
    Q_OBJECT
public:
    // `wanted`: standard error is a terminal, and no one is typing numbers into it.
    ProgressLine(std::function<void(const QByteArray &)> err, bool wanted,
                 QObject *parent = nullptr);

    bool isWanted() const { return m_wanted; }
    // The batch to tell of; its clock starts now.
    void follow(const LookupBatch *batch);
    void show();
    // Out of the way of other text on the same terminal.
    void erase();
    // Runs `write` with the line out of its way, and draws the line again when it was shown.
    void around(const std::function<void()> &write);
    // Redrawn every second while the batch is paused.
    void onPaused();
    void onResumed();
    // No more redrawing for a pause (it is shown again by the next change).
    void endPause() { m_countdown.stop(); }
    // The last line stays as the summary; nothing is drawn after.
    void keep();
    // Nothing is drawn after.
    void stop();

private:
    std::function<void(const QByteArray &)> m_err;
    bool m_wanted;
    const LookupBatch *m_batch = nullptr;
    QElapsedTimer m_clock;
    QTimer m_countdown;
    bool m_shown = false;
    bool m_stopped = false;
};
