#pragma once

#include <QByteArray>
#include <QString>

// What one GET brought back. `ok` is false when the transfer itself failed (refused, reset,
// unreachable, over the deadline or the body cap); the HTTP status is never a failure.
struct FetchResult
{
    bool ok = false;
    int status = 0;
    QByteArray body;
    QString text; // body decoded by the operation's charset rule; empty for downloads
    QString error;
};
