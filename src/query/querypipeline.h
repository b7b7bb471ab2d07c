#pragma once

#include "query/detachableview.h"
#include "query/queryrecord.h"
#include "query/services.h"

#include <array>
#include <memory>

#include <QCoroTask>

struct FetchResult;

class Session;
class Transfer;
class WebClient;

// One query, from its requests to its completion. All its requests start together when it
// is made; the steps then take their answers in their fixed order, so every cell, file and
// caption changes in the same order as if the services had been asked one after another.
class QueryRun
{
public:
    // Without a session the services are asked as they were built; with a `session`, as they
    // answer today (the current edition: https, its cookies, g_tk). The portraits never carry it.
    QueryRun(WebClient *web, QueryView *view, QString programDir, QString qq,
             std::shared_ptr<const Session> session = {});
    ~QueryRun();

    const QueryRecord &record() const { return m_record; }
    Edition edition() const { return m_session ? Edition::Current : Edition::Described; }
    bool isFinished() const { return m_finished; }
    // The window is going away: no further calls to it, pending transfers end now.
    void cancel();

    // Runs the steps; the caller keeps `run` alive through it by passing it by value.
    static QCoro::Task<void> execute(std::shared_ptr<QueryRun> run);

private:
    // Every step takes its answer through here: once the run is cancelled it is a failed
    // answer, whatever the transfer brought, so no step acts on it.
    QCoro::Task<FetchResult> answerOf(Transfer *transfer);
    // The same for one of the six services, read into the record with its outcome.
    QCoro::Task<void> read(Service service);
    QCoro::Task<void> showPortraits();
    void abortAll();
    // Starts the request of `service` as this run's edition asks it.
    std::unique_ptr<Transfer> start(Service service) const;
    // Writes the cell `key` as the record has it now.
    void writeCell(const char *key);

    WebClient *m_web;
    // The steps reach the window only through this, which goes quiet on cancel().
    DetachableView m_view;
    QString m_programDir;
    std::shared_ptr<const Session> m_session;
    QueryRecord m_record;
    bool m_finished = false;

    std::array<std::unique_ptr<Transfer>, serviceCount> m_services;
    std::unique_ptr<Transfer> m_qzonePortrait;
    std::unique_ptr<Transfer> m_qqPortrait;
};
