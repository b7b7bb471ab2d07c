#include "cli/progressline.h"

#include "cli/lookupbatch.h"

#include <cmath>

namespace {
const QByteArray eraseLine = QByteArrayLiteral("\r\x1b[K");
}

ProgressLine::ProgressLine(std::function<void(const QByteArray &)> err, bool wanted,
                           QObject *parent)
    : QObject(parent), m_err(std::move(err)), m_wanted(wanted)
{
    constexpr int countdownStepMs = 1000;
    m_countdown.setInterval(countdownStepMs);
    connect(&m_countdown, &QTimer::timeout, this, &ProgressLine::show);
}

void ProgressLine::follow(const LookupBatch *batch)
{
    m_batch = batch;
    m_clock.start();
}

void ProgressLine::show()
{
    if (m_stopped || !m_wanted || !m_batch)
        return;
    const bool paused = m_batch->isPaused();
    if (m_batch->total() < 2 && !paused) {
        erase();
        return;
    }
    const double seconds = double(m_clock.elapsed()) / 1000.0;
    const double rate = seconds > 0 ? m_batch->done() / seconds : 0;
    // One form throughout: the total is the numbers taken so far until the input ends.
    QString line = tr("%1/%2 done, %3 partial, %4 failed, %5 numbers/s")
                           .arg(m_batch->done())
                           .arg(m_batch->total())
                           .arg(m_batch->partial())
                           .arg(m_batch->failed())
                           .arg(rate, 0, 'f', 1);
    if (paused) {
        const int left = int(std::ceil(m_batch->pauseRemainingMs() / 1000.0));
        line += tr("; asked to slow down: next start in %1 s").arg(left);
    }
    m_err(eraseLine + line.toUtf8());
    m_shown = true;
}

void ProgressLine::erase()
{
    if (!m_shown)
        return;
    m_err(eraseLine);
    m_shown = false;
}

void ProgressLine::around(const std::function<void()> &write)
{
    const bool redraw = m_shown;
    erase();
    write();
    if (redraw)
        show();
}

void ProgressLine::onPaused()
{
    m_countdown.start();
    show();
}

void ProgressLine::onResumed()
{
    m_countdown.stop();
    show();
}

void ProgressLine::keep()
{
    if (m_shown)
        m_err(QByteArrayLiteral("\n"));
    m_shown = false;
    stop();
}

void ProgressLine::stop()
{
    m_stopped = true;
    m_countdown.stop();
}
