#pragma once

#include <QString>

// How many terminal columns `text` takes: East Asian wide and full-width characters two,
// combining marks none, everything else one.
int DisplayWidth(const QString &text);
// `text` followed by spaces up to `width` columns (never cut).
QString PadToWidth(const QString &text, int width);
// `text` with control characters replaced, so outside text cannot steer the terminal.
QString PrintableText(const QString &text);
