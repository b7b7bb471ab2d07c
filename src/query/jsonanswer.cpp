#include "query/jsonanswer.h"

#include <cmath>
#include <limits>

#include <QJsonDocument>
#include <QRegularExpression>

namespace {

// Past this a double no longer holds every whole number.
constexpr double largestExactWhole = 9007199254740992.0; // 2^53
constexpr qsizetype longestDigits = 15;
constexpr char16_t byteOrderMark = 0xFEFF;

// The text between a callback's parentheses, or the text itself when it is bare JSON.
std::optional<QString> callbackArgument(const QString &answer)
{
    QString text = answer.trimmed();
    if (text.startsWith(QChar(byteOrderMark)))
        text = text.mid(1).trimmed();
    if (text.startsWith(u'{'))
        return text;
    static const QRegularExpression callback(
            QStringLiteral(R"(\A([A-Za-z_$][A-Za-z0-9_$.]*)\s*\(([\s\S]*)\)\s*;?\s*\z)"));
    const QRegularExpressionMatch match = callback.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(2);
}

// A status code: a whole JSON number or a string of one; none otherwise.
std::optional<int> codeOf(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::floor(d)
            && std::abs(d) <= std::numeric_limits<int>::max())
            return int(d);
        return std::nullopt;
    }
    if (value.isString()) {
        bool ok = false;
        const int code = value.toString().toInt(&ok);
        return ok ? std::optional<int>(code) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace

JsonAnswer readJsonAnswer(const QString &text)
{
    JsonAnswer answer;
    const std::optional<QString> argument = callbackArgument(text);
    QJsonParseError error {};
    const QJsonDocument document
            = argument ? QJsonDocument::fromJson(argument->toUtf8(), &error) : QJsonDocument();
    if (!argument || error.error != QJsonParseError::NoError || !document.isObject()) {
        answer.problem = ServiceProblem::NotAnAnswer;
        return answer;
    }
    answer.object = document.object();
    const QJsonObject &o = answer.object;
    if (o.value(QLatin1String("error")).toObject().value(QLatin1String("type")).toString()
        == QLatin1String("need login")) {
        answer.problem = ServiceProblem::SigninNeeded;
        return answer;
    }
    if (!o.contains(QLatin1String("code")))
        return answer;
    const std::optional<int> code = codeOf(o.value(QLatin1String("code")));
    if (code == 0)
        return answer;
    std::optional<ServiceProblem> named = code ? problemOfServiceCode(*code) : std::nullopt;
    if (!named) {
        if (const std::optional<int> subcode = codeOf(o.value(QLatin1String("subcode"))))
            named = problemOfServiceCode(*subcode);
    }
    // A failure we do not know is no answer either.
    answer.problem = named.value_or(ServiceProblem::NotAnAnswer);
    return answer;
}

std::optional<std::int64_t> wholeNumber(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (!(d >= 0) || d > largestExactWhole || d != std::floor(d))
            return std::nullopt;
        return std::int64_t(d);
    }
    if (!value.isString())
        return std::nullopt;
    const QString digits = value.toString();
    if (digits.isEmpty() || digits.size() > longestDigits)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return digits.toLongLong();
}
