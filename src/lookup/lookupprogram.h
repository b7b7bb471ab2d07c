#pragma once

#include "lookup/backoff.h"
#include "lookup/lookupoptions.h"

#include <functional>
#include <memory>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class LineReader;
class LookupBatch;
struct LookupResult;
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
    // With the user's own session, unless the options say otherwise: one number at a time, two
    // seconds apart give or take a quarter.
    static constexpr int sessionParallel = 1;
    static constexpr int sessionIntervalMs = 2000;
    static constexpr double sessionIntervalJitter = 0.25;

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

    // The numbers are `options.numbers`, or else the lines read from `inputFd` as they come.
    LookupProgram(WebClient *web, LookupOptions options, int inputFd, Terminal terminal,
                  QObject *parent = nullptr);
    ~LookupProgram() override;

    // Signs every lookup in with `session`; `refusal` is said once if the services refuse it.
    // Set before start().
    void setSession(std::shared_ptr<const Session> session, const QString &refusal);
    // How long to hold back after "slow down"; the default is the services' due.
    void setBackOff(const BackOff &backOff) { m_backOff = backOff; }

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
    void showProgress();
    void eraseProgress();
    // Whether a progress line may be drawn on standard error.
    bool progressLineWanted() const;
    void onPaused(int ms);
    void onSessionRefused();
    void finish();
    void stop(int exitStatus);
    void stopReading();

    WebClient *m_web;
    LookupOptions m_options;
    int m_inputFd;
    Terminal m_terminal;
    OutputFormat m_format;
    std::shared_ptr<const Session> m_session;
    QString m_sessionRefusal;
    BackOff m_backOff;
    QTimer m_countdown; // redraws the progress line during a pause
    std::unique_ptr<LookupBatch> m_batch;
    std::unique_ptr<LineReader> m_reader;
    qsizetype m_nextArgument = 0;
    QElapsedTimer m_clock;
    bool m_headerWritten = false;
    bool m_refused = false;
    bool m_inputFailed = false;
    bool m_sessionRefused = false;
    bool m_progressShown = false;
    bool m_ended = false;
};
