// Measures how long a whole query takes when every service answers after D ms, and the longest
// the window's thread goes without serving its event loop meanwhile.
//
//   mirelo-querybench [--delay D] [--runs N] [--stall-probe]
//
// Run it offscreen: QT_QPA_PLATFORM=offscreen build/tools/querybench/mirelo-querybench

#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "support/recordingdesktop.h"
#include "support/scriptedprompt.h"
#include "ui/mainwindow.h"
#include "ui_mainwindow.h"
#include "web/webclient.h"

#include <algorithm>
#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Ticks every millisecond on the window's thread and keeps the longest gap between two ticks.
class StallProbe : public QObject
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_worst = std::max(m_worst, double(m_clock.nsecsElapsed()) / 1e6);
            m_clock.restart();
        });
    }
    void start()
    {
        m_worst = 0;
        m_clock.start();
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return m_worst;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_worst = 0;
};

struct CaseResult
{
    double medianMs;
    double worstGapMs;
    int completed;
};

CaseResult runCase(MainWindow &window, int runs, bool portraits, int timeoutMs)
{
    Ui::MainWindow *ui = window.form();
    ui->Check1->setChecked(portraits);
    StallProbe probe;
    QList<double> times;
    double worstGap = 0;
    for (int i = 0; i < runs; ++i) {
        ui->Text1->setText(QStringLiteral("10001"));
        QElapsedTimer clock;
        probe.start();
        clock.start();
        // A plain event loop: QTest's waiting helpers sleep between polls and would stall the
        // thread they are measuring.
        QEventLoop loop;
        QObject::connect(&window, &MainWindow::queryFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        ui->Command1->click();
        loop.exec();
        const bool done = !window.isQuerying();
        const double elapsed = double(clock.nsecsElapsed()) / 1e6;
        worstGap = std::max(worstGap, probe.stop());
        if (done)
            times.append(elapsed);
        ui->ListView1->clear();
    }
    return {times.isEmpty() ? -1 : median(times), worstGap, int(times.size())};
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Query benchmark against the fake services"));
    parser.addHelpOption();
    QCommandLineOption delayOption(QStringLiteral("delay"), QStringLiteral("Service delay in ms."),
                                   QStringLiteral("D"), QStringLiteral("200"));
    QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Queries per case."),
                                  QStringLiteral("N"), QStringLiteral("10"));
    QCommandLineOption hostileOption(
            QStringLiteral("stall-probe"),
            QStringLiteral("Also run against a service that never answers and one that drips."));
    parser.addOptions({delayOption, runsOption, hostileOption});
    parser.process(app);
    const int delay = parser.value(delayOption).toInt();
    const int runs = std::max(1, parser.value(runsOption).toInt());

    FakeServices services;
    if (!services.listen()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }
    DemoAccount account;
    DemoAnswers::routeAccount(services, account, delay);

    QTemporaryDir dir;
    WebClient web;
    web.setProxy(services.proxy());
    ScriptedPrompt prompt;
    RecordingDesktop desktop;
    MainWindow window(AppServices {&web,
                                   &prompt,
                                   &desktop,
                                   dir.path(),
                                   {},
                                   dir.filePath(QStringLiteral("cookies.txt")),
                                   {}});
    window.show();

    // Six services answer the text steps, two more the portraits; one after another would take
    // 6 D (8 D with portraits).
    std::printf("query benchmark: D = %d ms, %d queries per case\n", delay, runs);
    std::printf("%-22s %10s %8s %12s %14s %6s\n", "case", "median ms", "/ D", "/ sum of D",
                "worst gap ms", "done");
    // The first query of a run also pays for one-time set-up (the network stack's thread,
    // the first connections); the program does that at start with its hidden forum visit.
    const CaseResult cold = runCase(window, 1, false, 30000);
    std::printf("%-22s %10.1f %8.2f %12.3f %14.1f %3d/%d\n", "first query (cold)", cold.medianMs,
                cold.medianMs / delay, cold.medianMs / (double(delay) * 6), cold.worstGapMs,
                cold.completed, 1);
    for (const bool portraits : {false, true}) {
        const CaseResult r = runCase(window, runs, portraits, 30000);
        const int requests = portraits ? 8 : 6;
        std::printf("%-22s %10.1f %8.2f %12.3f %14.1f %3d/%d\n",
                    portraits ? "with portraits" : "without portraits", r.medianMs,
                    r.medianMs / delay, r.medianMs / (double(delay) * requests), r.worstGapMs,
                    r.completed, runs);
    }

    if (parser.isSet(hostileOption)) {
        // Every value is lost here; what counts is that the query ends by its deadline and the
        // window keeps serving events meanwhile.
        web.setDeadlineMs(3000);
        const QList<QPair<const char *, FakeResponse::Behaviour>> hostile = {
                {"never answers", FakeResponse::Behaviour::NeverAnswer},
                {"drips", FakeResponse::Behaviour::Drip},
        };
        for (const auto &[name, behaviour] : hostile) {
            services.clearRoutes();
            FakeResponse r = FakeResponse::text(DemoAnswers::visitors(account));
            r.behaviour = behaviour;
            r.dripIntervalMs = 200;
            services.setFallback(r);
            const CaseResult result = runCase(window, 2, true, 20000);
            std::printf("%-22s %10.1f %8s %12s %14.1f %3d/%d  (deadline %d ms)\n", name,
                        result.medianMs, "-", "-", result.worstGapMs, result.completed, 2,
                        web.deadlineMs());
        }
    }
    return 0;
}
