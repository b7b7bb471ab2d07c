// mirelo-lookup: the window's query for scripts and batches. See LookupOptions::helpText().

#include "config/deployment.h"
#include "lookup/lookupinput.h"
#include "lookup/lookupoptions.h"
#include "lookup/lookupprogram.h"
#include "web/webclient.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

namespace {

int interruptFds[2] = {-1, -1};

void onInterrupt(int)
{
    // Only async-signal-safe work here; the event loop does the rest.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(interruptFds[0], &byte, 1);
}

// One result at a time, whole, so a pipe sees each as soon as it is known.
void writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirelo-lookup"));

    const LookupOptions options = LookupOptions::parse(QCoreApplication::arguments());
    switch (options.action) {
    case LookupOptions::Action::Help:
        writeAll(STDOUT_FILENO, LookupOptions::helpText().toUtf8());
        return 0;
    case LookupOptions::Action::Version:
        writeAll(STDOUT_FILENO,
                 QStringLiteral("mirelo-lookup %1.%2.%3\n")
                         .arg(Deployment::versionMajor)
                         .arg(Deployment::versionMinor)
                         .arg(Deployment::versionPatch)
                         .toUtf8());
        return 0;
    case LookupOptions::Action::UsageError:
        writeAll(STDERR_FILENO,
                 QStringLiteral("mirelo-lookup: %1\nTry 'mirelo-lookup --help'.\n")
                         .arg(options.error)
                         .toUtf8());
        return 2;
    case LookupOptions::Action::Run:
        break;
    }

    LookupInput input;
    if (options.numbers.isEmpty()) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return 1;
        input = LookupInput::fromLines(in.readAll());
    } else {
        input = LookupInput::fromArguments(options.numbers);
    }

    WebClient web;
    LookupProgram::Terminal terminal;
    terminal.out = [](const QByteArray &bytes) { writeAll(STDOUT_FILENO, bytes); };
    terminal.err = [](const QByteArray &bytes) { writeAll(STDERR_FILENO, bytes); };
    terminal.outIsTerminal = ::isatty(STDOUT_FILENO);
    terminal.errIsTerminal = ::isatty(STDERR_FILENO);
    LookupProgram program(&web, options, std::move(input), terminal);
    QObject::connect(&program, &LookupProgram::finished, &app, &QCoreApplication::exit);

    // Ctrl-C reaches the program through the event loop, never in the middle of a write.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, interruptFds) == 0) {
        auto *notifier = new QSocketNotifier(interruptFds[1], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &program,
                         &LookupProgram::interrupt);
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, nullptr);
    }

    QMetaObject::invokeMethod(&program, &LookupProgram::start, Qt::QueuedConnection);
    return QCoreApplication::exec();
}
