#include "cli/lookupbatch.h"

#include "cli/collectingview.h"
#include "query/querypipeline.h"
#include "web/webclient.h"

#include <algorithm>
#include <utility>

namespace {

bool hasProblem(const LookupResult &result, ServiceProblem problem)
{
    return std::any_of(result.problems.begin(), result.problems.end(),
                       [problem](const auto &entry) { return entry.second.problem == problem; });
}

} // namespace

struct LookupBatch::Slot
{
    Pending pending;
    int pausesBefore = 0; // the batch's pauses when it started
    WebClient *lane = nullptr;
    // The view outlives the run, which may call it up to its completion.
    std::unique_ptr<CollectingView> view;
    std::shared_ptr<QueryRun> run;
};

LookupBatch::LookupBatch(WebClient *web, const Pace &pace, std::shared_ptr<const Session> session,
                         QObject *parent)
    : QObject(parent), m_web(web), m_pace(pace), m_session(std::move(session))
{
    m_pace.parallel = std::clamp(pace.parallel, 1, Pace::maxParallel);
    m_pace.intervalMs = std::max(pace.intervalMs, 0);
    m_nextIntervalMs = m_pace.intervalMs;
    // Precise: a coarse timer may fire 5 % early, and both waits are promised as minimums.
    m_intervalTimer.setTimerType(Qt::PreciseTimer);
    m_intervalTimer.setSingleShot(true);
    connect(&m_intervalTimer, &QTimer::timeout, this, &LookupBatch::startMore);
    m_pauseTimer.setTimerType(Qt::PreciseTimer);
    m_pauseTimer.setSingleShot(true);
    connect(&m_pauseTimer, &QTimer::timeout, this, [this] {
        emit resumed();
        startMore();
    });
}

LookupBatch::~LookupBatch()
{
    cancel();
}

void LookupBatch::add(const QString &number)
{
    if (m_closed || m_cancelled)
        return;
    m_queue.enqueue({number, m_added++, 0, std::nullopt});
    startMore();
}

void LookupBatch::close()
{
    m_closed = true;
    // From the event loop: the caller may still be in the middle of its own work.
    QMetaObject::invokeMethod(this, &LookupBatch::finishWhenDone, Qt::QueuedConnection);
}

void LookupBatch::cancel()
{
    m_cancelled = true;
    m_intervalTimer.stop();
    m_pauseTimer.stop();
    m_queue.clear();
    for (const auto &slot : m_slots)
        slot->run->cancel();
    m_slots.clear();
}

bool LookupBatch::wantsNumbers() const
{
    return !m_closed && !m_cancelled && m_queue.size() + inFlight() < m_pace.parallel;
}

WebClient *LookupBatch::freeLane()
{
    for (const auto &lane : m_lanes) {
        const bool busy = std::any_of(m_slots.begin(), m_slots.end(), [&lane](const auto &slot) {
            return slot->lane == lane.get();
        });
        if (!busy)
            return lane.get();
    }
    m_lanes.push_back(m_web->makeSibling());
    return m_lanes.back().get();
}

void LookupBatch::startMore()
{
    while (!m_cancelled && !m_pauseTimer.isActive() && !m_queue.isEmpty()
           && inFlight() < m_pace.parallel) {
        if (m_nextIntervalMs > 0 && m_sinceLastStart.isValid()) {
            const qint64 wait = m_nextIntervalMs - m_sinceLastStart.elapsed();
            if (wait > 0) {
                m_intervalTimer.start(int(wait));
                return;
            }
        }
        auto slot = std::make_unique<Slot>();
        slot->pending = m_queue.dequeue();
        slot->pausesBefore = m_pauses;
        slot->lane = freeLane();
        const int index = slot->pending.index;
        // Queued: the run is still inside its last step when it reports the completion.
        slot->view = std::make_unique<CollectingView>([this, index] {
            QMetaObject::invokeMethod(
                    this, [this, index] { onQueryComplete(index); }, Qt::QueuedConnection);
        });
        slot->run = std::make_shared<QueryRun>(slot->lane, slot->view.get(), QString(),
                                               slot->pending.number, m_session);
        m_sinceLastStart.start();
        m_nextIntervalMs = jittered(m_pace.intervalMs, m_pace.intervalJitter);
        QueryRun::execute(slot->run);
        m_slots.push_back(std::move(slot));
    }
}

