#pragma once

#include "supportfiletable.h"

#include <QString>

// The files written beside the executable at every start (SupportFileTable, generated from the
// build's list of them). Each one's bytes are built into the program as ":/support/<id>".
namespace SupportFiles {

// The resource path of an entry's bytes.
QString resourcePath(const Entry &entry);
// Where an entry lands in `programDir`.
QString filePath(const QString &programDir, const Entry &entry);
// Writes every file of the table, in order, each replacing any file of that name whole.
// A file that cannot be written is skipped without a word. Returns how many were written.
int writeAll(const QString &programDir);

} // namespace SupportFiles
