// mirelo-offline-server: an HTTP proxy on 127.0.0.1 that plays every web service Mirelo
// calls, so the program can be tried with no network at all:
//
//     mirelo-offline-server &
//     http_proxy=http://127.0.0.1:18080 build/src/mirelo
//
// Demo numbers: 10001 a public space with both portraits and the HD portrait, 10002 a space
// open to friends only, 10003 an account without portraits; any other number gets an
// account made up from the number.
//
// With --signed-in-only the six services answer as they do today: their values only to the
// demo account's session (--demo-cookies FILE writes it), "please sign in" to anyone else.
// Through https_proxy the services are also served over https, with certificates of an
// authority made at start whose certificate file the server names (--write-ca-certificate FILE
// puts a copy where the user wants it). The whole signed-in trial:
//
//     mirelo-offline-server --demo-cookies demo-cookies.txt
//     mirelo-offline-server --signed-in-only --write-ca-certificate demo-ca.pem &
//     export http_proxy=http://127.0.0.1:18080 https_proxy=http://127.0.0.1:18080
//     mirelo-lookup --cookies demo-cookies.txt --ca-certificate demo-ca.pem 10001

#include "demosession.h"
#include "offlineserver.h"
#include "web/signalevents.h"

#include <csignal>
#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QSaveFile>
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

// The authority's certificate (PEM) at `path`; empty, or why it could not be written.
QString writeCertificate(const QString &path, const QSslCertificate &certificate)
{
    QSaveFile file(path);
    const QByteArray pem = certificate.toPem();
    if (!file.open(QIODevice::WriteOnly) || file.write(pem) != pem.size() || !file.commit())
        return file.errorString();
    return {};
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
    const QCommandLineOption signedInOption(
            QStringLiteral("signed-in-only"),
            QStringLiteral("Answer the services' values only to the demo session, as the "
                           "services do today."));
    const QCommandLineOption rateLimitOption(
            QStringLiteral("rate-limit"),
            QStringLiteral("Tell clients to slow down past n service requests a minute."),
            QStringLiteral("n"));
    const QCommandLineOption demoCookiesOption(
            QStringLiteral("demo-cookies"),
            QStringLiteral("Write the demo session as a cookies.txt (mode 600) and exit."),
            QStringLiteral("file"));
    parser.addOption(portOption);
    parser.addOption(secondsOption);
    parser.addOption(signedInOption);
    parser.addOption(rateLimitOption);
    const QCommandLineOption writeCaOption(
            QStringLiteral("write-ca-certificate"),
            QStringLiteral("Write the certificate of the authority behind the https services to "
                           "file at start, for clients to trust (mirelo-lookup --ca-certificate)."),
            QStringLiteral("file"));
    const QCommandLineOption signInOption(
            QStringLiteral("sign-in"),
            QStringLiteral("How the sign-in by QR code ends: sign-in (the default), refuse, "
                           "expire or restrict."),
            QStringLiteral("ending"), QStringLiteral("sign-in"));
    parser.addOption(signInOption);
    parser.addOption(demoCookiesOption);
    parser.addOption(writeCaOption);
    parser.process(app);

    if (parser.isSet(demoCookiesOption)) {
        const QString path = parser.value(demoCookiesOption);
        const QString error = OfflineDemo::writeDemoCookies(path);
        if (!error.isEmpty()) {
            printLine(
                    stderr,
                    QStringLiteral("mirelo-offline-server: cannot write %1: %2").arg(path, error));
            return 1;
        }
        printLine(stdout,
                  QStringLiteral("mirelo-offline-server: wrote the demo session to %1").arg(path));
        return 0;
    }

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

    uint rateLimit = 0;
    if (parser.isSet(rateLimitOption)) {
        rateLimit = parser.value(rateLimitOption).toUInt(&ok);
        if (!ok || rateLimit == 0 || rateLimit > 1'000'000) {
            printLine(stderr,
                      QStringLiteral("mirelo-offline-server: --rate-limit wants a number "
                                     "from 1 to 1000000"));
            return 2;
        }
    }

    const QHash<QString, SignInPlay::Ending> endings = {
            {QStringLiteral("sign-in"), SignInPlay::Ending::SignIn},
            {QStringLiteral("refuse"), SignInPlay::Ending::Refuse},
            {QStringLiteral("expire"), SignInPlay::Ending::Expire},
            {QStringLiteral("restrict"), SignInPlay::Ending::Restrict},
    };
    if (!endings.contains(parser.value(signInOption))) {
        printLine(stderr,
                  QStringLiteral("mirelo-offline-server: --sign-in wants sign-in, refuse, expire "
                                 "or restrict"));
        return 2;
    }

    OfflineServer server;
    server.setSignedInOnly(parser.isSet(signedInOption));
    server.setSignInEnding(endings.value(parser.value(signInOption)));
    server.setRateLimit(int(rateLimit));
    // Ready before the first client can ask.
    const QString httpsProblem = server.offerHttps();
    if (parser.isSet(writeCaOption)) {
        const QString path = parser.value(writeCaOption);
        const QString error = httpsProblem.isEmpty()
                ? writeCertificate(path, server.authority()->certificate())
                : httpsProblem;
        if (!error.isEmpty()) {
            printLine(
                    stderr,
                    QStringLiteral("mirelo-offline-server: cannot write %1: %2").arg(path, error));
            return 1;
        }
    }
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
    // The session never goes over plain http: signed-in clients need https_proxy as well.
    if (httpsProblem.isEmpty()) {
        printLine(stdout,
                  QStringLiteral("mirelo-offline-server: https through https_proxy=http://"
                                 "127.0.0.1:%1, certificates by the authority in %2")
                          .arg(server.port())
                          .arg(server.authority()->certificateFile()));
    } else {
        printLine(stderr, QStringLiteral("mirelo-offline-server: no https: %1").arg(httpsProblem));
    }

    if (seconds > 0)
        QTimer::singleShot(int(seconds) * 1000, &app, &QCoreApplication::quit);
    // Ctrl-C or a plain kill ends the event loop instead of the process, so the folder with the
    // test authority's keys is removed on the way out.
    handleSignalsInEventLoop({SIGINT, SIGTERM}, &app, [](int) { QCoreApplication::quit(); });
    return app.exec();
}
