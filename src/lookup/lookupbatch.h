#pragma once

#include "lookup/lookupresult.h"

#include <memory>
#include <vector>

#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTimer>

class CollectingView;
class QueryRun;
class WebClient;

// Looks up a list of numbers with the window's query, at most `parallel` at a time and at
// least `intervalMs` apart, and hands the results on in the order of the list.
class LookupBatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultParallel = 4;
    static constexpr int maxParallel = 16;

    LookupBatch(WebClient *web, QStringList numbers, int parallel, int intervalMs,
                QObject *parent = nullptr);
    ~LookupBatch() override;

    void start();
    // Stops every query in flight; nothing is reported after this.
    void cancel();

    int total() const { return int(m_numbers.size()); }
    int done() const { return m_done; }
    int failed() const { return m_failed; }
    int inFlight() const { return int(m_slots.size()); }

signals:
    // In list order, each result as soon as every earlier one has been handed on.
    void resultReady(const LookupResult &result);
    // After each finished number, in whatever order they finish.
    void progressed();
    void finished();

private:
    struct Slot;

    void startMore();
    void onQueryComplete(int index);
    void handOnInOrder();

    WebClient *m_web;
    QStringList m_numbers;
    int m_parallel;
    int m_intervalMs;
    int m_nextToStart = 0;
    int m_nextToHandOn = 0;
    int m_done = 0;
    int m_failed = 0;
    bool m_cancelled = false;
    std::vector<std::unique_ptr<Slot>> m_slots;
    QMap<int, LookupResult> m_waiting;
    QElapsedTimer m_sinceLastStart;
    QTimer m_intervalTimer;
};
