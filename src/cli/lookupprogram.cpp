#include "cli/lookupprogram.h"

#include "cli/displaywidth.h"
#include "cli/linereader.h"
#include "cli/lookupbatch.h"
#include "cli/lookupinput.h"
#include "cli/messages.h"
#include "cli/progressline.h"
#include "cli/resultformats.h"
#include "cli/statuswords.h"

#include <cerrno>
#include <cmath>

LookupProgram::LookupProgram(WebClient *web, Setup setup, int inputFd, Terminal terminal,
                             QObject *parent)
    : QObject(parent)
    , m_web(web)
    , m_setup(std::move(setup))
    , m_inputFd(inputFd)
    , m_terminal(std::move(terminal))
    , m_format(m_setup.options.format.value_or(m_terminal.outIsTerminal ? OutputFormat::Table
                                                                        : OutputFormat::Json))
{
    // Not between numbers typed on the same terminal.
    const bool typedIn = m_setup.options.numbers.isEmpty() && m_terminal.inIsTerminal;
    m_progress
            = std::make_unique<ProgressLine>(m_terminal.err, m_terminal.errIsTerminal && !typedIn);
}

LookupProgram::~LookupProgram() = default;

void LookupProgram::start()
{
    m_batch = std::make_unique<LookupBatch>(m_web, m_setup.pace, m_setup.session);
    connect(m_batch.get(), &LookupBatch::resultReady, this, &LookupProgram::writeResult);
    connect(m_batch.get(), &LookupBatch::progressed, m_progress.get(), &ProgressLine::show);
    connect(m_batch.get(), &LookupBatch::readyForMore, this, &LookupProgram::takeNumbers);
    connect(m_batch.get(), &LookupBatch::finished, this, &LookupProgram::finish);
    connect(m_batch.get(), &LookupBatch::paused, this, &LookupProgram::onPaused);
    connect(m_batch.get(), &LookupBatch::resumed, m_progress.get(), &ProgressLine::onResumed);
    connect(m_batch.get(), &LookupBatch::sessionRefused, this, &LookupProgram::onSessionRefused);
    connect(m_batch.get(), &LookupBatch::blocked, this,
            [this] { say(tr("the services' firewall blocked the requests: slowing down")); });
    if (m_setup.options.numbers.isEmpty()) {
        m_reader = std::make_unique<LineReader>(m_inputFd);
        connect(m_reader.get(), &LineReader::linesReady, this, &LookupProgram::takeNumbers);
        connect(m_reader.get(), &LineReader::failed, this, &LookupProgram::onInputFailed);
    }
    m_progress->follow(m_batch.get());
    takeNumbers();
}

// Takes numbers only while a lane would start them at once: the input is read no further
// ahead, so a slow batch holds its writer back rather than filling memory.
void LookupProgram::takeNumbers()
{
    const QStringList &numbers = m_setup.options.numbers;
    while (!m_ended && m_batch->wantsNumbers()) {
        if (!m_reader) {
            const qsizetype i = m_nextArgument++;
            take(tr("argument %1").arg(i + 1), numbers.at(i));
            // Closed with the last one, so the progress line knows the total.
            if (m_nextArgument == numbers.size())
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
    say(Messages::cannotReadNumbers(error));
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
    m_progress->around([&] {
        if (!writeOut(formatResult(m_format, result, m_terminal.outColumns)))
            return;
        const QString status = StatusWords::of(result);
        if (!status.isEmpty())
            say(tr("%1: %2").arg(result.qq, status));
    });
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
    say(Messages::cannotWriteResults(error));
    stop(troubleStatus);
    return false;
}

void LookupProgram::say(const QString &message)
{
    m_progress->erase();
    m_terminal.err(Messages::line(message).toUtf8());
}

void LookupProgram::onPaused(int ms)
{
    if (m_progress->isWanted()) {
        m_progress->onPaused();
        return;
    }
    // Without a progress line, a log still tells why nothing happens for a while.
    const int seconds = int(std::ceil(ms / 1000.0));
    say(tr("a service asked to slow down: no new start for %1 s").arg(seconds));
}

void LookupProgram::onSessionRefused()
{
    // Said once; the lookups in flight still finish and are written.
    m_progress->endPause();
    say(m_setup.sessionRefusal);
    stopReading();
}

void LookupProgram::finish()
{
    if (m_ended)
        return;
    // csv readers expect the header even when no number came.
    if (m_format == OutputFormat::Csv && !writeHeaderOnce())
        return;
    m_progress->keep();
    m_ended = true;
    stopReading();
    if (m_inputFailed) {
        emit finished(troubleStatus);
        return;
    }
    const bool allOk = !m_refused && !m_batch->sessionWasRefused() && m_batch->partial() == 0
            && m_batch->failed() == 0;
    emit finished(allOk ? 0 : 1);
}

void LookupProgram::stop(int exitStatus)
{
    m_ended = true;
    if (m_batch)
        m_batch->cancel();
    stopReading();
    m_progress->erase();
    m_progress->stop();
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
