#include "cli/displaywidth.h"

#include <algorithm>

#include <QList>

namespace {

struct CodeRange
{
    char32_t first;
    char32_t last;

    bool contains(char32_t c) const { return c >= first && c <= last; }
};

// The wide and full-width blocks of Unicode's East Asian Width table, coarsely.
constexpr CodeRange wideRanges[] = {
        {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF}, {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F},
        {0x1F900, 0x1F9FF}, {0x20000, 0x3FFFD},
};

// The embeddings, overrides, isolates and marks of the bidirectional algorithm.
constexpr CodeRange bidiControls[]
        = {{0x061C, 0x061C}, {0x200E, 0x200F}, {0x202A, 0x202E}, {0x2066, 0x2069}};

bool isIn(const auto &ranges, char32_t c)
{
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [c](const CodeRange &range) { return range.contains(c); });
}

bool isWide(char32_t c)
{
    return isIn(wideRanges, c);
}

int charWidth(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
        return 0;
    default:
        return isWide(c) ? 2 : 1;
    }
}

bool isBidiControl(char16_t c)
{
    return isIn(bidiControls, c);
}

} // namespace

int displayWidth(const QString &text)
{
    int width = 0;
    for (const char32_t c : text.toUcs4())
        width += charWidth(c);
    return width;
}

QString padToWidth(const QString &text, int width)
{
    const int missing = width - displayWidth(text);
    return missing > 0 ? text + QString(missing, u' ') : text;
}

QString cutToWidth(const QString &text, int width)
{
    if (displayWidth(text) <= width)
        return text;
    QString out;
    int used = 0;
    const int room = width - 1; // for the "…"
    for (const char32_t c : text.toUcs4()) {
        if (used + charWidth(c) > room)
            break;
        used += charWidth(c);
        out += QString::fromUcs4(&c, 1);
    }
    return width > 0 ? out + u'…' : out;
}

QString printableText(const QString &text)
{
    QString out = wholeCharacters(text);
    for (QChar &c : out) {
        if (c.category() == QChar::Other_Control || isBidiControl(c.unicode()))
            c = QChar::ReplacementCharacter;
    }
    return out;
}

QString wholeCharacters(const QString &text)
{
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const bool pair = out.at(i).isHighSurrogate() && i + 1 < out.size()
                && out.at(i + 1).isLowSurrogate();
        if (pair)
            ++i;
        else if (out.at(i).isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}
