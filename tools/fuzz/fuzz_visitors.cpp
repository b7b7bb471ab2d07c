// ExtractVisitorCounts on any visitor answer.

#include "fuzz_common.h"
#include "query/extract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::forEachReading(data, size, [](const QString &text) {
        const VisitorCounts counts = ExtractVisitorCounts(text);
        // Both are cut out of the text, never made up.
        FUZZ_CHECK(counts.today.size() <= text.size());
        FUZZ_CHECK(counts.total.size() <= text.size());
        FUZZ_CHECK(!counts.today.contains(u','));
        FUZZ_CHECK(!counts.total.contains(u'}'));
        if (!text.contains(QLatin1String("todaycount")))
            FUZZ_CHECK(counts.today.isEmpty());
        if (!text.contains(QLatin1String("totalcount")))
            FUZZ_CHECK(counts.total.isEmpty());
        if (!text.contains(u'}')) {
            FUZZ_CHECK(counts.today.isEmpty());
            FUZZ_CHECK(counts.total.isEmpty());
        }
    });
    return 0;
}
