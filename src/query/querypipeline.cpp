#include "query/querypipeline.h"

#include "level/leveltable.h"
#include "query/addresses.h"
#include "query/extract.h"
#include "web/session.h"
#include "web/webclient.h"
#include "web/wholefile.h"

#include <QDir>
#include <QFile>
#include <QUrl>

namespace {
const QString restrictedSpace = QStringLiteral("空间有权限");
}

QueryRun::QueryRun(WebClient *web, QueryView *view, QString programDir, QString qq,
                   std::shared_ptr<const Session> session)
    : m_web(web), m_view(view), m_programDir(std::move(programDir)), m_session(std::move(session))
{
    m_record.qq = std::move(qq);
    const QString &n = m_record.qq;
    const std::shared_ptr<const Session> &s = m_session;
    // Every request goes out now; the steps below only wait for their answers in turn.
    m_visitors = m_web->startOpenUrl(serviceAddress(Addresses::visitors(n)), s);
    m_portrait = m_web->startOpenUrl(serviceAddress(Addresses::portrait(n)), s);
    m_moods = m_web->startGetBody(serviceAddress(Addresses::moods(n)), s);
    m_blog = m_web->startGetBody(serviceAddress(Addresses::blog(n)), s);
    m_music = m_web->startGetBody(serviceAddress(Addresses::music(n)), s);
    if (m_view.portraitsWanted()) {
        m_qzonePortrait = m_web->startDownload(Addresses::qzonePortrait(n));
        m_qqPortrait = m_web->startDownload(Addresses::qqPortrait(n));
    }
    m_flowerVine = m_web->startOpenUrl(serviceAddress(Addresses::flowerVine(n)), s);
}

QString QueryRun::serviceAddress(const QString &address) const
{
    if (!m_session)
        return address;
    // The token is the one for the cookies this very address gets.
    const QString overHttps = Addresses::signedIn(address, 0);
    return Addresses::signedIn(address, m_session->gtkFor(QUrl(overHttps)));
}

QueryRun::~QueryRun() = default;

void QueryRun::cancel()
{
    m_view.detach();
    abortAll();
}

void QueryRun::abortAll()
{
    for (auto *transfer : {&m_visitors, &m_portrait, &m_moods, &m_blog, &m_music, &m_flowerVine,
                           &m_qzonePortrait, &m_qqPortrait}) {
        if (*transfer)
            (*transfer)->abort();
    }
}

QCoro::Task<void> QueryRun::execute(std::shared_ptr<QueryRun> run)
{
    QueryRecord &r = run->m_record;

    r.visitorText = (co_await run->answerOf(Service::Visitors, run->m_visitors.get())).text;
    r.portraitText = (co_await run->answerOf(Service::Portrait, run->m_portrait.get())).text;

    r.moodsText = (co_await run->answerOf(Service::Moods, run->m_moods.get())).text;
    if (!r.moodsText.isEmpty())
        r.moodCount = ExtractMoodCount(r.moodsText);

    r.blogText = (co_await run->answerOf(Service::Blog, run->m_blog.get())).text;
    if (!r.blogText.isEmpty()) {
        r.blogCount = countMarker(r.blogText, QLatin1String(blogMarker));
        run->m_view.writeCell(ColumnKey::blog, QString::number(r.blogCount) + QStringLiteral("篇"));
    }

    r.points = ExtractPoints(r.portraitText);
    r.nickname = ExtractNickname(r.portraitText);
    if (!r.visitorText.isEmpty()) {
        const VisitorCounts counts = ExtractVisitorCounts(r.visitorText);
        r.todayVisits = counts.today;
        r.totalVisits = counts.total;
    }

    r.musicText = (co_await run->answerOf(Service::Music, run->m_music.get())).text;
    if (!r.musicText.isEmpty()) {
        r.musicCount = countMarker(r.musicText, QLatin1String(musicMarker));
        run->m_view.writeCell(ColumnKey::qqm2,
                              QString::number(r.musicCount) + QStringLiteral("首"));
    }

    co_await run->showPortraits();

    QueryView *view = &run->m_view;
    view->writeCell(ColumnKey::jf, formatPoints(r.points) + QStringLiteral("分"));
    view->writeCell(ColumnKey::nam, r.nickname);
    if (r.hasVisitAndMoodCounts()) {
        view->writeCell(ColumnKey::jr, r.todayVisits + QStringLiteral("人"));
        view->writeCell(ColumnKey::ls, r.totalVisits + QStringLiteral("人"));
        view->writeCell(ColumnKey::ss, r.moodCount + QStringLiteral("条"));
    } else {
        view->writeCell(ColumnKey::jr, restrictedSpace);
        view->writeCell(ColumnKey::ls, restrictedSpace);
        view->writeCell(ColumnKey::ss, restrictedSpace);
    }
    view->writeCell(ColumnKey::dj, LevelTable::GetLevelText(r.points));

    // The flower-vine lookup: an empty answer leaves the panel as the last answer left it.
    const QString vine
            = (co_await run->answerOf(Service::FlowerVine, run->m_flowerVine.get())).text;
    if (!vine.isEmpty())
        view->showFlowerVine(extractFlowerVine(vine));

    // A cancelled run also gets here, with empty answers and a silent view.
    run->m_finished = !run->m_view.isDetached();
    view->completeQuery();
}

QCoro::Task<FetchResult> QueryRun::answerOf(Transfer *transfer)
{
    FetchResult answer = co_await transfer->wait();
    if (m_view.isDetached()) {
        FetchResult cancelled;
        cancelled.failure = FetchResult::Failure::Cancelled;
        co_return cancelled;
    }
    co_return answer;
}

QCoro::Task<FetchResult> QueryRun::answerOf(Service service, Transfer *transfer)
{
    FetchResult answer = co_await answerOf(transfer);
    m_record.outcomes.set(service, classifyAnswer(service, answer));
    co_return answer;
}

QCoro::Task<void> QueryRun::showPortraits()
{
    // The check box is not locked: what counts is its state now, not at the start.
    if (!m_view.portraitsWanted()) {
        m_qzonePortrait.reset();
        m_qqPortrait.reset();
        co_return;
    }
    const QDir dir(m_programDir);
    const QString face = dir.filePath(QStringLiteral("face"));
    const QString head = dir.filePath(QStringLiteral("head"));
    QFile::remove(face);
    QFile::remove(head);
    if (!m_qzonePortrait)
        m_qzonePortrait = m_web->startDownload(Addresses::qzonePortrait(m_record.qq));
    if (!m_qqPortrait)
        m_qqPortrait = m_web->startDownload(Addresses::qqPortrait(m_record.qq));

    // Only a file this query wrote is shown: one that could not be deleted or replaced (a
    // read-only folder) still holds an earlier query's picture.
    const FetchResult qzone = co_await answerOf(m_qzonePortrait.get());
    const bool faceWritten = qzone.ok && writeFileWhole(face, qzone.body);
    m_view.showPortrait(QueryView::Portrait::QZone, faceWritten ? face : QString());

    const FetchResult qq = co_await answerOf(m_qqPortrait.get());
    const bool headWritten = qq.ok && writeFileWhole(head, qq.body);
    m_view.showPortrait(QueryView::Portrait::QQ, headWritten ? head : QString());
}