void LookupBatch::onQueryComplete(int index)
{
    if (m_cancelled)
        return;
    const auto it = std::find_if(m_slots.begin(), m_slots.end(), [index](const auto &slot) {
        return slot->pending.index == index;
    });
    if (it == m_slots.end())
        return;
    const Slot &slot = **it;
    LookupResult result = LookupResult::from(slot.run->record());
    Pending pending = slot.pending;
    // Told to slow down by a number started after the last pause: the pause was not enough.
    const bool startedSincePause = slot.pausesBefore == m_pauses;
    m_slots.erase(it);

    // Once the session is refused nothing is asked again: a number told to slow down then
    // keeps what it was told.
    if (m_session && hasProblem(result, ServiceProblem::SigninNeeded)) {
        refuseSession();
    } else if ((hasProblem(result, ServiceProblem::RateLimited)
                || hasProblem(result, ServiceProblem::Blocked))
               && !m_sessionRefused) {
        // The firewall's page is a slow-down too, told once.
        if (hasProblem(result, ServiceProblem::Blocked) && !std::exchange(m_toldBlocked, true))
            emit blocked();
        const bool retry = pending.attempt < m_pace.backOff.retries;
        // No pause when nothing is left to start: the batch is over.
        const bool more = retry || !m_closed || !m_queue.isEmpty() || inFlight() > 0;
        if (startedSincePause && more)
            pause();
        if (retry) {
            // First in line once the pause is over, so the results keep their order.
            ++pending.attempt;
            pending.last = result;
            m_queue.prepend(pending);
            startMore();
            return;
        }
    } else if (startedSincePause) {
        m_slowDownsInARow = 0;
    }

    record(index, result);
    handOnInOrder();
    if (m_cancelled)
        return;
    startMore();
    emit readyForMore();
    if (!m_cancelled)
        finishWhenDone();
}

void LookupBatch::record(int index, const LookupResult &result)
{
    ++m_done;
    if (result.status == LookupResult::Status::Partial)
        ++m_partial;
    else if (result.status == LookupResult::Status::Failed)
        ++m_failed;
    m_waiting.insert(index, result);
    emit progressed();
}

void LookupBatch::pause()
{
    ++m_pauses;
    ++m_slowDownsInARow;
    const int ms = jittered(m_pace.backOff.pauseMs(m_slowDownsInARow), m_pace.backOff.jitter);
    m_intervalTimer.stop();
    m_pauseTimer.start(ms);
    emit paused(ms);
}

void LookupBatch::refuseSession()
{
    if (m_sessionRefused)
        return;
    m_sessionRefused = true;
    m_closed = true;
    m_pauseTimer.stop();
    m_intervalTimer.stop();
    // A number waiting to be asked again keeps what it was last told; one never started is
    // dropped, and every number after it has not started either.
    const QQueue<Pending> waiting = std::exchange(m_queue, {});
    for (const Pending &pending : waiting) {
        if (pending.last)
            record(pending.index, *pending.last);
    }
    emit sessionRefused();
}

void LookupBatch::handOnInOrder()
{
    while (!m_cancelled && !m_waiting.isEmpty() && m_waiting.firstKey() == m_nextToHandOn) {
        const LookupResult result = m_waiting.take(m_nextToHandOn);
        ++m_nextToHandOn;
        emit resultReady(result);
    }
}

void LookupBatch::finishWhenDone()
{
    if (m_cancelled || m_finished || !m_closed || !m_queue.isEmpty() || inFlight() > 0)
        return;
    m_finished = true;
    m_pauseTimer.stop();
    emit finished();
}
