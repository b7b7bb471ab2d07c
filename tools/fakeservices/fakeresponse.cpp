#include "fakeservices/fakeresponse.h"

FakeResponse FakeResponse::text(QByteArray body, QByteArray charset)
{
    FakeResponse r;
    r.body = std::move(body);
    r.charset = std::move(charset);
    return r;
}

FakeResponse FakeResponse::bytes(QByteArray body, QByteArray contentType)
{
    FakeResponse r;
    r.body = std::move(body);
    r.contentType = std::move(contentType);
    return r;
}

FakeResponse FakeResponse::redirect(QByteArray location, int status)
{
    FakeResponse r = text("<html><body>Moved</body></html>");
    r.status = status;
    r.headers.append({"Location", std::move(location)});
    return r;
}

FakeResponse FakeResponse::behaving(Behaviour behaviour, QByteArray body)
{
    FakeResponse r = text(std::move(body));
    r.behaviour = behaviour;
    return r;
}

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

bool RecordedRequest::hasHeader(const QByteArray &name) const
{
    for (const auto &entry : headers) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

FakeResponse plainAnswer(int status, QByteArray body)
{
    FakeResponse r = FakeResponse::text(std::move(body));
    r.contentType = "text/plain";
    r.status = status;
    return r;
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 304:
        return "Not Modified";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}
