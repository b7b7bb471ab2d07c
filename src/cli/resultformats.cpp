#include "cli/resultformats.h"

#include "cli/displaywidth.h"
#include "cli/lookupresult.h"
#include "cli/resulttable.h"

#include <cmath>
#include <variant>

namespace {

constexpr char16_t firstPrintable = 0x20;
constexpr char16_t deleteControl = 0x7F;
constexpr int hexBase = 16;

// A plain value: absent (null), text, whole number, points or yes/no.
using Plain = std::variant<std::monostate, QString, std::int64_t, double, bool>;

template<typename T> Plain plain(const std::optional<T> &value)
{
    if (!value)
        return {};
    return *value;
}

Plain vineValue(const LookupResult &r, QString FlowerVineValues::*field)
{
    if (!r.vine)
        return {};
    return plain(plainCount((*r.vine).*field));
}

// The plain values of csv and json, in output order: each field's name beside its value.
struct PlainField
{
    const char *name;
    Plain (*value)(const LookupResult &);
};
const PlainField plainFields[] = {
        {"qq", [](const LookupResult &r) { return Plain(r.qq); }},
        {"nickname", [](const LookupResult &r) { return plain(r.nickname); }},
        {"points", [](const LookupResult &r) { return plain(r.points); }},
        {"level",
         [](const LookupResult &r) { return r.level ? Plain(std::int64_t(*r.level)) : Plain(); }},
        {"music", [](const LookupResult &r) { return plain(r.music); }},
        {"blogs", [](const LookupResult &r) { return plain(r.blogs); }},
        {"moods", [](const LookupResult &r) { return plain(r.moods); }},
        {"today_visits", [](const LookupResult &r) { return plain(r.todayVisits); }},
        {"total_visits", [](const LookupResult &r) { return plain(r.totalVisits); }},
        {"restricted", [](const LookupResult &r) { return plain(r.restricted); }},
        {"sunshine",
         [](const LookupResult &r) { return vineValue(r, &FlowerVineValues::sunshine); }},
        {"rain", [](const LookupResult &r) { return vineValue(r, &FlowerVineValues::rain); }},
        {"love", [](const LookupResult &r) { return vineValue(r, &FlowerVineValues::love); }},
        {"nutrition",
         [](const LookupResult &r) { return vineValue(r, &FlowerVineValues::nutrition); }},
        {"vine_level",
         [](const LookupResult &r) { return vineValue(r, &FlowerVineValues::level); }},
        {"status", [](const LookupResult &r) { return Plain(statusName(r.status)); }},
};

QString numberText(const Plain &value)
{
    if (const auto *n = std::get_if<std::int64_t>(&value))
        return QString::number(*n);
    if (const auto *b = std::get_if<bool>(&value))
        return *b ? QStringLiteral("true") : QStringLiteral("false");
    // Points: the window's digits, never an exponent. formatPoints makes NaN and infinity 0,
    // which would be a made-up value here.
    const double points = std::get<double>(value);
    return std::isfinite(points) ? formatPoints(points) : QString();
}

QString jsonString(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : wholeCharacters(text)) {
        switch (c.unicode()) {
        case u'"':
            out += QStringLiteral("\\\"");
            break;
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        default:
            // The other controls, as JSON writes them: \u and four hex digits.
            if (c.unicode() < firstPrintable || c.unicode() == deleteControl)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, hexBase, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + u'"';
}

QByteArray jsonLine(const LookupResult &r)
{
    QString line = QStringLiteral("{");
    for (const PlainField &field : plainFields) {
        if (line.size() > 1)
            line += u',';
        line += jsonString(QLatin1String(field.name)) + u':';
        const Plain value = field.value(r);
        QString text;
        if (const auto *s = std::get_if<QString>(&value))
            text = jsonString(*s);
        else if (!std::holds_alternative<std::monostate>(value))
            text = numberText(value);
        line += text.isEmpty() ? QStringLiteral("null") : text;
    }
    // Each service whose values are unknown, with its problem.
    line += QStringLiteral(",\"problems\":{");
    for (qsizetype i = 0; i < r.problems.size(); ++i) {
        const auto &[service, outcome] = r.problems.at(i);
        line += (i > 0 ? QStringLiteral(",") : QString()) + jsonString(serviceName(service)) + u':'
                + jsonString(outcome.name());
    }
    return (line + QStringLiteral("}}\n")).toUtf8();
}

// A text as a csv field a spreadsheet shows as text: one starting like a formula gets the
// apostrophe spreadsheets take as "text follows", and control characters are replaced as in
// the table, so a field can neither run a formula nor break the line.
QString csvText(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    const bool formulaLike = !text.isEmpty() && formulaStarts.contains(text.front());
    return printableText(formulaLike ? u'\'' + text : text);
}

QString csvField(const QString &text)
{
    static const QString special = QStringLiteral(",\"\r\n");
    for (const QChar c : text) {
        if (special.contains(c)) {
            QString quoted = text;
            quoted.replace(u'"', QStringLiteral("\"\""));
            return u'"' + quoted + u'"';
        }
    }
    return text;
}

QByteArray csvLine(const QStringList &fields)
{
    QStringList out;
    for (const QString &field : fields)
        out.append(csvField(field));
    return (out.join(u',') + QStringLiteral("\r\n")).toUtf8();
}

QByteArray csvResult(const LookupResult &r)
{
    QStringList fields;
    for (const PlainField &field : plainFields) {
        const Plain value = field.value(r);
        // Numbers are our own digits; only texts come from outside.
        if (const auto *s = std::get_if<QString>(&value))
            fields.append(csvText(*s));
        else if (std::holds_alternative<std::monostate>(value))
            fields.append(QString());
        else
            fields.append(numberText(value));
    }
    return csvLine(fields);
}

} // namespace

std::optional<OutputFormat> outputFormatNamed(const QString &name)
{
    if (name == QLatin1String("table"))
        return OutputFormat::Table;
    if (name == QLatin1String("csv"))
        return OutputFormat::Csv;
    if (name == QLatin1String("json"))
        return OutputFormat::Json;
    return {};
}

QStringList plainFieldNames()
{
    QStringList names;
    for (const PlainField &field : plainFields)
        names.append(QLatin1String(field.name));
    return names;
}

QByteArray formatHeader(OutputFormat format, int terminalColumns)
{
    switch (format) {
    case OutputFormat::Table:
        return ResultTable(terminalColumns).header();
    case OutputFormat::Csv:
        return csvLine(plainFieldNames());
    case OutputFormat::Json:
        break;
    }
    return {};
}

QByteArray formatResult(OutputFormat format, const LookupResult &result, int terminalColumns)
{
    switch (format) {
    case OutputFormat::Table:
        return ResultTable(terminalColumns).row(result);
    case OutputFormat::Csv:
        return csvResult(result);
    case OutputFormat::Json:
        return jsonLine(result);
    }
    return {};
}
