// mirelo-offline-server: an HTTP proxy on 127.0.0.1 that plays every web service Mirelo
// calls, so the program can be tried with no network at all:
//
//     mirelo-offline-server &
//     http_proxy=http://127.0.0.1:18080 build/src/mirelo
//
// Demo numbers: 10001 a public space with both portraits and the HD portrait, 10002 a space
// open to friends only, 10003 an account without portraits; any other number gets an
// account made up from the number.

#include "offlineserver.h"

#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

namespace {
constexpr quint16 defaultPort = 18080;
// QTimer takes an int of milliseconds.
constexpr uint longestRunSeconds = 2'000'000;

void printLine(FILE *stream, const QString &line)
{
    std::fputs(line.toUtf8().append('\n').constData(), stream);
    std::fflush(stream);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirelo-offline-server"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Plays every web service Mirelo calls, as an HTTP proxy on 127.0.0.1.\n"
                           "Demo numbers: 10001 public, 10002 restricted space, 10003 no "
                           "portraits; any other number gets a made-up account."));
    parser.addHelpOption();
    const QCommandLineOption portOption(
            QStringLiteral("port"),
            QStringLiteral("Port to listen on (default %1; 0: any free port).").arg(defaultPort),
            QStringLiteral("port"), QString::number(defaultPort));
    const QCommandLineOption secondsOption(
            QStringLiteral("seconds"),
            QStringLiteral("Stop after this many seconds (default: run until killed)."),
            QStringLiteral("n"));
    parser.addOption(portOption);
    parser.addOption(secondsOption);
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        printLine(stderr,
                  QStringLiteral("mirelo-offline-server: --port wants a number from 0 to 65535"));
        return 2;
    }
    uint seconds = 0;
    if (parser.isSet(secondsOption)) {
        seconds = parser.value(secondsOption).toUInt(&ok);
        if (!ok || seconds == 0 || seconds > longestRunSeconds) {
            printLine(stderr,
                      QStringLiteral("mirelo-offline-server: --seconds wants a number from 1 to %1")
                              .arg(longestRunSeconds));
            return 2;
        }
    }

    OfflineServer server;
    QObject::connect(&server, &OfflineServer::requestLogged,
                     [](const QString &line) { printLine(stdout, line); });
    if (!server.listen(quint16(port))) {
        printLine(stderr,
                  QStringLiteral("mirelo-offline-server: cannot listen on 127.0.0.1:%1 "
                                 "(is another server there already?)")
                          .arg(port));
        return 1;
    }
    // Scripts wait for this line and read the port from it.
    printLine(stdout,
              QStringLiteral("mirelo-offline-server: listening on 127.0.0.1:%1; "
                             "run Mirelo with http_proxy=http://127.0.0.1:%1")
                      .arg(server.port()));

    if (seconds > 0)
        QTimer::singleShot(int(seconds) * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
