#pragma once

#include "query/detachableview.h"
#include "query/queryrecord.h"

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
    // With a `session`, the six service requests are signed in (https, its cookies, g_tk);
    // the portraits never carry it.
    QueryRun(WebClient *web, QueryView *view, QString programDir, QString qq,
             std::shared_ptr<const Session> session = {});
    ~QueryRun();

    const QueryRecord &record() const { return m_record; }
    bool isFinished() const { return m_finished; }
    // The window is going away: no further calls to it, pending transfers end now.
    void cancel();

    // Runs the steps; the caller keeps `run` alive through it by passing it by value.
    static QCoro::Task<void> execute(std::shared_ptr<QueryRun> run);

private:
    // Every step takes its answer through here: once the run is cancelled it is a failed
    // answer, whatever the transfer brought, so no step acts on it.
    QCoro::Task<FetchResult> answerOf(Transfer *transfer);
    // The same for one of the six services, whose outcome is recorded.
    QCoro::Task<FetchResult> answerOf(Service service, Transfer *transfer);
    QCoro::Task<void> showPortraits();
    void abortAll();
    // A service's address as this run asks for it: signed in when it has a session.
    QString serviceAddress(const QString &address) const;

    WebClient *m_web;
    // The steps reach the window only through this, which goes quiet on cancel().
    DetachableView m_view;
    QString m_programDir;
    std::shared_ptr<const Session> m_session;
    QueryRecord m_record;
    bool m_finished = false;

    std::unique_ptr<Transfer> m_visitors;
    std::unique_ptr<Transfer> m_portrait;
    std::unique_ptr<Transfer> m_moods;
    std::unique_ptr<Transfer> m_blog;
    std::unique_ptr<Transfer> m_music;
    std::unique_ptr<Transfer> m_flowerVine;
    std::unique_ptr<Transfer> m_qzonePortrait;
    std::unique_ptr<Transfer> m_qqPortrait;
};
