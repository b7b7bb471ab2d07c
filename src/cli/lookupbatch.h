#pragma once

#include "cli/lookupresult.h"
#include "cli/pace.h"

#include <memory>
#include <optional>
#include <vector>

#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QQueue>
#include <QStringList>
#include <QTimer>

class CollectingView;
class QueryRun;
class Session;
class WebClient;

// Looks up numbers with the window's query as they are added, at the pace given (at most so many
// at a time, at least so far apart), and hands the results on in the order they were added.
//
// When a service says to slow down, no number starts until a pause is over (see BackOff) and
// the number is asked again, a few times at most. When the services refuse the session, no
// further number starts: the batch finishes with those in flight.
class LookupBatch : public QObject
{
    Q_OBJECT
public:
    // Each of the pace's lanes asks through a sibling of `web`, with its settings: Qt would hold
    // a seventh request to one host back in a single manager. `session` signs in every query.
    LookupBatch(WebClient *web, const Pace &pace, std::shared_ptr<const Session> session = {},
                QObject *parent = nullptr);
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
    bool sessionWasRefused() const { return m_sessionRefused; }
    // Whether new starts wait for a pause the services asked for, and how much longer.
    bool isPaused() const { return m_pauseTimer.isActive(); }
    int pauseRemainingMs() const { return m_pauseTimer.remainingTime(); }

signals:
    // In the order added, each result as soon as every earlier one has been handed on.
    void resultReady(const LookupResult &result);
    // After each finished number, in whatever order they finish.
    void progressed();
    // A lane has come free, so wantsNumbers() may be true again.
    void readyForMore();
    void finished();
    // New starts wait `ms` because a service said to slow down.
    void paused(int ms);
    // The pause is over; numbers start again.
    void resumed();
    // The services refused the session (once): nothing more starts.
    void sessionRefused();
    // The services' firewall turned a request away (said once); it is backed off from as from
    // a slow-down.
    void blocked();

private:
    struct Slot;
    // A number waiting for a lane: its place among those added, and how often it was asked.
    struct Pending
    {
        QString number;
        int index = 0;
        int attempt = 0;
        std::optional<LookupResult> last; // what the attempt before said
    };

    void startMore();
    void onQueryComplete(int index);
    void handOnInOrder();
    void finishWhenDone();
    void pause();
    void refuseSession();
    void record(int index, const LookupResult &result);
    WebClient *freeLane();

    WebClient *m_web;
    Pace m_pace; // its parallel and interval within their bounds
    int m_nextIntervalMs;
    std::shared_ptr<const Session> m_session;
    QQueue<Pending> m_queue;
    int m_added = 0;
    int m_nextToHandOn = 0;
    int m_done = 0;
    int m_partial = 0;
    int m_failed = 0;
    bool m_closed = false;
    bool m_finished = false;
    bool m_cancelled = false;
    bool m_sessionRefused = false;
    bool m_toldBlocked = false;
    // Pauses so far, and how many "slow down"s in a row the current length counts.
    int m_pauses = 0;
    int m_slowDownsInARow = 0;
    // One client per lane, made when first needed.
    std::vector<std::unique_ptr<WebClient>> m_lanes;
    std::vector<std::unique_ptr<Slot>> m_slots;
    QMap<int, LookupResult> m_waiting;
    QElapsedTimer m_sinceLastStart;
    QTimer m_intervalTimer;
    QTimer m_pauseTimer;
};
