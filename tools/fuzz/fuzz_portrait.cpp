// ExtractPoints and ExtractNickname on any portrait answer; the points then go through
// formatPoints as the result list does.

#include "fuzz_common.h"
#include "query/extract.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include <QStringList>

namespace {

// What ExtractPoints must give, worked out another way: piece 1 at ",", blanks and tabs
// trimmed, [+-]digits[.digits] or [+-].digits read by strtod; 0 for anything else or for a
// value out of a double's range.
double expectedPoints(const QString &text)
{
    if (text.isEmpty())
        return 0.0;
    const QStringList pieces = text.split(u',');
    if (pieces.size() < 2)
        return 0.0;
    QString cell = pieces.at(1);
    qsizetype begin = 0;
    qsizetype end = cell.size();
    while (begin < end && (cell.at(begin) == u' ' || cell.at(begin) == u'\t'))
        ++begin;
    while (end > begin && (cell.at(end - 1) == u' ' || cell.at(end - 1) == u'\t'))
        --end;
    cell = cell.mid(begin, end - begin);

    std::string ascii;
    bool digits = false;
    bool point = false;
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const char16_t c = cell.at(i).unicode();
        if (i == 0 && (c == u'+' || c == u'-')) {
        } else if (c >= u'0' && c <= u'9') {
            digits = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return 0.0;
        }
        ascii.push_back(static_cast<char>(c));
    }
    if (!digits)
        return 0.0;
    const double value = std::strtod(ascii.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::forEachReading(data, size, [](const QString &text) {
        const double points = ExtractPoints(text);
        FUZZ_CHECK(std::isfinite(points));
        FUZZ_CHECK(!(points == 0.0 && std::signbit(points)));
        FUZZ_CHECK(points == expectedPoints(text));

        const QString shown = formatPoints(points);
        FUZZ_CHECK(!shown.isEmpty());
        FUZZ_CHECK(!shown.contains(u'e') && !shown.contains(u'E'));
        FUZZ_CHECK(!fuzz::mentionsInfOrNan(shown));

        const QString nickname = ExtractNickname(text);
        FUZZ_CHECK(nickname.size() <= text.size());
        FUZZ_CHECK(!nickname.contains(u'"'));
        FUZZ_CHECK(!nickname.contains(u','));
        FUZZ_CHECK(!nickname.startsWith(u' ') && !nickname.endsWith(u' '));
        if (text.count(u',') < 6)
            FUZZ_CHECK(nickname.isEmpty());
    });
    return 0;
}
