#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QUrl>

using FakeHeaders = QList<QPair<QByteArray, QByteArray>>;

// One canned answer of FakeServices.
struct FakeResponse
{
    enum class Behaviour {
        Normal, // the whole answer, then the connection is closed
        CloseWithoutAnswer, // reads the request, closes the connection without a word
        ResetMidBody, // headers (full Content-Length) and half the body, then a TCP reset
        Drip, // headers, then one byte of the body every dripIntervalMs, then close
        NeverAnswer, // reads the request and says nothing until the client gives up
        Endless, // headers without a length, then data as fast as the client reads, forever
    };

    QByteArray body;
    // Sent as "Content-Type: <contentType>; charset=<charset>"; empty: no charset parameter.
    // Written as given, so quotes or odd spellings can be tested too.
    QByteArray charset;
    QByteArray contentType = "text/html"; // empty: no Content-Type header
    int status = 200;
    int delayMs = 0; // wait this long before answering
    FakeHeaders headers; // extra headers, e.g. Location
    Behaviour behaviour = Behaviour::Normal;
    int dripIntervalMs = 1000;
    // Content-Length to announce instead of body.size() (Normal, ResetMidBody, Drip).
    std::optional<qint64> declaredLength;
    // False: no Content-Length; the body ends when the connection closes.
    bool sendLength = true;

    static FakeResponse text(QByteArray body, QByteArray charset = {});
    static FakeResponse
    bytes(QByteArray body, QByteArray contentType = QByteArrayLiteral("application/octet-stream"));
    // `location` is sent as it is: absolute, relative or any scheme.
    static FakeResponse redirect(QByteArray location, int status = 302);
    // `body` as a text page, played with `behaviour`; CloseWithoutAnswer, NeverAnswer and
    // Endless send none of it.
    static FakeResponse behaving(Behaviour behaviour, QByteArray body = {});
};

// A request as FakeServices read it.
struct RecordedRequest
{
    QByteArray method;
    QUrl url; // absolute: http://host[:port]/path?query
    QByteArray host; // lower case, without the port
    QByteArray pathAndQuery; // as it was sent
    FakeHeaders headers; // in the order sent
    QByteArray body;
    qint64 receivedAtMs = 0; // since the FakeServices object was made

    // The first value of a header, name matched case-insensitively; empty when absent.
    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;
};

// A plain-text answer with `status`, for what the server says about a request itself.
FakeResponse plainAnswer(int status, QByteArray body);
// The words HTTP/1.1 puts after a status code.
QByteArray reasonPhrase(int status);
