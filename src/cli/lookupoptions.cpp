#include "cli/lookupoptions.h"

#include "cli/displaywidth.h"
#include "cli/lookupprogram.h"
#include "cli/messages.h"
#include "cli/pace.h"
#include "config/deployment.h"

#include <cmath>

#include <QCommandLineParser>

namespace {

// The parser's own help is not used (see helpText()), so the options need no descriptions.
const QCommandLineOption formatOption(QStringLiteral("format"), QString(),
                                      QStringLiteral("format"));
const QCommandLineOption parallelOption(QStringLiteral("parallel"), QString(), QStringLiteral("N"));
const QCommandLineOption intervalOption(QStringLiteral("interval"), QString(),
                                        QStringLiteral("MS"));
const QCommandLineOption cookiesOption(QStringLiteral("cookies"), QString(),
                                       QStringLiteral("file"));
const QCommandLineOption signInOption(QStringLiteral("sign-in"), QString());
const QCommandLineOption signOutOption(QStringLiteral("sign-out"), QString());
const QCommandLineOption checkSessionOption(QStringLiteral("check-session"), QString());
const QCommandLineOption browserOption(QStringLiteral("cookies-from-browser"), QString(),
                                       QStringLiteral("browser"));
const QCommandLineOption caOption(QStringLiteral("ca-certificate"), QString(),
                                  QStringLiteral("file"));
const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QString());
const QCommandLineOption versionOption(QStringLiteral("version"), QString());

// A whole decimal number in [low, high], or nothing.
std::optional<int> numberIn(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return {};
    return value;
}

QString wrappedFieldNames()
{
    constexpr qsizetype lineWidth = 72;
    QString text;
    QString line = QStringLiteral(" ");
    for (const QString &name : plainFieldNames()) {
        if (line.size() + name.size() > lineWidth) {
            text += line + u'\n';
            line = QStringLiteral(" ");
        }
        line += u' ' + name;
    }
    return text + line + u'\n';
}

} // namespace

LookupOptions LookupOptions::parse(const QStringList &arguments)
{
    LookupOptions options;
    const auto usageError = [&options](const QString &error) {
        options.action = Action::UsageError;
        options.error = error;
        return options;
    };

    QCommandLineParser parser;
    parser.addOptions({formatOption, parallelOption, intervalOption, cookiesOption, browserOption,
                       caOption, signInOption, signOutOption, checkSessionOption, helpOption,
                       versionOption});
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        options.action = Action::Help;
        return options;
    }
    if (parser.isSet(versionOption)) {
        options.action = Action::Version;
        return options;
    }
    // Which of two values was meant is no guess to make (and of two files, which is the session).
    for (const QCommandLineOption *once :
         {&formatOption, &parallelOption, &intervalOption, &cookiesOption, &browserOption}) {
        if (parser.values(*once).size() > 1)
            return usageError(tr("--%1 is given more than once").arg(once->names().constFirst()));
    }
    if (parser.isSet(formatOption)) {
        options.format = outputFormatNamed(parser.value(formatOption));
        if (!options.format)
            return usageError(tr("--format wants table, csv or json"));
    }
    if (parser.isSet(parallelOption)) {
        const auto parallel = numberIn(parser.value(parallelOption), 1, Pace::maxParallel);
        if (!parallel)
            return usageError(tr("--parallel wants a number from 1 to %1").arg(Pace::maxParallel));
        options.parallel = *parallel;
    }
    if (parser.isSet(intervalOption)) {
        // An hour between two numbers is already more than anyone means.
        const auto interval = numberIn(parser.value(intervalOption), 0, 3'600'000);
        if (!interval)
            return usageError(tr("--interval wants milliseconds from 0 to 3600000"));
        options.intervalMs = *interval;
    }
    if (parser.isSet(cookiesOption) && parser.isSet(browserOption))
        return usageError(tr("--cookies and --cookies-from-browser cannot be used together"));
    if (parser.isSet(cookiesOption)) {
        options.cookiesFile = parser.value(cookiesOption);
        if (options.cookiesFile.isEmpty())
            return usageError(tr("--cookies wants a file"));
    }
    if (parser.isSet(browserOption)) {
        options.cookiesBrowser = parser.value(browserOption);
        if (options.cookiesBrowser.isEmpty())
            return usageError(tr("--cookies-from-browser wants firefox or firefox:PROFILE"));
    }
    options.caCertificates = parser.values(caOption);
    if (options.caCertificates.contains(QString()))
        return usageError(tr("--ca-certificate wants a file"));
    options.numbers = parser.positionalArguments();
    if (parser.isSet(signInOption) || parser.isSet(signOutOption)) {
        if (parser.isSet(signInOption) && parser.isSet(signOutOption))
            return usageError(tr("--sign-in and --sign-out cannot be used together"));
        if (!options.numbers.isEmpty() || !options.cookiesBrowser.isEmpty())
            return usageError(tr("--sign-in and --sign-out take no numbers and no browser: "
                                 "--cookies FILE names the session's file"));
        if (parser.isSet(checkSessionOption))
            return usageError(tr("--check-session cannot be used with --sign-in or --sign-out"));
        options.action = parser.isSet(signInOption) ? Action::SignIn : Action::SignOut;
    }
    if (parser.isSet(checkSessionOption)) {
        if (!options.numbers.isEmpty())
            return usageError(tr("--check-session takes no numbers"));
        options.action = Action::CheckSession;
    }
    return options;
}

