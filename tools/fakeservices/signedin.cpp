#include "fakeservices/signedin.h"

#include "query/services.h"
#include "web/session.h"

#include <QUrlQuery>

namespace SignedIn {
namespace {

FakeResponse callback(const char *json)
{
    return FakeResponse::text(QByteArray("_Callback(") + json + ");", "utf-8");
}

} // namespace

FakeResponse signInNeededAnswer()
{
    return callback(R"({"code":-3000,"subcode":-4001,"message":"请先登录"})");
}

FakeResponse rateLimitedAnswer()
{
    return callback(R"({"code":-10000,"subcode":-10000,"message":"操作过于频繁"})");
}

FakeResponse firewallPage()
{
    return FakeResponse::text(
            "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>501</title></head><body>"
            "<script>window.location.href=\"https://waf.tencent.com/501page.html?u=\"+"
            "encodeURIComponent(location.href)+\"&id=20240101000000\";</script></body></html>",
            "utf-8");
}

bool fromBrowser(const RecordedRequest &request)
{
    const QByteArray agent = request.header("User-Agent");
    return agent.startsWith("Mozilla/5.0 (")
            && (agent.contains("Chrome/") || agent.contains("Firefox/")
                || agent.contains("Safari/"));
}

bool isServiceRequest(const RecordedRequest &request)
{
    static const AddressContext any {QStringLiteral("10001"), QStringLiteral("10001"), 2026};
    for (const ServiceRow &row : serviceTable()) {
        for (const QString &address : {row.describedAddress(any.qq), row.currentAddress(any)}) {
            if (QUrl(address).host().toLatin1() == request.host)
                return true;
        }
    }
    return false;
}

bool isSignedIn(const RecordedRequest &request, const QByteArray &name, const QByteArray &value)
{
    if (request.url.scheme() != QLatin1String("https"))
        return false;
    bool hasCookie = false;
    for (const QByteArray &pair : request.header("Cookie").split(';'))
        hasCookie = hasCookie || pair.trimmed() == name + '=' + value;
    const QStringList tokens = QUrlQuery(request.url).allQueryItemValues(QStringLiteral("g_tk"));
    return hasCookie && tokens.size() == 1
            && tokens.first() == QString::number(Session::gtkOf(value));
}

FakeServices::Gate signedInOnly(const QByteArray &name, const QByteArray &value)
{
    return [name, value](const RecordedRequest &request) -> std::optional<FakeResponse> {
        if (isServiceRequest(request) && !isSignedIn(request, name, value))
            return signInNeededAnswer();
        return std::nullopt;
    };
}

} // namespace SignedIn
