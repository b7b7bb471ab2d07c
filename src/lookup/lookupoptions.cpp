#include "lookup/lookupoptions.h"

#include "lookup/lookupbatch.h"

#include <QCommandLineParser>

namespace {

const QCommandLineOption formatOption(QStringLiteral("format"),
                                      QStringLiteral("table, csv or json."),
                                      QStringLiteral("format"));
const QCommandLineOption parallelOption(QStringLiteral("parallel"),
                                        QStringLiteral("Numbers in flight at once."),
                                        QStringLiteral("N"));
const QCommandLineOption intervalOption(QStringLiteral("interval"),
                                        QStringLiteral("Pause between starting numbers."),
                                        QStringLiteral("MS"));
const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Show this help."));
const QCommandLineOption versionOption(QStringLiteral("version"),
                                       QStringLiteral("Show the version."));

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
    QString text;
    QString line = QStringLiteral(" ");
    for (const QString &name : plainFieldNames()) {
        if (line.size() + name.size() > 72) {
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
    parser.addOptions({formatOption, parallelOption, intervalOption, helpOption, versionOption});
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
    if (parser.isSet(formatOption)) {
        options.format = outputFormatNamed(parser.value(formatOption));
        if (!options.format)
            return usageError(QStringLiteral("--format wants table, csv or json"));
    }
    if (parser.isSet(parallelOption)) {
        const auto parallel = numberIn(parser.value(parallelOption), 1, LookupBatch::maxParallel);
        if (!parallel)
            return usageError(QStringLiteral("--parallel wants a number from 1 to %1")
                                      .arg(LookupBatch::maxParallel));
        options.parallel = *parallel;
    }
    if (parser.isSet(intervalOption)) {
        // An hour between two numbers is already more than anyone means.
        const auto interval = numberIn(parser.value(intervalOption), 0, 3'600'000);
        if (!interval)
            return usageError(QStringLiteral("--interval wants milliseconds from 0 to 3600000"));
        options.intervalMs = *interval;
    }
    options.numbers = parser.positionalArguments();
    return options;
}

QString LookupOptions::helpText()
{
    return QStringLiteral(
                   "Usage: mirelo-lookup [options] [NUMBER...]\n"
                   "Looks up the public QZone values of QQ numbers, as Mirelo's window does,\n"
                   "and prints one result per number in the order given. Without numbers it\n"
                   "reads them from standard input, one per line (blank lines and lines\n"
                   "starting with # are skipped).\n"
                   "\n"
                   "Options:\n"
                   "  --format FORMAT  table (default on a terminal), csv or json (default\n"
                   "                   otherwise: one JSON object per line)\n"
                   "  --parallel N     numbers in flight at once, 1 to %2 (default %3)\n"
                   "  --interval MS    pause between starting two numbers (default 0)\n"
                   "  -h, --help       show this help\n"
                   "  --version        show the version\n"
                   "\n"
                   "Fields of csv and json, in order:\n"
                   "%1"
                   "A value that could not be fetched is null (an empty csv field). A space\n"
                   "open to friends only has restricted true and its visit and mood counts null.\n"
                   "\n"
                   "Exit status: 0 every number looked up, 1 a number refused or failed,\n"
                   "2 usage error, 130 stopped by Ctrl-C.\n")
            .arg(wrappedFieldNames())
            .arg(LookupBatch::maxParallel)
            .arg(LookupBatch::defaultParallel);
}
