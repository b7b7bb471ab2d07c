#include "lookup/lookupprogram.h"

#include "lookup/displaywidth.h"
#include "lookup/linereader.h"
#include "lookup/lookupbatch.h"
#include "lookup/lookupinput.h"
#include "lookup/resultformats.h"
#include "lookup/statuswords.h"

#include <cerrno>
#include <cmath>
#include <cstring>

LookupProgram::LookupProgram(WebClient *web, LookupOptions options, int inputFd, Terminal terminal,
                             QObject *parent)
    : QObject(parent)
    , m_web(web)
    , m_options(std::move(options))
    , m_inputFd(inputFd)
    , m_terminal(std::move(terminal))
    , m_format(m_options.format.value_or(m_terminal.outIsTerminal ? OutputFormat::Table
                                                                  : OutputFormat::Json))
{
    constexpr int countdownStepMs = 1000;
    m_countdown.setInterval(countdownStepMs);
    connect(&m_countdown, &QTimer::timeout, this, &LookupProgram::showProgress);
}

LookupProgram::~LookupProgram() = default;

void LookupProgram::setSession(std::shared_ptr<const Session> session, const QString &refusal)
{
    m_session = std::move(session);
    m_sessionRefusal = refusal;
}

void LookupProgram::start()
{
    // The user's own account is at stake with a session: gentler unless told otherwise.
    const bool signedIn = m_session != nullptr;
    m_batch = std::make_unique<LookupBatch>(
            m_web,
            m_options.parallel.value_or(signedIn ? sessionParallel : LookupBatch::defaultParallel),
            m_options.intervalMs.value_or(signedIn ? sessionIntervalMs : 0));
    m_batch->setSession(m_session);
    m_batch->setIntervalJitter(signedIn ? sessionIntervalJitter : 0);
    m_batch->setBackOff(m_backOff);
    connect(m_batch.get(), &LookupBatch::resultReady, this, &LookupProgram::writeResult);
    connect(m_batch.get(), &LookupBatch::progressed, this, &LookupProgram::showProgress);
    connect(m_batch.get(), &LookupBatch::readyForMore, this, &LookupProgram::takeNumbers);
    connect(m_batch.get(), &LookupBatch::finished, this, &LookupProgram::finish);
    connect(m_batch.get(), &LookupBatch::paused, this, &LookupProgram::onPaused);
    connect(m_batch.get(), &LookupBatch::resumed, this, [this] {
        m_countdown.stop();
        showProgress();
    });
    connect(m_batch.get(), &LookupBatch::sessionRefused, this, &LookupProgram::onSessionRefused);
    connect(m_batch.get(), &LookupBatch::blocked, this,
            [this] { say(tr("the services' firewall blocked the requests: slowing down")); });
    if (m_options.numbers.isEmpty()) {
        m_reader = std::make_unique<LineReader>(m_inputFd);
        connect(m_reader.get(), &LineReader::linesReady, this, &LookupProgram::takeNumbers);
        connect(m_reader.get(), &LineReader::failed, this, &LookupProgram::onInputFailed);
    }
    m_clock.start();
    takeNumbers();
}

// Takes numbers only while a lane would start them at once: the input is read no further
// ahead, so a slow batch holds its writer back rather than filling memory.
void LookupProgram::takeNumbers()
{
    while (!m_ended && m_batch->wantsNumbers()) {
        if (!m_reader) {
            const qsizetype i = m_nextArgument++;
            take(tr("argument %1").arg(i + 1), m_options.numbers.at(i));
            // Closed with the last one, so the progress line knows the total.
            if (m_nextArgument == m_options.numbers.size())
                m_batch->close();
            continue;
        }
        const std::optional<LineReader::Line> line = m_reader->next();
        if (!line) {
            if (m_reader->atEnd())
                m_batch->close();
            else
                m_reader->readMore();
            return;
        }
        if (!LookupInput::isSkipped(line->text))
            take(tr("line %1").arg(line->number), QString::fromUtf8(line->text), line->cut);
    }
}

void LookupProgram::take(const QString &origin, const QString &text, bool cut)
{
    const CheckedNumber checked = LookupInput::check(text);
    if (cut || checked.refusal) {
        m_refused = true;
        // Cut and cleaned: the line is echoed to a terminal as the user gave it.
        constexpr qsizetype longestEcho = 40;
        QString shown = printableText(text.left(longestEcho));
        if (cut || text.size() > longestEcho)
            shown += u'…';
        say(tr("%1: \"%2\" refused: %3")
                    .arg(origin, shown, cut ? tr("the line is too long") : *checked.refusal));
        return;
    }
    if (!writeHeaderOnce())
        return;
    m_batch->add(checked.number);
}

