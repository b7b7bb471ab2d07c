#include "query/services.h"

#include "query/addresses.h"
#include "query/queryrecord.h"
#include "query/readings.h"
#include "web/fetchresult.h"
#include "web/httpstatus.h"

#include <array>

namespace {

using namespace Readings;

// Music and the flower vine are asked today as they were built: no newer address is known.
QString currentMusic(const AddressContext &c)
{
    return Addresses::music(c.qq);
}
QString currentFlowerVine(const AddressContext &c)
{
    return Addresses::flowerVine(c.qq);
}

const std::array<ServiceRow, serviceCount> rows = {{
        {Service::Visitors, "visitors", false, true, &QueryRecord::visitorText, Addresses::visitors,
         [](const AddressContext &c) { return Addresses::Current::visitors(c.qq); },
         describedVisitors, currentVisitors},
        {Service::Portrait, "portrait", false, false, &QueryRecord::portraitText,
         Addresses::portrait,
         [](const AddressContext &c) { return Addresses::Current::portrait(c.qq); },
         describedPortrait, currentPortrait},
        {Service::Moods, "moods", true, true, &QueryRecord::moodsText, Addresses::moods,
         [](const AddressContext &c) { return Addresses::Current::moods(c.qq); }, describedMoods,
         currentMoods},
        {Service::Blog, "blog", true, false, &QueryRecord::blogText, Addresses::blog,
         [](const AddressContext &c) { return Addresses::Current::blog(c.qq, c.self, c.year); },
         describedBlog, currentBlog},
        {Service::Music, "music", true, false, &QueryRecord::musicText, Addresses::music,
         currentMusic, describedMusic, Readings::currentMusic},
        {Service::FlowerVine, "flower_vine", false, false, &QueryRecord::flowerVineText,
         Addresses::flowerVine, currentFlowerVine, describedFlowerVine, describedFlowerVine},
}};

// How the transfer itself went, when that already settles the outcome.
std::optional<ServiceOutcome> transferOutcome(const FetchResult &fetch)
{
    if (!fetch.ok) {
        switch (fetch.failure) {
        case FetchResult::Failure::Timeout:
            return ServiceOutcome {ServiceProblem::Timeout};
        case FetchResult::Failure::NotAnAnswer:
            return ServiceOutcome {ServiceProblem::NotAnAnswer};
        case FetchResult::Failure::Certificate:
            return ServiceOutcome {ServiceProblem::Certificate};
        case FetchResult::Failure::None:
        case FetchResult::Failure::Unreachable:
        case FetchResult::Failure::Cancelled:
            break;
        }
        return ServiceOutcome {ServiceProblem::Unreachable};
    }
    if (fetch.status == HttpStatus::tooManyRequests)
        return ServiceOutcome {ServiceProblem::RateLimited};
    if (!HttpStatus::isSuccess(fetch.status))
        return ServiceOutcome {ServiceProblem::Http, fetch.status};
    if (isFirewallPage(fetch.text))
        return ServiceOutcome {ServiceProblem::Blocked};
    return std::nullopt;
}

} // namespace

std::span<const ServiceRow> serviceTable()
{
    return rows;
}

const ServiceRow &serviceRow(Service service)
{
    return rows.at(std::size_t(service));
}

QString serviceName(Service service)
{
    return QLatin1String(serviceRow(service).name);
}

ServiceOutcome readAnswer(Service service, Edition edition, const FetchResult &fetch,
                          QueryRecord &record)
{
    const ServiceRow &row = serviceRow(service);
    record.*row.answerText = fetch.text;
    const std::optional<ServiceOutcome> transfer = transferOutcome(fetch);
    ServiceOutcome outcome;
    if (edition == Edition::Described) {
        // Cut whatever came, as the row always showed it.
        const ServiceOutcome read = row.describedReading(fetch.text, record);
        outcome = transfer.value_or(read);
    } else if (transfer) {
        outcome = *transfer;
    } else {
        // Values only from an answer: a reading may find some in a failure too.
        QueryRecord read = record;
        outcome = row.currentReading(fetch.text, read);
        if (!outcome.failsValuesOf(service))
            record = std::move(read);
    }
    if (outcome.problem == ServiceProblem::Certificate)
        record.certificateProblem = fetch.error;
    record.outcomes.set(service, outcome);
    return outcome;
}
