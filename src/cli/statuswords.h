#pragma once

#include "query/serviceoutcome.h"

#include <QCoreApplication>
#include <QString>

struct LookupResult;

// What is said about a number that is not ok, in the user's language.
class StatusWords
{
    Q_DECLARE_TR_FUNCTIONS(StatusWords)

public:
    // Its status and the problem of each service that failed, "partial: moods rate-limited,
    // blog unreachable"; empty for an ok number.
    static QString of(const LookupResult &result);
    // A service's name: "moods".
    static QString service(Service service);

private:
    static QString problem(const ServiceOutcome &outcome);
};
