// Measures how long a batch of numbers takes when every service answers after D ms, against
// the ideal of one round trip per `parallel` numbers.
//
//   mirelo-lookupbench [--numbers 200] [--delay 200] [--parallel 4]

#include "fakeservices/demoanswers.h"
#include "fakeservices/fakeservices.h"
#include "lookup/lookupbatch.h"
#include "web/webclient.h"

#include <algorithm>
#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Batch lookup benchmark"));
    parser.addHelpOption();
    const QCommandLineOption numbersOption(QStringLiteral("numbers"),
                                           QStringLiteral("Numbers in the batch."),
                                           QStringLiteral("N"), QStringLiteral("200"));
    const QCommandLineOption delayOption(QStringLiteral("delay"),
                                         QStringLiteral("Service delay in ms."),
                                         QStringLiteral("D"), QStringLiteral("200"));
    const QCommandLineOption parallelOption(QStringLiteral("parallel"),
                                            QStringLiteral("Numbers in flight."),
                                            QStringLiteral("P"), QStringLiteral("4"));
    parser.addOptions({numbersOption, delayOption, parallelOption});
    parser.process(app);
    const int count = std::max(1, parser.value(numbersOption).toInt());
    const int delay = std::max(0, parser.value(delayOption).toInt());
    const int parallel
            = std::clamp(parser.value(parallelOption).toInt(), 1, LookupBatch::maxParallel);

    FakeServices services;
    if (!services.listen())
        return 1;
    QStringList numbers;
    for (int i = 0; i < count; ++i) {
        DemoAccount account;
        account.qq = QString::number(100000 + i);
        DemoAnswers::routeAccount(services, account, delay);
        numbers.append(account.qq);
    }
    WebClient web;
    web.setProxy(services.proxy());

    LookupBatch batch(&web, numbers, parallel, 0);
    int answered = 0;
    QObject::connect(&batch, &LookupBatch::resultReady, [&answered](const LookupResult &r) {
        if (!r.failed)
            ++answered;
    });
    QEventLoop loop;
    QObject::connect(&batch, &LookupBatch::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    batch.start();
    loop.exec();
    const double elapsedMs = clock.nsecsElapsed() / 1e6;

    const double ideal = double(count) / parallel * delay;
    const double target = 1.1 * ideal;
    std::printf("%d numbers, services delayed %d ms, --parallel %d\n", count, delay, parallel);
    std::printf("  looked up:  %d of %d\n", answered, count);
    std::printf("  batch time: %.0f ms\n", elapsedMs);
    std::printf("  target:     <= %.0f ms (1.1 x %d/%d x %d ms)  %s\n", target, count, parallel,
                delay, elapsedMs <= target ? "met" : "MISSED");
    return 0;
}
