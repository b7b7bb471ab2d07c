#include "lookup/lookupprogram.h"

#include "lookup/displaywidth.h"
#include "lookup/lookupbatch.h"
#include "lookup/resultformats.h"

LookupProgram::LookupProgram(WebClient *web, LookupOptions options, LookupInput input,
                             Terminal terminal, QObject *parent)
    : QObject(parent)
    , m_web(web)
    , m_options(std::move(options))
    , m_input(std::move(input))
    , m_terminal(std::move(terminal))
    , m_format(m_options.format.value_or(m_terminal.outIsTerminal ? OutputFormat::Table
                                                                  : OutputFormat::Json))
{ }

LookupProgram::~LookupProgram() = default;

void LookupProgram::start()
{
    for (const LookupInput::Refusal &refusal : m_input.refused) {
        // Cut and cleaned: the line is echoed to a terminal as the user gave it.
        QString shown = printableText(refusal.text.left(40));
        if (refusal.text.size() > 40)
            shown += QStringLiteral("…");
        m_terminal.err(QStringLiteral("mirelo-lookup: %1: \"%2\" refused: %3\n")
                               .arg(refusal.origin, shown, refusal.reason)
                               .toUtf8());
    }
    if (!m_input.numbers.isEmpty()) {
        const QByteArray header = formatHeader(m_format);
        if (!header.isEmpty())
            m_terminal.out(header);
    }

    m_batch = std::make_unique<LookupBatch>(m_web, m_input.numbers, m_options.parallel,
                                            m_options.intervalMs);
    connect(m_batch.get(), &LookupBatch::resultReady, this, &LookupProgram::writeResult);
    connect(m_batch.get(), &LookupBatch::progressed, this, &LookupProgram::showProgress);
    connect(m_batch.get(), &LookupBatch::finished, this, &LookupProgram::finish);
    m_clock.start();
    showProgress();
    m_batch->start();
}

void LookupProgram::interrupt()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_batch)
        m_batch->cancel();
    eraseProgress();
    emit finished(interruptedStatus);
}

void LookupProgram::writeResult(const LookupResult &result)
{
    if (m_ended)
        return;
    // The progress line and the results may share one terminal.
    const bool redraw = m_progressShown;
    eraseProgress();
    m_terminal.out(formatResult(m_format, result));
    if (redraw)
        showProgress();
}

void LookupProgram::showProgress()
{
    if (!m_terminal.errIsTerminal || m_batch->total() < 2 || m_ended)
        return;
    const double seconds = m_clock.elapsed() / 1000.0;
    const double rate = seconds > 0 ? m_batch->done() / seconds : 0;
    m_terminal.err(QStringLiteral("\r\x1b[K%1/%2 done, %3 failed, %4 numbers/s")
                           .arg(m_batch->done())
                           .arg(m_batch->total())
                           .arg(m_batch->failed())
                           .arg(rate, 0, 'f', 1)
                           .toUtf8());
    m_progressShown = true;
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
    // The last progress line stays as the summary.
    if (m_progressShown)
        m_terminal.err(QByteArrayLiteral("\n"));
    m_progressShown = false;
    m_ended = true;
    const bool allLookedUp = m_input.refused.isEmpty() && m_batch->failed() == 0;
    emit finished(allLookedUp ? 0 : 1);
}
