#pragma once

#include "lookup/lookupinput.h"
#include "lookup/lookupoptions.h"

#include <functional>
#include <memory>

#include <QElapsedTimer>
#include <QObject>

class LookupBatch;
struct LookupResult;
class WebClient;

// The lookup program between its input and its output: reports refused numbers, runs the
// batch, writes each result as soon as it is next in order and keeps a progress line.
class LookupProgram : public QObject
{
    Q_OBJECT
public:
    static constexpr int interruptedStatus = 130; // the shell's status for Ctrl-C

    struct Terminal
    {
        // Each call must have written all its bytes before it returns.
        std::function<void(const QByteArray &)> out;
        std::function<void(const QByteArray &)> err;
        bool outIsTerminal = false;
        bool errIsTerminal = false;
    };

    LookupProgram(WebClient *web, LookupOptions options, LookupInput input, Terminal terminal,
                  QObject *parent = nullptr);
    ~LookupProgram() override;

    void start();
    // Ctrl-C: stops every lookup at once; what has been written stays whole.
    void interrupt();

signals:
    // 0 every number looked up, 1 one refused or failed, or interruptedStatus.
    void finished(int exitStatus);

private:
    void writeResult(const LookupResult &result);
    void showProgress();
    void eraseProgress();
    void finish();

    WebClient *m_web;
    LookupOptions m_options;
    LookupInput m_input;
    Terminal m_terminal;
    OutputFormat m_format;
    std::unique_ptr<LookupBatch> m_batch;
    QElapsedTimer m_clock;
    bool m_progressShown = false;
    bool m_ended = false;
};
