// formatPoints on any double: the first 8 bytes are its bit pattern.

#include "fuzz_common.h"
#include "query/extract.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const double points = fuzz::doubleFromBytes(data, size);
    const QString text = formatPoints(points);

    FUZZ_CHECK(!text.isEmpty());
    FUZZ_CHECK(text != QLatin1String("-0"));
    qsizetype points_seen = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // Digits, one point, a leading minus: no exponent, no "inf", no "nan", no grouping.
        FUZZ_CHECK((c >= u'0' && c <= u'9') || c == u'.' || (c == u'-' && i == 0));
        if (c == u'.')
            ++points_seen;
    }
    FUZZ_CHECK(points_seen <= 1);
    if (points_seen == 1) {
        FUZZ_CHECK(!text.endsWith(u'.'));
        FUZZ_CHECK(!text.endsWith(u'0')); // shortest: no padding zeros
    }

    if (!std::isfinite(points) || points == 0.0) {
        FUZZ_CHECK(text == QLatin1String("0"));
    } else {
        // The text reads back as the very same double.
        const QByteArray ascii = text.toLatin1();
        FUZZ_CHECK(std::strtod(ascii.constData(), nullptr) == points);
    }
    return 0;
}
