// Measures how long batches of numbers take when every service answers after D ms, against the
// ideal of one round trip per `parallel` numbers, with the program's own 10 s deadline.
//
//   mirelo-lookupbench                     the table: 200 numbers, 200 ms, P = 1, 4, 8, 16;
//                                          then 16 numbers at 3500 ms with P = 16
//   mirelo-lookupbench --numbers N --delay D --parallel P      one batch

#include "cli/lookupbatch.h"
#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "web/webclient.h"

#include <algorithm>
#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

namespace {

constexpr double target = 1.15; // times the ideal

struct Measured
{
    int lookedUp = 0; // numbers whose every service answered
    double elapsedMs = 0;
};

// Routes `count` numbers from `first` on, each service answering after `delayMs`.
QStringList routeNumbers(FakeServices &services, int first, int count, int delayMs)
{
    QStringList numbers;
    for (int i = 0; i < count; ++i) {
        DemoAccount account;
        account.qq = QString::number(first + i);
        DemoAnswers::routeAccount(services, account, delayMs);
        numbers.append(account.qq);
    }
    return numbers;
}

Measured runBatch(WebClient &web, const QStringList &numbers, int parallel)
{
    Pace pace;
    pace.parallel = parallel;
    LookupBatch batch(&web, pace);
    Measured measured;
    QObject::connect(&batch, &LookupBatch::resultReady, [&measured](const LookupResult &r) {
        if (r.status == LookupResult::Status::Ok)
            ++measured.lookedUp;
    });
    QEventLoop loop;
    QObject::connect(&batch, &LookupBatch::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    for (const QString &number : numbers)
        batch.add(number);
    batch.close();
    loop.exec();
    measured.elapsedMs = double(clock.nsecsElapsed()) / 1e6;
    return measured;
}

void printRow(int count, int delay, int parallel, const Measured &m)
{
    const double ideal = double(count) / parallel * delay;
    const double ratio = m.elapsedMs / ideal;
    std::printf("%4d %7d %8d %10.0f %9.0f %6.2f %6s   %d of %d\n", count, delay, parallel,
                m.elapsedMs, ideal, ratio, ratio <= target ? "met" : "MISSED", m.lookedUp, count);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Batch lookup benchmark"));
    parser.addHelpOption();
    const QCommandLineOption numbersOption(QStringLiteral("numbers"),
                                           QStringLiteral("Numbers in the batch."),
                                           QStringLiteral("N"));
    const QCommandLineOption delayOption(
            QStringLiteral("delay"), QStringLiteral("Service delay in ms."), QStringLiteral("D"));
    const QCommandLineOption parallelOption(
            QStringLiteral("parallel"), QStringLiteral("Numbers in flight."), QStringLiteral("P"));
    parser.addOptions({numbersOption, delayOption, parallelOption});
    parser.process(app);

    // The services answer from a thread of their own, as from another machine: on this one
    // the batch is measured, not the services' share of its thread.
    QThread servicesThread;
    servicesThread.start();
    FakeServices services;
    services.moveToThread(&servicesThread);
    const auto inServicesThread = [&services](auto work) {
        QMetaObject::invokeMethod(&services, work, Qt::BlockingQueuedConnection);
    };
    bool listening = false;
    inServicesThread([&] { listening = services.listen(); });
    if (!listening)
        return 1;
    const auto route = [&](int first, int count, int delayMs) {
        QStringList numbers;
        inServicesThread([&] { numbers = routeNumbers(services, first, count, delayMs); });
        return numbers;
    };
    WebClient web;
    web.setProxy(services.proxy());

    std::printf("   N  D (ms)        P   measured     ideal  ratio (<= %.2f)   looked up\n",
                target);
    if (parser.isSet(numbersOption) || parser.isSet(delayOption) || parser.isSet(parallelOption)) {
        const int count = std::max(1, parser.value(numbersOption).toInt());
        const int delay = std::max(0, parser.value(delayOption).toInt());
        const int parallel = std::clamp(parser.value(parallelOption).toInt(), 1, Pace::maxParallel);
        printRow(count, delay, parallel, runBatch(web, route(100000, count, delay), parallel));
    } else {
        const QStringList numbers = route(100000, 200, 200);
        for (const int parallel : {1, 4, 8, 16})
            printRow(200, 200, parallel, runBatch(web, numbers, parallel));
        // A slow service: every request of 16 numbers must be in flight at once, each within
        // its own deadline.
        printRow(16, 3500, 16, runBatch(web, route(200000, 16, 3500), 16));
    }
    // The services go with their thread.
    inServicesThread([&] { services.moveToThread(QCoreApplication::instance()->thread()); });
    servicesThread.quit();
    servicesThread.wait();
    return 0;
}
