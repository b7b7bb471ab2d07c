#pragma once

#include <QByteArray>
#include <QString>

// The whole file (a resource path works too); empty when it cannot be read.
QByteArray readFile(const QString &path);
// Makes or truncates the file and writes `bytes`; false unless every byte was written.
bool writeFile(const QString &path, const QByteArray &bytes);
