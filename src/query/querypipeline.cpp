#include "query/querypipeline.h"

#include "config/deployment.h"
#include "query/addresses.h"
#include "query/celltexts.h"
#include "web/session.h"
#include "web/webclient.h"
#include "web/wholefile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QUrl>

QueryRun::QueryRun(WebClient *web, QueryView *view, QString programDir, QString qq,
                   std::shared_ptr<const Session> session)
    : m_web(web), m_view(view), m_programDir(std::move(programDir)), m_session(std::move(session))
{
    m_record.qq = std::move(qq);
    const QString &n = m_record.qq;
    const bool signedIn = edition() == Edition::Current;
    // Every request goes out now; the steps below only wait for their answers in turn.
    for (const Service service :
         {Service::Visitors, Service::Portrait, Service::Moods, Service::Blog, Service::Music})
        m_services.at(std::size_t(service)) = start(service);
    if (m_view.portraitsWanted()) {
        m_qzonePortrait = m_web->startDownload(Addresses::qzonePortrait(n));
        m_qqPortrait = m_web->startDownload(Addresses::qqPortrait(n, signedIn));
    }
    m_services.at(std::size_t(Service::FlowerVine)) = start(Service::FlowerVine);
}

std::unique_ptr<Transfer> QueryRun::start(Service service) const
{
    const ServiceRow &row = serviceRow(service);
    const QString &qq = m_record.qq;
    if (!m_session) {
        const QString address = row.describedAddress(qq);
        return row.describedAsGetBody ? m_web->startGetBody(address) : m_web->startOpenUrl(address);
    }
    const AddressContext context {qq, m_session->ownNumber(), QDate::currentDate().year()};
    const QString address = row.currentAddress(context);
    // The token is the one for the cookies this very address gets.
    const QString overHttps = Addresses::signedIn(address, 0);
    const QString signedAddress = Addresses::signedIn(address, m_session->gtkFor(QUrl(overHttps)));
    const QByteArray referer = QByteArray(Deployment::sessionReferer) + qq.toLatin1();
    return m_web->startSignedIn(signedAddress, m_session, referer);
}

QueryRun::~QueryRun() = default;

void QueryRun::cancel()
{
    m_view.detach();
    abortAll();
}

void QueryRun::abortAll()
{
    for (const std::unique_ptr<Transfer> &transfer : m_services) {
        if (transfer)
            transfer->abort();
    }
    for (auto *transfer : {&m_qzonePortrait, &m_qqPortrait}) {
        if (*transfer)
            (*transfer)->abort();
    }
}

void QueryRun::writeCell(const char *key)
{
    const QString k = QLatin1String(key);
    if (const std::optional<QString> text = cellText(m_record, k))
        m_view.writeCell(k, *text);
}

QCoro::Task<void> QueryRun::execute(std::shared_ptr<QueryRun> run)
{
    const QueryRecord &r = run->m_record;

    co_await run->read(Service::Visitors);
    co_await run->read(Service::Portrait);
    co_await run->read(Service::Moods);
    co_await run->read(Service::Blog);
    run->writeCell(ColumnKey::blog);
    co_await run->read(Service::Music);
    run->writeCell(ColumnKey::qqm2);

    co_await run->showPortraits();

    for (const char *key : {ColumnKey::jf, ColumnKey::nam, ColumnKey::jr, ColumnKey::ls,
                            ColumnKey::ss, ColumnKey::dj})
        run->writeCell(key);

    // The flower-vine lookup: no values leave the panel as the last answer left it.
    co_await run->read(Service::FlowerVine);
    if (r.vine)
        run->m_view.showFlowerVine(*r.vine);

    // A cancelled run also gets here, with empty answers and a silent view.
    run->m_finished = !run->m_view.isDetached();
    run->m_view.completeQuery();
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

QCoro::Task<void> QueryRun::read(Service service)
{
    const FetchResult answer = co_await answerOf(m_services.at(std::size_t(service)).get());
    readAnswer(service, edition(), answer, m_record);
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
        m_qqPortrait = m_web->startDownload(
                Addresses::qqPortrait(m_record.qq, edition() == Edition::Current));

    // Only a file this query wrote is shown: one that could not be deleted or replaced (a
    // read-only folder) still holds an earlier query's picture.
    const FetchResult qzone = co_await answerOf(m_qzonePortrait.get());
    const bool faceWritten = qzone.ok && writeFileWhole(face, qzone.body);
    m_view.showPortrait(QueryView::Portrait::QZone, faceWritten ? face : QString());

    const FetchResult qq = co_await answerOf(m_qqPortrait.get());
    const bool headWritten = qq.ok && writeFileWhole(head, qq.body);
    m_view.showPortrait(QueryView::Portrait::QQ, headWritten ? head : QString());
}
