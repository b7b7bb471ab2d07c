#pragma once

#include "lookup/lookupresult.h"

#include <memory>
#include <vector>

#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QQueue>
#include <QStringList>
#include <QTimer>

class CollectingView;
class QueryRun;
class WebClient;

// Looks up numbers with the window's query as they are added, at most `parallel` at a time and
// at least `intervalMs` apart, and hands the results on in the order they were added.
class LookupBatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultParallel = 4;
    static constexpr int maxParallel = 16;

    // Each of the `parallel` lanes asks through a sibling of `web`, with its settings: Qt would
    // hold a seventh request to one host back in a single manager.
    LookupBatch(WebClient *web, int parallel, int intervalMs, QObject *parent = nullptr);
    ~LookupBatch() override;

    // Queues a number after those added before; it starts as soon as a lane is free.
    void add(const QString &number);
    // No more numbers come: finished() follows the last result.
    void close();
    // Stops every query in flight; nothing is reported after this.
    void cancel();
    // Whether a number added now would start without waiting for a lane to free up: input is
    // read no further ahead than this.
    bool wantsNumbers() const;

    int total() const { return m_added; }
    bool isClosed() const { return m_closed; }
    int done() const { return m_done; }
    int partial() const { return m_partial; }
    int failed() const { return m_failed; }
    int inFlight() const { return int(m_slots.size()); }

signals:
    // In the order added, each result as soon as every earlier one has been handed on.
    void resultReady(const LookupResult &result);
    // After each finished number, in whatever order they finish.
    void progressed();
    // A lane has come free, so wantsNumbers() may be true again.
    void readyForMore();
    void finished();

private:
    struct Slot;

    void startMore();
    void onQueryComplete(int index);
    void handOnInOrder();
    void finishWhenDone();
    WebClient *freeLane();

    WebClient *m_web;
    int m_parallel;
    int m_intervalMs;
    QQueue<QString> m_queue;
    int m_added = 0;
    int m_nextToStart = 0;
    int m_nextToHandOn = 0;
    int m_done = 0;
    int m_partial = 0;
    int m_failed = 0;
    bool m_closed = false;
    bool m_finished = false;
    bool m_cancelled = false;
    // One client per lane, made when first needed.
    std::vector<std::unique_ptr<WebClient>> m_lanes;
    std::vector<std::unique_ptr<Slot>> m_slots;
    QMap<int, LookupResult> m_waiting;
    QElapsedTimer m_sinceLastStart;
    QTimer m_intervalTimer;
};
