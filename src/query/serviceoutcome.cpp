#include "query/serviceoutcome.h"

#include "query/services.h"

namespace {

// The codes the services answer with, and the problem each one means.
struct ServiceCode
{
    int code;
    ServiceProblem problem;
};
constexpr ServiceCode serviceCodes[] = {
        {-3000, ServiceProblem::SigninNeeded},  {-4001, ServiceProblem::SigninNeeded},
        {-4002, ServiceProblem::SigninNeeded},  {-10000, ServiceProblem::RateLimited},
        {1003, ServiceProblem::RateLimited},    {-4013, ServiceProblem::NotOpened},
        {-4014, ServiceProblem::Closed},        {-5007, ServiceProblem::Busy},
        {-5008, ServiceProblem::Busy},          {-30002, ServiceProblem::Busy},
        {-10031, ServiceProblem::NoPermission}, {-4009, ServiceProblem::NoPermission},
        {-99996, ServiceProblem::NoPermission},
};

struct ProblemName
{
    ServiceProblem problem;
    const char *name;
};
constexpr ProblemName problemNames[] = {
        {ServiceProblem::Unreachable, "unreachable"},
        {ServiceProblem::Timeout, "timeout"},
        {ServiceProblem::Http, "http"},
        {ServiceProblem::NotAnAnswer, "not-an-answer"},
        {ServiceProblem::SigninNeeded, "signin-needed"},
        {ServiceProblem::RateLimited, "rate-limited"},
        {ServiceProblem::NotOpened, "not-opened"},
        {ServiceProblem::Closed, "closed"},
        {ServiceProblem::Busy, "busy"},
        {ServiceProblem::NoPermission, "no-permission"},
        {ServiceProblem::NoSuchAccount, "no-such-account"},
        {ServiceProblem::Blocked, "blocked"},
        {ServiceProblem::Certificate, "certificate"},
};

} // namespace

QString ServiceOutcome::name() const
{
    if (!problem)
        return QStringLiteral("answered");
    if (*problem == ServiceProblem::Http)
        return QStringLiteral("http-%1").arg(httpStatus);
    for (const ProblemName &entry : problemNames) {
        if (entry.problem == *problem)
            return QLatin1String(entry.name);
    }
    return {};
}

bool ServiceOutcome::failsValuesOf(Service service) const
{
    if (!problem)
        return false;
    const bool friendsOnly
            = *problem == ServiceProblem::NoPermission && serviceRow(service).friendsOnlyIsAFinding;
    return !friendsOnly;
}

std::optional<ServiceProblem> problemOfServiceCode(int code)
{
    for (const ServiceCode &entry : serviceCodes) {
        if (entry.code == code)
            return entry.problem;
    }
    return {};
}
