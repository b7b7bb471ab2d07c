#pragma once

#include <QString>

// How many terminal columns `text` takes: East Asian wide and full-width characters two,
// combining marks none, everything else one.
int displayWidth(const QString &text);
// `text` followed by spaces up to `width` columns (never cut).
QString padToWidth(const QString &text, int width);
// `text` cut to at most `width` columns, a cut marked with "…".
QString cutToWidth(const QString &text, int width);
// `text` with control characters and bidirectional controls replaced, so outside text can
// neither steer the terminal nor turn the text around it. Lone surrogates are replaced too.
QString printableText(const QString &text);
// `text` with each lone surrogate, half a character that no encoding can write, replaced by
// U+FFFD: toUtf8() would write a '?' that cannot be told from a real one.
QString wholeCharacters(const QString &text);