bool LookupProgram::writeHeaderOnce()
{
    if (m_headerWritten)
        return true;
    m_headerWritten = true;
    const QByteArray header = formatHeader(m_format, m_terminal.outColumns);
    return header.isEmpty() || writeOut(header);
}

void LookupProgram::onInputFailed(const QString &error)
{
    // The numbers read so far are still looked up and written.
    m_inputFailed = true;
    say(tr("cannot read the numbers: %1").arg(error));
    takeNumbers();
}

void LookupProgram::interrupt()
{
    if (m_ended)
        return;
    stop(interruptedStatus);
}

void LookupProgram::writeResult(const LookupResult &result)
{
    if (m_ended)
        return;
    // The progress line and the results may share one terminal.
    const bool redraw = m_progressShown;
    eraseProgress();
    if (!writeOut(formatResult(m_format, result, m_terminal.outColumns)))
        return;
    const QString status = StatusWords::of(result);
    if (!status.isEmpty())
        say(tr("%1: %2").arg(result.qq, status));
    if (redraw)
        showProgress();
}

bool LookupProgram::writeOut(const QByteArray &bytes)
{
    const int error = m_terminal.out(bytes);
    if (error == 0)
        return true;
    // The reader has gone (| head): nothing more is wanted, nothing more is said.
    if (error == EPIPE) {
        stop(brokenPipeStatus);
        return false;
    }
    say(tr("cannot write the results: %1").arg(QString::fromLocal8Bit(std::strerror(error))));
    stop(troubleStatus);
    return false;
}

void LookupProgram::say(const QString &message)
{
    eraseProgress();
    m_terminal.err((QStringLiteral("mirelo-lookup: ") + message + u'\n').toUtf8());
}

bool LookupProgram::progressLineWanted() const
{
    // Not between numbers typed on the same terminal.
    return m_terminal.errIsTerminal && !(m_reader && m_terminal.inIsTerminal);
}

void LookupProgram::showProgress()
{
    if (m_ended || !progressLineWanted())
        return;
    const bool paused = m_batch->isPaused();
    // A single number has no progress worth a line, but a pause always is.
    if (m_batch->total() < 2 && !paused) {
        eraseProgress();
        return;
    }
    const double seconds = double(m_clock.elapsed()) / 1000.0;
    const double rate = seconds > 0 ? m_batch->done() / seconds : 0;
    // One form throughout: the total is the numbers taken so far until the input ends.
    QString line = tr("%1/%2 done, %3 partial, %4 failed, %5 numbers/s")
                           .arg(m_batch->done())
                           .arg(m_batch->total())
                           .arg(m_batch->partial())
                           .arg(m_batch->failed())
                           .arg(rate, 0, 'f', 1);
    if (paused) {
        const int left = int(std::ceil(m_batch->pauseRemainingMs() / 1000.0));
        line += tr("; asked to slow down: next start in %1 s").arg(left);
    }
    m_terminal.err((QStringLiteral("\r\x1b[K") + line).toUtf8());
    m_progressShown = true;
}

void LookupProgram::onPaused(int ms)
{
    if (progressLineWanted()) {
        m_countdown.start();
        showProgress();
        return;
    }
    // Without a progress line, a log still tells why nothing happens for a while.
    const int seconds = int(std::ceil(ms / 1000.0));
    say(tr("a service asked to slow down: no new start for %1 s").arg(seconds));
}

void LookupProgram::onSessionRefused()
{
    // Said once; the lookups in flight still finish and are written.
    m_sessionRefused = true;
    m_countdown.stop();
    say(m_sessionRefusal);
    stopReading();
}

void LookupProgram::eraseProgress()
{
    if (!m_progressShown)
        return;
    m_terminal.err(QByteArrayLiteral("\r\x1b[K"));
    m_progressShown = false;
}

void LookupProgram::finish()
{
    if (m_ended)
        return;
    // csv readers expect the header even when no number came.
    if (m_format == OutputFormat::Csv && !writeHeaderOnce())
        return;
    // The last progress line stays as the summary.
    if (m_progressShown)
        m_terminal.err(QByteArrayLiteral("\n"));
    m_progressShown = false;
    m_ended = true;
    m_countdown.stop();
    stopReading();
    if (m_inputFailed) {
        emit finished(troubleStatus);
        return;
    }
    const bool allOk
            = !m_refused && !m_sessionRefused && m_batch->partial() == 0 && m_batch->failed() == 0;
    emit finished(allOk ? 0 : 1);
}

void LookupProgram::stop(int exitStatus)
{
    m_ended = true;
    m_countdown.stop();
    if (m_batch)
        m_batch->cancel();
    stopReading();
    eraseProgress();
    emit finished(exitStatus);
}

void LookupProgram::stopReading()
{
    // Kept, not destroyed: this may run inside one of the reader's own signals.
    if (m_reader) {
        disconnect(m_reader.get(), nullptr, this, nullptr);
        m_reader->stop();
    }
}
