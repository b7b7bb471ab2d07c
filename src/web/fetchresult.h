#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QString>

// What one GET brought back. `ok` is false when the transfer itself failed (refused, reset,
// unreachable, over the deadline or the body cap); the HTTP status is never a failure.
struct FetchResult
{
    // Why a transfer failed, so callers can name the problem without reading `error`.
    enum class Failure {
        None, // the transfer succeeded
        Unreachable, // no connection: refused, unknown host, no route, lost, TLS refused
        Certificate, // the server's certificate could not be verified; `error` names its host
        Timeout, // not sent, or not answered in full, in time
        NotAnAnswer, // something came back that cannot be used: over the cap, garbled, a
                     // redirect that may not be followed
        Cancelled, // ended by the program
    };

    bool ok = false;
    Failure failure = Failure::None;
    int status = 0;
    QByteArray body;
    QString text; // body decoded by the operation's charset rule; empty for downloads
    QString error;
    // What the answer set with Set-Cookie, on every hop, each with its domain and path made
    // explicit (a cookie without a Domain belongs to the answering host). Only the sign-in asks.
    QList<QNetworkCookie> cookies;
};
