#pragma once

#include <QString>

// How many terminal columns `text` takes: East Asian wide and full-width characters two,
// combining marks none, everything else one.
int displayWidth(const QString &text);
// `text` followed by spaces up to `width` columns (never cut).
QString padToWidth(const QString &text, int width);
// `text` with control characters replaced, so outside text cannot steer the terminal.
QString printableText(const QString &text);
