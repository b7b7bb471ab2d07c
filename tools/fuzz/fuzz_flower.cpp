// extractFlowerVine on any flower-vine answer.

#include "fuzz_common.h"
#include "query/extract.h"

namespace {

void checkValue(const QString &value, const QString &text, const QLatin1String marker)
{
    FUZZ_CHECK(value.size() <= text.size());
    FUZZ_CHECK(!value.contains(u','));
    FUZZ_CHECK(!value.contains(u':'));
    FUZZ_CHECK(!value.contains(u'"'));
    if (!text.contains(marker))
        FUZZ_CHECK(value.isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::forEachReading(data, size, [](const QString &text) {
        const FlowerVineValues values = extractFlowerVine(text);
        checkValue(values.sunshine, text, QLatin1String("iSun"));
        checkValue(values.rain, text, QLatin1String("iRain"));
        checkValue(values.love, text, QLatin1String("iLove"));
        checkValue(values.nutrition, text, QLatin1String("iNutri"));
        // The level keeps its quotes and colons; only the comma ends it.
        FUZZ_CHECK(values.level.size() <= text.size());
        FUZZ_CHECK(!values.level.contains(u','));
        FUZZ_CHECK(text.contains(values.level));
        if (!text.contains(QLatin1String("iGardener\":")))
            FUZZ_CHECK(values.level.isEmpty());
    });
    return 0;
}
