#pragma once

#include "query/serviceoutcome.h"

#include <cstdint>
#include <optional>

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// The JSON object of an answer as today's services send it: bare, or inside a callback
// ("_Callback({...});", "portraitCallBack({...})").
struct JsonAnswer
{
    QJsonObject object;
    // Set when the answer is no such object (not-an-answer), or names a problem by its code
    // (a subcode only where the code is no success), or asks for a sign-in.
    std::optional<ServiceProblem> problem;
};
JsonAnswer readJsonAnswer(const QString &text);

// A count or a score as the services write it: a JSON number without a fraction, or a string
// of plain digits; none for anything else, negative numbers and those past 2^53 included.
std::optional<std::int64_t> wholeNumber(const QJsonValue &value);