QString LookupOptions::helpText()
{
    // Every number below that the program also holds comes from where it is held.
    const BackOff backOff;
    constexpr int percent = 100;
    constexpr int secondMs = 1000;
    constexpr int minuteMs = 60 * secondMs;
    return tr("Usage: mirelo-lookup [options] [NUMBER...]\n"
              "Looks up the public QZone values of QQ numbers, as Mirelo's window does,\n"
              "and prints one result per number in the order given. Without numbers it\n"
              "reads them from standard input, one per line, and starts each as soon as\n"
              "its line arrives (blank lines and lines starting with # are skipped;\n"
              "spaces and tabs around a number are ignored).\n"
              "\n"
              "Options:\n"
              "  --format FORMAT  table (default on a terminal), csv or json (default\n"
              "                   otherwise: one JSON object per line)\n"
              "  --parallel N     numbers in flight at once, 1 to %2 (default %3; %4 with a\n"
              "                   session)\n"
              "  --interval MS    pause between starting two numbers (default 0; with a\n"
              "                   session %5, and each pause %6 % shorter or longer at\n"
              "                   random)\n"
              "  --cookies FILE   sign in with the session in FILE, a Netscape cookies.txt\n"
              "                   that only you can read (chmod 600)\n"
              "  --cookies-from-browser firefox[:PROFILE]\n"
              "                   sign in with the session of a Firefox profile (the\n"
              "                   default one, or PROFILE by name or folder)\n"
              "  --ca-certificate FILE\n"
              "                   trust the certificate authorities in FILE (PEM) as well\n"
              "                   as the system's, e.g. behind an inspecting proxy\n"
              "  -h, --help       show this help\n"
              "  --version        show the version\n"
              "\n"
              "Without --cookies or --cookies-from-browser, the session in\n"
              "$XDG_CONFIG_HOME/Mirelo/cookies.txt (~/.config/Mirelo/cookies.txt) is\n"
              "used when that file is there; when it cannot be used, that is said and\n"
              "the numbers are looked up without one. With a session the services are\n"
              "asked as today's QZone pages ask them, at their current addresses. A\n"
              "session goes only to the six services, only over https, and is never\n"
              "printed. When the services refuse it, that is said once, no further\n"
              "number starts and the exit status is 1. When a service asks to slow\n"
              "down or the services' firewall turns the requests away, no number\n"
              "starts for %7 s (doubling up to %8 min), and the number is asked again,\n"
              "%9 times at most.\n"
              "\n"
              "Fields of csv and json, in order:\n"
              "%1"
              "json adds \"problems\": {service: problem} for each service that failed.\n"
              "\n"
              "A value is given only when its service answered; otherwise it is null (an\n"
              "empty csv field), never 0. status is ok (every service answered), partial\n"
              "or failed (none did); a number that is not ok also gets a line on standard\n"
              "error, e.g. \"10001: partial: moods rate-limited, blog unreachable\".\n"
              "Services: visitors, portrait, moods, blog, music, flower_vine.\n"
              "Problems: unreachable (no connection), certificate (the service's\n"
              "certificate could not be verified), timeout, http-NNN (an HTTP error),\n"
              "not-an-answer (no expected marker or value: an error page, a changed\n"
              "format), blocked (the services' firewall turned the request away), and\n"
              "those a service names: signin-needed, rate-limited, not-opened, closed,\n"
              "busy, no-permission, no-such-account (no account has that number). A\n"
              "space open to friends only (no-permission from visitors or moods) is no\n"
              "failure: restricted is true, and its visit and mood counts are null.\n"
              "\n"
              "csv text that starts with = + - @, a tab or a carriage return gets a\n"
              "leading ' so spreadsheets show it as text; control characters become\n"
              "U+FFFD. json is exact.\n"
              "\n"
              "Exit status: 0 every number ok, 1 a number refused, partial or failed or\n"
              "the session refused, %10 usage error, a session or certificate file named\n"
              "that cannot be used, an unreadable input or unwritable output, %11\n"
              "stopped by Ctrl-C, %12 output closed by its reader (e.g. | head).\n")
                   .arg(wrappedFieldNames())
                   .arg(Pace::maxParallel)
                   .arg(Pace::defaultParallel)
                   .arg(Pace::sessionParallel)
                   .arg(Pace::sessionIntervalMs)
                   .arg(std::lround(Pace::sessionIntervalJitter * percent))
                   .arg(backOff.firstPauseMs / secondMs)
                   .arg(backOff.longestPauseMs / minuteMs)
                   .arg(backOff.retries)
                   .arg(LookupProgram::troubleStatus)
                   .arg(LookupProgram::interruptedStatus)
                   .arg(LookupProgram::brokenPipeStatus)
            + tr("\n"
                 "Signing in:\n"
                 "  mirelo-lookup --sign-in [--cookies FILE]\n"
                 "                   shows a QR code to scan with QQ on your phone (also\n"
                 "                   saved as a picture, whose file is named) and, once you\n"
                 "                   confirm on the phone, keeps the session in FILE or the\n"
                 "                   default file, readable by you alone. Exit status 0\n"
                 "                   signed in, 1 refused, expired, restricted or failed,\n"
                 "                   %1 stopped by Ctrl-C.\n"
                 "  mirelo-lookup --sign-out [--cookies FILE]\n"
                 "                   deletes the session file.\n"
                 "  mirelo-lookup --check-session [--cookies FILE | --cookies-from-browser B]\n"
                 "                   lists the session's cookies by name (never a value),\n"
                 "                   the services each is sent to and when each expires.\n"
                 "                   Exit status 0 when a lookup would be signed in, 1 when\n"
                 "                   not, and why.\n")
                      .arg(LookupProgram::interruptedStatus);
}

QString LookupOptions::usageErrorText(const QString &error)
{
    // The parser's message echoes an unknown option, which may come from a file of numbers.
    return Messages::line(printableText(error)) + tr("Try 'mirelo-lookup --help'.") + u'\n';
}

QString LookupOptions::versionText()
{
    return QStringLiteral("mirelo-lookup %1\n").arg(QLatin1String(Deployment::version));
}
