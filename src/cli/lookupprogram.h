#pragma once

#include "cli/lookupoptions.h"
#include "cli/pace.h"

#include <functional>
#include <memory>

#include <QObject>

class LineReader;
class LookupBatch;
struct LookupResult;
class ProgressLine;
class Session;
class WebClient;

// The lookup program between its input and its output: takes the numbers as they come,
// reports refused ones, runs the batch, writes each result as soon as it is next in order and
// keeps a progress line.
class LookupProgram : public QObject
{
    Q_OBJECT
public:
    static constexpr int troubleStatus = 2; // a usage error, unreadable input, unwritable output
    static constexpr int interruptedStatus = 130; // the shell's status for Ctrl-C
    // The shell's status for a program ended by SIGPIPE, which Qt Network ignores.
    static constexpr int brokenPipeStatus = 141;

    struct Terminal
    {
        // Each call writes all its bytes, or returns the errno of its failure; 0 when written.
        std::function<int(const QByteArray &)> out;
        std::function<void(const QByteArray &)> err;
        bool outIsTerminal = false;
        bool errIsTerminal = false;
        bool inIsTerminal = false; // numbers typed in: no progress line between them
        int outColumns = 0; // the terminal's width when standard output is one
    };

    // What a run is given besides its input and output.
    struct Setup
    {
        LookupOptions options;
        Pace pace;
        // Signs every lookup in; `sessionRefusal` is said once if the services refuse it.
        std::shared_ptr<const Session> session;
        QString sessionRefusal;
    };

    // The numbers are `setup.options.numbers`, or else the lines read from `inputFd` as they
    // come.
    LookupProgram(WebClient *web, Setup setup, int inputFd, Terminal terminal,
                  QObject *parent = nullptr);
    ~LookupProgram() override;

    void start();
    // Ctrl-C: stops every lookup at once; what has been written stays whole.
    void interrupt();

signals:
    // 0 every number ok, 1 one refused, partial or failed, or one of the statuses above.
    void finished(int exitStatus);

private:
    void takeNumbers();
    void take(const QString &origin, const QString &text, bool cut = false);
    // The format's header before the first result; false when it could not be written.
    bool writeHeaderOnce();
    void onInputFailed(const QString &error);
    void writeResult(const LookupResult &result);
    // False when the output failed; the run has stopped then.
    bool writeOut(const QByteArray &bytes);
    void say(const QString &message);
    void onPaused(int ms);
    void onSessionRefused();
    void finish();
    void stop(int exitStatus);
    void stopReading();

    WebClient *m_web;
    Setup m_setup;
    int m_inputFd;
    Terminal m_terminal;
    OutputFormat m_format;
    std::unique_ptr<LookupBatch> m_batch;
    std::unique_ptr<LineReader> m_reader;
    std::unique_ptr<ProgressLine> m_progress;
    qsizetype m_nextArgument = 0;
    bool m_headerWritten = false;
    bool m_refused = false;
    bool m_inputFailed = false;
    bool m_ended = false;
};
