#include "offlineserver.h"

#include "accounts.h"
#include "config/deployment.h"
#include "demosession.h"
#include "fakeservices/signedin.h"
#include "portraits.h"
#include "query/addresses.h"

#include <QRegularExpression>
#include <QTime>
#include <QUrl>

namespace {

// Routes of this many numbers are kept; past it they are dropped and made again on demand,
// so a server left running for days does not grow.
constexpr qsizetype routedNumbersKept = 200;

QByteArray htmlPage(const QString &title, const QString &text)
{
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>"
                          "</head>\n<body><h1>%1</h1><p>%2</p></body></html>\n")
            .arg(title, text)
            .toUtf8();
}

} // namespace

using namespace OfflineDemo;

OfflineServer::OfflineServer(QObject *parent)
    : QObject(parent)
    , m_sitePage(FakeResponse::text(htmlPage(QStringLiteral("Zv系列软件官方论坛"),
                                             QStringLiteral("离线试用: 论坛页面只是一个示例。")),
                                    "utf-8"))
    , m_notFound(FakeResponse::text(htmlPage(QStringLiteral("404 Not Found"),
                                             QStringLiteral("离线试用的服务器没有这个页面。")),
                                    "utf-8"))
{
    m_notFound.status = 404;
    // A signed-in request carries its session's own token: the same answer whatever it is.
    m_services.ignoreQueryItem(QStringLiteral("g_tk"));
    m_services.setGate([this](const RecordedRequest &request) { return gate(request); });
    connect(&m_services, &FakeServices::requestReceived, this, &OfflineServer::onRequest);
    routeProbePage();
    m_clock.start();
}

QString OfflineServer::offerHttps()
{
    auto authority
            = std::make_unique<TestAuthority>(DemoAnswers::serviceHosts() + SignInPlay::hosts());
    if (!authority->isValid())
        return authority->error();
    m_services.setTlsIdentity(authority->identity(TestAuthority::Kind::Good));
    m_authority = std::move(authority);
    return {};
}

std::optional<FakeResponse> OfflineServer::gate(const RecordedRequest &request)
{
    if (std::optional<FakeResponse> signIn = m_signIn.answer(request))
        return signIn;
    if (!SignedIn::isServiceRequest(request))
        return std::nullopt;
    if (m_signedInOnly) {
        if (isGoneToday(request))
            return m_notFound;
        if (!SignedIn::fromBrowser(request))
            return SignedIn::firewallPage();
        if (!SignedIn::isSignedIn(request, demoSessionCookie, demoSessionKey))
            return SignedIn::signInNeededAnswer();
    }
    if (m_rateLimit <= 0)
        return std::nullopt;
    const qint64 now = m_clock.elapsed();
    while (!m_answeredAt.empty() && now - m_answeredAt.front() >= 60'000)
        m_answeredAt.pop_front();
    if (m_answeredAt.size() >= std::size_t(m_rateLimit))
        return SignedIn::rateLimitedAnswer();
    m_answeredAt.push_back(now);
    return std::nullopt;
}

bool OfflineServer::isGoneToday(const RecordedRequest &request)
{
    for (const QString &address : {Addresses::moods({}), Addresses::blog({})}) {
        const QUrl gone(address);
        if (request.host == gone.host().toLatin1() && request.url.path() == gone.path())
            return true;
    }
    return false;
}

bool OfflineServer::listen(quint16 port)
{
    return m_services.listen(port);
}

void OfflineServer::onRequest(const RecordedRequest &request)
{
    // Nothing reads the record back: keep none.
    m_services.clearRequests();

    QString method = QString::fromLatin1(request.method);
    method.replace(QRegularExpression(QStringLiteral("[^A-Za-z]")), QStringLiteral("?"));
    // The login's secrets stay out of the log: its signature, its token, its code's key.
    static const QRegularExpression secrets(
            QStringLiteral("([?&](?:ptsigx|ptqrtoken|login_sig)=)[^&]*"));
    QString address = QString::fromLatin1(request.url.toEncoded());
    address.replace(secrets, QStringLiteral("\\1..."));
    emit requestLogged(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) + u' ' + method
                       + u' ' + address);

    // Routes (and the fallback) set now still answer this very request.
    const QString qq = numberIn(request.url);
    if (!qq.isEmpty() && !m_routedNumbers.contains(qq))
        routeNumber(qq);
    // Every page of the forum and the fan-site is there; anything else unknown is not.
    const QString host = QString::fromLatin1(request.host);
    const bool sitePage = host == QLatin1String(Deployment::forumHost)
            || host == QLatin1String(Deployment::fanSiteHost);
    m_services.setFallback(sitePage ? m_sitePage : m_notFound);
}

void OfflineServer::routeProbePage()
{
    // Timer2's reachability check ends the program when this page comes back empty.
    const QByteArray page = htmlPage(QStringLiteral("Mirelo 离线试用"),
                                     QStringLiteral("这里是离线试用的服务器, 网络检测由它应答。"));
    m_services.on(DemoAnswers::routeOf(Addresses::reachabilityProbe()),
                  FakeResponse::text(page, "utf-8"));
}

void OfflineServer::routeNumber(const QString &qq)
{
    if (m_routedNumbers.size() >= routedNumbersKept) {
        m_services.clearRoutes();
        m_routedNumbers.clear();
        routeProbePage();
    }
    m_routedNumbers.insert(qq);

    using DemoAnswers::routeOf;
    const Account account = accountFor(qq);
    DemoAnswers::routeAccount(m_services, account.values);

    const quint32 seed = seedOf(qq);
    m_services.on(routeOf(Addresses::qzonePortrait(qq)),
                  account.portraits ? FakeResponse::bytes(avatarPng(AvatarStyle::Garden, 100, seed),
                                                          "image/png")
                                    : m_notFound);
    // The avatar service, over http and, signed in, over https; with no portrait it says so in
    // a page instead of a picture.
    const FakeResponse qq100 = account.portraits
            ? FakeResponse::bytes(avatarPng(AvatarStyle::Face, 100, seed), "image/png")
            : FakeResponse::text(
                    htmlPage(QStringLiteral("QQ头像"), QStringLiteral("该用户没有设置头像。")),
                    "utf-8");
    const FakeResponse qq640 = account.hdPortrait
            ? FakeResponse::bytes(avatarPng(AvatarStyle::Face, 640, seed), "image/png")
            : m_notFound;
    for (const bool signedIn : {false, true}) {
        m_services.on(routeOf(Addresses::qqPortrait(qq, signedIn)), qq100);
        m_services.on(routeOf(Addresses::qqPortraitHd(qq, signedIn)), qq640);
    }

    if (account.space == Space::Restricted) {
        for (const DemoAnswers::Endpoint endpoint :
             {DemoAnswers::Endpoint::Visitors, DemoAnswers::Endpoint::Moods})
            m_services.on(DemoAnswers::currentAnswer(account.values, endpoint).address,
                          FakeResponse::text(restrictedCurrent(), "utf-8"));
        m_services.on(routeOf(Addresses::visitors(qq)),
                      FakeResponse::text(restrictedVisitors(), "utf-8"));
        m_services.on(routeOf(Addresses::moods(qq)),
                      FakeResponse::text(restrictedMoods(account.values), "utf-8"));
        m_services.on(routeOf(Addresses::blog(qq)), FakeResponse::text(restrictedBlog(), "utf-8"));
    }
}
