#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include <QString>

// The six services a query asks for values.
enum class Service { Visitors, Portrait, Moods, Blog, Music, FlowerVine };
inline constexpr std::size_t serviceCount = 6;

// The service's name in messages and data: "visitors", "portrait", "moods", "blog", "music",
// "flower_vine".
QString serviceName(Service service);

// Why a service's values stay unknown.
enum class ServiceProblem {
    Unreachable, // no connection: refused, unknown host, no route, lost
    Timeout, // not answered in full within the deadline
    Http, // an HTTP status other than success
    NotAnAnswer, // an answer without the expected marker: an error page, a changed format
    // Problems the service names itself, by its code:
    SigninNeeded,
    RateLimited,
    NotOpened, // the space was never opened
    Closed, // the space has been closed
    Busy,
    NoPermission,
    NoSuchAccount, // the portrait service knows no such number
    Blocked, // the services' firewall turned the request away with its page
    Certificate, // the service's certificate could not be verified
};

// How one service's answer went: answered, or the problem that kept its values unknown.
struct ServiceOutcome
{
    std::optional<ServiceProblem> problem; // none: answered
    int httpStatus = 0; // for ServiceProblem::Http

    bool answered() const { return !problem; }
    // "answered", or the problem's name: "unreachable", "timeout", "http-503", "not-an-answer",
    // "signin-needed", "rate-limited", "not-opened", "closed", "busy", "no-permission",
    // "no-such-account", "blocked", "certificate".
    QString name() const;
    // Whether `service`'s values are unknown. Every problem is, except no-permission from the
    // visitor and mood services: that is a space open to friends only, itself a finding.
    bool failsValuesOf(Service service) const;

    friend bool operator==(const ServiceOutcome &, const ServiceOutcome &) = default;
};

// The problem a service means by the code in its answer, when it is one we know.
std::optional<ServiceProblem> problemOfServiceCode(int code);

// Each service's outcome in a query, once its step has its answer.
class ServiceOutcomes
{
public:
    const std::optional<ServiceOutcome> &of(Service service) const
    {
        return m_outcomes[std::size_t(service)];
    }
    void set(Service service, ServiceOutcome outcome)
    {
        m_outcomes[std::size_t(service)] = outcome;
    }

private:
    std::array<std::optional<ServiceOutcome>, serviceCount> m_outcomes;
};
