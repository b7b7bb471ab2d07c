#pragma once

#include <QByteArray>
#include <QString>

// Writes `bytes` to `filePath` through a temporary file renamed into place, so the file is
// either the old one or the whole new one; false on failure.
bool writeFileWhole(const QString &filePath, const QByteArray &bytes);
