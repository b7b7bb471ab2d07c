// Today's readings of every service on any answer: values come only with an answer.

#include "fuzz_common.h"
#include "query/queryrecord.h"
#include "query/services.h"
#include "web/fetchresult.h"

namespace {

bool isDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// Whether the reading of `service` left any value in `r`.
bool hasValues(Service service, const QueryRecord &r)
{
    switch (service) {
    case Service::Visitors:
        return !r.todayVisits.isEmpty() || !r.totalVisits.isEmpty();
    case Service::Portrait:
        return r.points != 0 || !r.nickname.isEmpty();
    case Service::Moods:
        return !r.moodCount.isEmpty();
    case Service::Blog:
        return r.blogCount.has_value();
    case Service::Music:
        return r.musicCount.has_value();
    case Service::FlowerVine:
        break;
    }
    return r.vine.has_value();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::forEachReading(data, size, [](const QString &text) {
        FetchResult fetch;
        fetch.ok = true;
        fetch.status = 200;
        fetch.text = text;
        for (const ServiceRow &row : serviceTable()) {
            QueryRecord record;
            record.qq = QStringLiteral("10001");
            const ServiceOutcome outcome = readAnswer(row.service, Edition::Current, fetch, record);
            FUZZ_CHECK(record.outcomes.of(row.service) == outcome);
            FUZZ_CHECK(record.*row.answerText == text);
            if (outcome.failsValuesOf(row.service)) {
                FUZZ_CHECK(!hasValues(row.service, record));
                continue;
            }
            if (!outcome.answered())
                continue; // a space open to friends only: no counts
            switch (row.service) {
            case Service::Visitors:
                FUZZ_CHECK(isDigits(record.todayVisits) && isDigits(record.totalVisits));
                break;
            case Service::Moods:
                FUZZ_CHECK(isDigits(record.moodCount));
                break;
            case Service::Blog:
                FUZZ_CHECK(record.blogCount && *record.blogCount >= 0);
                break;
            case Service::Portrait:
                FUZZ_CHECK(record.points >= 0 && record.points == double(qint64(record.points)));
                break;
            case Service::Music:
                FUZZ_CHECK(record.musicCount && *record.musicCount >= 0);
                break;
            case Service::FlowerVine:
                FUZZ_CHECK(record.vine.has_value());
                break;
            }
        }
    });
    return 0;
}
