#pragma once

#include <QByteArray>
#include <QString>

// How answer bodies become text.

// Charset rule: "gb2312", "gbk" and "x-gbk" decode as GB18030; an unknown or missing charset
// falls back to `fallback` ("UTF-8" or "GB18030").
QString decodeBody(const QByteArray &body, const QByteArray &declaredCharset, const char *fallback);
// The charset parameter of a Content-Type header value, unquoted; empty when absent.
QByteArray charsetFromContentType(const QByteArray &contentType);
// The rule for today's services, whose answers come in either encoding (nicknames are reported
// both ways): the declared charset, else UTF-8 when the body is valid UTF-8, else GB18030.
QString decodeDeclaredOrSniffed(const QByteArray &body, const QByteArray &declaredCharset);
