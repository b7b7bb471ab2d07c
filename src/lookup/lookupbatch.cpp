#include "lookup/lookupbatch.h"

#include "lookup/collectingview.h"
#include "query/querypipeline.h"
#include "web/webclient.h"

#include <algorithm>

struct LookupBatch::Slot
{
    int index = 0;
    WebClient *lane = nullptr;
    // The view outlives the run, which may call it up to its completion.
    std::unique_ptr<CollectingView> view;
    std::shared_ptr<QueryRun> run;
};

LookupBatch::LookupBatch(WebClient *web, int parallel, int intervalMs, QObject *parent)
    : QObject(parent)
    , m_web(web)
    , m_parallel(std::clamp(parallel, 1, maxParallel))
    , m_intervalMs(std::max(intervalMs, 0))
{
    m_intervalTimer.setSingleShot(true);
    connect(&m_intervalTimer, &QTimer::timeout, this, &LookupBatch::startMore);
}

LookupBatch::~LookupBatch()
{
    cancel();
}

void LookupBatch::add(const QString &number)
{
    if (m_closed || m_cancelled)
        return;
    m_queue.enqueue(number);
    ++m_added;
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
    m_queue.clear();
    for (const auto &slot : m_slots)
        slot->run->cancel();
    m_slots.clear();
}

bool LookupBatch::wantsNumbers() const
{
    return !m_closed && !m_cancelled && m_queue.size() + inFlight() < m_parallel;
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
    while (!m_cancelled && !m_queue.isEmpty() && inFlight() < m_parallel) {
        if (m_intervalMs > 0 && m_sinceLastStart.isValid()) {
            const qint64 wait = m_intervalMs - m_sinceLastStart.elapsed();
            if (wait > 0) {
                m_intervalTimer.start(int(wait));
                return;
            }
        }
        auto slot = std::make_unique<Slot>();
        const int index = m_nextToStart++;
        slot->index = index;
        slot->lane = freeLane();
        // Queued: the run is still inside its last step when it reports the completion.
        slot->view = std::make_unique<CollectingView>([this, index] {
            QMetaObject::invokeMethod(
                    this, [this, index] { onQueryComplete(index); }, Qt::QueuedConnection);
        });
        slot->run = std::make_shared<QueryRun>(slot->lane, slot->view.get(), QString(),
                                               m_queue.dequeue());
        m_sinceLastStart.start();
        QueryRun::execute(slot->run);
        m_slots.push_back(std::move(slot));
    }
}

void LookupBatch::onQueryComplete(int index)
{
    if (m_cancelled)
        return;
    const auto it = std::find_if(m_slots.begin(), m_slots.end(),
                                 [index](const auto &slot) { return slot->index == index; });
    if (it == m_slots.end())
        return;
    const Slot &slot = **it;
    LookupResult result
            = LookupResult::from(slot.run->record(), slot.view->cells(), slot.view->vine());
    m_slots.erase(it);

    ++m_done;
    if (result.status == LookupResult::Status::Partial)
        ++m_partial;
    else if (result.status == LookupResult::Status::Failed)
        ++m_failed;
    m_waiting.insert(index, result);
    emit progressed();
    handOnInOrder();
    if (m_cancelled)
        return;
    startMore();
    emit readyForMore();
    if (!m_cancelled)
        finishWhenDone();
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
    emit finished();
}
