// countMarker with the two real markers and with a marker taken from the input.
// Input: byte 0 gives the length (mod 16) of the marker that follows it; the rest is text.

#include "fuzz_common.h"
#include "query/extract.h"

#include <cstdint>

namespace {

// Overlapping matches, counted one code unit at a time.
std::int64_t naiveCount(const QString &text, const QString &marker)
{
    if (marker.isEmpty())
        return 0;
    std::int64_t count = 0;
    for (qsizetype at = 0; at + marker.size() <= text.size(); ++at) {
        if (QStringView(text).mid(at, marker.size()) == QStringView(marker))
            ++count;
    }
    return count;
}

void check(const QString &text, const QString &marker)
{
    const std::int64_t count = countMarker(text, marker);
    FUZZ_CHECK(count >= 0);
    FUZZ_CHECK(count <= text.size());
    FUZZ_CHECK(count == naiveCount(text, marker));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString blog = QString::fromLatin1(blogMarker);
    static const QString music = QString::fromLatin1(musicMarker);
    fuzz::forEachReading(data, size, [](const QString &text) {
        check(text, blog);
        check(text, music);
    });

    if (size == 0)
        return 0;
    const std::size_t markerLength = data[0] % 16 < size - 1 ? data[0] % 16 : size - 1;
    const std::uint8_t *markerBytes = data + 1;
    const std::uint8_t *textBytes = markerBytes + markerLength;
    const std::size_t textLength = size - 1 - markerLength;
    const QString marker = QString::fromUtf8(reinterpret_cast<const char *>(markerBytes),
                                             static_cast<qsizetype>(markerLength));
    fuzz::forEachReading(textBytes, textLength,
                         [&marker](const QString &text) { check(text, marker); });
    return 0;
}
