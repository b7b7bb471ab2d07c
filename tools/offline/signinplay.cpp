#include "signinplay.h"

#include "accounts.h"
#include "demosession.h"
#include "session/qrlogin.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QUrlQuery>
#include <qrencode.h>

namespace {

const QByteArray loginHost = "xui.ptlogin2.qq.com";
const QByteArray codeHost = "ssl.ptlogin2.qq.com";
const QByteArray checkHost = "ptlogin2.qzone.qq.com";
constexpr int forbidden = 403;
constexpr int modulePixels = 3; // as the login draws it at s=3
constexpr int quietModules = 4;

QByteArray pollAnswer(const char *code, const QString &url, const QString &message,
                      const QString &nickname = {})
{
    return QStringLiteral("ptuiCB('%1','0','%2','0','%3', '%4')")
            .arg(QLatin1String(code), url, message, nickname)
            .toUtf8();
}

FakeResponse withCookies(FakeResponse response, const QList<QByteArray> &cookies)
{
    for (const QByteArray &cookie : cookies)
        response.headers.append({QByteArray("Set-Cookie"), cookie});
    return response;
}

} // namespace

QByteArray SignInPlay::codePicture(const QByteArray &text)
{
    QRcode *code = QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return {};
    const int side = (code->width + 2 * quietModules) * modulePixels;
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if ((code->data[y * code->width + x] & 1) == 0)
                continue;
            for (int dy = 0; dy < modulePixels; ++dy) {
                for (int dx = 0; dx < modulePixels; ++dx)
                    image.setPixel((x + quietModules) * modulePixels + dx,
                                   (y + quietModules) * modulePixels + dy, qRgb(0, 0, 0));
            }
        }
    }
    QRcode_free(code);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

namespace {

QByteArray cookieOf(const RecordedRequest &request, const QByteArray &name)
{
    for (const QByteArray &pair : request.header("Cookie").split(';')) {
        const QByteArray trimmed = pair.trimmed();
        if (trimmed.startsWith(name + '='))
            return trimmed.mid(name.size() + 1);
    }
    return {};
}

QByteArray randomToken()
{
    return QByteArray::number(QRandomGenerator::global()->generate64(), 16);
}

} // namespace

QStringList SignInPlay::hosts()
{
    return {QString::fromLatin1(loginHost), QString::fromLatin1(codeHost),
            QString::fromLatin1(checkHost)};
}

std::optional<FakeResponse> SignInPlay::answer(const RecordedRequest &request)
{
    const QString path = request.url.path();
    if (request.host == loginHost && path == QLatin1String("/cgi-bin/xlogin")) {
        return withCookies(FakeResponse::text("<html><body>QQ登录</body></html>", "utf-8"),
                           {"pt_login_sig=" + randomToken() + "; Path=/; Domain=ptlogin2.qq.com"});
    }
    if (request.host == codeHost && path == QLatin1String("/ptqrshow"))
        return code();
    if (request.host == codeHost && path == QLatin1String("/ptqrlogin"))
        return poll(request);
    if (request.host == checkHost && path == QLatin1String("/check_sig"))
        return checkSig(request);
    return std::nullopt;
}

FakeResponse SignInPlay::code()
{
    if (m_ending == Ending::Restrict) {
        FakeResponse refused = FakeResponse::text({});
        refused.status = forbidden;
        return refused;
    }
    const QByteArray qrsig = randomToken() + randomToken();
    m_polls.insert(qrsig, 0);
    const QByteArray text
            = "https://mirelo.invalid/offline-sign-in?code=" + QByteArray::number(++m_codes);
    return withCookies(FakeResponse::bytes(codePicture(text), "image/png"),
                       {"qrsig=" + qrsig + "; Path=/; Domain=ptlogin2.qq.com"});
}

FakeResponse SignInPlay::poll(const RecordedRequest &request)
{
    const QByteArray qrsig = cookieOf(request, "qrsig");
    const QString token = QUrlQuery(request.url).queryItemValue(QStringLiteral("ptqrtoken"));
    // The login's own check: a code it handed out, and its token.
    if (!m_polls.contains(qrsig)
        || token != QString::number(QrLogin::hash33(QString::fromLatin1(qrsig)))) {
        FakeResponse refused = FakeResponse::text({});
        refused.status = forbidden;
        return refused;
    }
    const int nth = ++m_polls[qrsig];
    const auto text = [](const QByteArray &body) { return FakeResponse::text(body, "utf-8"); };
    if (m_ending == Ending::Expire)
        return text(nth < 2 ? pollAnswer("66", {}, u"二维码未失效。"_qs)
                            : pollAnswer("65", {}, u"二维码已失效。"_qs));
    if (nth <= 2)
        return text(pollAnswer("66", {}, u"二维码未失效。"_qs));
    if (nth == 3)
        return text(pollAnswer("67", {}, u"二维码认证中。"_qs));
    if (m_ending == Ending::Refuse)
        return text(pollAnswer("68", {}, u"本次登录已被拒绝"_qs));
    m_signature = randomToken() + randomToken();
    // Put together, not with arg(): its "%2F" would take the signature as a placeholder.
    const QString checkSig = QStringLiteral("https://ptlogin2.qzone.qq.com/check_sig?pttype=1&uin=")
            + QLatin1String(OfflineDemo::publicNumber)
            + QStringLiteral("&service=ptqrlogin&nodirect=0&ptsigx=")
            + QString::fromLatin1(m_signature)
            + QStringLiteral("&s_url=https%3A%2F%2Fqzs.qq.com%2Fqzone%2Fv5%2Floginsucc.html%3Fpara"
                             "%3Dizone&f_url=&ptlang=2052&ptredirect=100&aid=549000912&daid=5&"
                             "j_later=0&low_login_hour=0&regmaster=0&pt_login_type=3&pt_aid=0&"
                             "pt_aaid=16&pt_light=0&pt_3rd_aid=0");
    const QByteArray uin = QByteArray("o00") + OfflineDemo::publicNumber;
    return withCookies(
            text(pollAnswer("0", checkSig, u"登录成功！"_qs, u"小明"_qs)),
            {"uin=" + uin + "; Path=/; Domain=qq.com", "skey=@MireloDemo; Path=/; Domain=qq.com",
             "superkey=" + randomToken() + "; Path=/; Domain=ptlogin2.qq.com; HttpOnly"});
}

FakeResponse SignInPlay::checkSig(const RecordedRequest &request)
{
    const QString signature = QUrlQuery(request.url).queryItemValue(QStringLiteral("ptsigx"));
    if (m_signature.isEmpty() || signature != QString::fromLatin1(m_signature)) {
        FakeResponse refused = FakeResponse::text("<html>invalid</html>", "utf-8");
        refused.status = forbidden;
        return refused;
    }
    m_signature.clear(); // once only
    const QByteArray uin = QByteArray("o00") + OfflineDemo::publicNumber;
    return withCookies(
            FakeResponse::redirect("https://qzs.qq.com/qzone/v5/loginsucc.html?para=izone"),
            {"p_skey=; Expires=Thu, 01 Jan 1970 00:00:00 GMT; Path=/; Domain=ptlogin2.qq.com",
             QByteArray("p_skey=") + OfflineDemo::demoSessionKey
                     + "; Expires=Fri, 31 Dec 2100 23:59:59 GMT; Path=/; Domain=qq.com; Secure",
             "p_uin=" + uin + "; Expires=Fri, 31 Dec 2100 23:59:59 GMT; Path=/; Domain=qq.com",
             "pt4_token=" + randomToken() + "; Path=/; Domain=qzone.qq.com"});
}
