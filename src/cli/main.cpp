// mirelo-lookup: the window's query for scripts and batches. See LookupOptions::helpText().

#include "cli/lookuplanguage.h"
#include "cli/lookupoptions.h"
#include "cli/lookupprogram.h"
#include "cli/lookupsetup.h"
#include "cli/messages.h"
#include "cli/sessionreport.h"
#include "cli/signinprogram.h"
#include "session/sessionfiles.h"
#include "web/signalevents.h"
#include "web/webclient.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QCoreApplication>

namespace {

// Whether `fd` was closed when the program started. A closed one gets /dev/null in its place,
// so no socket opened later takes its number and receives what was meant for it.
bool fillIfClosed(int fd)
{
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
        return false;
    const int null = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
        ::dup2(null, fd);
        ::close(null);
    }
    return true;
}

// One result at a time, whole, so a pipe sees each as soon as it is known. Returns 0, or the
// errno of the failure: SIGPIPE is ignored once Qt Network has opened a socket, so a closed
// pipe shows up here as EPIPE.
int writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;
        done += n;
    }
    return 0;
}

// The width of the terminal standard output is, 0 when it is not one.
int terminalColumns()
{
    if (!::isatty(STDOUT_FILENO))
        return 0;
    winsize size = {};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return std::max(0, qEnvironmentVariableIntValue("COLUMNS"));
}

// One line of the program's own on standard error.
void say(const QString &line)
{
    writeAll(STDERR_FILENO, Messages::line(line).toUtf8());
}

// For --help and --version: what a failed write of the results would report.
int writeText(int fd, bool closed, const QString &text)
{
    const int error = closed ? EBADF : writeAll(fd, text.toUtf8());
    if (error == 0)
        return 0;
    if (error == EPIPE)
        return LookupProgram::brokenPipeStatus;
    say(Messages::cannotWriteResults(error));
    return LookupProgram::troubleStatus;
}

// A client that trusts what the setup read besides the system's authorities.
void trustSetup(WebClient &web, const LookupSetup &setup)
{
    for (const QSslCertificate &authority : setup.authorities)
        web.addCaCertificate(authority);
}

// The plain terminal of the program: whole writes to the standard streams.
LookupProgram::Terminal standardTerminal(bool outClosed)
{
    LookupProgram::Terminal terminal;
    terminal.out = [outClosed](const QByteArray &bytes) {
        return outClosed ? EBADF : writeAll(STDOUT_FILENO, bytes);
    };
    terminal.err = [](const QByteArray &bytes) { writeAll(STDERR_FILENO, bytes); };
    terminal.outIsTerminal = ::isatty(STDOUT_FILENO);
    terminal.errIsTerminal = ::isatty(STDERR_FILENO);
    terminal.inIsTerminal = ::isatty(STDIN_FILENO);
    terminal.outColumns = terminalColumns();
    return terminal;
}

// Ctrl-C reaches `receiver` through the event loop, never in the middle of a write.
template<typename Receiver> void interruptOnCtrlC(QCoreApplication &app, Receiver *receiver)
{
    handleSignalsInEventLoop({SIGINT}, &app, [receiver](int) { receiver->interrupt(); });
}

// --sign-in and --sign-out, on the session file named or the default one.
int signInOrOut(QCoreApplication &app, const LookupOptions &options)
{
    const QString path
            = options.cookiesFile.isEmpty() ? SessionFiles::defaultPath() : options.cookiesFile;
    const LookupProgram::Terminal terminal = standardTerminal(false);
    if (options.action == LookupOptions::Action::SignOut)
        return SignInProgram::signOut(path, terminal);
    // Only the authorities: the session is what is being made.
    LookupOptions trustOnly = options;
    trustOnly.cookiesFile.clear();
    const LookupSetup setup = LookupSetup::read(trustOnly, QString());
    if (!setup.error.isEmpty()) {
        say(setup.error);
        return LookupProgram::troubleStatus;
    }
    WebClient web;
    trustSetup(web, setup);
    SignInProgram program(&web, path, terminal);
    QObject::connect(&program, &SignInProgram::finished, &app, &QCoreApplication::exit);
    interruptOnCtrlC(app, &program);
    QMetaObject::invokeMethod(&program, &SignInProgram::start, Qt::QueuedConnection);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // Qt Network ignores SIGPIPE once it opens a socket; ignored from the start, a closed pipe
    // is always a write error to handle, also before the first lookup.
    std::signal(SIGPIPE, SIG_IGN);
    const bool inClosed = fillIfClosed(STDIN_FILENO);
    const bool outClosed = fillIfClosed(STDOUT_FILENO);
    fillIfClosed(STDERR_FILENO);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirelo-lookup"));
    LookupLanguage::install(app);

    const LookupOptions options = LookupOptions::parse(QCoreApplication::arguments());
    switch (options.action) {
    case LookupOptions::Action::Help:
        return writeText(STDOUT_FILENO, outClosed, LookupOptions::helpText());
    case LookupOptions::Action::Version:
        return writeText(STDOUT_FILENO, outClosed, LookupOptions::versionText());
    case LookupOptions::Action::UsageError:
        writeAll(STDERR_FILENO, LookupOptions::usageErrorText(options.error).toUtf8());
        return LookupProgram::troubleStatus;
    case LookupOptions::Action::CheckSession: {
        const SessionReport report
                = SessionReport::of(LookupSetup::read(options, SessionFiles::defaultPath()),
                                    SessionFiles::defaultPath());
        for (const QString &line : report.said)
            say(line);
        const int written
                = report.text.isEmpty() ? 0 : writeText(STDOUT_FILENO, outClosed, report.text);
        return written != 0 ? written : report.exitStatus;
    }
    case LookupOptions::Action::SignIn:
    case LookupOptions::Action::SignOut:
    case LookupOptions::Action::Run:
        break;
    }
    // Nothing to look up for: every result would be lost.
    if (outClosed)
        return writeText(STDOUT_FILENO, outClosed, QString());
    if (options.numbers.isEmpty() && inClosed) {
        say(Messages::cannotReadNumbers(QString::fromLocal8Bit(std::strerror(EBADF))));
        return LookupProgram::troubleStatus;
    }

    if (options.action != LookupOptions::Action::Run)
        return signInOrOut(app, options);

    const LookupSetup setup = LookupSetup::read(options, SessionFiles::defaultPath());
    for (const QString &warning : setup.warnings)
        say(warning);
    if (!setup.error.isEmpty()) {
        say(setup.error);
        return LookupProgram::troubleStatus;
    }

    WebClient web;
    trustSetup(web, setup);
    const Pace pace = Pace::of(options.parallel, options.intervalMs, setup.session != nullptr);
    LookupProgram program(&web, {options, pace, setup.session, setup.sessionRefusal}, STDIN_FILENO,
                          standardTerminal(outClosed));
    QObject::connect(&program, &LookupProgram::finished, &app, &QCoreApplication::exit);
    interruptOnCtrlC(app, &program);

    QMetaObject::invokeMethod(&program, &LookupProgram::start, Qt::QueuedConnection);
    return QCoreApplication::exec();
}
