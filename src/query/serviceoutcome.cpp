#include "query/serviceoutcome.h"

#include "query/extract.h"
#include "web/fetchresult.h"
#include "web/httpstatus.h"

#include <QRegularExpression>

namespace {

// The codes the services answer with, and the problem each one means.
struct ServiceCode
{
    int code;
    ServiceProblem problem;
};
constexpr ServiceCode serviceCodes[] = {
        {-3000, ServiceProblem::SigninNeeded}, {-4001, ServiceProblem::SigninNeeded},
        {-10000, ServiceProblem::RateLimited}, {1003, ServiceProblem::RateLimited},
        {-4013, ServiceProblem::NotOpened},    {-4014, ServiceProblem::Closed},
        {-5007, ServiceProblem::Busy},         {-5008, ServiceProblem::Busy},
        {-30002, ServiceProblem::Busy},        {-10031, ServiceProblem::NoPermission},
        {-4009, ServiceProblem::NoPermission}, {-99996, ServiceProblem::NoPermission},
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
};

constexpr const char *serviceNames[serviceCount]
        = {"visitors", "portrait", "moods", "blog", "music", "flower_vine"};

// The first `"<key>":N` of an answer, where the services put their own status.
std::optional<int> codeIn(const QString &text, const QRegularExpression &pattern)
{
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    bool ok = false;
    const int code = match.capturedView(1).toInt(&ok);
    return ok ? std::optional<int>(code) : std::nullopt;
}

// Whether the answer holds what the service's values are cut from. For the two counters an
// answer without a single entry is a true 0 when the service says it succeeded (code 0).
bool markerFound(Service service, const QString &text, std::optional<int> code)
{
    switch (service) {
    case Service::Visitors: {
        const VisitorCounts counts = ExtractVisitorCounts(text);
        return plainCount(counts.today) && plainCount(counts.total);
    }
    case Service::Portrait:
        // The nickname has no marker of its own: it counts only beside the points.
        return pointsIn(text).has_value();
    case Service::Moods:
        return plainCount(ExtractMoodCount(text)).has_value();
    case Service::Blog:
        return countMarker(text, QLatin1String(blogMarker)) > 0 || code == 0;
    case Service::Music:
        return countMarker(text, QLatin1String(musicMarker)) > 0 || code == 0;
    case Service::FlowerVine: {
        // Each value stands alone; one of them is enough to tell an answer.
        const FlowerVineValues v = extractFlowerVine(text);
        return !v.sunshine.isEmpty() || !v.rain.isEmpty() || !v.love.isEmpty()
                || !v.nutrition.isEmpty() || !v.level.isEmpty();
    }
    }
    return false;
}

ServiceOutcome failedWith(ServiceProblem problem, int httpStatus = 0)
{
    return ServiceOutcome {problem, httpStatus};
}

} // namespace

QString serviceName(Service service)
{
    return QLatin1String(serviceNames[std::size_t(service)]);
}

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
    const bool friendsOnly = *problem == ServiceProblem::NoPermission
            && (service == Service::Visitors || service == Service::Moods);
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

ServiceOutcome classifyAnswer(Service service, const FetchResult &fetch)
{
    if (!fetch.ok) {
        switch (fetch.failure) {
        case FetchResult::Failure::Timeout:
            return failedWith(ServiceProblem::Timeout);
        case FetchResult::Failure::NotAnAnswer:
            return failedWith(ServiceProblem::NotAnAnswer);
        case FetchResult::Failure::None:
        case FetchResult::Failure::Unreachable:
        case FetchResult::Failure::Cancelled:
            break;
        }
        return failedWith(ServiceProblem::Unreachable);
    }
    if (fetch.status == HttpStatus::tooManyRequests)
        return failedWith(ServiceProblem::RateLimited);
    if (!HttpStatus::isSuccess(fetch.status))
        return failedWith(ServiceProblem::Http, fetch.status);

    // The first code of an answer is the service's own status; entries further in may carry
    // codes of their own. "subcode" may name a failure more precisely, never a success's.
    static const QRegularExpression codePattern(QStringLiteral(R"("code"\s*:\s*(-?\d{1,9})\b)"));
    static const QRegularExpression subcodePattern(
            QStringLiteral(R"("subcode"\s*:\s*(-?\d{1,9})\b)"));
    const std::optional<int> code = codeIn(fetch.text, codePattern);
    std::optional<ServiceProblem> named = code ? problemOfServiceCode(*code) : std::nullopt;
    if (!named && code != 0) {
        if (const std::optional<int> subcode = codeIn(fetch.text, subcodePattern))
            named = problemOfServiceCode(*subcode);
    }
    if (named)
        return failedWith(*named);
    if (markerFound(service, fetch.text, code))
        return {};
    return failedWith(ServiceProblem::NotAnAnswer);
}
