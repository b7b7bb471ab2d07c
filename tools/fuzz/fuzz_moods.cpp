// ExtractMoodCount on any moods answer.

#include "fuzz_common.h"
#include "query/extract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString separator = QStringLiteral("new Number(");
    fuzz::forEachReading(data, size, [](const QString &text) {
        const QString count = ExtractMoodCount(text);
        // A stretch of the text between two separators, cut before the ")".
        FUZZ_CHECK(count.size() <= text.size());
        FUZZ_CHECK(text.contains(count));
        FUZZ_CHECK(!count.contains(u')'));
        FUZZ_CHECK(!count.contains(separator));
        if (text.count(separator) < 2 || !text.contains(u')'))
            FUZZ_CHECK(count.isEmpty());
    });
    return 0;
}
