#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

// One number as the user gave it, checked by the window's rule once the spaces and tabs around
// it are gone (as for the blank lines that are skipped).
struct CheckedNumber
{
    QString number; // trimmed
    std::optional<QString> refusal; // why it is refused, in the user's language
};

namespace LookupInput {

CheckedNumber check(const QString &given);
// Whether an input line carries nothing to look up: blank, or a comment starting with "#".
bool isSkipped(const QByteArray &line);

} // namespace LookupInput
