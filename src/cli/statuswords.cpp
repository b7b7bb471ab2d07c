#include "cli/statuswords.h"

#include "cli/lookupresult.h"

#include <QStringList>

QString StatusWords::service(Service service)
{
    switch (service) {
    case Service::Visitors:
        return tr("visitors");
    case Service::Portrait:
        return tr("portrait");
    case Service::Moods:
        return tr("moods");
    case Service::Blog:
        return tr("blog");
    case Service::Music:
        return tr("music");
    case Service::FlowerVine:
        break;
    }
    return tr("flower_vine");
}

QString StatusWords::problem(const ServiceOutcome &outcome)
{
    if (!outcome.problem)
        return {};
    switch (*outcome.problem) {
    case ServiceProblem::Unreachable:
        return tr("unreachable");
    case ServiceProblem::Timeout:
        return tr("timeout");
    case ServiceProblem::Http:
        return tr("http-%1").arg(outcome.httpStatus);
    case ServiceProblem::NotAnAnswer:
        return tr("not-an-answer");
    case ServiceProblem::SigninNeeded:
        return tr("signin-needed");
    case ServiceProblem::RateLimited:
        return tr("rate-limited");
    case ServiceProblem::NotOpened:
        return tr("not-opened");
    case ServiceProblem::Closed:
        return tr("closed");
    case ServiceProblem::Busy:
        return tr("busy");
    case ServiceProblem::NoSuchAccount:
        return tr("no-such-account");
    case ServiceProblem::Blocked:
        return tr("blocked");
    case ServiceProblem::Certificate:
        return tr("certificate");
    case ServiceProblem::NoPermission:
        break;
    }
    return tr("no-permission");
}

QString StatusWords::of(const LookupResult &result)
{
    if (result.status == LookupResult::Status::Ok)
        return {};
    QStringList problems;
    for (const auto &[which, outcome] : result.problems)
        problems.append(tr("%1 %2", "service, problem").arg(service(which), problem(outcome)));
    const QString status
            = result.status == LookupResult::Status::Failed ? tr("failed") : tr("partial");
    return tr("%1: %2", "status, problems").arg(status, problems.join(tr(", ")));
}
