#include "lookup/lookupbatch.h"

#include "lookup/collectingview.h"
#include "query/querypipeline.h"

#include <algorithm>

struct LookupBatch::Slot
{
    int index = 0;
    // The view outlives the run, which may call it up to its completion.
    std::unique_ptr<CollectingView> view;
    std::shared_ptr<QueryRun> run;
};

LookupBatch::LookupBatch(WebClient *web, QStringList numbers, int parallel, int intervalMs,
                         QObject *parent)
    : QObject(parent)
    , m_web(web)
    , m_numbers(std::move(numbers))
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

void LookupBatch::start()
{
    if (m_numbers.isEmpty()) {
        QMetaObject::invokeMethod(this, &LookupBatch::finished, Qt::QueuedConnection);
        return;
    }
    startMore();
}

void LookupBatch::cancel()
{
    m_cancelled = true;
    m_intervalTimer.stop();
    for (const auto &slot : m_slots)
        slot->run->cancel();
    m_slots.clear();
}

void LookupBatch::startMore()
{
    while (!m_cancelled && m_nextToStart < m_numbers.size() && inFlight() < m_parallel) {
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
        // Queued: the run is still inside its last step when it reports the completion.
        slot->view = std::make_unique<CollectingView>([this, index] {
            QMetaObject::invokeMethod(
                    this, [this, index] { onQueryComplete(index); }, Qt::QueuedConnection);
        });
        slot->run = std::make_shared<QueryRun>(m_web, slot->view.get(), QString(),
                                               m_numbers.at(index));
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
    if (result.failed)
        ++m_failed;
    m_waiting.insert(index, std::move(result));
    emit progressed();
    handOnInOrder();
    if (m_cancelled)
        return;
    if (m_done == m_numbers.size()) {
        emit finished();
        return;
    }
    startMore();
}

void LookupBatch::handOnInOrder()
{
    while (!m_cancelled && !m_waiting.isEmpty() && m_waiting.firstKey() == m_nextToHandOn) {
        const LookupResult result = m_waiting.take(m_nextToHandOn);
        ++m_nextToHandOn;
        emit resultReady(result);
    }
}
